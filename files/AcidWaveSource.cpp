// Reads a wave file the way the Loop Bin loader needs it: metadata, then the
// whole data chunk in one read from frame 0; other files go to the decoder.
#include "files/AcidWaveSource.h"
#include "files/AcidWave.h"
#include "platform/com/HResult.h"
#include <algorithm>
#include <new>

namespace {
// Slack after the frames, so a decoder reading a frame's worth stays inside.
constexpr size_t kTailSlack = 16;

// The encodings the Loop Bin loader converts itself (the engine's DecodeFrames).
bool LoaderDecodes(const WAVEFORMATEX& wfx) {
    const WORD bits = wfx.wBitsPerSample;
    if (wfx.wFormatTag == WAVE_FORMAT_PCM)
        return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    return wfx.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && (bits == 32 || bits == 64);
}

// The reader refused the file as no RIFF WAVE at all, or for its channel
// count alone: a format chunk that is otherwise sound (frames at least as
// wide as their samples) with more than two channels.
bool DecoderMayTake(const CAcidWave& wave) {
    if (!wave.HasFormat()) return wave.GetError() != MMIOERR_CANNOTOPEN;
    const WAVEFORMATEX& f = wave.GetFileFormat();
    const DWORD sampleBytes = (static_cast<DWORD>(f.wBitsPerSample) + 7) / 8;
    return f.nChannels > 2 && f.nBlockAlign >= f.nChannels * sampleBytes && f.nAvgBytesPerSec != 0;
}
} // namespace

void CAcidWaveSource::Clear() {
    m_source = LoopSource{};
    m_data.clear();
    m_segments.clear();
    m_bDecoded = false;
}

HRESULT CAcidWaveSource::Load(const char* pszPath) {
    Clear();
    CAcidWave wave;
    if (FAILED(wave.Open(pszPath)))
        return DecoderMayTake(wave) ? LoadDecoded(pszPath, nullptr) : E_FAIL;
    if (!LoaderDecodes(wave.GetFormat())) {
        const HRESULT hr = LoadDecoded(pszPath, &wave);
        // Undecodable here too: the raw bytes go on, and the loader refuses
        // their encoding as it always did.
        if (hr != E_FAIL) return hr;
    }
    return LoadWave(wave);
}

HRESULT CAcidWaveSource::LoadWave(CAcidWave& wave) {
    Clear();
    const WAVEFORMATEX& wfx = wave.GetFormat();
    const size_t frameBytes = static_cast<size_t>(wfx.nBlockAlign) * wave.GetFrames();
    try {
        m_data.assign(frameBytes + kTailSlack, 0);
        m_segments.reserve(static_cast<size_t>(wave.GetSegmentCount()));
    } catch (const std::bad_alloc&) {
        m_data = {};
        m_segments = {};
        return E_OUTOFMEMORY;
    }
    // The whole chunk, bounded by the buffer: a trailing partial frame may
    // fill some of the slack, never more.
    if (FAILED(wave.SeekToFrame(0))) return E_FAIL;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(wave.GetDataBytes(), m_data.size()));
    if (wave.ReadData(m_data.data(), want) < frameBytes) {
        m_data.clear();
        return E_FAIL;
    }
    std::fill(m_data.begin() + static_cast<std::ptrdiff_t>(frameBytes), m_data.end(), 0);
    m_source.wfx = wfx;
    m_source.pData = m_data.data();
    m_source.nFrames = wave.GetFrames();
    TakeWaveMetadata(wave);
    return S_OK;
}

void CAcidWaveSource::TakeWaveMetadata(const CAcidWave& wave) {
    m_segments.clear();
    for (int i = 0; i < wave.GetSegmentCount(); ++i) m_segments.push_back(wave.GetSegment(i));
    m_source.bAcid = wave.HasAcid();
    m_source.bLooping = wave.IsLooping();
    m_source.bRootNote = wave.IsRootNoteValid();
    m_source.nKeyIndex = wave.GetKeyIndex();
    m_source.nBeats = wave.GetBeats();
    m_source.pSegments = m_segments.empty() ? nullptr : m_segments.data();
    m_source.nSegments = static_cast<int>(m_segments.size());
}

// Reads a wave file the way the Loop Bin loader needs it: metadata, then the
// whole data chunk in one read from frame 0.
#include "files/AcidWaveSource.h"
#include "files/AcidWave.h"
#include "platform/com/HResult.h"
#include <algorithm>
#include <new>

namespace {
// Slack after the frames, so a decoder reading a frame's worth stays inside.
constexpr size_t kTailSlack = 16;
} // namespace

HRESULT CAcidWaveSource::Load(const char* pszPath) {
    m_source = LoopSource{};
    m_data.clear();
    m_segments.clear();
    CAcidWave wave;
    if (FAILED(wave.Open(pszPath))) return E_FAIL;
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
    for (int i = 0; i < wave.GetSegmentCount(); ++i) m_segments.push_back(wave.GetSegment(i));
    m_source.wfx = wfx;
    m_source.pData = m_data.data();
    m_source.nFrames = wave.GetFrames();
    m_source.bAcid = wave.HasAcid();
    m_source.bLooping = wave.IsLooping();
    m_source.bRootNote = wave.IsRootNoteValid();
    m_source.nKeyIndex = wave.GetKeyIndex();
    m_source.nBeats = wave.GetBeats();
    m_source.pSegments = m_segments.empty() ? nullptr : m_segments.data();
    m_source.nSegments = static_cast<int>(m_segments.size());
    return S_OK;
}

// Files the wave reader cannot take, through the platform's sound file
// decoder: samples in the narrowest format the loader takes that keeps them
// exact, more than two channels folded to stereo, and the file's loop
// information made into loop metadata as a wave file's `acid` chunk would be.
#include "files/AcidWave.h"
#include "files/AcidWaveSource.h"
#include "platform/com/HResult.h"
#include "platform/sound/SoundFileDecoder.h"
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>

namespace {
constexpr size_t kTailSlack = 16;
constexpr int64_t kChunkFrames = 4096;
// Room made at once for the frames a file declares; beyond it the buffer grows.
constexpr int64_t kMaxReservedFrames = int64_t{1} << 20;

WORD SampleBytes(SoundSampleType type) { return type == SoundSampleType::Int16 ? 2 : 4; }

// Appends decoded frames to out until the end or nMaxFrames; more than two
// channels are folded (the caller then decodes to float). The frames kept.
template <typename T>
int64_t DecodeInto(CSoundFileDecoder& decoder, int64_t nMaxFrames, std::vector<uint8_t>& out) {
    const int nIn = decoder.Channels();
    const int nOut = std::min(nIn, 2);
    std::vector<T> chunk(static_cast<size_t>(kChunkFrames) * static_cast<size_t>(nIn));
    std::vector<T> folded(nIn > 2 ? static_cast<size_t>(kChunkFrames) * 2 : 0);
    int64_t nFrames = 0;
    while (nFrames < nMaxFrames) {
        const int64_t n = decoder.Read(chunk.data(), std::min(kChunkFrames, nMaxFrames - nFrames));
        if (n <= 0) break;
        const T* pFrames = chunk.data();
        if constexpr (std::is_same_v<T, float>) {
            if (nIn > 2) {
                std::fill(folded.begin(), folded.end(), 0.0f);
                for (int64_t f = 0; f < n; ++f)
                    for (int c = 0; c < nIn; ++c) {
                        const std::array<float, 2> g = SoundFoldGains(c, nIn);
                        const float v = chunk[static_cast<size_t>(f * nIn + c)];
                        folded[static_cast<size_t>(f * 2)] += g[0] * v;
                        folded[static_cast<size_t>(f * 2 + 1)] += g[1] * v;
                    }
                pFrames = folded.data();
            }
        }
        const size_t bytes = static_cast<size_t>(n) * static_cast<size_t>(nOut) * sizeof(T);
        const size_t at = out.size();
        out.resize(at + bytes);
        std::memcpy(out.data() + at, pFrames, bytes);
        nFrames += n;
    }
    return nFrames;
}
} // namespace

HRESULT CAcidWaveSource::LoadDecoded(const char* pszPath, const CAcidWave* pWave) {
    Clear();
    CSoundFileDecoder decoder;
    if (FAILED(decoder.Open(pszPath))) return E_FAIL;
    HRESULT hr = E_OUTOFMEMORY;
    try {
        hr = DecodeSamples(decoder);
        if (SUCCEEDED(hr)) {
            SoundLoopInfo loop;
            if (pWave != nullptr && pWave->GetFrames() == m_source.nFrames) {
                TakeWaveMetadata(*pWave);
            } else if (decoder.GetLoopInfo(&loop)) {
                // As the reader takes an `acid` chunk without `strc`: a loop
                // cut by beats into sixteenth notes. Whether the root note is
                // meant is not told, so the loop does not follow the key.
                m_source.bAcid = 1;
                m_source.bLooping = loop.bLooping ? 1 : 0;
                m_source.nKeyIndex = ((loop.nRootKey + 3) % 12 + 12) % 12;
                m_source.nBeats = loop.nBeats;
                m_segments.assign(1, LoopSegment{0, m_source.nFrames});
                CAcidWave::SliceByBeats(m_segments, m_source.nFrames, loop.nBeats,
                                        CAcidWave::kDefaultSliceUnit);
                m_source.pSegments = m_segments.data();
                m_source.nSegments = static_cast<int>(m_segments.size());
            }
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        Clear();
        m_data = {};
        m_segments = {};
        return hr;
    }
    m_bDecoded = true;
    return S_OK;
}

HRESULT CAcidWaveSource::DecodeSamples(CSoundFileDecoder& decoder) {
    const SoundSampleType type =
        decoder.Channels() > 2 ? SoundSampleType::Float : decoder.NativeType();
    const WORD nChannels = static_cast<WORD>(std::min(decoder.Channels(), 2));
    const WORD nBlockAlign = static_cast<WORD>(nChannels * SampleBytes(type));
    const DWORD nRate = static_cast<DWORD>(decoder.SampleRate());
    // Frames are counted in 32 bits and the bytes must fit them too.
    const double dMax = std::min(std::floor(nRate * kLongestDecodeSeconds) + 1.0,
                                 static_cast<double>((0xFFFFFFFFu - kTailSlack) / nBlockAlign));
    const auto nMaxFrames = static_cast<int64_t>(dMax);
    const int64_t nExpected =
        std::clamp<int64_t>(decoder.DeclaredFrames(), 0, std::min(nMaxFrames, kMaxReservedFrames));
    m_data.reserve(static_cast<size_t>(nExpected) * nBlockAlign + kTailSlack);
    int64_t nFrames = 0;
    switch (type) {
    case SoundSampleType::Int16: nFrames = DecodeInto<int16_t>(decoder, nMaxFrames, m_data); break;
    case SoundSampleType::Int32: nFrames = DecodeInto<int32_t>(decoder, nMaxFrames, m_data); break;
    case SoundSampleType::Float: nFrames = DecodeInto<float>(decoder, nMaxFrames, m_data); break;
    }
    if (nFrames < 1) return E_FAIL; // not even one frame: nothing to play
    m_data.resize(m_data.size() + kTailSlack, 0);
    WAVEFORMATEX& wfx = m_source.wfx;
    wfx.wFormatTag = type == SoundSampleType::Float ? WAVE_FORMAT_IEEE_FLOAT : WAVE_FORMAT_PCM;
    wfx.nChannels = nChannels;
    wfx.nSamplesPerSec = nRate;
    wfx.nAvgBytesPerSec =
        static_cast<DWORD>(std::min<uint64_t>(uint64_t{nRate} * nBlockAlign, 0xFFFFFFFFu));
    wfx.nBlockAlign = nBlockAlign;
    wfx.wBitsPerSample = static_cast<WORD>(SampleBytes(type) * 8);
    wfx.cbSize = 0;
    m_source.pData = m_data.data();
    m_source.nFrames = static_cast<DWORD>(nFrames);
    return S_OK;
}

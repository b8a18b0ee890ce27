#include "apps/slicer/SliceSource.h"
#include "platform/com/HResult.h"
#include "platform/sound/SoundFileDecoder.h"
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sndfile.h>

namespace {
struct CloseSndFile {
    void operator()(SNDFILE* p) const { sf_close(p); }
};

LoopSampleFormat FormatFor(int nFormat) {
    switch (nFormat & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_DWVW_24: return LoopSampleFormat::Pcm24;
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_ALAC_32:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III: return LoopSampleFormat::Float32;
    default: return LoopSampleFormat::Pcm16; // 16 bits or fewer, companded, ADPCM
    }
}

std::string SndFormatName(SNDFILE* pFile, int nFormat) {
    SF_FORMAT_INFO major{}, minor{};
    major.format = nFormat & SF_FORMAT_TYPEMASK;
    minor.format = nFormat & SF_FORMAT_SUBMASK;
    std::string s;
    if (sf_command(pFile, SFC_GET_FORMAT_INFO, &major, sizeof(major)) == 0 && major.name)
        s = major.name;
    if (sf_command(pFile, SFC_GET_FORMAT_INFO, &minor, sizeof(minor)) == 0 && minor.name)
        s += std::string(s.empty() ? "" : " / ") + minor.name;
    return s;
}

// More than two channels fold to stereo by the rule the instrument's own
// loader applies to such files (float sums, nothing clips), so a file sliced
// first sounds as the same file loaded directly.
std::vector<float> FoldToStereo(const std::vector<float>& in, int nIn, size_t nFrames) {
    std::vector<float> out(nFrames * 2, 0.0f);
    for (int c = 0; c < nIn; ++c) {
        const std::array<float, 2> g = SoundFoldGains(c, nIn);
        for (size_t f = 0; f < nFrames; ++f) {
            const float v = in[f * static_cast<size_t>(nIn) + static_cast<size_t>(c)];
            out[2 * f] += g[0] * v;
            out[2 * f + 1] += g[1] * v;
        }
    }
    return out;
}
// Reads up to nFrames frames, as many calls as the decoder needs.
sf_count_t ReadAll(CSoundFileDecoder& decoder, float* pOut, sf_count_t nFrames) {
    sf_count_t nDone = 0;
    while (nDone < nFrames) {
        const int64_t n = decoder.Read(pOut + nDone * decoder.Channels(), nFrames - nDone);
        if (n <= 0) break;
        nDone += n;
    }
    return nDone;
}
} // namespace

bool CSliceSource::Read(const std::string& strPath, std::string* pstrError) {
    SF_INFO info{};
    std::unique_ptr<SNDFILE, CloseSndFile> file(sf_open(strPath.c_str(), SFM_READ, &info));
    if (!file) {
        *pstrError = std::string("cannot read the audio: ") + sf_strerror(nullptr);
        return false;
    }
    // MPEG audio comes through the platform's decoder, which reads the whole
    // stream where libsndfile stops at its estimated length.
    CSoundFileDecoder mpeg;
    const bool bMpeg = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG &&
                       SUCCEEDED(mpeg.Open(strPath.c_str()));
    if (bMpeg) {
        info.frames = mpeg.DeclaredFrames();
        info.channels = mpeg.Channels();
        info.samplerate = mpeg.SampleRate();
    }
    if (info.frames <= 0 || info.channels <= 0 || info.samplerate <= 0) {
        *pstrError = "holds no samples";
        return false;
    }
    const double dSeconds = static_cast<double>(info.frames) / info.samplerate;
    if (dSeconds > kMaxSeconds) {
        char sz[160];
        std::snprintf(sz, sizeof(sz), "is %.1f s long; a loop may last at most %.0f s", dSeconds,
                      kMaxSeconds);
        *pstrError = sz;
        return false;
    }
    m_nRate = static_cast<uint32_t>(info.samplerate);
    m_nSourceChannels = info.channels;
    m_nChannels = info.channels > 2 ? 2 : info.channels;
    m_nFrames = static_cast<size_t>(info.frames);
    // A fold sums channels, which only float holds exactly.
    m_format = info.channels > 2 ? LoopSampleFormat::Float32 : FormatFor(info.format);
    m_strFormatName = SndFormatName(file.get(), info.format);
    const size_t nSamples = m_nFrames * static_cast<size_t>(info.channels);
    sf_count_t nRead = 0;
    m_integers.clear();
    m_floats.clear();
    if (m_format == LoopSampleFormat::Float32) {
        m_floats.resize(nSamples);
        nRead = bMpeg ? ReadAll(mpeg, m_floats.data(), info.frames)
                      : sf_readf_float(file.get(), m_floats.data(), info.frames);
    } else {
        // Full-scale 32-bit integers, shifted down to the written width exactly.
        m_integers.resize(nSamples);
        nRead = sf_readf_int(file.get(), m_integers.data(), info.frames);
        const int nShift = m_format == LoopSampleFormat::Pcm16 ? 16 : 8;
        for (int32_t& v : m_integers) v >>= nShift;
    }
    // A file cut short gives what it holds.
    if (nRead <= 0) {
        *pstrError = std::string("cannot read the audio: ") + sf_strerror(file.get());
        return false;
    }
    m_nFrames = static_cast<size_t>(nRead);
    m_integers.resize(m_integers.empty() ? 0 : m_nFrames * static_cast<size_t>(info.channels));
    m_floats.resize(m_floats.empty() ? 0 : m_nFrames * static_cast<size_t>(info.channels));
    if (info.channels > 2) m_floats = FoldToStereo(m_floats, info.channels, m_nFrames);

    m_nFileBeats = 0;
    m_dFileTempo = 0.0;
    m_nRootNote = -1;
    SF_LOOP_INFO loop{};
    if (sf_command(file.get(), SFC_GET_LOOP_INFO, &loop, sizeof(loop)) == SF_TRUE) {
        if (loop.num_beats > 0) m_nFileBeats = static_cast<uint32_t>(loop.num_beats);
        if (std::isfinite(loop.bpm) && loop.bpm > 0) m_dFileTempo = loop.bpm;
        if (loop.root_key > 0 && loop.root_key < 128) m_nRootNote = static_cast<int>(loop.root_key);
    }
    SF_INSTRUMENT inst{};
    if (m_nRootNote < 0 &&
        sf_command(file.get(), SFC_GET_INSTRUMENT, &inst, sizeof(inst)) == SF_TRUE &&
        inst.basenote > 0)
        m_nRootNote = inst.basenote;
    return true;
}

std::vector<float> CSliceSource::Mono() const {
    std::vector<float> mono(m_nFrames);
    const auto nChannels = static_cast<size_t>(m_nChannels);
    const double dScale = m_format == LoopSampleFormat::Pcm16   ? 1.0 / 32768.0
                          : m_format == LoopSampleFormat::Pcm24 ? 1.0 / 8388608.0
                                                                : 1.0;
    for (size_t f = 0; f < m_nFrames; ++f) {
        double d = 0;
        for (size_t c = 0; c < nChannels; ++c)
            d += m_floats.empty() ? static_cast<double>(m_integers[f * nChannels + c])
                                  : static_cast<double>(m_floats[f * nChannels + c]);
        mono[f] = static_cast<float>(d * dScale / static_cast<double>(nChannels));
    }
    return mono;
}

#include "platform/sound/SoundFileDecoder.h"
#include "platform/com/HResult.h"
#include "platform/sound/MpegDecoder.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include <sndfile.h>
#include <vector>

namespace {
SNDFILE* File(void* p) { return static_cast<SNDFILE*>(p); }

SoundSampleType TypeOf(int nFormat) {
    switch (nFormat & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610:
    case SF_FORMAT_VOX_ADPCM:
    case SF_FORMAT_NMS_ADPCM_16:
    case SF_FORMAT_NMS_ADPCM_24:
    case SF_FORMAT_NMS_ADPCM_32:
    case SF_FORMAT_G721_32:
    case SF_FORMAT_G723_24:
    case SF_FORMAT_G723_40:
    case SF_FORMAT_DWVW_12:
    case SF_FORMAT_DWVW_16:
    case SF_FORMAT_DPCM_8:
    case SF_FORMAT_DPCM_16:
    case SF_FORMAT_ALAC_16: return SoundSampleType::Int16;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_DWVW_24:
    case SF_FORMAT_ALAC_20:
    case SF_FORMAT_ALAC_24:
    case SF_FORMAT_ALAC_32: return SoundSampleType::Int32;
    default: return SoundSampleType::Float; // float, double and the lossy codecs
    }
}

// Decoded MPEG float as full-scale integers of type T, clipped.
template <typename T> int64_t ReadMpegAs(CMpegDecoder& mpeg, T* pOut, int64_t nFrames) {
    constexpr int64_t kChunkFrames = 4096;
    const auto nChannels = static_cast<size_t>(mpeg.Channels());
    constexpr double dScale = static_cast<double>(std::numeric_limits<T>::max());
    std::vector<float> chunk(static_cast<size_t>(std::min(nFrames, kChunkFrames)) * nChannels);
    int64_t nDone = 0;
    while (nDone < nFrames) {
        const int64_t n = mpeg.Read(chunk.data(), std::min(nFrames - nDone, kChunkFrames));
        if (n <= 0) break;
        T* pTo = pOut + static_cast<size_t>(nDone) * nChannels;
        for (size_t i = 0; i < static_cast<size_t>(n) * nChannels; ++i) {
            const double d =
                std::clamp(static_cast<double>(chunk[i]) * dScale, -dScale - 1.0, dScale);
            pTo[i] = static_cast<T>(std::lrint(d));
        }
        nDone += n;
    }
    return nDone;
}
} // namespace

CSoundFileDecoder::CSoundFileDecoder() = default;
CSoundFileDecoder::~CSoundFileDecoder() { Close(); }

void CSoundFileDecoder::Close() {
    if (m_pFile != nullptr) sf_close(File(m_pFile));
    m_pFile = nullptr;
    m_pMpeg.reset();
    m_nChannels = m_nRate = m_nFormat = 0;
    m_nFrames = 0;
}

HRESULT CSoundFileDecoder::Open(const char* pszPath) {
    Close();
    if (pszPath == nullptr) return E_FAIL;
    SF_INFO info{};
    SNDFILE* file = sf_open(pszPath, SFM_READ, &info);
    if (file == nullptr) return E_FAIL;
    if (info.channels < 1 || info.samplerate < 1 || info.frames < 0) {
        sf_close(file);
        return E_FAIL;
    }
    m_pFile = file;
    m_nChannels = info.channels;
    m_nRate = info.samplerate;
    m_nFrames = info.frames;
    m_nFormat = info.format;
    m_type = TypeOf(info.format);
    if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG) {
        // libsndfile ends the stream at its estimate; libmpg123 reads it all.
        // Should libmpg123 refuse what libsndfile took, libsndfile decodes.
        auto pMpeg = std::make_unique<CMpegDecoder>();
        if (SUCCEEDED(pMpeg->Open(pszPath))) {
            m_nChannels = pMpeg->Channels();
            m_nRate = pMpeg->SampleRate();
            m_nFrames = pMpeg->Frames();
            m_type = SoundSampleType::Float;
            m_pMpeg = std::move(pMpeg);
        }
    }
    return S_OK;
}

bool CSoundFileDecoder::GetLoopInfo(SoundLoopInfo* pInfo) const {
    if (m_pFile == nullptr || pInfo == nullptr) return false;
    SF_LOOP_INFO loop{};
    if (sf_command(File(m_pFile), SFC_GET_LOOP_INFO, &loop, sizeof(loop)) != SF_TRUE) return false;
    pInfo->bLooping = loop.loop_mode != SF_LOOP_NONE;
    pInfo->nBeats = loop.num_beats > 0 ? static_cast<DWORD>(loop.num_beats) : 0;
    pInfo->dTempo = loop.bpm;
    pInfo->nRootKey = loop.root_key;
    return true;
}

std::string CSoundFileDecoder::FormatName() const {
    if (m_pFile == nullptr) return {};
    SF_FORMAT_INFO major{}, minor{};
    major.format = m_nFormat & SF_FORMAT_TYPEMASK;
    minor.format = m_nFormat & SF_FORMAT_SUBMASK;
    std::string s;
    if (sf_command(File(m_pFile), SFC_GET_FORMAT_INFO, &major, sizeof(major)) == 0 && major.name)
        s = major.name;
    if (sf_command(File(m_pFile), SFC_GET_FORMAT_INFO, &minor, sizeof(minor)) == 0 && minor.name)
        s += std::string(s.empty() ? "" : " / ") + minor.name;
    return s;
}

int64_t CSoundFileDecoder::Read(int16_t* pOut, int64_t nFrames) {
    if (m_pFile == nullptr || pOut == nullptr || nFrames <= 0) return 0;
    if (m_pMpeg) return ReadMpegAs(*m_pMpeg, pOut, nFrames);
    const sf_count_t n = sf_readf_short(File(m_pFile), pOut, nFrames);
    return n > 0 ? n : 0;
}

int64_t CSoundFileDecoder::Read(int32_t* pOut, int64_t nFrames) {
    if (m_pFile == nullptr || pOut == nullptr || nFrames <= 0) return 0;
    if (m_pMpeg) return ReadMpegAs(*m_pMpeg, pOut, nFrames);
    const sf_count_t n = sf_readf_int(File(m_pFile), pOut, nFrames);
    return n > 0 ? n : 0;
}

int64_t CSoundFileDecoder::Read(float* pOut, int64_t nFrames) {
    if (m_pFile == nullptr || pOut == nullptr || nFrames <= 0) return 0;
    if (m_pMpeg) return m_pMpeg->Read(pOut, nFrames);
    const sf_count_t n = sf_readf_float(File(m_pFile), pOut, nFrames);
    return n > 0 ? n : 0;
}

std::array<float, 2> SoundFoldGains(int nChannel, int nChannels) {
    constexpr float kMinus3dB = 0.70710678f;
    const std::array<float, 2> left{1.0f, 0.0f}, right{0.0f, 1.0f};
    if (nChannels != 6 && nChannels != 8) return nChannel % 2 == 0 ? left : right;
    switch (nChannel) {
    case 0: return left;
    case 1: return right;
    case 2: return {kMinus3dB, kMinus3dB};
    case 3: return {0.0f, 0.0f};
    default:
        return nChannel % 2 == 0 ? std::array<float, 2>{kMinus3dB, 0.0f}
                                 : std::array<float, 2>{0.0f, kMinus3dB};
    }
}

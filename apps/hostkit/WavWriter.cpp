#include "apps/hostkit/WavWriter.h"
#include "apps/hostkit/WavStream.h"
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
void PutId(std::vector<uint8_t>& v, const char* id) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(id[i]));
}

// Full scale maps to the largest positive code; rounding is to nearest.
int32_t ToPcm(float f, double dScale, int32_t nMax) {
    if (!std::isfinite(f)) return 0;
    const double d = std::clamp(static_cast<double>(f), -1.0, 1.0) * dScale;
    return static_cast<int32_t>(std::clamp<long>(std::lround(d), -nMax - 1, nMax));
}
} // namespace

bool ParseWavSampleFormat(const std::string& strName, WavSampleFormat* pFormat) {
    if (strName == "float" || strName == "f32" || strName == "32f")
        *pFormat = WavSampleFormat::Float32;
    else if (strName == "24")
        *pFormat = WavSampleFormat::Pcm24;
    else if (strName == "16")
        *pFormat = WavSampleFormat::Pcm16;
    else
        return false;
    return true;
}

CWavWriter::CWavWriter(WavSampleFormat format, int nChannels, uint32_t nRate)
    : m_format(format), m_nChannels(nChannels), m_nRate(nRate) {}

int CWavWriter::BytesPerSample() const {
    switch (m_format) {
    case WavSampleFormat::Float32: return 4;
    case WavSampleFormat::Pcm24: return 3;
    case WavSampleFormat::Pcm16: return 2;
    }
    return 4;
}

void CWavWriter::AddChunk(const char szId[4], std::vector<uint8_t> body) {
    Chunk c;
    std::memcpy(c.id, szId, 4);
    c.body = std::move(body);
    m_chunks.push_back(std::move(c));
}

std::vector<uint8_t> CWavWriter::Header(uint64_t nDataBytes, uint64_t nRiffBytes,
                                        uint64_t nFrames) const {
    const bool bFloat = m_format == WavSampleFormat::Float32;
    const uint32_t nAlign = static_cast<uint32_t>(BytesPerSample() * m_nChannels);
    std::vector<uint8_t> h;
    PutId(h, "RIFF");
    Put32(h, static_cast<uint32_t>(nRiffBytes));
    PutId(h, "WAVE");
    PutId(h, "fmt ");
    Put32(h, bFloat ? 18 : 16);
    Put16(h, bFloat ? kTagFloat : kTagPcm);
    Put16(h, static_cast<uint32_t>(m_nChannels));
    Put32(h, m_nRate);
    Put32(h, m_nRate * nAlign);
    Put16(h, nAlign);
    Put16(h, static_cast<uint32_t>(BytesPerSample() * 8));
    if (bFloat) {
        Put16(h, 0); // extra size
        // Non-PCM formats carry their frame count in a `fact` chunk.
        PutId(h, "fact");
        Put32(h, 4);
        Put32(h, static_cast<uint32_t>(nFrames));
    }
    PutId(h, "data");
    Put32(h, static_cast<uint32_t>(nDataBytes));
    return h;
}

uint64_t CWavWriter::RiffBytes(uint64_t nSamples) const {
    const uint64_t nData = nSamples * static_cast<uint64_t>(BytesPerSample());
    uint64_t nTrailer = 0;
    for (const Chunk& c : m_chunks) nTrailer += 8 + c.body.size() + (c.body.size() & 1);
    return Header(0, 0, 0).size() - 8 + nData + (nData & 1) + nTrailer;
}

void CWavWriter::Encode(const float* pSamples, size_t nSamples, std::vector<uint8_t>* pOut) const {
    std::vector<uint8_t>& out = *pOut;
    out.reserve(out.size() + nSamples * static_cast<size_t>(BytesPerSample()));
    for (size_t s = 0; s < nSamples; ++s) {
        const float f = pSamples != nullptr ? pSamples[s] : 0.0f;
        switch (m_format) {
        case WavSampleFormat::Float32: {
            uint32_t bits = 0;
            const float g = std::isfinite(f) ? f : 0.0f;
            std::memcpy(&bits, &g, 4);
            Put32(out, bits);
            break;
        }
        case WavSampleFormat::Pcm24: {
            const uint32_t v = static_cast<uint32_t>(ToPcm(f, 8388608.0, 8388607));
            out.push_back(static_cast<uint8_t>(v));
            out.push_back(static_cast<uint8_t>(v >> 8));
            out.push_back(static_cast<uint8_t>(v >> 16));
            break;
        }
        case WavSampleFormat::Pcm16:
            Put16(out, static_cast<uint32_t>(ToPcm(f, 32768.0, 32767)));
            break;
        }
    }
}

bool CWavWriter::Write(const std::string& strPath, const float* pSamples, size_t nFrames,
                       std::string* pstrError) const {
    const uint64_t nSamples = static_cast<uint64_t>(nFrames) * static_cast<uint64_t>(m_nChannels);
    if (nFrames > kMaxRiffBytes || RiffBytes(nSamples) > kMaxRiffBytes)
        return *pstrError = "too long for a WAV file (more than 4 GiB)", false;
    CWavStream stream(*this);
    if (!stream.Open(strPath, pstrError)) return false;
    // In blocks, so that the encoded copy stays small for long renders.
    constexpr size_t kBlock = 16384;
    for (uint64_t i = 0; i < nSamples; i += kBlock)
        if (!stream.Put(pSamples + i,
                        static_cast<size_t>(std::min<uint64_t>(kBlock, nSamples - i))))
            break;
    return stream.Finish(pstrError);
}

#include "apps/hostkit/WavStream.h"
#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kFlushBytes = 1 << 16;
} // namespace

bool CWavStream::Fail(const std::string& strWhy) {
    if (m_strError.empty()) m_strError = strWhy;
    m_file.Discard();
    return false;
}

bool CWavStream::Open(const std::string& strPath, std::string* pstrError) {
    m_strError.clear();
    m_nSamples = 0;
    m_buffer.clear();
    if (m_format.Channels() < 1 || m_format.Channels() > 2 || m_format.Rate() == 0)
        return *pstrError = "unsupported channel count or sample rate", false;
    if (!m_file.Open(strPath)) return *pstrError = m_file.Error(), false;
    // Written again with the real sizes when the stream is finished.
    m_buffer = m_format.Header(0, 0, 0);
    return true;
}

bool CWavStream::Put(const float* pSamples, size_t nFloats) {
    if (!m_strError.empty()) return false;
    if (nFloats > CWavWriter::kMaxRiffBytes ||
        m_format.RiffBytes(m_nSamples + nFloats) > CWavWriter::kMaxRiffBytes)
        return Fail("too long for a WAV file (more than 4 GiB)");
    // Zeros come in slices so that a long silence needs no large buffer.
    constexpr size_t kSlice = 16384;
    for (size_t i = 0; i < nFloats; i += kSlice) {
        const size_t n = std::min(kSlice, nFloats - i);
        m_format.Encode(pSamples != nullptr ? pSamples + i : nullptr, n, &m_buffer);
        if (m_buffer.size() >= kFlushBytes) {
            if (!m_file.Write(m_buffer.data(), m_buffer.size())) return Fail(m_file.Error());
            m_buffer.clear();
        }
    }
    m_nSamples += nFloats;
    return true;
}

bool CWavStream::Finish(std::string* pstrError) {
    const uint64_t nData = m_nSamples * static_cast<uint64_t>(m_format.BytesPerSample());
    if (m_strError.empty()) {
        if (nData & 1) m_buffer.push_back(0);
        for (const CWavWriter::Chunk& c : m_format.Chunks()) {
            m_buffer.insert(m_buffer.end(), c.id, c.id + 4);
            const auto n = static_cast<uint32_t>(c.body.size());
            for (int b = 0; b < 4; ++b) m_buffer.push_back(static_cast<uint8_t>(n >> (8 * b)));
            m_buffer.insert(m_buffer.end(), c.body.begin(), c.body.end());
            if (c.body.size() & 1) m_buffer.push_back(0); // chunks start on even offsets
        }
        const std::vector<uint8_t> header =
            m_format.Header(nData, m_format.RiffBytes(m_nSamples), Frames());
        if (!m_file.Write(m_buffer.data(), m_buffer.size()) ||
            !m_file.WriteAt(0, header.data(), header.size()) || !m_file.Commit())
            Fail(m_file.Error());
    }
    m_buffer.clear();
    if (!m_strError.empty()) return *pstrError = m_strError, false;
    return true;
}

#include "apps/slicer/Fft.h"
#include <cmath>

CFft::CFft(size_t nSize) : m_nSize(nSize), m_twiddle(nSize / 2), m_reverse(nSize), m_work(nSize) {
    const double kPi = 3.14159265358979323846;
    for (size_t k = 0; k < nSize / 2; ++k)
        m_twiddle[k] =
            std::polar(1.0, -2.0 * kPi * static_cast<double>(k) / static_cast<double>(nSize));
    size_t nBits = 0;
    while ((size_t{1} << nBits) < nSize) ++nBits;
    for (size_t i = 0; i < nSize; ++i) {
        size_t r = 0;
        for (size_t b = 0; b < nBits; ++b)
            if (i & (size_t{1} << b)) r |= size_t{1} << (nBits - 1 - b);
        m_reverse[i] = r;
    }
}

void CFft::Magnitudes(const float* pIn, float* pOut) {
    for (size_t i = 0; i < m_nSize; ++i) m_work[m_reverse[i]] = pIn[i];
    for (size_t len = 2; len <= m_nSize; len <<= 1) {
        const size_t half = len / 2;
        const size_t step = m_nSize / len;
        for (size_t i = 0; i < m_nSize; i += len)
            for (size_t j = 0; j < half; ++j) {
                const std::complex<double> t = m_twiddle[j * step] * m_work[i + j + half];
                m_work[i + j + half] = m_work[i + j] - t;
                m_work[i + j] += t;
            }
    }
    for (size_t k = 0; k <= m_nSize / 2; ++k) pOut[k] = static_cast<float>(std::abs(m_work[k]));
}

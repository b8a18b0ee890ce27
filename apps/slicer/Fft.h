// A radix-2 FFT of real frames, giving magnitude spectra: the slicer's
// transient detector runs one per hop. The size is fixed at construction.
#pragma once
#include <complex>
#include <cstddef>
#include <vector>

class CFft {
public:
    // nSize must be a power of two, at least 4.
    explicit CFft(size_t nSize);

    size_t Size() const { return m_nSize; }
    // Magnitudes of bins 0..Size()/2 of pIn (Size() samples) into pOut.
    void Magnitudes(const float* pIn, float* pOut);

private:
    size_t m_nSize;
    std::vector<std::complex<double>> m_twiddle;
    std::vector<size_t> m_reverse;
    std::vector<std::complex<double>> m_work;
};

// Helpers of the kernel tests: deterministic signals, aligned buffers, jobs, and
// the per-frame rule computed independently of the kernels (gains in
// closed form: g_k = g0 + k d0 + e k (k - 1) / 2).
#pragma once
#include "engine/MixKernels.h"
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// Deterministic values in [-1, 1).
inline std::vector<float> TestSignal(std::size_t n, uint32_t seed) {
    std::vector<float> v(n);
    uint32_t x = seed * 2654435761u + 12345u;
    for (float& f : v) {
        x = x * 1664525u + 1013904223u;
        f = static_cast<float>(static_cast<int32_t>(x >> 8) - (1 << 23)) /
            static_cast<float>(1 << 23);
    }
    return v;
}

// n floats starting nOffset floats past a 64-byte boundary.
class AlignedBuffer {
public:
    explicit AlignedBuffer(std::size_t n, std::size_t nOffset = 0) : m_store(n + nOffset + 16) {
        const auto addr = reinterpret_cast<uintptr_t>(m_store.data());
        m_nStart = ((64 - addr % 64) % 64) / sizeof(float) + nOffset;
        m_nSize = n;
    }
    float* data() { return m_store.data() + m_nStart; }
    float& operator[](std::size_t i) { return data()[i]; }
    std::size_t size() const { return m_nSize; }
    void Fill(const std::vector<float>& v) {
        for (std::size_t i = 0; i < m_nSize && i < v.size(); ++i) data()[i] = v[i];
    }

private:
    std::vector<float> m_store;
    std::size_t m_nStart = 0;
    std::size_t m_nSize = 0;
};

// The kernels with a vector path: index, source and destination channels.
struct Shape {
    int nIndex;
    int nSC;
    int nDC;
};
constexpr Shape kShapes[] = {{4, 1, 1}, {6, 1, 2}, {14, 2, 2}};

struct Gains {
    double gL = 1.0, gR = 1.0, dL = 0.0, dR = 0.0, eL = 0.0, eR = 0.0;
};

inline MixJob MakeJob(void* pDst, const void* pSrc, LONG nFrames, const Gains& g) {
    MixJob job;
    job.pDst = pDst;
    job.pSrc = pSrc;
    job.nFrames = nFrames;
    job.dGainL = g.gL;
    job.dGainR = g.gR;
    job.dIncL = g.dL;
    job.dIncR = g.dR;
    job.dInc2L = g.eL;
    job.dInc2R = g.eR;
    return job;
}

inline double GainAt(double g0, double d0, double e, long k, bool bRamp) {
    if (!bRamp) return g0;
    const double kd = static_cast<double>(k);
    return g0 + kd * d0 + e * kd * (kd - 1.0) / 2.0;
}

// Expected destination of a mode-2 job and, per element, the magnitude of the
// terms that went into it (the scale of any float rounding).
struct Expected {
    std::vector<double> value;
    std::vector<double> scale;
    double gL = 0.0, gR = 0.0; // written-back gains
};

inline Expected Rule(const std::vector<double>& src, int nSC, int nDC, bool bOver, bool bRamp,
                     const std::vector<double>& dst0, long nFrames, const Gains& g) {
    Expected x;
    x.value = dst0;
    x.scale.resize(dst0.size());
    for (std::size_t i = 0; i < dst0.size(); ++i) x.scale[i] = std::fabs(dst0[i]);
    auto put = [&](std::size_t i, double term, double mag) {
        if (bOver) {
            x.value[i] = term;
            x.scale[i] = mag;
        } else {
            x.value[i] += term;
            x.scale[i] += mag;
        }
    };
    for (long k = 0; k < nFrames; ++k) {
        const double gl = GainAt(g.gL, g.dL, g.eL, k, bRamp);
        const double gr = GainAt(g.gR, g.dR, g.eR, k, bRamp);
        const std::size_t s = static_cast<std::size_t>(k * nSC),
                          d = static_cast<std::size_t>(k * nDC);
        if (nSC == 1 && nDC == 1) {
            put(d, src[s] * gl, std::fabs(src[s] * gl));
        } else if (nSC == 1) {
            put(d, src[s] * gl, std::fabs(src[s] * gl));
            put(d + 1, src[s] * gr, std::fabs(src[s] * gr));
        } else if (nDC == 1) {
            put(d, src[s] * gl + src[s + 1] * gr,
                std::fabs(src[s] * gl) + std::fabs(src[s + 1] * gr));
        } else {
            put(d, src[s] * gl, std::fabs(src[s] * gl));
            put(d + 1, src[s + 1] * gr, std::fabs(src[s + 1] * gr));
        }
    }
    x.gL = GainAt(g.gL, g.dL, g.eL, nFrames, bRamp);
    x.gR = GainAt(g.gR, g.dR, g.eR, nFrames, bRamp);
    return x;
}

// Tolerance of a float result: a few roundings of its largest term.
inline double FloatTolerance(double scale) { return 4.0 * FLT_EPSILON * scale + 1e-37; }

template <typename T> std::vector<double> ToDouble(const T* p, std::size_t n) {
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<double>(p[i]);
    return v;
}

#include "engine/MixKernelsWide.h"
#include <cstddef>
#include <cstring>
#include <utility>

// The runs are written once over GCC's vector types and compiled once per
// instruction set, inlined into functions with a target attribute, so the rest
// of the engine stays runnable on any x86-64. This file is compiled without
// floating-point contraction: a fused multiply-add rounds once where the
// four-wide runs round twice. No software prefetch: the runs are sequential,
// which the hardware prefetcher follows, and in L1-sized runs the hints only
// cost issue slots.

namespace {

template <int W> struct Wide {
    typedef float V __attribute__((vector_size(W * sizeof(float)), aligned(sizeof(float))));
};

// d[0..W) += s[0..W) (× g unless Unity).
template <int W, bool Unity>
__attribute__((always_inline)) inline void AddVector(float* d, const float* s,
                                                     const typename Wide<W>::V& g) {
    using V = typename Wide<W>::V;
    V sv, dv;
    std::memcpy(&sv, s, sizeof(V));
    std::memcpy(&dv, d, sizeof(V));
    if constexpr (Unity)
        dv += sv;
    else
        dv += sv * g;
    std::memcpy(d, &dv, sizeof(V));
}

// Four vectors a step, then one, then single floats; plain sums when Unity
// (no multiplication by 1).
template <int W, bool Unity>
__attribute__((always_inline)) inline void AddRunBody(float* d, const float* s, long n, float gA,
                                                      float gB) {
    typename Wide<W>::V g;
    for (int k = 0; k < W; ++k) g[k] = (k & 1) == 0 ? gA : gB;
    long i = 0;
    for (; i + 4 * W <= n; i += 4 * W)
        for (int v = 0; v < 4; ++v) AddVector<W, Unity>(d + i + v * W, s + i + v * W, g);
    for (; i + W <= n; i += W) AddVector<W, Unity>(d + i, s + i, g);
    for (; i < n; ++i) {
        if constexpr (Unity)
            d[i] += s[i];
        else
            d[i] += s[i] * ((i & 1) == 0 ? gA : gB);
    }
}

// Each source float is doubled into a frame: the low half of a source vector
// makes the first destination vector, the high half the second.
template <int W, std::size_t... I>
__attribute__((always_inline)) inline void SpreadRunBody(float* d, const float* s, long n, float gL,
                                                         float gR, std::index_sequence<I...>) {
    using V = typename Wide<W>::V;
    V g;
    for (int k = 0; k < W; ++k) g[k] = (k & 1) == 0 ? gL : gR;
    long i = 0;
    for (; i + W <= n; i += W) {
        V v, d0, d1;
        std::memcpy(&v, s + i, sizeof(V));
        std::memcpy(&d0, d + 2 * i, sizeof(V));
        std::memcpy(&d1, d + 2 * i + W, sizeof(V));
        d0 += __builtin_shufflevector(v, v, (I / 2)...) * g;
        d1 += __builtin_shufflevector(v, v, (W / 2 + I / 2)...) * g;
        std::memcpy(d + 2 * i, &d0, sizeof(V));
        std::memcpy(d + 2 * i + W, &d1, sizeof(V));
    }
    for (; i < n; ++i) {
        d[2 * i] += s[i] * gL;
        d[2 * i + 1] += s[i] * gR;
    }
}

} // namespace

__attribute__((target("avx2"))) void AddRunEightWide(float* d, const float* s, long n, bool bUnity,
                                                     float gA, float gB) {
    if (bUnity)
        AddRunBody<8, true>(d, s, n, gA, gB);
    else
        AddRunBody<8, false>(d, s, n, gA, gB);
}
__attribute__((target("avx512f"))) void AddRunSixteenWide(float* d, const float* s, long n,
                                                          bool bUnity, float gA, float gB) {
    if (bUnity)
        AddRunBody<16, true>(d, s, n, gA, gB);
    else
        AddRunBody<16, false>(d, s, n, gA, gB);
}
__attribute__((target("avx2"))) void SpreadRunEightWide(float* d, const float* s, long n, float gL,
                                                        float gR) {
    SpreadRunBody<8>(d, s, n, gL, gR, std::make_index_sequence<8>());
}
__attribute__((target("avx512f"))) void SpreadRunSixteenWide(float* d, const float* s, long n,
                                                             float gL, float gR) {
    SpreadRunBody<16>(d, s, n, gL, gR, std::make_index_sequence<16>());
}

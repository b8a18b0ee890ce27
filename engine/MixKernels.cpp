#include "engine/MixKernels.h"
#include "engine/CpuFeatures.h"
#include "engine/MixKernelsVector.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <emmintrin.h>
#include <immintrin.h>
#include <type_traits>
#include <utility>

namespace {

// Packed little-endian signed 24-bit sample.
struct Int24 {
    uint8_t b[3];
};

template <typename S> inline double ReadSample(const S* p) { return static_cast<double>(*p); }
template <> inline double ReadSample<Int24>(const Int24* p) {
    int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p->b[0]) |
                                     (static_cast<uint32_t>(p->b[1]) << 8) |
                                     (static_cast<uint32_t>(p->b[2]) << 16));
    if (v & 0x800000) v -= 0x1000000;
    return static_cast<double>(v);
}

template <typename D, bool Over> inline void Put(D* d, double v) {
    if constexpr (Over)
        *d = static_cast<D>(v);
    else
        *d = static_cast<D>(*d + v);
}

template <bool Ramp>
inline void Step(double& gL, double& gR, double& dL, double& dR, double eL, double eR) {
    if constexpr (Ramp) {
        gL += dL;
        gR += dR;
        dL += eL;
        dR += eR;
    }
}

// Mixing (mode 2): the per-frame rule for every channel combination.
template <typename S, typename D, int SC, int DC, bool Over, bool Ramp>
void MixFrames(MixJob* job) {
    if (job->nFrames < 1) return;
    const S* s = static_cast<const S*>(job->pSrc);
    D* d = static_cast<D*>(job->pDst);
    double gL = job->dGainL, gR = job->dGainR, dL = job->dIncL, dR = job->dIncR;
    const double eL = job->dInc2L, eR = job->dInc2R;
    for (LONG i = 0; i < job->nFrames; ++i) {
        if constexpr (SC == 1 && DC == 1) {
            Put<D, Over>(d, ReadSample(s) * gL);
        } else if constexpr (SC == 1 && DC == 2) {
            const double v = ReadSample(s);
            Put<D, Over>(d, v * gL);
            Put<D, Over>(d + 1, v * gR);
        } else if constexpr (SC == 2 && DC == 1) {
            Put<D, Over>(d, ReadSample(s) * gL + ReadSample(s + 1) * gR);
        } else {
            Put<D, Over>(d, ReadSample(s) * gL);
            Put<D, Over>(d + 1, ReadSample(s + 1) * gR);
        }
        s += SC;
        d += DC;
        Step<Ramp>(gL, gR, dL, dR, eL, eR);
    }
    job->dGainL = gL;
    job->dGainR = gR;
}

// The crossfade kernel (stereo float into stereo float, ramped): both channels
// in one SSE2 register. Each lane performs exactly the rule's double-precision
// operations in the rule's order, so the floats are the rule's; the loop needs
// half the instructions.
template <> void MixFrames<float, float, 2, 2, false, true>(MixJob* job) {
    if (job->nFrames < 1) return;
    const float* s = static_cast<const float*>(job->pSrc);
    float* d = static_cast<float*>(job->pDst);
    __m128d g = _mm_set_pd(job->dGainR, job->dGainL);
    __m128d inc = _mm_set_pd(job->dIncR, job->dIncL);
    const __m128d inc2 = _mm_set_pd(job->dInc2R, job->dInc2L);
    for (LONG i = 0; i < job->nFrames; ++i, s += 2, d += 2) {
        // One frame is 8 bytes: moved as a 64-bit integer, which may alias the floats.
        const __m128 sf = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)));
        const __m128 df = _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d)));
        const __m128d sum = _mm_add_pd(_mm_cvtps_pd(df), _mm_mul_pd(_mm_cvtps_pd(sf), g));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_castps_si128(_mm_cvtpd_ps(sum)));
        g = _mm_add_pd(g, inc);
        inc = _mm_add_pd(inc, inc2);
    }
    job->dGainL = _mm_cvtsd_f64(g);
    job->dGainR = _mm_cvtsd_f64(_mm_unpackhi_pd(g, g));
}

} // namespace

void MixCrossfadeStereoSse2(MixJob* a, MixJob* b) {
    const LONG n = a->nFrames;
    if (n < 1) return;
    const float* sa = static_cast<const float*>(a->pSrc);
    const float* sb = static_cast<const float*>(b->pSrc);
    float* d = static_cast<float*>(a->pDst);
    __m128d ga = _mm_set_pd(a->dGainR, a->dGainL), gb = _mm_set_pd(b->dGainR, b->dGainL);
    __m128d ia = _mm_set_pd(a->dIncR, a->dIncL), ib = _mm_set_pd(b->dIncR, b->dIncL);
    const __m128d ea = _mm_set_pd(a->dInc2R, a->dInc2L), eb = _mm_set_pd(b->dInc2R, b->dInc2L);
    auto load = [](const float* p) {
        return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
    };
    for (LONG i = 0; i < n; ++i, sa += 2, sb += 2, d += 2) {
        // a's sum is rounded to float before b adds to it, as in two passes.
        const __m128 first = _mm_cvtpd_ps(_mm_add_pd(load(d), _mm_mul_pd(load(sa), ga)));
        const __m128d both = _mm_add_pd(_mm_cvtps_pd(first), _mm_mul_pd(load(sb), gb));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_castps_si128(_mm_cvtpd_ps(both)));
        ga = _mm_add_pd(ga, ia);
        ia = _mm_add_pd(ia, ea);
        gb = _mm_add_pd(gb, ib);
        ib = _mm_add_pd(ib, eb);
    }
    a->dGainL = _mm_cvtsd_f64(ga);
    a->dGainR = _mm_cvtsd_f64(_mm_unpackhi_pd(ga, ga));
    b->dGainL = _mm_cvtsd_f64(gb);
    b->dGainR = _mm_cvtsd_f64(_mm_unpackhi_pd(gb, gb));
}

// Four lanes: a's left and right, b's left and right; one multiply and two
// ramp additions per frame for both jobs. AVX without FMA, so every lane
// rounds as the SSE2 path does.
__attribute__((target("avx"))) void MixCrossfadeStereoAvx(MixJob* a, MixJob* b) {
    const LONG n = a->nFrames;
    if (n < 1) return;
    const float* sa = static_cast<const float*>(a->pSrc);
    const float* sb = static_cast<const float*>(b->pSrc);
    float* d = static_cast<float*>(a->pDst);
    __m256d g = _mm256_set_pd(b->dGainR, b->dGainL, a->dGainR, a->dGainL);
    __m256d inc = _mm256_set_pd(b->dIncR, b->dIncL, a->dIncR, a->dIncL);
    const __m256d e = _mm256_set_pd(b->dInc2R, b->dInc2L, a->dInc2R, a->dInc2L);
    for (LONG i = 0; i < n; ++i, sa += 2, sb += 2, d += 2) {
        const __m128 src =
            _mm_loadh_pi(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(sa))),
                         reinterpret_cast<const __m64*>(sb));
        const __m256d p = _mm256_mul_pd(_mm256_cvtps_pd(src), g);
        const __m128d dst =
            _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d))));
        // a's sum is rounded to float before b adds to it, as in two passes.
        const __m128 first = _mm_cvtpd_ps(_mm_add_pd(dst, _mm256_castpd256_pd128(p)));
        const __m128d both = _mm_add_pd(_mm_cvtps_pd(first), _mm256_extractf128_pd(p, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_castps_si128(_mm_cvtpd_ps(both)));
        g = _mm256_add_pd(g, inc);
        inc = _mm256_add_pd(inc, e);
    }
    alignas(32) double out[4];
    _mm256_store_pd(out, g);
    a->dGainL = out[0];
    a->dGainR = out[1];
    b->dGainL = out[2];
    b->dGainR = out[3];
}

void MixCrossfadeStereo(MixJob* a, MixJob* b) {
    static const bool s_bAvx = GetCpuFeatures().bAVX;
    if (s_bAvx)
        MixCrossfadeStereoAvx(a, b);
    else
        MixCrossfadeStereoSse2(a, b);
}

namespace {

// Single-channel modes: a source channel into one channel of a stereo destination.
template <typename S, typename D, int SC, bool Over, int Channel> void MixIntoChannel(MixJob* job) {
    if (job->nFrames < 1) return;
    const S* s = static_cast<const S*>(job->pSrc);
    D* d = static_cast<D*>(job->pDst) + Channel;
    const double g = Channel == 0 ? job->dGainL : job->dGainR;
    const int sc = SC == 2 ? Channel : 0;
    for (LONG i = 0; i < job->nFrames; ++i, s += SC, d += 2)
        Put<D, Over>(d, ReadSample(s + sc) * g);
}

// Table of 32 (mode 2): (over 16) + (stereo src 8) + (wide src 4) + (stereo dst 2) + (ramp 1).
// Float index 12 (stereo -> mono, no ramp) is the same routine as 13: jobs
// without a ramp carry zero increments.
template <typename Narrow, typename Wide, typename D, std::size_t I>
constexpr MixKernel Mix32Entry() {
    constexpr bool over = I & 16, stSrc = I & 8, wide = I & 4, stDst = I & 2;
    constexpr bool ramp = (I & 1) != 0 || (std::is_same_v<D, float> && I == 12);
    using S = std::conditional_t<wide, Wide, Narrow>;
    return &MixFrames < S, D, stSrc ? 2 : 1, stDst ? 2 : 1, over, ramp > ;
}
template <typename Narrow, typename Wide, typename D, std::size_t... I>
constexpr auto MakeTable32(std::index_sequence<I...>) {
    return std::array<MixKernel, sizeof...(I)>{Mix32Entry<Narrow, Wide, D, I>()...};
}

// Table of 4 for 24-bit sources: (over 2) + (ramp 1); one sample stream.
template <typename D, std::size_t I> constexpr MixKernel Mix24Entry() {
    return &MixFrames<Int24, D, 1, 1, (I & 2) != 0, (I & 1) != 0>;
}
template <typename D, std::size_t... I> constexpr auto MakeTable24(std::index_sequence<I...>) {
    return std::array<MixKernel, sizeof...(I)>{Mix24Entry<D, I>()...};
}

// Table of 16 (other modes): (over 8) + (stereo src 4) + (wide src 2) + (right channel 1).
template <typename Narrow, typename Wide, typename D, std::size_t I>
constexpr MixKernel ChannelEntry() {
    constexpr bool over = I & 8, stSrc = I & 4, wide = I & 2, right = I & 1;
    using S = std::conditional_t<wide, Wide, Narrow>;
    return &MixIntoChannel < S, D, stSrc ? 2 : 1, over, right ? 1 : 0 > ;
}
template <typename Narrow, typename Wide, typename D, std::size_t... I>
constexpr auto MakeTable16(std::index_sequence<I...>) {
    return std::array<MixKernel, sizeof...(I)>{ChannelEntry<Narrow, Wide, D, I>()...};
}

constexpr auto kFloatMix = MakeTable32<int16_t, float, float>(std::make_index_sequence<32>());
constexpr auto kDoubleMix = MakeTable32<int16_t, double, double>(std::make_index_sequence<32>());
constexpr auto kFloatMix24 = MakeTable24<float>(std::make_index_sequence<4>());
constexpr auto kDoubleMix24 = MakeTable24<double>(std::make_index_sequence<4>());
constexpr auto kFloatChannel = MakeTable16<int16_t, float, float>(std::make_index_sequence<16>());
constexpr auto kDoubleChannel =
    MakeTable16<int16_t, double, double>(std::make_index_sequence<16>());

} // namespace

MixKernel ScalarFloatMixKernel(int nIndex) {
    return nIndex >= 0 && nIndex < 32 ? kFloatMix[static_cast<std::size_t>(nIndex)] : nullptr;
}

MixKernel SelectMixKernel(int nSrcBits, int nSrcChannels, int nDstChannels, bool bOverwrite,
                          bool bRamp, int nDstBits, int nMode) {
    const bool dbl = nDstBits == 64;
    const int wideBits = dbl ? 64 : 32;
    const bool stSrc = nSrcChannels == 2, stDst = nDstChannels == 2;
    if (nMode == 2) {
        if (nSrcBits == 24) {
            const std::size_t i = (bOverwrite ? 2 : 0) + (bRamp ? 1 : 0);
            return dbl ? kDoubleMix24[i] : kFloatMix24[i];
        }
        const int i = (bOverwrite ? 16 : 0) + (stSrc ? 8 : 0) + (nSrcBits == wideBits ? 4 : 0) +
                      (stDst ? 2 : 0) + (bRamp ? 1 : 0);
        if (dbl) return kDoubleMix[static_cast<std::size_t>(i)];
        if (MixKernel v = VectorFloatMixKernel(i)) return v;
        return kFloatMix[static_cast<std::size_t>(i)];
    }
    const bool known = nSrcBits == wideBits || nSrcBits == 16;
    if (!known && (!stDst || bRamp)) return nullptr;
    const std::size_t i = (bOverwrite ? 8 : 0) + (stSrc ? 4 : 0) + (nSrcBits == wideBits ? 2 : 0) +
                          (nMode == 1 ? 1 : 0);
    return dbl ? kDoubleChannel[i] : kFloatChannel[i];
}

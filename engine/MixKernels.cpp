#include "engine/MixKernels.h"
#include "engine/MixKernelsVector.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace {

// Packed little-endian signed 24-bit sample.
struct Int24 {
    uint8_t b[3];
};

template <typename S> inline double ReadSample(const S* p) { return static_cast<double>(*p); }
template <> inline double ReadSample<Int24>(const Int24* p) {
    int32_t v = static_cast<int32_t>(static_cast<uint32_t>(p->b[0]) | (static_cast<uint32_t>(p->b[1]) << 8) |
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

template <bool Ramp> inline void Step(double& gL, double& gR, double& dL, double& dR, double eL, double eR) {
    if constexpr (Ramp) {
        gL += dL;
        gR += dR;
        dL += eL;
        dR += eR;
    }
}

// Mixing (mode 2): the per-frame rule for every channel combination.
template <typename S, typename D, int SC, int DC, bool Over, bool Ramp> void MixFrames(MixJob* job) {
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

// Single-channel modes: a source channel into one channel of a stereo destination.
template <typename S, typename D, int SC, bool Over, int Channel> void MixIntoChannel(MixJob* job) {
    if (job->nFrames < 1) return;
    const S* s = static_cast<const S*>(job->pSrc);
    D* d = static_cast<D*>(job->pDst) + Channel;
    const double g = Channel == 0 ? job->dGainL : job->dGainR;
    const int sc = SC == 2 ? Channel : 0;
    for (LONG i = 0; i < job->nFrames; ++i, s += SC, d += 2) Put<D, Over>(d, ReadSample(s + sc) * g);
}

// Table of 32 (mode 2): (over 16) + (stereo src 8) + (wide src 4) + (stereo dst 2) + (ramp 1).
// Float index 12 (stereo -> mono, no ramp) is the same routine as 13: jobs
// without a ramp carry zero increments.
template <typename Narrow, typename Wide, typename D, std::size_t I> constexpr MixKernel Mix32Entry() {
    constexpr bool over = I & 16, stSrc = I & 8, wide = I & 4, stDst = I & 2;
    constexpr bool ramp = (I & 1) != 0 || (std::is_same_v<D, float> && I == 12);
    using S = std::conditional_t<wide, Wide, Narrow>;
    return &MixFrames<S, D, stSrc ? 2 : 1, stDst ? 2 : 1, over, ramp>;
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
template <typename Narrow, typename Wide, typename D, std::size_t I> constexpr MixKernel ChannelEntry() {
    constexpr bool over = I & 8, stSrc = I & 4, wide = I & 2, right = I & 1;
    using S = std::conditional_t<wide, Wide, Narrow>;
    return &MixIntoChannel<S, D, stSrc ? 2 : 1, over, right ? 1 : 0>;
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
constexpr auto kDoubleChannel = MakeTable16<int16_t, double, double>(std::make_index_sequence<16>());

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
    const std::size_t i = (bOverwrite ? 8 : 0) + (stSrc ? 4 : 0) + (nSrcBits == wideBits ? 2 : 0) + (nMode == 1 ? 1 : 0);
    return dbl ? kDoubleChannel[i] : kFloatChannel[i];
}

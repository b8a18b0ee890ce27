// The scalar kernel family and the selector, checked against the
// per-frame rule computed in MixTestData.h.
#include "engine/MixKernels.h"
#include "MixTestData.h"
#include "engine/MixKernelsVector.h"
#include "support/AllocCounter.h"
#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr int kOver = 16, kStSrc = 8, kWide = 4, kStDst = 2, kRamp = 1;

MixKernel SelectByIndex(int i, int nDstBits = 0, int nNarrowBits = 16) {
    const int wide = nDstBits == 64 ? 64 : 32;
    return SelectMixKernel((i & kWide) ? wide : nNarrowBits, (i & kStSrc) ? 2 : 1,
                           (i & kStDst) ? 2 : 1, (i & kOver) != 0, (i & kRamp) != 0, nDstBits, 2);
}

MixKernel ExpectedFloatKernel(int i) {
    if (MixKernel v = VectorFloatMixKernel(i)) return v;
    return ScalarFloatMixKernel(i);
}

// Runs float-table kernel i over a float source and checks it against the rule.
void CheckFloatKernel(MixKernel k, int i, long n, const Gains& g, uint32_t seed) {
    const int sc = (i & kStSrc) ? 2 : 1, dc = (i & kStDst) ? 2 : 1;
    const bool over = i & kOver, ramp = i & kRamp;
    AlignedBuffer src(static_cast<std::size_t>(n * sc)), dst(static_cast<std::size_t>(n * dc + 4));
    src.Fill(TestSignal(src.size(), seed));
    dst.Fill(TestSignal(dst.size(), seed + 1));
    const auto s = ToDouble(src.data(), src.size());
    const auto d0 = ToDouble(dst.data(), dst.size());
    const Expected x = Rule(s, sc, dc, over, ramp, d0, n, g);
    MixJob job = MakeJob(dst.data(), src.data(), static_cast<LONG>(n), g);
    k(&job);
    for (std::size_t e = 0; e < dst.size(); ++e)
        ASSERT_NEAR(dst[e], x.value[e], FloatTolerance(x.scale[e]))
            << "index " << i << " element " << e;
    EXPECT_NEAR(job.dGainL, x.gL, 1e-12) << "index " << i;
    EXPECT_NEAR(job.dGainR, x.gR, 1e-12) << "index " << i;
}

TEST(MixKernelSelector, FloatTableIndices) {
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(SelectByIndex(i), ExpectedFloatKernel(i)) << i;
        EXPECT_NE(ScalarFloatMixKernel(i), nullptr) << i;
        // Any width other than 32 reads as 16-bit; any destination width but 64 is float.
        EXPECT_EQ(SelectByIndex(i, 0, 8), SelectByIndex(i)) << i;
        EXPECT_EQ(SelectByIndex(i, 0, 20), SelectByIndex(i)) << i;
        EXPECT_EQ(SelectByIndex(i, 32), SelectByIndex(i)) << i;
        EXPECT_EQ(SelectByIndex(i, 16), SelectByIndex(i)) << i;
    }
    EXPECT_EQ(ScalarFloatMixKernel(-1), nullptr);
    EXPECT_EQ(ScalarFloatMixKernel(32), nullptr);
}

TEST(MixKernelSelector, EngineKernels) {
    EXPECT_EQ(SelectFloatMixKernel(1, 1, false), ExpectedFloatKernel(4));
    EXPECT_EQ(SelectFloatMixKernel(1, 1, true), ScalarFloatMixKernel(5));
    EXPECT_EQ(SelectFloatMixKernel(1, 2, false), ExpectedFloatKernel(6));
    EXPECT_EQ(SelectFloatMixKernel(1, 2, true), ScalarFloatMixKernel(7));
    EXPECT_EQ(SelectFloatMixKernel(2, 1, false), ScalarFloatMixKernel(12));
    EXPECT_EQ(SelectFloatMixKernel(2, 1, true), ScalarFloatMixKernel(13));
    EXPECT_EQ(SelectFloatMixKernel(2, 2, false), ExpectedFloatKernel(14));
    EXPECT_EQ(SelectFloatMixKernel(2, 2, true), ScalarFloatMixKernel(15));
    // Index 12 is the same routine as 13.
    EXPECT_EQ(ScalarFloatMixKernel(12), ScalarFloatMixKernel(13));
    std::set<MixKernel> distinct;
    for (int i : {4, 5, 6, 7, 13, 14, 15}) distinct.insert(SelectByIndex(i));
    EXPECT_EQ(distinct.size(), 7u);
}

TEST(MixKernelSelector, DoubleDestinationTables) {
    std::set<MixKernel> all;
    for (int i = 0; i < 32; ++i) {
        MixKernel k = SelectByIndex(i, 64);
        ASSERT_NE(k, nullptr) << i;
        all.insert(k);
        // A 32-bit source is not the wide one for a double destination.
        if (!(i & kWide)) {
            EXPECT_EQ(SelectByIndex(i, 64, 32), k) << i;
        }
        EXPECT_NE(k, SelectByIndex(i)) << i;
    }
    EXPECT_EQ(all.size(), 32u);
}

TEST(MixKernelSelector, TwentyFourBitIgnoresChannelCounts) {
    std::set<MixKernel> all;
    for (int dstBits : {0, 64})
        for (bool over : {false, true})
            for (bool ramp : {false, true}) {
                MixKernel k = SelectMixKernel(24, 1, 1, over, ramp, dstBits, 2);
                ASSERT_NE(k, nullptr);
                EXPECT_EQ(SelectMixKernel(24, 2, 1, over, ramp, dstBits, 2), k);
                EXPECT_EQ(SelectMixKernel(24, 1, 2, over, ramp, dstBits, 2), k);
                EXPECT_EQ(SelectMixKernel(24, 2, 2, over, ramp, dstBits, 2), k);
                EXPECT_EQ(SelectMixKernel(24, 0, 7, over, ramp, dstBits, 2), k);
                all.insert(k);
            }
    EXPECT_EQ(all.size(), 8u);
}

TEST(MixKernelSelector, SingleChannelModesAndNullCases) {
    for (int dstBits : {0, 64}) {
        const int wide = dstBits == 64 ? 64 : 32;
        for (int mode : {0, 1, 3, -1}) {
            for (int bits : {24, 8, 0}) {
                EXPECT_EQ(SelectMixKernel(bits, 1, 1, false, false, dstBits, mode), nullptr);
                EXPECT_EQ(SelectMixKernel(bits, 2, 1, true, false, dstBits, mode), nullptr);
                EXPECT_EQ(SelectMixKernel(bits, 1, 2, false, true, dstBits, mode), nullptr);
                // Stereo destination without ramp: read as 16-bit.
                EXPECT_NE(SelectMixKernel(bits, 1, 2, false, false, dstBits, mode), nullptr);
                EXPECT_EQ(SelectMixKernel(bits, 2, 2, true, false, dstBits, mode),
                          SelectMixKernel(16, 2, 2, true, false, dstBits, mode));
            }
            for (int bits : {16, wide}) {
                EXPECT_NE(SelectMixKernel(bits, 1, 1, false, false, dstBits, mode), nullptr);
                // The table of 16 has no ramp bit.
                EXPECT_EQ(SelectMixKernel(bits, 1, 2, false, true, dstBits, mode),
                          SelectMixKernel(bits, 1, 2, false, false, dstBits, mode));
            }
        }
        std::set<MixKernel> all;
        for (int i = 0; i < 16; ++i) {
            const int bits = (i & 2) ? wide : 16;
            MixKernel k = SelectMixKernel(bits, (i & 4) ? 2 : 1, 2, (i & 8) != 0, false, dstBits,
                                          (i & 1) ? 1 : 0);
            ASSERT_NE(k, nullptr);
            all.insert(k);
            EXPECT_EQ(k, SelectMixKernel(bits, (i & 4) ? 2 : 1, 2, (i & 8) != 0, false, dstBits,
                                         (i & 1) ? 1 : 5));
        }
        EXPECT_EQ(all.size(), 16u);
    }
}

TEST(MixKernels, CountBelowOneChangesNothing) {
    std::vector<MixKernel> kernels;
    for (int i = 0; i < 32; ++i) {
        kernels.push_back(SelectByIndex(i));
        kernels.push_back(SelectByIndex(i, 64));
        kernels.push_back(ScalarFloatMixKernel(i));
    }
    for (bool over : {false, true})
        for (bool ramp : {false, true})
            kernels.push_back(SelectMixKernel(24, 2, 2, over, ramp, 0, 2));
    for (int mode : {0, 1}) kernels.push_back(SelectMixKernel(32, 2, 2, true, false, 0, mode));
    AlignedBuffer src(64), dst(64);
    src.Fill(TestSignal(64, 7));
    for (MixKernel k : kernels) {
        for (LONG n : {0, -1, -1000}) {
            dst.Fill(TestSignal(64, 8));
            const std::vector<float> before(dst.data(), dst.data() + 64);
            MixJob job =
                MakeJob(dst.data(), src.data(), n, Gains{0.3, 0.7, 0.01, -0.02, 0.001, 0.002});
            k(&job);
            EXPECT_EQ(std::memcmp(before.data(), dst.data(), 64 * sizeof(float)), 0);
            EXPECT_EQ(job.dGainL, 0.3);
            EXPECT_EQ(job.dGainR, 0.7);
            EXPECT_EQ(job.dIncL, 0.01);
            EXPECT_EQ(job.dInc2R, 0.002);
        }
    }
}

TEST(MixKernels, RampFromZeroByOneOverNEndsAtOne) {
    for (int i : {5, 7, 13, 15}) {
        for (LONG n : {1, 7, 10, 64, 100, 441, 1000}) {
            const int sc = (i & kStSrc) ? 2 : 1, dc = (i & kStDst) ? 2 : 1;
            std::vector<float> src(static_cast<std::size_t>(n * sc), 1.0f),
                dst(static_cast<std::size_t>(n * dc), 0.0f);
            MixJob job = MakeJob(dst.data(), src.data(), n, Gains{0.0, 0.0, 1.0 / n, 1.0 / n});
            SelectByIndex(i)(&job);
            EXPECT_NEAR(job.dGainL, 1.0, 1e-12) << i << " " << n;
            EXPECT_NEAR(job.dGainR, 1.0, 1e-12) << i << " " << n;
            if (n == 64) {
                EXPECT_EQ(job.dGainL, 1.0);
            }
            // The first frame has gain 0, the last (n - 1) / n.
            const float perFrame = sc == 2 && dc == 1 ? 2.0f : 1.0f;
            EXPECT_EQ(dst[0], 0.0f);
            EXPECT_FLOAT_EQ(dst.back(),
                            perFrame * static_cast<float>(n - 1) / static_cast<float>(n));
        }
    }
}

TEST(MixKernels, StereoToMonoHalfGainsAverage) {
    for (bool ramp : {false, true}) {
        const std::vector<float> src{1.0f, 3.0f, -2.0f, 4.0f, 0.5f, 0.25f};
        std::vector<float> dst(3, 0.0f);
        MixJob job = MakeJob(dst.data(), src.data(), 3, Gains{0.5, 0.5});
        SelectFloatMixKernel(2, 1, ramp)(&job);
        EXPECT_EQ(dst, (std::vector<float>{2.0f, 1.0f, 0.375f}));
        EXPECT_EQ(job.dGainL, 0.5);
        EXPECT_EQ(job.dGainR, 0.5);
    }
}

TEST(MixKernels, EveryEngineFloatKernelFollowsTheRule) {
    const Gains flat{0.8, -0.35};
    const Gains ramp{0.25, 0.9, 0.01, -0.015, -0.0002, 0.0003};
    for (int i : {4, 5, 6, 7, 12, 13, 14, 15}) {
        MixKernel k = SelectFloatMixKernel((i & kStSrc) ? 2 : 1, (i & kStDst) ? 2 : 1, i & kRamp);
        for (long n : {1L, 2L, 3L, 5L, 37L, 256L}) {
            CheckFloatKernel(k, i, n, (i & kRamp) ? ramp : flat,
                             static_cast<uint32_t>(i * 100 + n));
            CheckFloatKernel(k, i, n, Gains{1.0, 1.0}, static_cast<uint32_t>(i * 7 + n));
        }
    }
    // Index 12 runs the ramp routine: increments act even without the ramp flag.
    CheckFloatKernel(SelectFloatMixKernel(2, 1, false), 13, 37, ramp, 99);
}

TEST(MixKernels, OverwriteAndTheWholeFloatTable) {
    const Gains ramp{-0.5, 0.75, 0.02, -0.01, 0.0005, -0.0001};
    for (int i = 0; i < 32; ++i) {
        if (!(i & kWide)) continue; // float sources; 16-bit ones below
        CheckFloatKernel(ScalarFloatMixKernel(i), i, 29, (i & kRamp) ? ramp : Gains{0.6, -1.25},
                         5u + i);
        CheckFloatKernel(SelectByIndex(i), i, 29, (i & kRamp) ? ramp : Gains{0.6, -1.25}, 9u + i);
    }
}

TEST(MixKernels, SecondOrderRampIsParabolic) {
    // g0 = 0, d0 = a, e = 2a gives g_k = a k^2; a second side falls as 1 - a k (k - 1).
    constexpr double a = 1.0 / 256.0;
    constexpr LONG n = 16;
    std::vector<float> src(2 * n, 1.0f), dst(2 * n, 0.0f);
    MixJob job = MakeJob(dst.data(), src.data(), n, Gains{0.0, 1.0, a, 0.0, 2 * a, -2 * a});
    SelectFloatMixKernel(2, 2, true)(&job);
    for (LONG k = 0; k < n; ++k) {
        EXPECT_EQ(dst[2 * k], static_cast<float>(a * k * k)) << k;
        EXPECT_EQ(dst[2 * k + 1], static_cast<float>(1.0 - a * k * (k - 1))) << k;
    }
    EXPECT_EQ(job.dGainL, a * n * n);
    EXPECT_EQ(job.dGainR, 1.0 - a * n * (n - 1));
    EXPECT_EQ(job.dIncL, a); // the increments are not written back
    std::vector<float> mono(n, 0.0f);
    job = MakeJob(mono.data(), src.data(), n, Gains{0.0, 0.0, a, 0.0, 2 * a, 0.0});
    SelectFloatMixKernel(1, 1, true)(&job);
    for (LONG k = 0; k < n; ++k)
        EXPECT_EQ(mono[static_cast<std::size_t>(k)], static_cast<float>(a * k * k));
}

TEST(MixKernels, DoubleDestinationsUseDoublePrecision) {
    // 64-bit sources into double destinations, every channel shape, accumulate and overwrite.
    const Gains ramp{0.3, -0.6, 1.0 / 3.0, 0.1, -1e-3, 2e-3};
    for (int i = 0; i < 32; ++i) {
        if (!(i & kWide)) continue;
        const int sc = (i & kStSrc) ? 2 : 1, dc = (i & kStDst) ? 2 : 1;
        const long n = 19;
        std::vector<double> src(static_cast<std::size_t>(n * sc)),
            dst(static_cast<std::size_t>(n * dc + 2));
        for (std::size_t e = 0; e < src.size(); ++e) src[e] = 1.0 / (3.0 + e) - 0.1;
        for (std::size_t e = 0; e < dst.size(); ++e) dst[e] = 0.7 / (1.0 + e);
        const Gains g = (i & kRamp) ? ramp : Gains{1.0 / 7.0, 0.3};
        const Expected x = Rule(src, sc, dc, i & kOver, i & kRamp, dst, n, g);
        MixJob job = MakeJob(dst.data(), src.data(), static_cast<LONG>(n), g);
        SelectByIndex(i, 64)(&job);
        for (std::size_t e = 0; e < dst.size(); ++e)
            EXPECT_NEAR(dst[e], x.value[e], 1e-14 * (1.0 + x.scale[e])) << i << " " << e;
        // Finer than a float could hold.
        if (!(i & kRamp) && sc == 1 && dc == 1 && (i & kOver)) {
            EXPECT_EQ(dst[0], src[0] * (1.0 / 7.0));
        }
        EXPECT_NEAR(job.dGainL, x.gL, 1e-12);
    }
}

TEST(MixKernels, SixteenBitSourcesAreSignedAndUnscaled) {
    const std::vector<int16_t> src{-32768, -1, 0, 1, 32767, 12345};
    std::vector<float> dst(6, 0.0f);
    MixJob job = MakeJob(dst.data(), src.data(), 6, Gains{1.0, 1.0});
    SelectMixKernel(16, 1, 1, false, false, 0, 2)(&job);
    EXPECT_EQ(dst, (std::vector<float>{-32768.0f, -1.0f, 0.0f, 1.0f, 32767.0f, 12345.0f}));
    // Stereo 16-bit into a double destination, the gain carrying the scale.
    std::vector<double> dd(6, 1.0);
    job = MakeJob(dd.data(), src.data(), 3, Gains{1.0 / 32768.0, 2.0});
    SelectMixKernel(16, 2, 2, false, false, 64, 2)(&job);
    EXPECT_EQ(dd, (std::vector<double>{0.0, -1.0, 1.0, 3.0, 1.0 + 32767.0 / 32768.0, 24691.0}));
    // Ramped 16-bit stereo -> mono overwrite into float.
    std::vector<float> m(3, 99.0f);
    job = MakeJob(m.data(), src.data(), 3, Gains{1.0, 0.0, 1.0, 1.0});
    SelectMixKernel(16, 2, 1, true, true, 0, 2)(&job);
    EXPECT_EQ(m, (std::vector<float>{-32768.0f, 1.0f, 32767.0f * 3.0f + 12345.0f * 2.0f}));
    EXPECT_EQ(job.dGainL, 4.0);
}

TEST(MixKernels, TwentyFourBitSourcesAreSignedLittleEndianTriples) {
    const std::vector<uint8_t> src{0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0xFF,
                                   0x01, 0x00, 0x00, 0x56, 0x34, 0x12, 0xAA, 0xCB, 0xED};
    const std::vector<double> values{8388607.0, -8388608.0, -1.0, 1.0, 1193046.0, -1193046.0};
    for (int dstBits : {0, 64}) {
        for (auto [sc, dc] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{1, 2}}) {
            // One sample stream whatever the channel counts: 6 samples, 6 destination values.
            std::vector<double> dd(8, 0.5);
            std::vector<float> df(8, 0.5f);
            void* dst =
                dstBits == 64 ? static_cast<void*>(dd.data()) : static_cast<void*>(df.data());
            MixJob job = MakeJob(dst, src.data(), 6, Gains{1.0 / 8388608.0, 5.0});
            SelectMixKernel(24, sc, dc, false, false, dstBits, 2)(&job);
            for (std::size_t e = 0; e < 8; ++e) {
                const double want = e < 6 ? 0.5 + values[e] / 8388608.0 : 0.5;
                if (dstBits == 64)
                    EXPECT_EQ(dd[e], want) << e;
                else
                    EXPECT_EQ(df[e], static_cast<float>(want)) << e;
            }
        }
    }
    // Unscaled, overwrite, ramped: gain 1, 2, 3, ...
    std::vector<float> df(6, -7.0f);
    MixJob job = MakeJob(df.data(), src.data(), 6, Gains{1.0, 0.0, 1.0, 0.0});
    SelectMixKernel(24, 2, 2, true, true, 0, 2)(&job);
    for (std::size_t e = 0; e < 6; ++e)
        EXPECT_EQ(df[e], static_cast<float>(values[e] * (e + 1.0))) << e;
    EXPECT_EQ(job.dGainL, 7.0);
}

TEST(MixKernels, SingleChannelModesWriteOneChannel) {
    const std::vector<float> mono{0.5f, -0.25f, 1.0f};
    const std::vector<float> stereo{0.5f, 2.0f, -0.25f, 4.0f, 1.0f, 8.0f};
    for (int mode : {0, 1}) {
        for (int sc : {1, 2}) {
            for (bool over : {false, true}) {
                std::vector<float> dst{10, 20, 30, 40, 50, 60};
                const auto& src = sc == 1 ? mono : stereo;
                MixJob job = MakeJob(dst.data(), src.data(), 3, Gains{2.0, 3.0});
                SelectMixKernel(32, sc, 2, over, false, 0, mode)(&job);
                const int ch = mode == 1 ? 1 : 0;
                const double g = ch == 1 ? 3.0 : 2.0;
                for (int k = 0; k < 3; ++k) {
                    const float base = static_cast<float>(10 * (2 * k + 1 + ch));
                    const float s = src[static_cast<std::size_t>(k * sc + (sc == 2 ? ch : 0))];
                    EXPECT_EQ(dst[2 * k + ch], static_cast<float>((over ? 0.0 : base) + s * g));
                    EXPECT_EQ(dst[2 * k + 1 - ch], static_cast<float>(10 * (2 * k + 2 - ch)));
                }
                EXPECT_EQ(job.dGainL, 2.0);
                EXPECT_EQ(job.dGainR, 3.0);
            }
        }
    }
    // 16-bit mono into the right channel of a double destination.
    const std::vector<int16_t> s16{-32768, 16384};
    std::vector<double> dd{1, 1, 1, 1};
    MixJob job = MakeJob(dd.data(), s16.data(), 2, Gains{0.0, 1.0 / 32768.0});
    SelectMixKernel(16, 1, 2, false, false, 64, 1)(&job);
    EXPECT_EQ(dd, (std::vector<double>{1.0, 0.0, 1.0, 1.5}));
    // 64-bit stereo overwrite into the left channel.
    const std::vector<double> s64{0.25, 9.0, -0.5, 9.0};
    job = MakeJob(dd.data(), s64.data(), 2, Gains{4.0, 0.0});
    SelectMixKernel(64, 2, 2, true, false, 64, 0)(&job);
    EXPECT_EQ(dd, (std::vector<double>{1.0, 0.0, -2.0, 1.5}));
}

TEST(MixKernels, KernelsAllocateNothing) {
    AlignedBuffer src(512), dst(512);
    src.Fill(TestSignal(512, 3));
    std::vector<MixKernel> kernels;
    for (int i = 0; i < 32; ++i) {
        kernels.push_back(SelectByIndex(i));
        kernels.push_back(SelectByIndex(i, 64));
    }
    for (int mode : {0, 1})
        for (int i = 0; i < 8; ++i)
            kernels.push_back(
                SelectMixKernel((i & 1) ? 32 : 16, (i & 2) ? 2 : 1, 2, i & 4, false, 0, mode));
    for (bool over : {false, true}) kernels.push_back(SelectMixKernel(24, 1, 1, over, true, 64, 2));
    ScopedAllocCount count;
    for (MixKernel k : kernels) {
        MixJob job = MakeJob(dst.data(), src.data(), 64, Gains{0.5, 0.25, 1e-3, 1e-3, 0.0, 0.0});
        k(&job);
    }
    for (int i : {4, 6, 14}) {
        MixJob job = MakeJob(dst.data(), src.data(), 100, Gains{0.5, 0.25});
        SelectByIndex(i)(&job);
        job = MakeJob(dst.data() + 1, src.data(), 100, Gains{0.5, 0.25});
        SelectByIndex(i)(&job);
    }
    EXPECT_EQ(count.Stop(), 0u);
}

} // namespace

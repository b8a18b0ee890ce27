// The SSE path of kernels 4, 6 and 14: equal to the scalar rule within float
// rounding on aligned runs, the scalar rule itself on unaligned ones.
#include "engine/MixKernelsVector.h"
#include "MixTestData.h"
#include "engine/CpuFeatures.h"
#include <cstring>
#include <gtest/gtest.h>
#include <xmmintrin.h>

namespace {

const Gains kGainSets[] = {{1.0, 1.0}, {0.5, 0.25}, {0.1, -0.7}, {1.0, 0.3}, {0.0, 1.0}};

// The vector kernels leave flush-to-zero set; keep it from leaking into other tests.
class MixKernelsVector : public ::testing::Test {
protected:
    void SetUp() override {
        m_nCsr = _mm_getcsr();
        if (!GetCpuFeatures().bSSE) GTEST_SKIP() << "no SSE";
    }
    void TearDown() override { _mm_setcsr(m_nCsr); }
    unsigned m_nCsr = 0;
};

// Runs kernel k on copies of the same data; returns the destination.
std::vector<float> RunCopy(MixKernel k, const Shape& sh, long n, const Gains& g,
                           std::size_t nDstOffset, std::size_t nSrcOffset,
                           MixJob* pJobOut = nullptr) {
    AlignedBuffer src(static_cast<std::size_t>(n * sh.nSC) + 1, nSrcOffset);
    AlignedBuffer dst(static_cast<std::size_t>(n * sh.nDC) + 8, nDstOffset);
    src.Fill(TestSignal(src.size(), static_cast<uint32_t>(n * 31 + sh.nIndex)));
    dst.Fill(TestSignal(dst.size(), static_cast<uint32_t>(n * 17 + 5)));
    MixJob job = MakeJob(dst.data(), src.data(), static_cast<LONG>(n), g);
    k(&job);
    if (pJobOut) *pJobOut = job;
    return std::vector<float>(dst.data(), dst.data() + dst.size());
}

TEST_F(MixKernelsVector, PresentForFourSixAndFourteenOnly) {
    for (const Shape& sh : kShapes) {
        MixKernel v = VectorFloatMixKernel(sh.nIndex);
        ASSERT_NE(v, nullptr);
        EXPECT_NE(v, ScalarFloatMixKernel(sh.nIndex));
        EXPECT_EQ(SelectFloatMixKernel(sh.nSC, sh.nDC, false), v);
    }
    for (int i = -1; i <= 32; ++i) {
        if (i != 4 && i != 6 && i != 14) {
            EXPECT_EQ(VectorFloatMixKernel(i), nullptr) << i;
        }
    }
}

TEST_F(MixKernelsVector, AlignedRunsMatchTheScalarRule) {
    for (const Shape& sh : kShapes) {
        for (long n = 0; n <= 37; ++n) {
            for (const Gains& g : kGainSets) {
                const Gains withStrayIncrements{g.gL, g.gR, 0.5, 0.5, 0.1, 0.1};
                for (const Gains& gg : {g, withStrayIncrements}) {
                    MixJob vj, sj;
                    const auto v = RunCopy(VectorFloatMixKernel(sh.nIndex), sh, n, gg, 0, 0, &vj);
                    const auto s = RunCopy(ScalarFloatMixKernel(sh.nIndex), sh, n, gg, 0, 0, &sj);
                    // The same data through the independent rule gives the scale of rounding.
                    AlignedBuffer src(static_cast<std::size_t>(n * sh.nSC) + 1);
                    src.Fill(TestSignal(src.size(), static_cast<uint32_t>(n * 31 + sh.nIndex)));
                    const auto d0 = TestSignal(v.size(), static_cast<uint32_t>(n * 17 + 5));
                    const Expected x = Rule(ToDouble(src.data(), src.size()), sh.nSC, sh.nDC, false,
                                            false, ToDouble(d0.data(), d0.size()), n, gg);
                    for (std::size_t e = 0; e < v.size(); ++e) {
                        ASSERT_NEAR(v[e], s[e], FloatTolerance(x.scale[e]))
                            << sh.nIndex << " n=" << n << " e=" << e << " g=" << gg.gL;
                        ASSERT_NEAR(v[e], x.value[e], FloatTolerance(x.scale[e]));
                        // Unit gains: float addition is the exact sum rounded once.
                        if (gg.gL == 1.0 && gg.gR == 1.0) {
                            ASSERT_EQ(v[e], s[e]);
                        }
                    }
                    EXPECT_EQ(vj.dGainL, gg.gL); // no ramp: gains written back unchanged
                    EXPECT_EQ(vj.dGainR, gg.gR);
                }
            }
        }
    }
}

TEST_F(MixKernelsVector, LongAlignedRunsMatchTheScalarRule) {
    for (const Shape& sh : kShapes)
        for (long n : {64L, 1000L, 4099L}) {
            const auto v = RunCopy(VectorFloatMixKernel(sh.nIndex), sh, n, Gains{0.3, -0.45}, 0, 0);
            const auto s = RunCopy(ScalarFloatMixKernel(sh.nIndex), sh, n, Gains{0.3, -0.45}, 0, 0);
            for (std::size_t e = 0; e < v.size(); ++e)
                ASSERT_NEAR(v[e], s[e], 4 * FLT_EPSILON * 2) << e;
        }
}

TEST_F(MixKernelsVector, UnalignedPointersTakeTheScalarRule) {
    const Gains g{0.1, -0.7};
    for (const Shape& sh : kShapes) {
        MixKernel v = VectorFloatMixKernel(sh.nIndex), s = ScalarFloatMixKernel(sh.nIndex);
        // The data tell the two paths apart: aligned, the single-precision path differs.
        const auto va = RunCopy(v, sh, 37, g, 0, 0), sa = RunCopy(s, sh, 37, g, 0, 0);
        ASSERT_NE(std::memcmp(va.data(), sa.data(), va.size() * sizeof(float)), 0) << sh.nIndex;
        for (auto [dOff, sOff] :
             {std::pair<std::size_t, std::size_t>{1, 0}, {0, 1}, {1, 1}, {2, 2}, {3, 1}}) {
            for (long n : {1L, 4L, 8L, 37L}) {
                const auto vu = RunCopy(v, sh, n, g, dOff, sOff),
                           su = RunCopy(s, sh, n, g, dOff, sOff);
                EXPECT_EQ(std::memcmp(vu.data(), su.data(), vu.size() * sizeof(float)), 0)
                    << sh.nIndex << " offsets " << dOff << "," << sOff << " n=" << n;
            }
        }
    }
}

TEST_F(MixKernelsVector, AlignedPathSetsFlushToZero) {
    for (const Shape& sh : kShapes) {
        _mm_setcsr(_mm_getcsr() & ~_MM_FLUSH_ZERO_ON);
        AlignedBuffer src(16), dst(32), odd(33, 1);
        for (std::size_t i = 0; i < 16; ++i) src[i] = 1e-30f;
        MixJob job = MakeJob(dst.data(), src.data(), 0, Gains{1e-10, 1e-10});
        VectorFloatMixKernel(sh.nIndex)(&job);
        EXPECT_EQ(_MM_GET_FLUSH_ZERO_MODE(), 0u) << "count 0 changes nothing";
        job = MakeJob(odd.data(), src.data(), 4, Gains{1e-10, 1e-10});
        VectorFloatMixKernel(sh.nIndex)(&job);
        EXPECT_EQ(_MM_GET_FLUSH_ZERO_MODE(), 0u) << "unaligned: scalar rule";
        for (std::size_t i = 0; i < 32; ++i) dst[i] = 0.0f;
        job = MakeJob(dst.data(), src.data(), 4, Gains{1e-10, 1e-10});
        VectorFloatMixKernel(sh.nIndex)(&job);
        EXPECT_EQ(_MM_GET_FLUSH_ZERO_MODE(), static_cast<unsigned>(_MM_FLUSH_ZERO_ON));
        // 1e-40 is denormal in single precision: flushed.
        for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(dst[i], 0.0f) << i;
    }
}

} // namespace

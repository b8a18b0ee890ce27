// The eight- and sixteen-wide paths of kernels 4, 6 and 14: the widest the
// processor has is chosen, and each is bit-identical to the four-wide path on
// every length, gain and alignment, so that what the engine renders does not
// depend on the processor.
#include "MixTestData.h"
#include "engine/CpuFeatures.h"
#include "engine/MixKernelsVector.h"
#include <cstring>
#include <gtest/gtest.h>
#include <vector>
#include <xmmintrin.h>

namespace {

struct Width {
    const char* pszName;
    MixKernel (*pfnKernel)(int);
};
// The wide paths this processor can run.
std::vector<Width> WidePaths() {
    std::vector<Width> w;
    if (GetCpuFeatures().bAVX2) w.push_back({"eight-wide", &EightWideFloatMixKernel});
    if (GetCpuFeatures().bAVX512F) w.push_back({"sixteen-wide", &SixteenWideFloatMixKernel});
    return w;
}

class MixKernelsWide : public ::testing::Test {
protected:
    void SetUp() override { m_nCsr = _mm_getcsr(); }
    void TearDown() override { _mm_setcsr(m_nCsr); }
    unsigned m_nCsr = 0;
};

// Runs kernel k over a copy of one fixed data set; returns the destination and the job.
std::vector<float> RunOnCopy(MixKernel k, const Shape& sh, long n, const Gains& g,
                             std::size_t nDstOffset, std::size_t nSrcOffset, MixJob* pJob) {
    AlignedBuffer src(static_cast<std::size_t>(n * sh.nSC) + 1, nSrcOffset);
    AlignedBuffer dst(static_cast<std::size_t>(n * sh.nDC) + 8, nDstOffset);
    src.Fill(TestSignal(src.size(), static_cast<uint32_t>(n * 13 + sh.nIndex)));
    dst.Fill(TestSignal(dst.size(), static_cast<uint32_t>(n * 7 + 3)));
    *pJob = MakeJob(dst.data(), src.data(), static_cast<LONG>(n), g);
    k(pJob);
    return std::vector<float>(dst.data(), dst.data() + dst.size());
}

TEST_F(MixKernelsWide, TheWidestPathThisProcessorHasIsSelected) {
    const CpuFeatures& f = GetCpuFeatures();
    for (const Shape& sh : kShapes) {
        MixKernel four = FourWideFloatMixKernel(sh.nIndex),
                  eight = EightWideFloatMixKernel(sh.nIndex),
                  sixteen = SixteenWideFloatMixKernel(sh.nIndex);
        ASSERT_NE(four, nullptr);
        EXPECT_EQ(eight != nullptr, f.bAVX2) << sh.nIndex;
        EXPECT_EQ(sixteen != nullptr, f.bAVX512F) << sh.nIndex;
        EXPECT_NE(eight, four);
        EXPECT_NE(sixteen, four);
        MixKernel widest = f.bAVX512F ? sixteen : f.bAVX2 ? eight : four;
        EXPECT_EQ(VectorFloatMixKernel(sh.nIndex), widest);
        EXPECT_EQ(SelectFloatMixKernel(sh.nSC, sh.nDC, false), widest);
    }
    for (int i = -1; i <= 32; ++i)
        if (i != 4 && i != 6 && i != 14) {
            EXPECT_EQ(SixteenWideFloatMixKernel(i), nullptr) << i;
            EXPECT_EQ(EightWideFloatMixKernel(i), nullptr) << i;
            EXPECT_EQ(FourWideFloatMixKernel(i), nullptr) << i;
        }
    // Ramped jobs keep the scalar rule.
    EXPECT_EQ(SelectFloatMixKernel(2, 2, true), ScalarFloatMixKernel(15));
}

// Every remainder of the 32-float step, runs that start 16- but not 32- or
// 64-byte aligned, unaligned runs (all paths take the scalar rule) and long runs.
TEST_F(MixKernelsWide, BitIdenticalToTheFourWidePath) {
    if (WidePaths().empty()) GTEST_SKIP() << "no AVX2";
    const Gains gainSets[] = {{1.0, 1.0}, {0.5, 0.75}, {0.1, -0.7},
                              {1.0, 0.3}, {0.0, 1.0},  {3.0, 1e-20}};
    const std::pair<std::size_t, std::size_t> offsets[] = {{0, 0}, {4, 0},  {0, 4}, {4, 4},
                                                           {8, 4}, {12, 8}, {1, 0}, {2, 3}};
    std::vector<long> lengths;
    for (long n = 0; n <= 70; ++n) lengths.push_back(n);
    for (long n : {127L, 128L, 129L, 1000L, 4099L}) lengths.push_back(n);
    for (const Width& width : WidePaths())
        for (const Shape& sh : kShapes)
            for (long n : lengths)
                for (const Gains& g : gainSets)
                    for (auto [dOff, sOff] : offsets) {
                        MixJob wj, fj;
                        const auto w =
                            RunOnCopy(width.pfnKernel(sh.nIndex), sh, n, g, dOff, sOff, &wj);
                        const auto f =
                            RunOnCopy(FourWideFloatMixKernel(sh.nIndex), sh, n, g, dOff, sOff, &fj);
                        ASSERT_EQ(std::memcmp(w.data(), f.data(), w.size() * sizeof(float)), 0)
                            << width.pszName << " " << sh.nIndex << " n=" << n << " g=" << g.gL
                            << "," << g.gR << " offsets " << dOff << "," << sOff;
                        EXPECT_EQ(wj.dGainL, fj.dGainL);
                        EXPECT_EQ(wj.dGainR, fj.dGainR);
                    }
}

// Nothing past the run is touched: the floats after the destination keep their values.
TEST_F(MixKernelsWide, WritesOnlyTheRun) {
    if (WidePaths().empty()) GTEST_SKIP() << "no AVX2";
    for (const Width& width : WidePaths())
        for (const Shape& sh : kShapes)
            for (long n : {1L, 7L, 8L, 15L, 16L, 17L, 31L, 32L, 33L, 65L}) {
                AlignedBuffer src(static_cast<std::size_t>(n * sh.nSC) + 16),
                    dst(static_cast<std::size_t>(n * sh.nDC) + 16);
                src.Fill(TestSignal(src.size(), 9));
                for (std::size_t i = 0; i < dst.size(); ++i) dst[i] = 2.0f;
                MixJob job =
                    MakeJob(dst.data(), src.data(), static_cast<LONG>(n), Gains{0.5, 0.25});
                width.pfnKernel(sh.nIndex)(&job);
                for (std::size_t i = static_cast<std::size_t>(n * sh.nDC); i < dst.size(); ++i)
                    ASSERT_EQ(dst[i], 2.0f)
                        << width.pszName << " " << sh.nIndex << " n=" << n << " i=" << i;
            }
}

TEST_F(MixKernelsWide, SetsFlushToZeroLikeTheFourWidePath) {
    if (WidePaths().empty()) GTEST_SKIP() << "no AVX2";
    for (const Width& width : WidePaths())
        for (const Shape& sh : kShapes) {
            _mm_setcsr(_mm_getcsr() & ~_MM_FLUSH_ZERO_ON);
            AlignedBuffer src(32), dst(64);
            for (std::size_t i = 0; i < 32; ++i) src[i] = 1e-30f;
            for (std::size_t i = 0; i < 64; ++i) dst[i] = 0.0f;
            MixJob job = MakeJob(dst.data(), src.data(), 16, Gains{1e-10, 1e-10});
            width.pfnKernel(sh.nIndex)(&job);
            EXPECT_EQ(_MM_GET_FLUSH_ZERO_MODE(), static_cast<unsigned>(_MM_FLUSH_ZERO_ON));
            for (std::size_t i = 0; i < 16; ++i)
                EXPECT_EQ(dst[i], 0.0f) << sh.nIndex << " " << i; // 1e-40 flushed
        }
}

// Unit gains: the vector path of every width is taken at any alignment (it
// sets flush-to-zero) and gives exactly the scalar rule's floats, so a run
// split at any frame renders the same.
TEST_F(MixKernelsWide, PlainSumsTakeTheVectorPathAtAnyAlignment) {
    std::vector<Width> widths = WidePaths();
    widths.push_back({"four-wide", &FourWideFloatMixKernel});
    const std::pair<std::size_t, std::size_t> offsets[] = {{1, 0}, {0, 1}, {1, 1},
                                                           {2, 3}, {3, 2}, {0, 0}};
    for (const Width& width : widths)
        for (int nIndex : {4, 14})
            for (auto [dOff, sOff] : offsets)
                for (long n : {1L, 3L, 4L, 9L, 16L, 33L, 100L}) {
                    const Shape sh = nIndex == 4 ? Shape{4, 1, 1} : Shape{14, 2, 2};
                    _mm_setcsr(_mm_getcsr() & ~_MM_FLUSH_ZERO_ON);
                    MixJob vj, sj;
                    const auto v =
                        RunOnCopy(width.pfnKernel(nIndex), sh, n, Gains{1.0, 1.0}, dOff, sOff, &vj);
                    EXPECT_EQ(_MM_GET_FLUSH_ZERO_MODE(), static_cast<unsigned>(_MM_FLUSH_ZERO_ON))
                        << width.pszName << " " << nIndex << " offsets " << dOff << "," << sOff;
                    const auto s = RunOnCopy(ScalarFloatMixKernel(nIndex), sh, n, Gains{1.0, 1.0},
                                             dOff, sOff, &sj);
                    ASSERT_EQ(std::memcmp(v.data(), s.data(), v.size() * sizeof(float)), 0)
                        << width.pszName << " " << nIndex << " n=" << n << " offsets " << dOff
                        << "," << sOff;
                }
}

// The ramped stereo kernel (the crossfades of a stretch) keeps both channels
// in one register; its floats and written-back gains must be exactly those of
// the per-frame double-precision rule, also when the destination is the source.
TEST_F(MixKernelsWide, CrossfadeKernelGivesTheRulesFloatsExactly) {
    const Gains ramps[] = {{0.25, 0.9, 0.01, -0.015, -0.0002, 0.0003},
                           {1.0, 0.0, -1.0 / 64, 1.0 / 64, 0.0, 0.0},
                           {1e-3, 3.0, 1e-7, -1e-7, 1e-9, 1e-9}};
    for (const Gains& g : ramps)
        for (long n : {1L, 2L, 7L, 64L, 1000L})
            for (bool bInPlace : {false, true}) {
                const std::vector<float> src =
                    TestSignal(static_cast<std::size_t>(2 * n), static_cast<uint32_t>(n));
                std::vector<float> dst = TestSignal(static_cast<std::size_t>(2 * n), 77);
                if (bInPlace) dst = src;
                std::vector<float> expect = dst;
                double gL = g.gL, gR = g.gR, dL = g.dL, dR = g.dR;
                for (long i = 0; i < n; ++i) {
                    const auto k = static_cast<std::size_t>(2 * i);
                    expect[k] = static_cast<float>(static_cast<double>(expect[k]) +
                                                   static_cast<double>(src[k]) * gL);
                    expect[k + 1] = static_cast<float>(static_cast<double>(expect[k + 1]) +
                                                       static_cast<double>(src[k + 1]) * gR);
                    gL += dL;
                    gR += dR;
                    dL += g.eL;
                    dR += g.eR;
                }
                MixJob job = MakeJob(dst.data(), bInPlace ? dst.data() : src.data(),
                                     static_cast<LONG>(n), g);
                SelectFloatMixKernel(2, 2, true)(&job);
                ASSERT_EQ(std::memcmp(dst.data(), expect.data(), dst.size() * sizeof(float)), 0)
                    << "n=" << n << " in place " << bInPlace;
                EXPECT_EQ(job.dGainL, gL);
                EXPECT_EQ(job.dGainR, gR);
            }
}

} // namespace

// The restructured render loops against the frame-by-frame loops they
// replaced, float for float: the cubic rate converter, the overview, the
// fused stereo crossfade and the stereo linear interpolation of pitched grains.
#include "RandomSignal.h"
#include "engine/CpuFeatures.h"
#include "engine/GrainFit.h"
#include "engine/GrainRenderer.h"
#include "engine/MixKernels.h"
#include "engine/WaveMem.h"
#include "engine/WaveMemBlock.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

CWaveMem* NewWave(int c, DWORD rate, const std::vector<float>& v) {
    auto* w = new CWaveMem();
    EXPECT_EQ(w->Allocate(static_cast<WORD>(c), rate, static_cast<LONGLONG>(v.size()) / c), S_OK);
    if (!v.empty()) std::memcpy(w->m_pData, v.data(), v.size() * sizeof(float));
    w->SetGuardFrame();
    return w;
}

// The converter as it was: one frame at a time, weights and taps in order.
std::vector<float> FormerCubic(const std::vector<float>& in, int C, double dRatio, LONGLONG nNew) {
    const LONGLONG nOld = static_cast<LONGLONG>(in.size()) / C;
    std::vector<float> out(static_cast<size_t>(nNew * C));
    const double s = std::sqrt(2.0);
    for (LONGLONG i = 0; i < nNew; ++i) {
        const double x = static_cast<double>(i) / dRatio;
        LONGLONG k = static_cast<LONGLONG>(x);
        const double t = x - static_cast<double>(k);
        const double t2 = t * t;
        const double w0 = s * t2 - t2 - s * t + t;
        const double w1 = s / 2 - s * t2 + t2;
        const double w2 = 2 * s * t + t2 - s / 2 - 2 * t - s * t2 + 1;
        k = std::min(k, nOld);
        for (int ch = 0; ch < C; ++ch) {
            double a[4];
            for (int j = 0; j < 4; ++j) {
                const LONGLONG f = k - 2 + j;
                a[j] = f >= 0 && f < nOld ? in[static_cast<size_t>(f * C + ch)] : 0.0f;
            }
            out[static_cast<size_t>(i * C + ch)] =
                static_cast<float>(w0 * a[0] + w1 * a[1] + w2 * a[2] + w0 * a[3]);
        }
    }
    return out;
}

// The overview as it was: the block of every frame found by division.
std::vector<float> FormerOverview(const std::vector<float>& in, int c, LONG nBlocks) {
    const LONGLONG nFrames = static_cast<LONGLONG>(in.size()) / c;
    std::vector<float> peaks(static_cast<size_t>(c * nBlocks * 2), 0.0f);
    float lo[2] = {1.0f, 1.0f}, hi[2] = {-1.0f, -1.0f};
    LONGLONG nBlock = -1;
    for (LONGLONG f = 0; f < nFrames; ++f) {
        const LONGLONG b = f * nBlocks / nFrames;
        if (b != nBlock) {
            nBlock = b;
            lo[0] = lo[1] = 1.0f;
            hi[0] = hi[1] = -1.0f;
        }
        for (int ch = 0; ch < c; ++ch) {
            const float v = in[static_cast<size_t>(f * c + ch)];
            lo[ch] = std::min(lo[ch], v);
            hi[ch] = std::max(hi[ch], v);
            peaks[static_cast<size_t>((b * c + ch) * 2)] = lo[ch];
            peaks[static_cast<size_t>((b * c + ch) * 2 + 1)] = hi[ch];
        }
    }
    return peaks;
}

bool SameBits(const float* a, const float* b, size_t n) {
    return n == 0 || std::memcmp(a, b, n * sizeof(float)) == 0;
}

} // namespace

// Lengths around the pairing of frames (odd and even counts, waves shorter
// than the taps), up and down, both channel counts.
TEST(RenderExactness, CubicConverterGivesTheFormerFloats) {
    const DWORD rates[][2] = {{44100, 48000}, {48000, 44100}, {22050, 96000},
                              {96000, 8000},  {44100, 44101}, {32000, 48000}};
    int nCase = 0;
    for (int c : {1, 2})
        for (const auto& r : rates)
            for (LONGLONG n : {1, 2, 3, 4, 5, 7, 64, 1001, 44100}) {
                const auto in =
                    RandomSignal(static_cast<size_t>(n * c), static_cast<uint32_t>(++nCase));
                CWaveMem* w = NewWave(c, r[0], in);
                ASSERT_EQ(w->ConvertSampleRate(r[1]), S_OK);
                const double ratio = double(r[1]) / double(r[0]);
                const auto expect = FormerCubic(in, c, ratio, w->m_nFrames);
                ASSERT_TRUE(SameBits(w->m_pData, expect.data(), expect.size()))
                    << c << " ch, " << n << " frames, " << r[0] << " -> " << r[1];
                // The floats after the guard frame are clear.
                const LONGLONG nCap = w->m_nDataBytes / LONGLONG(sizeof(float));
                for (LONGLONG i = (w->m_nFrames + 1) * c; i < nCap; ++i)
                    ASSERT_EQ(w->m_pData[i], 0.0f);
                w->Release();
            }
}

// More blocks than frames (empty blocks stay zero), uneven splits, and
// signed zeros and values beyond the initial bounds, whose order matters.
TEST(RenderExactness, OverviewGivesTheFormerPeaks) {
    int nCase = 0;
    for (int c : {1, 2})
        for (LONGLONG n : {1, 3, 100, 1000, 4097})
            for (LONG nBlocks : {1, 7, 100, 256, 5000}) {
                auto in = RandomSignal(static_cast<size_t>(n * c), static_cast<uint32_t>(++nCase));
                for (size_t i = 0; i < in.size(); i += 5)
                    in[i] = (i / 5) % 3 == 0 ? -0.0f : ((i / 5) % 3 == 1 ? 0.0f : 3.0f * in[i]);
                CWaveMem* w = NewWave(c, 48000, in);
                ASSERT_EQ(w->BuildOverview(nBlocks), S_OK);
                const auto expect = FormerOverview(in, c, nBlocks);
                ASSERT_EQ(w->m_nPeakValues, static_cast<LONG>(expect.size()));
                ASSERT_TRUE(SameBits(w->m_pPeaks, expect.data(), expect.size()))
                    << c << " ch, " << n << " frames, " << nBlocks << " blocks";
                w->Release();
            }
}

// The fused crossfade against the ramped stereo kernel run for each half,
// including empty and one-frame jobs and steep ramps.
TEST(RenderExactness, FusedCrossfadeMatchesTwoRampedJobs) {
    const MixKernel ramp = SelectFloatMixKernel(2, 2, true);
    ASSERT_NE(ramp, nullptr);
    int nCase = 0;
    for (LONG n : {0, 1, 2, 63, 64, 1000}) {
        ++nCase;
        const auto a = RandomSignal(static_cast<size_t>(n * 2 + 2), 100 + nCase);
        const auto b = RandomSignal(static_cast<size_t>(n * 2 + 2), 200 + nCase);
        const auto d0 = RandomSignal(static_cast<size_t>(n * 2 + 2), 300 + nCase);
        auto job = [&](const std::vector<float>& s, float* d, double g, double inc) {
            MixJob j;
            j.pSrc = s.data();
            j.pDst = d;
            j.nFrames = n;
            j.dGainL = g;
            j.dGainR = 0.5 * g;
            j.dIncL = inc;
            j.dIncR = -inc;
            j.dInc2L = -1e-5;
            j.dInc2R = 3e-6;
            return j;
        };
        std::vector<float> two = d0;
        MixJob a1 = job(a, two.data(), 0.9, -0.01), b1 = job(b, two.data(), 0.1, 0.02);
        ramp(&a1);
        ramp(&b1);
        std::vector<void (*)(MixJob*, MixJob*)> paths = {&MixCrossfadeStereo,
                                                         &MixCrossfadeStereoSse2};
        if (GetCpuFeatures().bAVX) paths.push_back(&MixCrossfadeStereoAvx);
        for (size_t p = 0; p < paths.size(); ++p) {
            std::vector<float> fused = d0;
            MixJob a2 = job(a, fused.data(), 0.9, -0.01), b2 = job(b, fused.data(), 0.1, 0.02);
            paths[p](&a2, &b2);
            ASSERT_TRUE(SameBits(two.data(), fused.data(), two.size()))
                << n << " frames, path " << p;
            EXPECT_EQ(a1.dGainL, a2.dGainL);
            EXPECT_EQ(a1.dGainR, a2.dGainR);
            EXPECT_EQ(b1.dGainL, b2.dGainL);
            EXPECT_EQ(b1.dGainR, b2.dGainR);
        }
    }
}

// Pitched stereo grains (stretched, shortened and at their own length, over
// several work-buffer chunks) against the fitted run read with the former
// per-channel linear interpolation, accumulated onto existing output.
TEST(RenderExactness, PitchedStereoGivesTheFormerFloats) {
    constexpr DWORD kRate = 44100;
    CGrainRenderer r;
    ASSERT_EQ(r.Init(), S_OK);
    const LONGLONG L = 12000;
    CWaveMem* w = NewWave(2, kRate, RandomSignal(static_cast<size_t>(L * 2), 7));
    CGrooveEvent g;
    g.SetWave(w);
    w->Release();
    g.SetSrcStart(0);
    g.m_nLenSamples = L;
    g.m_dVolume = 0.7;
    g.m_dPan = 0.3;
    for (LONG tr : {3, -5, 12})
        for (LONGLONG T : {L, 9000L, 20000L}) {
            const double step = std::exp2(tr / 12.0);
            const LONGLONG M = std::max<LONGLONG>(1, LONGLONG(std::floor(double(T) * step + 0.5)));
            CGrainFit fit;
            fit.Set(L, M, kRate);
            std::vector<float> work(static_cast<size_t>((M + 2) * 2), 0.0f);
            fit.Mix(w->m_pData, 2, 0, M, work.data(), 2, 1.0, 1.0);
            for (LONGLONG i = M; i < M + 2; ++i)
                for (int ch = 0; ch < 2; ++ch)
                    work[size_t(i * 2 + ch)] = work[size_t((M - 1) * 2 + ch)];
            double gL, gR;
            GrainGains(g.m_dPan, 0.5, g.m_dVolume, 1.0, &gL, &gR);
            const auto start = RandomSignal(static_cast<size_t>(T * 2), 11);
            std::vector<float> expect = start, got = start;
            for (LONGLONG k = 0; k < T; ++k) {
                const double x = static_cast<double>(k) * step;
                const LONGLONG i = static_cast<LONGLONG>(x);
                const double f = x - static_cast<double>(i);
                const float* s = work.data() + i * 2;
                const double l = f * s[2] + (1.0 - f) * s[0];
                const double rr = f * s[3] + (1.0 - f) * s[1];
                expect[size_t(k * 2)] = static_cast<float>(expect[size_t(k * 2)] + l * gL);
                expect[size_t(k * 2 + 1)] = static_cast<float>(expect[size_t(k * 2 + 1)] + rr * gR);
            }
            r.RenderSegment(g, 0, 0, T, T, got.data(), MakeFloatFormat(2, kRate), 1.0f, 0.5f, tr);
            ASSERT_TRUE(SameBits(expect.data(), got.data(), expect.size()))
                << "transpose " << tr << ", target " << T;
        }
}

// Large blocks are mapped: zeroed, aligned, usable to their last float, and
// handed over by Swap; small ones come cleared from the heap on request.
TEST(RenderExactness, WaveBlocksOfBothKinds) {
    CWaveMemBlock big, small;
    const LONGLONG nBig = LONGLONG(CWaveMemBlock::kMapBytes / sizeof(float)) + 3;
    ASSERT_TRUE(big.Allocate(nBig, false));
    ASSERT_TRUE(big.Mapped());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(big.Data()) % 16, 0u);
    EXPECT_EQ(big.Data()[0], 0.0f);
    EXPECT_EQ(big.Data()[nBig - 1], 0.0f);
    big.Data()[nBig - 1] = 1.0f;
    ASSERT_TRUE(small.Allocate(5, true));
    EXPECT_FALSE(small.Mapped());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(small.Data()) % 16, 0u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(small.Data()[i], 0.0f);
    small.Swap(big);
    EXPECT_TRUE(small.Mapped());
    EXPECT_EQ(small.Data()[nBig - 1], 1.0f);
    EXPECT_TRUE(big.Allocate(0, true));
    EXPECT_EQ(big.Data(), nullptr);
    EXPECT_FALSE(big.Allocate(LONGLONG(1) << 62, false)); // beyond any address space
    EXPECT_EQ(big.Data(), nullptr);
}

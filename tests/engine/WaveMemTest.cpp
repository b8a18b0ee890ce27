#include "engine/WaveMem.h"
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {
CWaveMem* MakeWave(int channels, DWORD rate, const std::vector<float>& samples) {
    auto* w = new CWaveMem();
    EXPECT_EQ(w->Allocate(static_cast<WORD>(channels), rate,
                          static_cast<LONGLONG>(samples.size()) / channels),
              S_OK);
    for (size_t i = 0; i < samples.size(); ++i) w->m_pData[i] = samples[i];
    w->SetGuardFrame();
    return w;
}
} // namespace

TEST(WaveMem, CapacityGuardFrameAndFormat) {
    // channels x (frames + 1) + 3, rounded down to a multiple of 4 floats.
    EXPECT_EQ(WaveMemCapacity(1, 0), 4);
    EXPECT_EQ(WaveMemCapacity(1, 4), 8);
    EXPECT_EQ(WaveMemCapacity(2, 3), 8);
    EXPECT_EQ(WaveMemCapacity(2, 4), 12);
    CWaveMem* w = MakeWave(2, 48000, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f});
    EXPECT_EQ(w->m_nFrames, 3);
    EXPECT_EQ(w->m_nDataBytes, 8 * 4);
    EXPECT_EQ(+w->m_wfx.wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(+w->m_wfx.nBlockAlign, 8);
    EXPECT_EQ(+w->m_wfx.nAvgBytesPerSec, 48000u * 8);
    EXPECT_FLOAT_EQ(w->m_pData[6], 0.5f); // guard frame repeats the last frame
    EXPECT_FLOAT_EQ(w->m_pData[7], 0.6f);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(w->m_pData) % 16, 0u);
    EXPECT_EQ(w->m_nRefs, 1u);
    w->AddRef();
    EXPECT_EQ(w->Release(), 1u);
    EXPECT_EQ(w->Release(), 0u);
}

TEST(WaveMem, RejectsBadChannelCounts) {
    CWaveMem w;
    EXPECT_EQ(w.Allocate(0, 44100, 10), E_INVALIDARG);
    EXPECT_EQ(w.Allocate(3, 44100, 10), E_INVALIDARG);
    EXPECT_EQ(w.m_pData, nullptr);
}

TEST(WaveMem, SampleRateConversionUsesTheCubicWeights) {
    // Doubling the rate of an impulse: each output frame i reads work frames
    // k..k+3 around input frame k - 2 with the weights of the interpolator.
    std::vector<float> in(16, 0.0f);
    in[8] = 1.0f;
    CWaveMem* w = MakeWave(1, 22050, in);
    ASSERT_EQ(w->ConvertSampleRate(44100), S_OK);
    EXPECT_EQ(w->m_nFrames, 32);
    EXPECT_DOUBLE_EQ(w->m_dRateRatio, 2.0);
    EXPECT_EQ(+w->m_wfx.nSamplesPerSec, 44100u);
    const double s = std::sqrt(2.0);
    for (int i = 0; i < 32; ++i) {
        const double x = i / 2.0;
        const int k = static_cast<int>(std::floor(x));
        const double t = x - k, t2 = t * t;
        const double wt[4] = {s * t2 - t2 - s * t + t, s / 2 - s * t2 + t2,
                              2 * s * t + t2 - s / 2 - 2 * t - s * t2 + 1, s * t2 - t2 - s * t + t};
        double expect = 0;
        for (int j = 0; j < 4; ++j) {
            const int src = k + j - 2;
            if (src == 8) expect += wt[j];
        }
        EXPECT_NEAR(w->m_pData[i], expect, 1e-6) << "frame " << i;
    }
    EXPECT_FLOAT_EQ(w->m_pData[32], w->m_pData[31]); // guard
    w->Release();
}

// Short stereo waves, where most output frames have taps in the silence
// before or after the data: every frame follows the cubic rule over the data
// padded with two silent frames at each end, channels kept apart, and the
// floats after the guard frame are zero.
TEST(WaveMem, ConversionEdgesReadSilenceBeyondTheData) {
    const double s = std::sqrt(2.0);
    for (LONGLONG nOld : {1, 2, 3, 4, 5, 9}) {
        for (auto [from, to] : {std::pair<DWORD, DWORD>{22050, 44100},
                                {44100, 48000},
                                {48000, 16000},
                                {8000, 24000}}) {
            std::vector<float> in(static_cast<size_t>(2 * nOld));
            for (size_t i = 0; i < in.size(); ++i)
                in[i] = (i % 2 == 0 ? 1.0f : -0.5f) * static_cast<float>(i / 2 + 1);
            CWaveMem* w = MakeWave(2, from, in);
            ASSERT_EQ(w->ConvertSampleRate(to), S_OK);
            const double ratio = static_cast<double>(to) / from;
            const LONGLONG nNew = w->m_nFrames;
            ASSERT_EQ(nNew, static_cast<LONGLONG>(std::floor(nOld * ratio + 0.5)));
            auto at = [&](LONGLONG f, int c) {
                return f >= 0 && f < nOld ? in[static_cast<size_t>(2 * f + c)] : 0.0f;
            };
            for (LONGLONG i = 0; i < nNew; ++i) {
                const double x = i / ratio;
                const LONGLONG k = std::min(static_cast<LONGLONG>(std::floor(x)), nOld);
                const double t = x - std::floor(x), t2 = t * t;
                const double wt[4] = {s * t2 - t2 - s * t + t, s / 2 - s * t2 + t2,
                                      2 * s * t + t2 - s / 2 - 2 * t - s * t2 + 1,
                                      s * t2 - t2 - s * t + t};
                for (int c = 0; c < 2; ++c) {
                    double expect = 0;
                    for (int j = 0; j < 4; ++j) expect += wt[j] * at(k - 2 + j, c);
                    ASSERT_NEAR(w->Frame(i)[c], expect, 1e-5)
                        << nOld << " frames " << from << "->" << to << " i=" << i;
                }
            }
            for (int c = 0; c < 2; ++c)
                EXPECT_EQ(w->Frame(nNew)[c], nNew > 0 ? w->Frame(nNew - 1)[c] : 0.0f);
            for (LONGLONG f = 2 * (nNew + 1); f < w->m_nDataBytes / 4; ++f)
                EXPECT_EQ(w->m_pData[f], 0.0f) << f;
            w->Release();
        }
    }
}

TEST(WaveMem, WeightsSumToOneSoDcIsKept) {
    CWaveMem* w = MakeWave(2, 44100, std::vector<float>(2 * 441, 0.5f));
    ASSERT_EQ(w->ConvertSampleRate(48000), S_OK);
    EXPECT_EQ(w->m_nFrames, 480);
    // Away from the silent edges the level stays at 0.5.
    for (LONGLONG f = 4; f < w->m_nFrames - 4; ++f) {
        EXPECT_NEAR(w->Frame(f)[0], 0.5f, 1e-6);
        EXPECT_NEAR(w->Frame(f)[1], 0.5f, 1e-6);
    }
    w->Release();
}

TEST(WaveMem, ConversionWithoutDataFailsAndEqualRatesDoNothing) {
    CWaveMem empty;
    EXPECT_EQ(empty.ConvertSampleRate(48000), E_FAIL);
    CWaveMem* w = MakeWave(1, 48000, {1, 2, 3});
    float* before = w->m_pData;
    EXPECT_EQ(w->ConvertSampleRate(48000), S_OK);
    EXPECT_EQ(w->m_pData, before);
    EXPECT_DOUBLE_EQ(w->m_dRateRatio, 1.0);
    w->Release();
}

TEST(WaveMem, OverviewHoldsMinMaxPerBlockAndSurvivesRateConversion) {
    std::vector<float> in = {0.5f, -0.25f, 0.75f, 0.1f, -0.9f, 0.2f, 0.0f, 0.3f};
    CWaveMem* w = MakeWave(1, 44100, in);
    ASSERT_EQ(w->BuildOverview(4), S_OK);
    EXPECT_EQ(w->m_nPeakBlocks, 4);
    EXPECT_EQ(w->m_nPeakValues, 8);
    const float expect[8] = {-0.25f, 0.5f, 0.1f, 0.75f, -0.9f, 0.2f, 0.0f, 0.3f};
    for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(w->m_pPeaks[i], expect[i]) << i;
    ASSERT_EQ(w->ConvertSampleRate(48000), S_OK);
    EXPECT_EQ(w->m_nPeakBlocks, 4);
    EXPECT_FLOAT_EQ(w->m_pPeaks[4], -0.9f);
    EXPECT_EQ(w->BuildOverview(0), S_OK);
    EXPECT_EQ(w->m_pPeaks, nullptr);
    EXPECT_EQ(w->m_nPeakBlocks, 0);
    w->Release();
}

TEST(WaveMem, StereoOverviewIsBlockMajor) {
    CWaveMem* w = MakeWave(2, 44100, {0.1f, -0.1f, 0.2f, -0.2f});
    ASSERT_EQ(w->BuildOverview(1), S_OK);
    const float expect[4] = {0.1f, 0.2f, -0.2f, -0.1f}; // L(min,max), R(min,max)
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(w->m_pPeaks[i], expect[i]);
    w->Release();
}

// Grain segments checked against a per-frame model of the fitting rules: for
// every target frame, which copies of the source sound and with which
// crossfade weight, computed from positions alone.
#include "engine/GrainRenderer.h"
#include "RandomSignal.h"
#include "engine/GrainFit.h"
#include "support/AllocCounter.h"
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

constexpr DWORD kRate = 44100;

// A grain over a fresh wave of random frames; nLen < 0 means the whole wave.
struct TestGrain {
    CGrooveEvent g;
    TestGrain(int nChannels, LONGLONG nFrames, LONGLONG nStart = 0, LONGLONG nLen = -1,
              DWORD nRate = kRate) {
        auto* w = new CWaveMem();
        EXPECT_EQ(w->Allocate(static_cast<WORD>(nChannels), nRate, nFrames), S_OK);
        const auto v =
            RandomSignal(static_cast<size_t>(nFrames * nChannels), static_cast<uint32_t>(nFrames));
        std::memcpy(w->m_pData, v.data(), v.size() * sizeof(float));
        w->SetGuardFrame();
        g.SetWave(w);
        w->Release();
        g.SetSrcStart(nStart);
        g.m_nLenSamples = nLen < 0 ? nFrames - nStart : nLen;
    }
    // Source sample of run frame i (frame L included: the next frame or guard).
    double S(LONGLONG i, int ch) const {
        return g.m_pWave->m_pData[(g.m_nSrcStart + i) * Channels() + ch];
    }
    int Channels() const { return g.m_wfx.nChannels; }
};

// The fitting rules, restated per frame.
struct Model {
    LONGLONG L, T, N = 1, V = 0, H = 0, X = 0;
    Model(LONGLONG l, LONGLONG t, LONGLONG rate) : L(l), T(t) {
        if (T > L) {
            const LONGLONG O = std::min(rate / 5, L / 2);
            N = (T - O) / (L - O) + 1;
            V = (N * L - T) / (N - 1);
            H = L - V;
            X = N <= 2 ? std::min(V, rate / 4) : std::min(H, 2 * V / 3);
            if (double(T) / double(L) < 1.04) X = std::min(X, rate / 40);
        } else if (T < L) {
            X = std::min(rate / 4, LONGLONG(0.8 * double(T)));
            if (double(L) / double(T) < 1.04) X = std::min(X, rate / 40);
        }
    }
    template <typename Src> double At(const Src& s, LONGLONG t, double decay = 1.0) const {
        if (T == L) return s(t);
        const auto in = [&](double u) { return 1.0 - (1.0 - u) * (1.0 - u); };
        const auto out = [&](double u) { return 1.0 - u * u; };
        if (T < L) {
            if (t < T - X) return s(t);
            const double u = double(t - (T - X)) / double(X);
            return s(t) * out(u) + s(t + L - T) * in(u);
        }
        double v = 0.0;
        for (LONGLONG k = 0; k < N; ++k) {
            const LONGLONG f = t - k * H;
            if (f < 0 || f >= L) continue;
            double w = std::pow(decay, double(k * H));
            if (k > 0 && f < V) w *= f < V - X ? 0.0 : in(double(f - (V - X)) / double(X));
            if (k < N - 1 && f >= L - X) w *= out(double(f - (L - X)) / double(X));
            v += w * s(f);
        }
        return v;
    }
};

std::vector<float> Render(CGrainRenderer& r, const CGrooveEvent& g, LONGLONG T, int nDst,
                          LONG tr = 0, float padVol = 1.0f, float padPan = 0.5f,
                          LONGLONG nFrames = -1) {
    const LONGLONG n = nFrames >= 0 ? nFrames : (T > 0 ? T : g.GetPlayingSamples());
    std::vector<float> out(static_cast<size_t>(n * nDst));
    r.RenderSegment(g, 0, 0, n, T, out.data(), MakeFloatFormat(WORD(nDst), kRate), padVol, padPan,
                    tr);
    return out;
}

class GrainRendererTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(r.Init(), S_OK); }
    CGrainRenderer r;
};

} // namespace

TEST(GrainGains, BalanceLawAndUnsafeValues) {
    double l, rr;
    GrainGains(0.5, 0.5, 1.0, 1.0, &l, &rr);
    EXPECT_EQ(l, 1.0);
    EXPECT_EQ(rr, 1.0);
    GrainGains(0.0, 0.5, 1.0, 1.0, &l, &rr); // grain hard left: right silent
    EXPECT_EQ(l, 1.0);
    EXPECT_EQ(rr, 0.0);
    GrainGains(0.5, 0.75, 1.0, 1.0, &l, &rr); // pad at 0.75: right unity, left half
    EXPECT_EQ(l, 0.5);
    EXPECT_EQ(rr, 1.0);
    GrainGains(0.3, 0.5, 0.7, 1.5, &l, &rr); // stored as floats
    EXPECT_EQ(l, double(float(0.7 * 1.5)));
    EXPECT_EQ(rr, double(float(0.6 * 0.7 * 1.5)));
    GrainGains(NAN, -4.0, 1.0, 1.0, &l, &rr); // NaN pan centres, pans clamp to 0..1
    EXPECT_EQ(l, 1.0);
    EXPECT_EQ(rr, 0.0);
    GrainGains(0.5, 0.5, INFINITY, 1.0, &l, &rr);
    EXPECT_EQ(l, 0.0);
    GrainGains(0.5, 0.5, NAN, 1.0, &l, &rr);
    EXPECT_EQ(rr, 0.0);
    GrainGains(0.5, 0.5, 1e300, 1e300, &l, &rr); // finite but absurd: bounded
    EXPECT_TRUE(std::isfinite(float(l)) && l > 1.0);
}

TEST_F(GrainRendererTest, StraightRendersFramesTimesGainsAndStopsAtLength) {
    TestGrain s(2, 500);
    s.g.m_dVolume = 0.8;
    std::vector<float> out(2 * 600, 7.0f);
    // T below 1 means the grain's own length; the count is clipped there.
    r.RenderSegment(s.g, 0, 0, 600, 0, out.data(), MakeFloatFormat(2, kRate), 0.5f, 0.75f, 0);
    // Pad at 0.75: left 0.5 × 0.8 × 0.5, right 0.8 × 0.5, as floats.
    const double gL = double(0.2f), gR = double(0.4f);
    for (LONGLONG t = 0; t < 500; ++t) {
        ASSERT_EQ(out[t * 2], float(7.0 + s.S(t, 0) * gL)) << t;
        ASSERT_EQ(out[t * 2 + 1], float(7.0 + s.S(t, 1) * gR)) << t;
    }
    for (size_t i = 1000; i < out.size(); ++i) ASSERT_EQ(out[i], 7.0f);
    s.g.m_dPan = 0.0; // grain hard left: the right side stays silent
    const auto o = Render(r, s.g, 700, 2, 3);
    for (LONGLONG t = 0; t < 700; ++t) ASSERT_EQ(o[t * 2 + 1], 0.0f);
    EXPECT_NE(o[2], 0.0f);
}

TEST_F(GrainRendererTest, ChannelRules) {
    TestGrain m(1, 300), st(2, 300);
    const auto mono = [&](LONGLONG t) { return m.S(t, 0); };
    // Mono source: the left gain on the left, the right gain on the right.
    auto o = Render(r, m.g, 300, 2, 0, 1.0f, 0.25f);
    for (LONGLONG t = 0; t < 300; ++t) {
        ASSERT_EQ(o[t * 2], float(mono(t)));
        ASSERT_EQ(o[t * 2 + 1], float(mono(t) * 0.5));
    }
    o = Render(r, m.g, 300, 1, 0, 1.0f, 0.25f);
    for (LONGLONG t = 0; t < 300; ++t) ASSERT_EQ(o[t], float(mono(t)));
    // Stereo into mono: a weighted sum, halved on the pitched path.
    o = Render(r, st.g, 300, 1, 0, 1.0f, 0.25f);
    for (LONGLONG t = 0; t < 300; ++t) ASSERT_EQ(o[t], float(st.S(t, 0) + st.S(t, 1) * 0.5));
    st.g.m_dRate = 0.5; // +12 at rate 0.5: no change at all, straight path
    o = Render(r, st.g, 300, 1, 12, 1.0f, 0.25f);
    for (LONGLONG t = 0; t < 300; ++t) ASSERT_EQ(o[t], float(st.S(t, 0) + st.S(t, 1) * 0.5));
    st.g.m_dRate = 0.25; // +12 at rate 0.25 over 2L: the run read unfitted at half speed
    o = Render(r, st.g, 600, 1, 12, 1.0f, 0.25f);
    for (LONGLONG k = 0; k < 600; ++k) {
        const LONGLONG i = k / 2;
        const double f = (k % 2) * 0.5;
        const double l = f * st.S(i + 1, 0) + (1 - f) * st.S(i, 0);
        const double rt = f * st.S(i + 1, 1) + (1 - f) * st.S(i, 1);
        ASSERT_NEAR(o[k], (l + 0.5 * rt) * 0.5, 1e-6) << k; // the last step reads the guard
    }
}

TEST_F(GrainRendererTest, WorkedStretchExample) {
    CGrainFit fit;
    fit.Set(4410, 6615, kRate);
    EXPECT_EQ(fit.m_nMaxOverlap, 2205);
    EXPECT_EQ(fit.m_nCopies, 3);
    EXPECT_EQ(fit.m_nOverlap, 3307);
    EXPECT_EQ(fit.m_nHop, 1103);
    EXPECT_EQ(fit.m_nFade, 1103);
    TestGrain m(1, 4410);
    const auto o = Render(r, m.g, 6615, 1);
    const auto s = [&](LONGLONG i) { return m.S(i, 0); };
    // Copy 0 alone up to 3307; copy 1 enters at its frame 2204 with weight 0.
    EXPECT_EQ(o[3306], float(s(3306)));
    EXPECT_EQ(o[3307], float(s(3307)));
    const double u = 500.0 / 1103.0; // inside the first crossfade
    EXPECT_NEAR(o[3807], s(3807) * (1 - u * u) + s(2704) * (1 - (1 - u) * (1 - u)), 1e-6);
    // Second crossfade from 4410: copy 1 at its frame 3307, copy 2 at 2204.
    EXPECT_NEAR(o[4410], s(3307), 1e-6);
    EXPECT_NEAR(o[5000],
                s(3897) * (1 - (590 / 1103.0) * (590 / 1103.0)) +
                    s(2794) * (1 - (513 / 1103.0) * (513 / 1103.0)),
                1e-6);
    EXPECT_EQ(o[6614], float(s(4408))); // the last copy alone to the end
    const Model model(4410, 6615, kRate);
    for (LONGLONG t = 0; t < 6615; ++t) ASSERT_NEAR(o[t], model.At(s, t), 2e-6) << t;
}

TEST_F(GrainRendererTest, FitsMatchThePerFrameRules) {
    struct Case {
        LONGLONG L, T;
        DWORD rate;
    };
    // Small stretches (capped fades), two copies with a fade longer than the
    // hop, many copies, a one-frame grain, shortening near 1 and to a tenth.
    const Case cases[] = {{4410, 4500, 44100}, {44100, 45000, 44100}, {1000, 1100, 44100},
                          {300, 5000, 8000},   {1, 7, 44100},         {4410, 2205, 44100},
                          {4410, 4300, 44100}, {9000, 900, 44100}};
    for (const Case& c : cases) {
        TestGrain m(2, c.L, 0, -1, c.rate);
        const auto o = Render(r, m.g, c.T, 2);
        const Model model(c.L, c.T, c.rate);
        for (int ch = 0; ch < 2; ++ch) {
            const auto s = [&](LONGLONG i) { return m.S(i, ch); };
            for (LONGLONG t = 0; t < c.T; ++t)
                ASSERT_NEAR(o[t * 2 + ch], model.At(s, t), 2e-6) << c.L << "->" << c.T << " @" << t;
        }
    }
    CGrainFit fit; // under 4 %: at most rate/40 either way
    fit.Set(4410, 4500, kRate);
    EXPECT_EQ(fit.m_nFade, 1102);
    fit.Set(4410, 4300, kRate);
    EXPECT_EQ(fit.m_nFade, 1102);
    fit.Set(4410, 2205, kRate); // shortened to half: the last 1764 frames are the source's last
    EXPECT_EQ(fit.m_nFade, 1764);
}

TEST_F(GrainRendererTest, OctaveUpReadsAFitToTwiceTheTarget) {
    TestGrain m(1, 2000);
    const auto o = Render(r, m.g, 2000, 1, 12);
    const Model fitted(2000, 4000, kRate); // the run stretched to 2T, read at step 2
    const auto s = [&](LONGLONG i) { return m.S(i, 0); };
    for (LONGLONG k = 0; k < 2000; ++k) ASSERT_NEAR(o[k], fitted.At(s, 2 * k), 2e-6) << k;
    // A pitched, stretched grain: fit to round(T × step), linear interpolation.
    const double step = std::exp2(3 / 12.0);
    const LONGLONG T = 2500, M = LONGLONG(std::floor(T * step + 0.5));
    const Model f3(2000, M, kRate);
    const auto p = Render(r, m.g, T, 1, 3);
    for (LONGLONG k = 0; k < T; ++k) {
        const double x = double(k) * step;
        const LONGLONG i = LONGLONG(x);
        const double fr = x - double(i);
        const double next = i + 1 < M ? f3.At(s, i + 1) : f3.At(s, M - 1);
        ASSERT_NEAR(p[k], fr * next + (1 - fr) * f3.At(s, i), 2e-6) << k;
    }
    // Six octaves down over 64 L + 31 frames: the fit rounds to L, so the last
    // steps read past the run, where its guard frame holds the last value.
    TestGrain end(1, 1003, 903);
    const auto q = Render(r, end.g, 6431, 1, -72);
    EXPECT_NEAR(q[6400], end.S(99, 0), 1e-7);
    EXPECT_NEAR(q[6430], end.S(99, 0), 1e-7);
    EXPECT_NEAR(q[6335], end.S(99, 0) * (6335 / 64.0 - 98) + end.S(98, 0) * (99 - 6335 / 64.0),
                1e-6);
}

TEST_F(GrainRendererTest, PiecesAreBitIdenticalToOneCall) {
    struct Case {
        int src, dst;
        LONGLONG L, T;
        LONG tr;
        double rate;
    };
    const Case cases[] = {{1, 2, 4410, 6615, 0, 1.0},   {2, 2, 4410, 4500, 0, 1.0},
                          {2, 1, 4410, 2205, 0, 1.0},   {1, 1, 3000, 3000, 0, 1.0},
                          {1, 2, 4410, 5513, 3, 1.0},   {2, 2, 3000, 2000, -5, 1.0},
                          {2, 1, 2000, 1000, 12, 0.5},  {1, 2, 4410, 4410, 7, 1.25},
                          {2, 2, 500, 9000, 1000, 1.0}, {1, 1, 4000, 3000, -700, 1.0}};
    std::mt19937 rng(7);
    for (const Case& c : cases) {
        TestGrain m(c.src, c.L);
        m.g.m_dRate = c.rate;
        m.g.m_dPan = 0.4; // unequal gains below unity, as most grains have
        // Rendered over other sound, as in a mix: the rounding of each sum shows.
        const auto mix = RandomSignal(size_t(c.T * c.dst), 99);
        auto whole = mix;
        r.RenderSegment(m.g, 0, 0, c.T, c.T, whole.data(), MakeFloatFormat(WORD(c.dst), kRate),
                        0.9f, 0.55f, c.tr);
        for (int pattern = 0; pattern < 40; ++pattern) {
            std::vector<float> joined(whole.size());
            for (LONGLONG a = 0; a < c.T;) {
                const LONGLONG n =
                    std::min<LONGLONG>(c.T - a, 1 + rng() % (pattern % 2 ? 97 : 2049));
                // Each piece goes to its own buffer at a random alignment.
                const int pad = int(rng() % 4);
                std::vector<float> piece(size_t((n + pad) * c.dst));
                std::memcpy(&piece[size_t(pad * c.dst)], &mix[size_t(a * c.dst)],
                            size_t(n * c.dst) * 4);
                r.RenderSegment(m.g, a, pad, n, c.T, piece.data(),
                                MakeFloatFormat(WORD(c.dst), kRate), 0.9f, 0.55f, c.tr);
                std::memcpy(&joined[size_t(a * c.dst)], &piece[size_t(pad * c.dst)],
                            size_t(n * c.dst) * 4);
                a += n;
            }
            ASSERT_EQ(std::memcmp(whole.data(), joined.data(), whole.size() * 4), 0)
                << c.L << "->" << c.T << " tr " << c.tr << " pattern " << pattern;
        }
    }
}

TEST_F(GrainRendererTest, StoredFaultsRenderSafely) {
    TestGrain m(2, 999);
    const auto wellFormed = [&](const CGrooveEvent& g, LONG tr, LONGLONG T = 1000) {
        const auto o = Render(r, g, T, 2, tr, 1.0f, 0.5f, 1000);
        for (float v : o)
            if (!std::isfinite(v)) return false;
        return true;
    };
    // Steps clamp to six octaves; a rate that is not a positive number is 1.
    EXPECT_EQ(Render(r, m.g, 1000, 2, 1000), Render(r, m.g, 1000, 2, 72));
    EXPECT_EQ(Render(r, m.g, 1000, 2, INT_MIN), Render(r, m.g, 1000, 2, -72));
    for (double rate : {double(NAN), double(INFINITY), -1.0, 0.0, 1e300}) {
        m.g.m_dRate = rate;
        EXPECT_TRUE(wellFormed(m.g, 5));
        EXPECT_TRUE(wellFormed(m.g, INT_MAX));
    }
    m.g.m_dRate = NAN;
    const auto nanRate = Render(r, m.g, 1200, 2, 5);
    m.g.m_dRate = 1.0;
    EXPECT_EQ(nanRate, Render(r, m.g, 1200, 2, 5));
    for (double v : {double(NAN), double(INFINITY), -double(INFINITY)}) {
        m.g.m_dVolume = 1.0;
        m.g.m_dPan = v;
        EXPECT_TRUE(wellFormed(m.g, 0));
        m.g.m_dVolume = v;
        EXPECT_TRUE(wellFormed(m.g, 3));
    }
    // Nothing renders for a run that is empty or cannot be read.
    const std::vector<float> silent(2000, 0.0f);
    TestGrain z(2, 1000);
    for (LONGLONG len : {LONGLONG(0), LONGLONG(-5)}) {
        z.g.m_nLenSamples = len;
        EXPECT_EQ(Render(r, z.g, 800, 2, 0, 1, 0.5f, 1000), silent);
        EXPECT_EQ(Render(r, z.g, 800, 2, 4, 1, 0.5f, 1000), silent);
    }
    z.g.m_nLenSamples = 100;
    z.g.m_nSrcStart = 1000; // at the wave's end
    EXPECT_EQ(Render(r, z.g, 800, 2, 0, 1, 0.5f, 1000), silent);
    z.g.m_nSrcStart = -3;
    EXPECT_EQ(Render(r, z.g, 800, 2, 0, 1, 0.5f, 1000), silent);
    z.g.m_nSrcStart = 0;
    z.g.m_wfx.nChannels = 1; // the format disagrees with the data
    EXPECT_EQ(Render(r, z.g, 800, 2, 0, 1, 0.5f, 1000), silent);
    // A run past the wave's end plays the frames that exist. (1,003 mono and
    // 999 stereo frames leave no slack after the guard frame, so any read
    // past the data shows under the address sanitizer.)
    TestGrain over(1, 1003, 903, 500), exact(1, 1003, 903, 100);
    EXPECT_EQ(Render(r, over.g, 0, 1, 0, 1, 0.5f, 300),
              Render(r, exact.g, 100, 1, 0, 1, 0.5f, 300));
    EXPECT_EQ(Render(r, over.g, 250, 1, 7), Render(r, exact.g, 250, 1, 7));
    EXPECT_EQ(CGrainRenderer::BuildTail(&over.g), S_OK);
    EXPECT_EQ(over.g.m_nTailSamples, 200);
    TestGrain edge(2, 999, 499);
    for (TestGrain* e : {&over, &edge})
        for (double rate : {1.0, 0.37})
            for (LONG tr : {0, 1, 12, -12, 100, -100})
                for (LONGLONG T : {0, 33, 150, 1234}) {
                    e->g.m_dRate = rate;
                    EXPECT_TRUE(wellFormed(e->g, tr, T));
                }
    // An uninitialised renderer renders nothing pitched, a bad destination nothing.
    CGrainRenderer bare;
    std::vector<float> o(2000, 0.0f);
    bare.RenderSegment(m.g, 0, 0, 1000, 1000, o.data(), MakeFloatFormat(2, kRate), 1, 0.5f, 3);
    EXPECT_EQ(o, silent);
    r.RenderSegment(m.g, 0, 0, 1000, 1000, o.data(), MakeFloatFormat(3, kRate), 1, 0.5f, 0);
    r.RenderSegment(m.g, 0, 0, 1000, 1000, nullptr, MakeFloatFormat(2, kRate), 1, 0.5f, 0);
    EXPECT_EQ(o, silent);
}

TEST_F(GrainRendererTest, OffsetsAndCountsOutsideTheGrainAreDropped) {
    TestGrain m(1, 400);
    const auto fmt = MakeFloatFormat(1, kRate);
    const auto run = [&](LONGLONG g0, LONGLONG o0, LONGLONG n, LONGLONG T) {
        std::vector<float> o(600, 0.0f);
        r.RenderSegment(m.g, g0, o0, n, T, o.data(), fmt, 1, 0.5f, 2);
        return o;
    };
    // Frames before the grain's start and before the buffer are skipped in place.
    EXPECT_EQ(run(-10, 10, 100, 500), run(0, 20, 90, 500));
    EXPECT_EQ(run(30, -5, 100, 500), run(35, 0, 95, 500));
    EXPECT_EQ(run(-LLONG_MAX, 0, 100, 500), run(0, 0, 0, 500));
    EXPECT_EQ(run(0, 0, -4, 500), run(0, 0, 0, 500));
    // A count past the target stops there: nothing after frame T.
    const auto o = run(450, 0, LLONG_MAX, 500);
    for (size_t i = 50; i < o.size(); ++i) ASSERT_EQ(o[i], 0.0f);
    EXPECT_NE(o[49], 0.0f);
}

TEST_F(GrainRendererTest, RenderingAllocatesNothing) {
    TestGrain m(2, 4410);
    std::vector<float> o(2 * 20000, 0.0f);
    const auto fmt = MakeFloatFormat(2, kRate);
    ScopedAllocCount count;
    for (LONG tr : {0, 3, -7, 24})
        for (LONGLONG T : {4410, 6615, 2000, 17000})
            r.RenderSegment(m.g, 100, 0, 15000, T, o.data(), fmt, 1, 0.5f, tr);
    EXPECT_EQ(count.Stop(), 0u);
}

TEST_F(GrainRendererTest, TailRepeatsTheGrainWithDecay) {
    TestGrain m(2, 10000, 3000, 4410);
    ASSERT_EQ(CGrainRenderer::BuildTail(&m.g), S_OK);
    const CWaveMem* t = m.g.m_pTail;
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->m_nRefs, 1u); // held by the grain alone
    EXPECT_EQ(m.g.m_nTailSamples, 8820);
    EXPECT_EQ(t->m_nFrames, 8820);
    EXPECT_EQ(t->m_nDecayFrames, 8820);
    EXPECT_EQ(+t->m_wfx.nChannels, 2);
    EXPECT_EQ(+t->m_wfx.nSamplesPerSec, kRate);
    EXPECT_NEAR(std::pow(t->m_dDecay, 4410), 0.15, 1e-12);
    const Model model(4410, 8820, kRate);
    ASSERT_EQ(model.H * 3, 4410); // copy 3 starts one grain length late
    for (int ch = 0; ch < 2; ++ch) {
        const auto s = [&](LONGLONG i) { return m.S(i, ch); };
        for (LONGLONG f = 0; f < 8820; ++f)
            ASSERT_NEAR(t->m_pData[f * 2 + ch], model.At(s, f, t->m_dDecay), 2e-6);
        EXPECT_NEAR(t->m_pData[8000 * 2 + ch], 0.15 * s(8000 - 4410), 1e-6);
        EXPECT_EQ(t->m_pData[8820 * 2 + ch], t->m_pData[8819 * 2 + ch]); // guard frame
    }
    // The grain plays its tail straight when asked to.
    m.g.m_bUseTail = 1;
    const auto o = Render(r, m.g, 0, 2);
    ASSERT_EQ(o.size(), 8820u * 2);
    EXPECT_EQ(std::memcmp(o.data(), t->m_pData, o.size() * 4), 0);
    // No wave or no frames: no tail.
    CGrooveEvent empty;
    EXPECT_EQ(CGrainRenderer::BuildTail(&empty), S_FALSE);
    m.g.m_nLenSamples = 0;
    EXPECT_EQ(CGrainRenderer::BuildTail(&m.g), S_FALSE);
}

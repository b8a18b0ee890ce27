// The host kit driving the built pandrel.so: timing follows the tempo map at
// any rate, and rendering is repeatable.
#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/SampleTarget.h"
#include "apps/hostkit/WavWriter.h"
#include "interfaces/IVudivuVizezud.h"
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
// First frame of the left channel whose level exceeds a trace.
LONGLONG Onset(const std::vector<float>& s, LONGLONG nFrom) {
    for (size_t f = static_cast<size_t>(nFrom); f * 2 < s.size(); ++f)
        if (std::fabs(s[f * 2]) > 1e-6f) return static_cast<LONGLONG>(f);
    return -1;
}

struct HostKitInstrumentTest : ::testing::Test {
    void SetUp() override {
        std::string err;
        ASSERT_TRUE(module.Load(PANDREL_MODULE_PATH, &err)) << err;
        char name[] = "/tmp/pandrel-host-XXXXXX.wav";
        const int fd = mkstemps(name, 4);
        ASSERT_GE(fd, 0);
        close(fd);
        wave = name;
        // A quarter second of a constant level: a one-shot grain.
        const std::vector<float> s(11025 * 2, 0.5f);
        ASSERT_TRUE(CWavWriter(WavSampleFormat::Pcm16, 2, 44100).Write(wave, s.data(), 11025, &err))
            << err;
    }
    void TearDown() override { std::remove(wave.c_str()); }

    // Opens the host with the grain on pad 0 (key 60).
    void Open(CInstrumentHost& host, const CInstrumentHost::Options& options,
              const CTempoMap& tempo) {
        std::string err;
        ASSERT_TRUE(host.Open(module, options, tempo, &err)) << err;
        LONG nIndex = -1, nStatus = -1;
        ASSERT_TRUE(
            SUCCEEDED(host.Control()->LoadFileToPad(0, "c", wave.c_str(), &nIndex, &nStatus)));
    }
    // Notes on key 60 at the given ticks, each held for 120 ticks.
    static std::vector<MidiNoteEvent> Notes(const std::vector<int64_t>& ticks) {
        std::vector<MidiNoteEvent> notes;
        for (int64_t t : ticks) {
            notes.push_back({t, true, 0, 60, 100});
            notes.push_back({t + 120, false, 0, 60, 0});
        }
        return notes;
    }
    // Plays the notes; answers the rendered mix.
    std::vector<float> Render(DWORD dwRate, const CTempoMap& tempo,
                              const std::vector<int64_t>& ticks, LONGLONG nFrames) {
        CInstrumentHost host;
        CInstrumentHost::Options options;
        options.dwRate = dwRate;
        Open(host, options, tempo);
        std::string err;
        EXPECT_TRUE(host.Render(Notes(ticks), nFrames, nullptr, &err)) << err;
        EXPECT_EQ(host.Output(0).size(), static_cast<size_t>(nFrames) * 2);
        EXPECT_TRUE(host.Output(1).empty());
        return host.Output(0);
    }

    CInstrumentModule module;
    std::string wave;
};
} // namespace

TEST_F(HostKitInstrumentTest, OnsetsFollowTheTempoMapAtEveryRate) {
    CTempoMap tempo;
    tempo.SetTempoBpm(0, 120);
    tempo.SetTempoBpm(1920, 90); // from beat 3 on
    const std::vector<int64_t> ticks = {960, 2400, 3333};
    for (DWORD rate : {44100u, 96000u}) {
        const LONGLONG nFrames = static_cast<LONGLONG>(tempo.TicksToSamples(4000, rate));
        const std::vector<float> mix = Render(rate, tempo, ticks, nFrames);
        LONGLONG from = 0;
        for (int64_t t : ticks) {
            const double expected = tempo.TicksToSamples(static_cast<double>(t), rate);
            const LONGLONG onset = Onset(mix, from);
            EXPECT_NEAR(static_cast<double>(onset), expected, 1.0)
                << "tick " << t << " at " << rate;
            from = onset + static_cast<LONGLONG>(rate * 3 / 10); // past this note's sound
        }
    }
}

TEST_F(HostKitInstrumentTest, RenderingTwiceGivesTheSameSamples) {
    const CTempoMap tempo;
    const std::vector<float> a = Render(48000, tempo, {0, 480, 1000}, 40000);
    const std::vector<float> b = Render(48000, tempo, {0, 480, 1000}, 40000);
    EXPECT_EQ(a, b);
    float peak = 0.0f;
    for (float f : a) peak = std::max(peak, std::fabs(f));
    EXPECT_GT(peak, 0.4f);
}

TEST_F(HostKitInstrumentTest, StreamedOutputsGetWhatKeptOnesHold) {
    struct Target : ISampleTarget {
        bool Put(const float* p, size_t n) override {
            for (size_t i = 0; i < n; ++i) samples.push_back(p != nullptr ? p[i] : 0.0f);
            return true;
        }
        std::vector<float> samples;
    };
    const CTempoMap tempo;
    const std::vector<float> kept = Render(44100, tempo, {480, 1000}, 30000);
    CInstrumentHost host;
    CInstrumentHost::Options options;
    options.bChannelOutputs = true;
    Open(host, options, tempo);
    Target mix, chan;
    EXPECT_TRUE(host.StreamOutput(0, &mix));
    EXPECT_TRUE(host.StreamOutput(5, &chan));
    EXPECT_FALSE(host.StreamOutput(17, &chan));
    std::string err;
    ASSERT_TRUE(host.Render(Notes({480, 1000}), 30000, nullptr, &err)) << err;
    EXPECT_EQ(mix.samples, kept); // trailing silence included
    EXPECT_TRUE(host.Output(0).empty()) << "a streamed output is also kept";
    // The pad plays into the mix only: the silent channel output got nothing.
    EXPECT_FALSE(host.HasSound(5));
    EXPECT_TRUE(chan.samples.empty());
}

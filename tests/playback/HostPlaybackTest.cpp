// The engine driven through the soft-synth adapter exactly as a host drives
// it: attached host context (tempo map), MIDI queued in song time, one input
// sample per buffer, rendered outputs delivered to pins.
#include "../host/HostDoubles.h"
#include "PlaybackRig.h"
#include "host/SoftSynth.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr LONG kFrames = 128;
constexpr LONG kBytes = kFrames * 8;

// The adapter and the engine joined into one object, as the filter joins them.
struct Instrument : CSoftSynth, CVudivuVizezud {
    Instrument() : CDXi(this), CSoftSynth(this), CVudivuVizezud(this) {
        SetInputFormatRecord(MakeFloatFormat(2, 48000));
        SetOutputFormatRecord(MakeFloatFormat(2, 48000));
        pins.push_back(std::make_unique<TestOutputPin>(kBytes)); // "Mix Output"
        Initialize();
    }
    ~Instrument() override { FlushEvents(); }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QuerySoftSynthInterface(riid, ppv);
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT AddOutputPin(const wchar_t*, DWORD* pId) override {
        pins.push_back(std::make_unique<TestOutputPin>(kBytes));
        *pId = 100 + static_cast<DWORD>(pins.size()) - 1;
        return S_OK;
    }
    HRESULT RemoveOutputPin(DWORD) override { return E_NOTIMPL; }
    HRESULT RemoveAllOutputPins() override { return E_NOTIMPL; }
    CFilterOutputPin* FindOutputPin(DWORD) override { return nullptr; }
    DWORD GetOutputPinCount() override { return static_cast<DWORD>(pins.size()); }
    DWORD GetOutputPinId(DWORD i) override { return i < pins.size() ? 100 + i : 0xFFFFFFFF; }
    IRenderOutput* GetRenderOutput(DWORD i) override {
        return i < pins.size() ? pins[i].get() : nullptr;
    }

    std::vector<std::unique_ptr<TestOutputPin>> pins;
};

struct HostPlaybackTest : ::testing::Test {
    HostPlaybackTest() : input(kBytes) {
        input.length = kBytes;
        std::fill(input.memory.begin(), input.memory.end(), BYTE(0)); // a silent host input
        ctx.hasConverter = ctx.hasPosition = false; // conversions through the tempo map
        ctx.AddRef();
        synth.Attach(&ctx);
    }
    // Pushes buffers; collects the left channel of the mix.
    void Run(int nBuffers) {
        for (int i = 0; i < nBuffers; ++i) {
            ASSERT_EQ(synth.ProcessSample(&input), S_OK);
            const TestSample& s = synth.pins[0]->sample;
            for (LONG f = 0; f < kFrames; ++f) mix.push_back(s.Float(static_cast<size_t>(2 * f)));
        }
    }
    TestContext ctx; // 100 BPM tempo map
    TestSample input;
    Instrument synth;
    std::vector<float> mix;
};
} // namespace

TEST_F(HostPlaybackTest, SyncedSlicesStartAtTheirTicksOnTheHostTempoMap) {
    // A one-bar 120 BPM loop at 48 kHz, one slice per beat, each slice a
    // different constant level, played at the host's 100 BPM.
    CWaveMem* w = MakeWave(
        2, 48000, 96000, [](LONGLONG i, int) { return 0.1f * static_cast<float>(1 + i / 24000); });
    CGrooveTrack* pad = synth.Pad(0);
    for (int k = 0; k < 4; ++k)
        AddGrain(pad, w, k * 24000, 24000, k * kTicksPerBeat, kTicksPerBeat, k * 24000, 1);
    w->Release();
    pad->m_nLenSamples = 96000;
    pad->m_nLenTicks = 4 * kTicksPerBeat;
    pad->m_bSyncedPlayback = pad->m_bLooping = 1;
    TestEventQueue q;
    q.Add(0, 60);
    ASSERT_EQ(synth.QueueEvents(0, 0, 0, &q), S_OK);
    Run(4 * 28800 / kFrames + 2);
    // At 100 BPM a beat is 28,800 samples; each slice holds its level where
    // one copy of the stretch plays alone (the first 12,000 and the last
    // 4,800 frames; the crossfade between them overlaps two copies).
    for (int k = 0; k < 4; ++k)
        for (LONGLONG j : {100, 6000, 11999, 24000, 28000})
            EXPECT_NEAR(mix[static_cast<size_t>(k * 28800 + j)], 0.1f * (k + 1), 1e-6)
                << k << " " << j;
}

TEST_F(HostPlaybackTest, NoteOffFromTheHostFadesAGatedPad) {
    CWaveMem* w = MakeWave(2, 48000, 48000, [](LONGLONG, int) { return 0.5f; });
    CGrooveTrack* pad = synth.Pad(0);
    AddGrain(pad, w, 0, 48000, 0, kTicksPerBeat, 0, 0);
    w->Release();
    pad->m_nLenSamples = 48000;
    pad->m_bLatch = 0;
    TestDataQueue live;
    live.Add(0, 0x90, 60, 100);
    ASSERT_EQ(synth.QueueInput(0, &live), S_OK);
    Run(10);
    TestDataQueue off;
    off.Add(0, 0x90, 60, 0); // velocity 0: a note-off
    ASSERT_EQ(synth.QueueInput(0, &off), S_OK);
    Run(10);
    EXPECT_NEAR(mix[1000], 0.5f, 1e-6);
    EXPECT_NEAR(mix[1280 + 480], 0.25f, 1e-6);
    EXPECT_EQ(mix[1280 + 960], 0.0f);
    EXPECT_TRUE(synth.ActiveList().IsEmpty());
}

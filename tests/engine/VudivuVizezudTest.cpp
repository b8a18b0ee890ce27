#include "engine/VudivuVizezud.h"
#include "FakeSynthContext.h"
#include "LoopSourceBuilder.h"
#include <gtest/gtest.h>
#include <string>

namespace {
// The engine is abstract only through the control interface it will gain;
// for now it can be made directly.
struct Engine : CVudivuVizezud {
    explicit Engine(CDXiSynthContext* ctx) : CDXi(ctx), CVudivuVizezud(ctx) {}
    using CVudivuVizezud::m_adwOutputPins;
    using CVudivuVizezud::m_dwMixPin;
};

struct EngineTest : ::testing::Test {
    LONG LoadPath(const std::wstring& path, LONG index, LONG* status, HRESULT* hr = nullptr) {
        LoopSourceBuilder b;
        b.Silence(1, 48000, 480);
        LONG at = -1;
        const HRESULT r = engine.LoadSourceToBin(b.Get(), path.c_str(), index, &at, status);
        if (hr != nullptr) *hr = r;
        return at;
    }
    FakeSynthContext ctx{48000};
    Engine engine{&ctx};
};
} // namespace

TEST_F(EngineTest, ConstructionGivesSixteenDefaultPadsAndTheDefaultKeyMap) {
    for (int i = 0; i < kPadCount; ++i) {
        CGrooveTrack* pad = engine.Pad(i);
        ASSERT_NE(pad, nullptr);
        EXPECT_EQ(pad->m_nMidiChannel, -1);
        EXPECT_EQ(pad->m_nOutput, 0);
        EXPECT_EQ(pad->m_nKey, -1);
        EXPECT_TRUE(pad->m_bLatch);
        EXPECT_FALSE(pad->m_bTail);
        TrackKeyInfoImp e;
        ASSERT_EQ(engine.KeyMap().GetEntry(static_cast<DWORD>(i), &e), 1);
        EXPECT_EQ(e.pTrack, pad);
        EXPECT_EQ(e.nLowKey, CKeyMap::DefaultKey(i));
    }
    EXPECT_EQ(engine.Pad(kPadCount), nullptr);
    EXPECT_EQ(engine.BinCount(), 0);
    EXPECT_EQ(engine.KeyMap().GetCount(), 16);
}

TEST_F(EngineTest, ResetRestoresPadSettingsAndKeys) {
    CGrooveTrack* pad = engine.Pad(2);
    pad->m_nMidiChannel = 5;
    pad->m_nOutput = 3;
    pad->m_bLatch = 0;
    pad->m_bFollowKey = 1;
    pad->SetTail(1);
    engine.KeyMap().Clear();
    engine.ResetPadsAndKeyMap();
    EXPECT_EQ(pad->m_nMidiChannel, -1);
    EXPECT_EQ(pad->m_nOutput, 0);
    EXPECT_TRUE(pad->m_bLatch);
    EXPECT_FALSE(pad->m_bFollowKey);
    EXPECT_FALSE(pad->m_bTail);
    EXPECT_EQ(engine.KeyMap().GetCount(), 16);
}

TEST_F(EngineTest, InitializeCreatesTheSixteenChannelOutputsOnce) {
    ASSERT_EQ(engine.Initialize(), S_OK);
    ASSERT_EQ(ctx.m_pins.size(), static_cast<size_t>(kOutputCount));
    for (int n = 1; n <= kPadCount; ++n) {
        EXPECT_EQ(ctx.m_pins[static_cast<size_t>(n)], L"Chan " + std::to_wstring(n));
        EXPECT_EQ(engine.m_adwOutputPins[n - 1], static_cast<DWORD>(n + 1));
    }
    EXPECT_EQ(engine.m_dwMixPin, 1u);
    EXPECT_EQ(engine.CreateOutput(3), S_FALSE);
    EXPECT_EQ(engine.CreateOutput(0), E_INVALIDARG);
    EXPECT_EQ(engine.CreateOutput(kPadCount + 1), E_INVALIDARG);
    EXPECT_EQ(ctx.m_pins.size(), static_cast<size_t>(kOutputCount));
}

TEST_F(EngineTest, OnlyFloatFormatsAreAccepted) {
    WAVEFORMATEX f = MakeFloatFormat(2, 48000), pcm = f;
    pcm.wFormatTag = WAVE_FORMAT_PCM;
    EXPECT_EQ(engine.CheckInputFormat(&f), S_OK);
    EXPECT_EQ(engine.CheckInputFormat(&pcm), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(engine.CheckOutputFormat(&pcm), VFW_E_TYPE_NOT_ACCEPTED);
    EXPECT_EQ(engine.CheckTransform(&f, &f), S_OK);
    EXPECT_EQ(engine.CheckTransform(&f, &pcm), VFW_E_TYPE_NOT_ACCEPTED);
    Engine orphan(nullptr);
    EXPECT_EQ(orphan.CheckInputFormat(&f), E_FAIL);
}

TEST_F(EngineTest, OutputFormatCheckForcesStereoFloatAtTheHostRate) {
    EXPECT_TRUE(engine.EnsureOutputFormat());
    const WAVEFORMATEX* out = engine.GetOutputFormat();
    EXPECT_EQ(+out->wFormatTag, WAVE_FORMAT_IEEE_FLOAT);
    EXPECT_EQ(+out->nChannels, 2);
    EXPECT_EQ(+out->nSamplesPerSec, 48000u);
    EXPECT_EQ(+out->nBlockAlign, 8);
    EXPECT_EQ(+out->nAvgBytesPerSec, 384000u);
    EXPECT_EQ(engine.SamplesPerMs(), 48);
    EXPECT_EQ(engine.ReleaseSamples(), 960);
    EXPECT_FALSE(engine.EnsureOutputFormat());
    engine.SetOutputFormatRecord(MakeFloatFormat(1, 44100));
    EXPECT_FALSE(engine.EnsureOutputFormat()); // mono float is kept
    EXPECT_EQ(engine.ReleaseSamples(), 882);
}

TEST_F(EngineTest, LoopBinInsertionRules) {
    LONG status = -1;
    HRESULT hr = S_OK;
    EXPECT_EQ(LoadPath(L"/a.wav", -1, &status, &hr), 0);
    EXPECT_EQ(hr, S_FALSE); // the unset output format was corrected
    EXPECT_EQ(status, kLoadStatusFormatChanged);
    EXPECT_EQ(LoadPath(L"/b.wav", -1, &status, &hr), 1);
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(status, 0);
    // The same path again: its index, nothing loaded.
    EXPECT_EQ(LoadPath(L"/a.wav", 5, &status, &hr), 0);
    EXPECT_EQ(engine.BinCount(), 2);
    // Insertion at 0 moves the others up and renumbers their grains.
    engine.Pad(0)->CopyEntry(*engine.BinEntry(1));
    EXPECT_EQ(engine.Pad(0)->GetAt(0)->m_nSourceIndex, 1);
    EXPECT_EQ(LoadPath(L"/c.wav", 0, &status), 0);
    EXPECT_EQ(engine.BinEntry(0)->m_strPath, L"/c.wav");
    EXPECT_EQ(engine.BinEntry(2)->m_strPath, L"/b.wav");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(engine.BinEntry(i)->GetAt(0)->m_nSourceIndex, i);
    EXPECT_EQ(engine.Pad(0)->GetAt(0)->m_nSourceIndex, 2);
    EXPECT_TRUE(engine.BinEntry(0)->m_bLooping); // previews loop
    // An index past the end appends.
    EXPECT_EQ(LoadPath(L"/d.wav", 12, &status), 3);
    for (int i = 4; i < 16; ++i) LoadPath(L"/x" + std::to_wstring(i), -1, &status);
    EXPECT_EQ(engine.BinCount(), 16);
    EXPECT_EQ(LoadPath(L"/full.wav", -1, &status, &hr), -1);
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(status, kLoadStatusBinFull);
    EXPECT_EQ(engine.BinCount(), 16);
}

TEST_F(EngineTest, AFailedLoadAddsNothing) {
    LoopSourceBuilder b;
    b.Silence(1, 48000, 48000 * 31);
    LONG at = 7, status = 7;
    EXPECT_EQ(engine.LoadSourceToBin(b.Get(), L"/long.wav", -1, &at, &status), E_UNEXPECTED);
    EXPECT_EQ(engine.BinCount(), 0);
    EXPECT_EQ(engine.LoadSourceToBin(b.Get(), L"/long.wav", -1, nullptr, &status), E_POINTER);
}

TEST_F(EngineTest, OnlyNotesAreQueued) {
    SynthEvent e{};
    e.rec.dwType = kEventNote;
    EXPECT_EQ(engine.FilterEvent(&e), S_OK);
    e.rec.dwType = 2;
    EXPECT_EQ(engine.FilterEvent(&e), S_FALSE);
}

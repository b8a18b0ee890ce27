// Queueing, dispatch and retiring: what reaches the engine, in which order,
// with which settings applied.
#include "FakeEngine.h"
#include <gtest/gtest.h>

using Keys = std::vector<BYTE>;

namespace {
struct Events : ::testing::Test {
    void SetUp() override {
        ctx.hasConverter = false; // tempo map only: 1 MIDI tick = 5/8 ms, 48 kHz
        ASSERT_EQ(synth.AttachTo(ctx), S_OK);
    }
    // Queues at sample times: MIDI tick t -> (t * 5 / 8) * 48 samples.
    void Note(LONG ticks, BYTE key, DWORD duration = kDurationHeld, DWORD source = 0) {
        TestEventQueue q;
        q.Add(ticks, key, duration);
        ASSERT_EQ(synth.Queue(q, source), S_OK);
    }
    MfxSourceProperty Prop(DWORD prop, LONG source, BYTE value, BYTE mask = 0) {
        return MfxSourceProperty{prop, source, value, mask};
    }
    TestContext ctx;
    TestSynth synth;
};
} // namespace

TEST_F(Events, QueueingNeedsAttachAndQueue) {
    TestSynth detached;
    TestEventQueue q;
    TestDataQueue d;
    EXPECT_EQ(detached.QueueEvents(0, 0, 0, &q), E_UNEXPECTED);
    EXPECT_EQ(detached.QueueInput(0, &d), E_UNEXPECTED);
    EXPECT_EQ(detached.QueueInput(0, nullptr), E_POINTER);
    q.countResult = E_FAIL;
    EXPECT_EQ(synth.Queue(q), E_FAIL);
    q.countResult = S_FALSE;
    q.countOverride = 0; // count below 1: the count's result
    EXPECT_EQ(synth.Queue(q), S_FALSE);
}

TEST_F(Events, SampleTimeFollowsOriginAndLoopAndIgnoresWindow) {
    synth.TransportStart(960);    // origin 600 ms = 28800 samples
    synth.TransportLoop(0, 1920); // +57600
    TestEventQueue q;
    q.Add(1920, 60);
    ASSERT_EQ(synth.QueueEvents(5000, 6000, 9, &q), S_OK); // window not used
    const SynthEvent& ev = synth.PendingQueue().GetAt(synth.PendingQueue().GetHead());
    EXPECT_EQ(ev.llSampleTime, 57600 - 28800 + 57600);
    EXPECT_EQ(ev.dwSource, 9u);
    EXPECT_EQ(ev.pNoteState, nullptr);
}

TEST_F(Events, FilterAnswersAndReadFailures) {
    synth.filterAnswer = [](const SynthEvent& e) {
        return e.rec.byKey == 2 ? S_FALSE : e.rec.byKey == 4 ? E_FAIL : S_OK;
    };
    TestEventQueue q;
    for (BYTE k = 1; k <= 5; ++k) q.Add(0, k);
    EXPECT_EQ(synth.Queue(q), E_FAIL);            // key 4 aborts; 5 never read
    EXPECT_EQ(synth.PendingKeys(), (Keys{1, 3})); // key 2 dropped
    TestEventQueue last;
    last.Add(0, 7);
    last.Add(0, 2);
    EXPECT_EQ(synth.Queue(last), S_FALSE); // the last event's answer
    TestEventQueue broken;
    broken.Add(0, 8), broken.Add(0, 9);
    broken.failAt = 1;
    EXPECT_EQ(synth.Queue(broken), E_FAIL);
    EXPECT_EQ(synth.PendingKeys(), (Keys{1, 3, 7, 8}));
}

TEST_F(Events, EveryLiveStatusByte) {
    TestDataQueue d;
    d.Add(100, 0x93, 0xBC, 0xFF); // note-on ch 3, data masked to 60 / 127
    d.Add(103, 0x90, 61, 0);      // velocity 0: note-off
    d.Add(103, 0x85, 62, 40);
    d.Add(103, 0xA1, 63, 50);
    d.Add(103, 0xB2, 7, 90);
    d.Add(103, 0xC4, 12, 34);
    d.Add(103, 0xD5, 70, 0);
    d.Add(103, 0xE6, 0x01, 0x40); // wheel (0x40 << 7) | 1
    d.Add(103, 0xF8, 0, 0);       // clock: skipped
    ASSERT_EQ(synth.QueueInput(4, &d), S_OK);
    // Bytes 4..16 of each record: mute, channel, type (4), key, velocity,
    // release, duration (4).
    const std::vector<std::vector<BYTE>> expected = {
        {0, 3, 0, 0, 0, 0, 60, 127, 64, 0xFF, 0xFF, 0xFF, 0xFF},
        {0, 0, 0, 0, 0, 0, 61, 0, 64, 0, 0, 0, 0},
        {0, 5, 0, 0, 0, 0, 62, 40, 64, 0, 0, 0, 0},
        {0, 1, 1, 0, 0, 0, 63, 50, 64, 0, 0, 0, 0},
        {0, 2, 2, 0, 0, 0, 7, 90, 64, 0, 0, 0, 0},
        {0, 4, 3, 0, 0, 0, 12, 34, 0xFF, 0xFF, 0, 0, 0}, // 0xFFFF at 12..13
        {0, 5, 4, 0, 0, 0, 0, 70, 64, 0, 0, 0, 0},
        {0, 6, 5, 0, 0, 0, 0x01, 0x20, 64, 0, 0, 0, 0}, // 0x2001 at 10..11
    };
    std::vector<std::vector<BYTE>> got;
    std::vector<LONGLONG> times;
    for (int h = synth.PendingQueue().GetHead(); h != CPendingQueue::kEnd;
         h = synth.PendingQueue().GetNext(h)) {
        const SynthEvent& e = synth.PendingQueue().GetAt(h);
        const BYTE* p = reinterpret_cast<const BYTE*>(&e.rec);
        got.emplace_back(p + 4, p + 17);
        times.push_back(e.llSampleTime);
        EXPECT_EQ(e.dwSource, 4u);
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(times, (std::vector<LONGLONG>{0, 48, 48, 48, 48, 48, 48, 48})); // 3 ticks: 1 ms
    EXPECT_EQ(+synth.PendingQueue().GetAt(synth.PendingQueue().GetHead()).rec.lTime, 100);
}

TEST_F(Events, EqualTimesKeepQueueOrder) {
    TestEventQueue q;
    q.Add(8, 1), q.Add(8, 2), q.Add(0, 3), q.Add(8, 4), q.Add(16, 5), q.Add(8, 6);
    synth.Queue(q);
    EXPECT_EQ(synth.PendingKeys(), (Keys{3, 1, 2, 4, 6, 5}));
    synth.Dispatch(0, 1000);
    EXPECT_EQ(synth.ActiveKeys(), (Keys{3, 1, 2, 4, 6, 5}));
}

TEST_F(Events, LateEventStaysUntilTransportEmptiesQueue) {
    Note(16, 60); // 10 ms = 480 samples
    synth.Dispatch(481, 64);
    synth.Dispatch(545, 64);
    EXPECT_EQ(synth.PendingQueue().GetCount(), 1);
    EXPECT_EQ(synth.activated, 0);
    Note(16 * 10, 61); // 4800: due after the late one, still dispatched
    synth.Dispatch(4800, 64);
    EXPECT_EQ(synth.ActiveKeys(), (Keys{61}));
    synth.TransportStop();
    EXPECT_EQ(synth.PendingQueue().GetCount(), 0);
    EXPECT_EQ(synth.ActiveList().GetCount(), 0);
    EXPECT_EQ(synth.activated, 1);
}

TEST_F(Events, NoteOffReleasesEarliestOpenNoteOnAnyChannel) {
    TestDataQueue on;
    on.Add(0, 0x90, 60, 100), on.Add(0, 0x91, 60, 100), on.Add(0, 0x92, 60, 100),
        on.Add(0, 0x90, 61, 100);
    synth.QueueInput(0, &on);
    synth.Dispatch(0, 64);
    TestDataQueue off;
    off.Add(0, 0x95, 60, 0), off.Add(0, 0x8F, 60, 0); // two note-offs, other channels
    synth.QueueInput(0, &off);
    synth.Dispatch(0, 64);
    const CSynthEventList& a = synth.ActiveList();
    ASSERT_EQ(a.GetCount(), 4); // note-offs never stay in the list
    EXPECT_EQ(+a[0].rec.dwDuration, 0u);
    EXPECT_EQ(+a[1].rec.dwDuration, 0u);
    EXPECT_EQ(+a[2].rec.dwDuration, kDurationHeld);
    EXPECT_EQ(+a[3].rec.dwDuration, kDurationHeld);
    synth.Retire(64, 0); // the fake engine ends released notes
    EXPECT_EQ(synth.ActiveKeys(), (Keys{60, 61}));
}

TEST_F(Events, StrayNoteOffDoesNotEndALaterNote) {
    Note(0, 60, 0);
    Note(8, 60);
    Note(8, 70, 0); // nothing open: vanishes
    synth.Dispatch(0, 1000);
    ASSERT_EQ(synth.ActiveList().GetCount(), 1);
    EXPECT_EQ(+synth.ActiveList()[0].rec.dwDuration, kDurationHeld);
    EXPECT_EQ(synth.activated, 1);
}

TEST_F(Events, MutedSourceContributesOnlyTheEventThatClearsIt) {
    MfxSourceProperty p = Prop(MFX_PROP_MUTE, 3, 0x03, 0xFF);
    synth.SetSourceProperty(&p);
    p = Prop(MFX_PROP_MUTE, 3, 0x04, 0x01); // (3 & ~1) | 4
    synth.SetSourceProperty(&p);
    EXPECT_EQ(synth.SourceStates().Find(3)->byMuteBits, 0x06);
    Note(0, 60, kDurationHeld, 3);
    TestEventQueue q;
    MfxEvent clear{};
    clear.lTime = 8, clear.dwType = kEventMuteMask, clear.byChannel = 0x06, clear.byMuteBits = 0;
    q.items = {clear};
    synth.Queue(q, 3);
    Note(16, 61, kDurationHeld, 3);
    Note(0, 62, kDurationHeld, 4); // another source plays
    synth.Dispatch(0, 1000);
    EXPECT_EQ(synth.ActiveKeys(), (Keys{62, 0, 61}));
    EXPECT_EQ(+synth.ActiveList()[1].rec.dwType, kEventMuteMask);
    EXPECT_EQ(synth.activated, 2);
}

TEST_F(Events, OffsetsClampAndForcedChannel) {
    auto set = [&](DWORD prop, LONG src, int v) {
        MfxSourceProperty p = Prop(prop, src, BYTE(v));
        synth.SetSourceProperty(&p);
    };
    set(MFX_PROP_KEY_OFFSET_A, 1, 100), set(MFX_PROP_KEY_OFFSET_B, 1, 100);
    set(MFX_PROP_VELOCITY_OFFSET_A, 1, 20), set(MFX_PROP_VELOCITY_OFFSET_B, 1, 10);
    set(MFX_PROP_KEY_OFFSET_A, 2, -100), set(MFX_PROP_VELOCITY_OFFSET_B, 2, -128);
    set(MFX_PROP_FORCE_CHANNEL, 2, 0x13);
    set(6, 5, 1); // unknown property: ignored, no state
    EXPECT_EQ(synth.SourceStates().Find(5), nullptr);
    Note(0, 60, kDurationHeld, 1);
    Note(0, 60, kDurationHeld, 2);
    Note(0, 60, kDurationHeld, 7);
    synth.Dispatch(0, 64);
    const CSynthEventList& a = synth.ActiveList();
    EXPECT_EQ(a[0].rec.byKey, 127);
    EXPECT_EQ(a[0].rec.byVelocity, 127); // 100 + 30
    EXPECT_EQ(a[1].rec.byKey, 0);
    EXPECT_EQ(a[1].rec.byVelocity, 0);
    EXPECT_EQ(a[1].rec.byChannel, 3);
    EXPECT_EQ(a[2].rec.byKey, 60); // a new source: no offsets, channel kept
    EXPECT_EQ(a[2].rec.byChannel, 0);
    EXPECT_EQ(synth.SourceStates().Find(7)->byForcedChannel, kNoForcedChannel);
}

TEST_F(Events, EngineAnswersWhileDispatchingAndRetiring) {
    synth.activateAnswer = S_FALSE;
    Note(0, 60);
    synth.Dispatch(0, 64);
    EXPECT_EQ(synth.ActiveList().GetCount(), 0); // kept out
    synth.activateAnswer = E_FAIL;
    Note(0, 61), Note(0, 62);
    EXPECT_EQ(synth.Dispatch(0, 64), E_FAIL);
    EXPECT_EQ(synth.PendingKeys(), (Keys{62}));
    synth.activateAnswer = S_OK;
    synth.Dispatch(0, 64);
    Note(0, 62, 0); // releases 62
    Note(0, 64);
    synth.Dispatch(0, 64);
    synth.retireAnswer = E_FAIL;
    EXPECT_EQ(synth.Retire(64, 0), E_FAIL);
    EXPECT_EQ(synth.ActiveKeys(), (Keys{62, 64}));
    synth.retireAnswer = S_OK;
    EXPECT_EQ(synth.Retire(64, 0), S_OK);
    EXPECT_EQ(synth.ActiveKeys(), (Keys{64}));
}

TEST_F(Events, RetireDropsOtherEventsOnlyWhenPast) {
    TestEventQueue q;
    q.Add(8, 1, 0, kEventController); // sample 240
    synth.Queue(q);
    synth.Dispatch(0, 1000);
    synth.Retire(240, 0);
    EXPECT_EQ(synth.ActiveList().GetCount(), 1);
    synth.Retire(241, 0);
    EXPECT_EQ(synth.ActiveList().GetCount(), 0);
    EXPECT_EQ(synth.retireCalls, 0);
}

TEST_F(Events, TransportResetsVoicesForcesRetireAndEmptiesQueues) {
    Note(0, 60), Note(0, 61), Note(100000, 62);
    synth.Dispatch(0, 64);
    ASSERT_EQ(synth.TransportStart(960), S_OK);
    EXPECT_EQ(synth.resets, 1);
    EXPECT_EQ(synth.forcedRetires, 2);
    EXPECT_EQ(synth.PendingQueue().GetCount() + synth.ActiveList().GetCount(), 0);
    EXPECT_TRUE(synth.IsPlaying());
    EXPECT_EQ(synth.GetTickOrigin(), 28800);
    EXPECT_EQ(synth.GetSampleClock(), 0);
    synth.TransportLoop(480, 480);
    EXPECT_EQ(synth.GetLoopOffset(), 0);
    synth.TransportLoop(960, 0);
    EXPECT_EQ(synth.GetLoopOffset(), -28800);
    ASSERT_EQ(synth.TransportStop(), S_OK);
    EXPECT_FALSE(synth.IsPlaying());
    EXPECT_EQ(synth.resets, 2);
    EXPECT_EQ(synth.GetLoopOffset(), -28800); // only a start clears it
}

// The preallocated pools: pending order under arbitrary insertion, overflow
// by drop-and-count, and no allocation while queueing, dispatching,
// rendering and retiring.
#include "FakeEngine.h"
#include "support/AllocCounter.h"
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

TEST(PendingQueue, StableTimeOrderUnderRandomInsertAndRemove) {
    CPendingQueue q(64);
    std::vector<std::pair<LONGLONG, int>> ref; // (time, arrival)
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        if (q.GetCount() == 64 || (q.GetCount() > 0 && rng() % 3 == 0)) {
            // Remove the k-th event, as dispatch does from inside the walk.
            int k = int(rng() % unsigned(q.GetCount()));
            int h = q.GetHead();
            for (int j = 0; j < k; ++j) h = q.GetNext(h);
            q.RemoveAt(h);
            ref.erase(ref.begin() + k);
            continue;
        }
        SynthEvent ev;
        ev.llSampleTime = LONGLONG(rng() % 8);
        ev.dwSource = DWORD(i);
        ASSERT_TRUE(q.Insert(ev));
        auto at =
            std::upper_bound(ref.begin(), ref.end(), std::make_pair(ev.llSampleTime, INT32_MAX));
        ref.insert(at, {ev.llSampleTime, i});
        std::vector<std::pair<LONGLONG, int>> got;
        for (int h = q.GetHead(); h != CPendingQueue::kEnd; h = q.GetNext(h))
            got.emplace_back(q.GetAt(h).llSampleTime, int(q.GetAt(h).dwSource));
        ASSERT_EQ(got, ref);
    }
}

TEST(PendingQueue, FullPoolDropsAndCounts) {
    CPendingQueue q(2);
    SynthEvent ev;
    EXPECT_TRUE(q.Insert(ev) && q.Insert(ev));
    EXPECT_FALSE(q.Insert(ev));
    EXPECT_EQ(q.GetDroppedCount(), 1u);
    q.RemoveAll();
    EXPECT_TRUE(q.Insert(ev));
}

TEST(ActiveList, FullListDropsBeforeTheEngineSeesTheNote) {
    TestContext ctx;
    ctx.hasConverter = false;
    TestSynth synth;
    synth.AttachTo(ctx);
    TestEventQueue q;
    for (int i = 0; i < kActiveListCapacity + 3; ++i) q.Add(0, BYTE(i & 127));
    synth.Queue(q);
    synth.Dispatch(0, 64);
    EXPECT_EQ(synth.ActiveList().GetCount(), kActiveListCapacity);
    EXPECT_EQ(synth.activated, kActiveListCapacity);
    EXPECT_EQ(synth.GetDroppedEventCount(), 3u);
    EXPECT_EQ(synth.PendingQueue().GetCapacity(), kPendingQueueCapacity);
}

TEST(Allocation, RenderPathAllocatesNothing) {
    TestContext ctx;
    ctx.hasConverter = false;
    TestSynth synth;
    synth.AttachTo(ctx);
    TestOutputPin a(64 * 8), b(64 * 8, true);
    synth.pins = {&a, &b};
    TestSample input(64 * 8);
    input.length = 64 * 8;
    TestEventQueue q;
    for (int i = 0; i < 200; ++i) q.Add(i % 50, BYTE(40 + i % 20), i % 3 == 0 ? 0 : kDurationHeld);
    TestDataQueue d;
    d.Add(0, 0x90, 60, 100), d.Add(2, 0x80, 60, 0), d.Add(4, 0xB0, 7, 1);
    MfxSourceProperty prop{MFX_PROP_KEY_OFFSET_A, 1, 3, 0};
    synth.SetSourceProperty(&prop);

    ScopedAllocCount count;
    synth.TransportStart(0);
    synth.Queue(q, 1);
    synth.QueueInput(2, &d);
    for (int i = 0; i < 20; ++i) synth.ProcessSample(&input);
    synth.ProcessEndOfStream();
    synth.Retire(synth.GetSampleClock(), 0);
    synth.TransportStop();
    size_t n = count.Stop();
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(a.delivered, 20);
}

// The per-buffer procedure and the end-of-stream tail against test samples
// and pins: what is rendered, stamped, delivered, released and advanced.
#include "FakeEngine.h"
#include <gtest/gtest.h>

namespace {
constexpr LONG kFrames = 64;
constexpr LONG kBytes = kFrames * 8; // stereo float

struct Process : ::testing::Test {
    Process() : a(kBytes), b(kBytes), c(kBytes), input(kBytes) {
        b.connected = FALSE;
        synth.pins = {&a, &b, &c};
        input.length = kBytes;
    }
    int Outstanding() { return int(a.sample.cRef + b.sample.cRef + c.sample.cRef); }
    TestContext ctx; // outlives the adapter, which releases it
    TestOutputPin a, b, c;
    TestSample input;
    TestSynth synth;
};
} // namespace

TEST_F(Process, OneBufferOnEveryConnectedOutput) {
    ASSERT_EQ(synth.ProcessSample(&input), S_OK);
    EXPECT_EQ(synth.processCalls, 1);
    EXPECT_EQ(synth.outputs, 2u);
    EXPECT_EQ(synth.pinIds[0], 100u);
    EXPECT_EQ(synth.pinIds[1], 102u);
    EXPECT_EQ(synth.frames[0], kFrames);
    EXPECT_EQ(synth.inputFrames, kFrames);
    EXPECT_EQ(synth.clock, 0);
    EXPECT_EQ(a.delivered + c.delivered, 2);
    EXPECT_EQ(b.delivered, 0);
    EXPECT_EQ(a.sample.length, kBytes);
    EXPECT_EQ(Outstanding(), 0);
    EXPECT_EQ(input.cRef, 0u);
    EXPECT_EQ(synth.GetSampleClock(), kFrames);
    EXPECT_EQ(synth.GetStreamPosition(), kFrames);
    EXPECT_FALSE(a.sample.stamped);
}

TEST_F(Process, DiscontinuitySetsStreamPositionAndStamps) {
    input.discontinuity = input.sync = input.preroll = TRUE;
    input.start = 15000000; // 1.5 s
    input.timeResult = kSampleNoStopTime;
    synth.ProcessSample(&input);
    EXPECT_EQ(synth.streamPos, 72000);
    EXPECT_TRUE(a.sample.stamped);
    EXPECT_EQ(a.sample.start, 15000000);
    EXPECT_FALSE(a.sample.stopGiven);
    EXPECT_TRUE(a.sample.sync && a.sample.discontinuity && a.sample.preroll);
    input.discontinuity = FALSE;
    synth.ProcessSample(&input);
    EXPECT_EQ(synth.streamPos, 72000 + kFrames);
    EXPECT_FALSE(a.sample.stamped);
    EXPECT_FALSE(a.sample.discontinuity);
    input.discontinuity = TRUE;
    input.timeResult = E_FAIL; // unstamped: position runs on
    synth.ProcessSample(&input);
    EXPECT_EQ(synth.streamPos, 72000 + 2 * kFrames);
}

TEST_F(Process, FailuresReleaseEveryBufferAndAdvanceNothing) {
    input.length = kBytes + 8; // one frame more than the outputs hold
    EXPECT_EQ(synth.ProcessSample(&input), E_FAIL);
    input.length = kBytes;
    c.bufferResult = E_OUTOFMEMORY;
    EXPECT_EQ(synth.ProcessSample(&input), E_OUTOFMEMORY);
    EXPECT_EQ(synth.processCalls, 0);
    EXPECT_EQ(a.delivered, 0);
    EXPECT_EQ(Outstanding(), 0);
    EXPECT_EQ(synth.GetSampleClock(), 0);
    c.bufferResult = S_OK;
    synth.SetOutputFormatRecord(WAVEFORMATEX{});
    EXPECT_EQ(synth.ProcessSample(&input), E_UNEXPECTED);
    EXPECT_EQ(Outstanding(), 0);
}

TEST_F(Process, EngineResultDecidesDelivery) {
    synth.processResult = S_FALSE;
    EXPECT_EQ(synth.ProcessSample(&input), S_OK);
    EXPECT_EQ(a.endOfStream + c.endOfStream, 2);
    EXPECT_EQ(a.delivered, 0);
    synth.processResult = E_FAIL; // not returned, nothing delivered
    EXPECT_EQ(synth.ProcessSample(&input), S_OK);
    EXPECT_EQ(a.delivered + a.endOfStream, 1);
    EXPECT_EQ(Outstanding(), 0);
    EXPECT_EQ(synth.GetSampleClock(), 2 * kFrames);
}

TEST_F(Process, SilentOutputsAreZeroedOrFlagged) {
    TestOutputPin flagged(kBytes, true);
    synth.pins = {&a, &flagged, &c};
    synth.render = [](PinBuffer*, PinBuffer* out, DWORD) {
        float* p = out[2].GetFloats(); // c is written
        for (LONG i = 0; i < 2 * kFrames; ++i) p[i] = 0.25f;
    };
    synth.ProcessSample(&input);
    EXPECT_EQ(a.sample.memory, std::vector<BYTE>(kBytes, 0)); // silent, no extension: zeros
    EXPECT_TRUE(flagged.sample.extSilent);                    // the flag travels
    EXPECT_EQ(flagged.sample.memory[0], 0xAB);                // untouched
    EXPECT_EQ(c.sample.Float(0), 0.25f);
    EXPECT_EQ(c.sample.Float(2 * kFrames - 1), 0.25f);
    synth.render = [](PinBuffer*, PinBuffer* out, DWORD) { out[1].GetFloats()[0] = 1.0f; };
    synth.ProcessSample(&input);
    EXPECT_FALSE(flagged.sample.extSilent); // written: the flag is withdrawn
    EXPECT_EQ(flagged.sample.Float(0), 1.0f);
    EXPECT_EQ(flagged.sample.Float(1), 0.0f); // and the rest is real silence
}

TEST_F(Process, InputSilenceComesFromItsExtension) {
    TestSample silentIn(kBytes, true);
    silentIn.length = kBytes;
    silentIn.extSilent = TRUE;
    synth.ProcessSample(&silentIn);
    EXPECT_TRUE(synth.inputSilent);
    EXPECT_TRUE(silentIn.extSilent);
    synth.ProcessSample(&input);
    EXPECT_FALSE(synth.inputSilent);
}

TEST_F(Process, EventsAreDispatchedBeforeAndRetiredAfter) {
    ctx.hasConverter = false;
    synth.AttachTo(ctx);
    TestEventQueue q;
    q.Add(0, 60), q.Add(0, 60, 0), q.Add(3, 62), q.Add(6, 63); // 62 at sample 48, 63 at 144
    synth.Queue(q);
    synth.ProcessSample(&input);
    EXPECT_EQ(synth.activeCount, 2); // 60 (released) and 62
    EXPECT_EQ(synth.activeKeys[1], 62);
    EXPECT_EQ(synth.ActiveKeys(), (std::vector<BYTE>{62})); // 60 retired after the buffer
    EXPECT_EQ(synth.PendingQueue().GetCount(), 1);
}

TEST(PinBufferRules, DataPointerClearsSilenceOnce) {
    TestSample s(32);
    PinBuffer buf;
    buf.pSample = &s, buf.nFrames = 2, buf.wBlockAlign = 8;
    buf.SetSilent(TRUE);
    BYTE* p = buf.GetData();
    EXPECT_EQ(p, s.memory.data());
    EXPECT_EQ(s.memory[15], 0);
    EXPECT_EQ(s.memory[16], 0xAB); // frames x block alignment only
    EXPECT_FALSE(buf.IsSilent());
    p[0] = 7;
    buf.GetData();
    EXPECT_EQ(s.memory[0], 7);
    buf.nFrames = 100; // never beyond the sample's memory
    EXPECT_EQ(buf.ByteCount(), 32u);
    EXPECT_EQ(s.cRef, 0u);
}

TEST_F(Process, TailIsOnePassWhenTheEngineEndsAtOnce) {
    ASSERT_EQ(synth.ProcessEndOfStream(), S_OK);
    EXPECT_EQ(synth.processCalls, 1);
    EXPECT_FALSE(synth.inputGiven);
    EXPECT_EQ(synth.frames[0], kFrames);
    EXPECT_EQ(a.endOfStream + c.endOfStream, 2);
    EXPECT_EQ(b.endOfStream + a.delivered, 0);
    EXPECT_EQ(Outstanding(), 0);
    synth.pins = {&b};
    EXPECT_EQ(synth.ProcessEndOfStream(), S_OK);
    EXPECT_EQ(synth.processCalls, 1);
}

TEST_F(Process, TailRendersUntilTheEngineEnds) {
    synth.tailPasses = 2;
    ASSERT_EQ(synth.ProcessEndOfStream(), S_OK);
    EXPECT_EQ(synth.processCalls, 3);
    EXPECT_EQ(a.delivered, 2);
    EXPECT_EQ(c.endOfStream, 1);
    EXPECT_EQ(a.sample.length, kBytes);
    EXPECT_EQ(synth.GetSampleClock(), 2 * kFrames);
    synth.processCalls = 0;
    synth.tailPasses = 1 << 30; // never ends: bounded at 60 s of audio
    EXPECT_EQ(synth.ProcessEndOfStream(), S_OK);
    EXPECT_EQ(synth.processCalls, 60 * 48000 / kFrames + 1);
}

TEST_F(Process, TailFailures) {
    TestOutputPin small(kBytes - 8);
    synth.pins = {&a, &small};
    EXPECT_EQ(synth.ProcessEndOfStream(), E_FAIL);
    EXPECT_EQ(synth.processCalls, 0);
    EXPECT_EQ(a.endOfStream + small.endOfStream, 2); // downstream still learns the end
    EXPECT_EQ(a.sample.cRef + small.sample.cRef, 0u);
    synth.pins = {&a, &c};
    synth.tailPasses = 1;
    a.deliverResult = E_FAIL;
    EXPECT_EQ(synth.ProcessEndOfStream(), E_FAIL);
    EXPECT_EQ(synth.processCalls, 1);
    a.deliverResult = S_OK;
    synth.tailResult = E_OUTOFMEMORY;
    EXPECT_EQ(synth.ProcessEndOfStream(), E_OUTOFMEMORY);
    EXPECT_EQ(Outstanding(), 0);
}

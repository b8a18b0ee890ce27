// State changes, the tail on an unconnected input, and samples flowing
// through the input pin to every connected output.
#include "FilterRig.h"
#include "support/AllocCounter.h"

namespace {
LONG TakeRefresh(CFilter& f) {
    LONG n = -1;
    f.TakeRefreshRequest(&n);
    return n;
}

struct ConnectedRig : FilterRig {
    ConnectedRig() {
        EXPECT_EQ(ConnectInput(), S_OK);
        EXPECT_EQ(ConnectOutput(0, pSink), S_OK);
        EXPECT_EQ(ConnectOutput(5, pSink2), S_OK);
    }
};
} // namespace

TEST(FilterStateTest, PausingResetsThePositionOnceAndAgainWhilePausedChangesNothing) {
    ConnectedRig rig;
    CFilter& f = *rig.pFilter;
    f.SetStreamPosition(500);
    ASSERT_EQ(f.Pause(), S_OK);
    EXPECT_EQ(f.State(), State_Paused);
    EXPECT_EQ(f.GetStreamPosition(), 0);
    EXPECT_TRUE(rig.OutputPin(0)->Allocator() != nullptr);
    f.SetStreamPosition(77);
    ASSERT_EQ(f.Pause(), S_OK);
    EXPECT_EQ(f.GetStreamPosition(), 77);
    ASSERT_EQ(f.Run(0), S_OK);
    f.SetStreamPosition(88);
    ASSERT_EQ(f.Pause(), S_OK); // from running: reset again
    EXPECT_EQ(f.GetStreamPosition(), 0);
    // A connected input gets no tail: nothing reached the sinks.
    EXPECT_EQ(rig.pSink->pin.nEndOfStream, 0);
    ASSERT_EQ(f.Stop(), S_OK);
}

TEST(FilterStateTest, AnUnconnectedInputGetsItsTailOnPauseAndRun) {
    ConnectedRig rig;
    CFilter& f = *rig.pFilter;
    // Outputs stay connected when the input goes.
    ASSERT_EQ(rig.pGraph->Disconnect(&rig.pSource->pin), S_OK);
    ASSERT_EQ(rig.pGraph->Disconnect(rig.Input()), S_OK);
    ASSERT_EQ(f.Pause(), S_OK);
    // The engine ends the tail at once: end of stream, no buffer, on each output.
    EXPECT_EQ(rig.pSink->pin.nEndOfStream, 1);
    EXPECT_EQ(rig.pSink2->pin.nEndOfStream, 1);
    EXPECT_EQ(rig.pSink->pin.nReceived, 0);
    ASSERT_EQ(f.Run(0), S_OK);
    EXPECT_EQ(rig.pSink->pin.nEndOfStream, 2);
    ASSERT_EQ(f.Stop(), S_OK);
    // From stopped, Run pauses first: both run the tail.
    ASSERT_EQ(f.Run(0), S_OK);
    EXPECT_EQ(rig.pSink2->pin.nEndOfStream, 4);
    f.Stop();
}

TEST(FilterStateTest, RunAndStopAskTheEditorToRefresh) {
    ConnectedRig rig;
    CFilter& f = *rig.pFilter;
    TakeRefresh(f);
    ASSERT_EQ(f.Run(0), S_OK);
    EXPECT_EQ(TakeRefresh(f), 2);
    EXPECT_EQ(TakeRefresh(f), 0);
    ASSERT_EQ(f.Stop(), S_OK);
    EXPECT_EQ(TakeRefresh(f), 2);
    EXPECT_EQ(f.State(), State_Stopped);
    ASSERT_EQ(f.Stop(), S_OK); // already stopped: nothing
    EXPECT_EQ(TakeRefresh(f), 0);
}

TEST(FilterStateTest, EachInputSampleRendersOneBufferOnEveryConnectedOutput) {
    ConnectedRig rig;
    CFilter& f = *rig.pFilter;
    ASSERT_EQ(rig.pGraph->Run(0), S_OK);
    // One second into the stream at 48 kHz.
    ASSERT_EQ(rig.pSource->Push(0.25f, true, 10000000), S_OK);
    ASSERT_EQ(rig.pSource->Push(0.25f), S_OK);
    EXPECT_EQ(rig.pSink->pin.nReceived, 2);
    EXPECT_EQ(rig.pSink2->pin.nReceived, 2);
    EXPECT_EQ(rig.pSink->pin.lLastLength, 256 * 8);
    EXPECT_EQ(f.GetStreamPosition(), 48000 + 2 * 256);
    EXPECT_EQ(f.GetSampleClock(), 2 * 256);
    // A channel carries the input through, and the mix hears the channel.
    EXPECT_EQ(rig.pSink2->pin.fPeak, 0.25f);
    EXPECT_EQ(rig.pSink->pin.fPeak, 0.25f);

    // Flushes travel on to the connected outputs; end of stream renders the tail.
    ASSERT_EQ(rig.Input()->BeginFlush(), S_OK);
    EXPECT_TRUE(rig.pSink->pin.IsFlushing());
    EXPECT_TRUE(rig.pSink2->pin.IsFlushing());
    ASSERT_EQ(rig.Input()->EndFlush(), S_OK);
    EXPECT_FALSE(rig.pSink->pin.IsFlushing());
    ASSERT_EQ(rig.Input()->NewSegment(0, 1000, 1.0), S_OK);
    ASSERT_EQ(rig.Input()->EndOfStream(), S_OK);
    EXPECT_EQ(rig.pSink->pin.nEndOfStream, 1);
    // Notifications that only travel downstream are refused by an output.
    EXPECT_EQ(rig.Output(0)->EndOfStream(), E_UNEXPECTED);
    EXPECT_EQ(rig.Output(0)->BeginFlush(), E_UNEXPECTED);
    EXPECT_EQ(rig.Output(0)->EndFlush(), E_UNEXPECTED);

    // Several samples at once are passed one by one.
    IMemInputPin* pMem = nullptr;
    ASSERT_EQ(rig.Input()->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&pMem)), S_OK);
    IMediaSample* samples[2] = {};
    ASSERT_EQ(rig.pSource->pin.GetDeliveryBuffer(&samples[0], nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(rig.pSource->pin.GetDeliveryBuffer(&samples[1], nullptr, nullptr, 0), S_OK);
    LONG nDone = 0;
    EXPECT_EQ(pMem->ReceiveMultiple(samples, 2, &nDone), S_OK);
    EXPECT_EQ(nDone, 2);
    EXPECT_EQ(rig.pSink->pin.nReceived, 4);
    samples[0]->Release();
    samples[1]->Release();
    pMem->Release();
    EXPECT_EQ(rig.pGraph->Stop(), S_OK);
}

TEST(FilterStateTest, TheAudioPathAllocatesNothingAndSilenceTravelsAsAFlag) {
    ConnectedRig rig;
    ASSERT_EQ(rig.pGraph->Run(0), S_OK);
    ASSERT_EQ(rig.pSource->Push(0.5f), S_OK); // warm-up
    ScopedAllocCount count;
    for (int i = 0; i < 8; ++i) ASSERT_EQ(rig.pSource->Push(0.5f), S_OK);
    ASSERT_EQ(rig.pSource->Push(0.0f, false, 0, true), S_OK);
    EXPECT_EQ(count.Stop(), 0u);
    EXPECT_EQ(rig.pSink2->pin.nReceived, 10);
    // A silent input leaves a channel silent: the flag arrives, not zeros to mix.
    EXPECT_TRUE(rig.pSink2->pin.bLastSilentFlag);
    EXPECT_TRUE(rig.pSink->pin.bLastSilentFlag);
    rig.pGraph->Stop();
}

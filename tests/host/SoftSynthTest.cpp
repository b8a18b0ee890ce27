// Attach and detach, the port target, the instrument and its name lists, the
// adapter's interfaces and which operations take the lock.
#include "FakeEngine.h"
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

TEST(SoftSynth, AttachTakesEveryInterfaceAndTheHandedReference) {
    TestContext ctx;
    TestSynth synth;
    ASSERT_EQ(synth.GetCreateResult(), S_OK);
    EXPECT_FALSE(synth.IsAttached());
    ASSERT_EQ(synth.AttachTo(ctx), S_OK);
    EXPECT_TRUE(synth.IsAttached());
    EXPECT_EQ(ctx.cRef, 0u); // the one handed over is released
    for (ULONG c : {ctx.tempoMap.cRef, ctx.converter.cRef, ctx.position.cRef, ctx.portTarget.cRef,
                    ctx.pinSink.cRef})
        EXPECT_EQ(c, 1u);
    ctx.AddRef();
    EXPECT_EQ(synth.Attach(&ctx), E_UNEXPECTED);
    EXPECT_EQ(ctx.cRef, 1u);
    EXPECT_EQ(synth.Attach(nullptr), E_POINTER);

    std::string log;
    ctx.Log(&log);
    EXPECT_EQ(synth.Detach(), S_OK);
    EXPECT_EQ(log, "TCRSP"); // tempo map, converter, port target, pin sink, position
    EXPECT_FALSE(synth.IsAttached());
    EXPECT_EQ(ctx.tempoMap.cRef + ctx.converter.cRef + ctx.position.cRef + ctx.portTarget.cRef +
                  ctx.pinSink.cRef,
              0u);
}

TEST(SoftSynth, AttachWithoutTempoMapChangesNothing) {
    TestContext ctx;
    ctx.hasTempoMap = false;
    TestSynth synth;
    EXPECT_EQ(synth.AttachTo(ctx), E_NOINTERFACE);
    EXPECT_FALSE(synth.IsAttached());
    EXPECT_EQ(ctx.cRef, 1u);
    EXPECT_EQ(ctx.converter.cRef, 0u);
    ctx.hasTempoMap = true;
    ctx.hasConverter = ctx.hasPosition = ctx.hasPinSink = false; // optional
    EXPECT_EQ(synth.AttachTo(ctx), S_OK);
}

TEST(SoftSynth, DestructionReleasesHostReferences) {
    TestContext ctx;
    {
        TestSynth synth;
        synth.AttachTo(ctx);
    }
    EXPECT_EQ(ctx.tempoMap.cRef + ctx.converter.cRef + ctx.position.cRef + ctx.portTarget.cRef +
                  ctx.pinSink.cRef,
              0u);
}

TEST(SoftSynth, PortTarget) {
    TestContext ctx;
    TestIface<IUnknown> a, b;
    TestSynth synth;
    IUnknown* p = &a;
    EXPECT_EQ(synth.GetPortTarget(nullptr), E_POINTER);
    EXPECT_EQ(synth.GetPortTarget(&p), S_FALSE);
    EXPECT_EQ(p, nullptr);
    synth.SetPortTarget(&a);
    synth.SetPortTarget(&b);
    EXPECT_EQ(a.cRef, 0u);
    EXPECT_EQ(synth.GetPortTarget(&p), S_OK);
    EXPECT_EQ(p, &b);
    EXPECT_EQ(b.cRef, 2u);
    // Attach fills the same reference from the host's port-target interface.
    synth.AttachTo(ctx);
    EXPECT_EQ(b.cRef, 1u);
    synth.GetPortTarget(&p);
    EXPECT_EQ(p, &ctx.portTarget);
    synth.SetPortTarget(nullptr);
    EXPECT_EQ(ctx.portTarget.cRef, 1u); // ours from GetPortTarget
}

TEST(SoftSynth, InstrumentAndForwardedNameLists) {
    TestSynth synth;
    EXPECT_EQ(synth.GetInstrument(0, nullptr), E_POINTER);
    IMfxInstrument* pInst = nullptr;
    ASSERT_EQ(synth.GetInstrument(0, &pInst), S_OK);
    char name[8];
    EXPECT_EQ(pInst->GetInstrumentName(name, 8), S_OK);
    EXPECT_STREQ(name, "Pandrel");
    IMfxNameList* pList = nullptr;
    EXPECT_EQ(synth.GetNoteNames(0, 5, &pList), S_FALSE); // the instrument's answer, unchanged
    IMfxNameList* pSame = nullptr;
    pInst->GetNoteNames(0, 5, &pSame);
    EXPECT_EQ(pList, pSame);
    EXPECT_EQ(synth.QueryPatchFlag(0, 200), E_INVALIDARG);
    EXPECT_EQ(synth.GetPatchNames(16384, &pSame), E_INVALIDARG);
    pList->Release(), pList->Release();
    pInst->Release();
    void* pv = nullptr;
    EXPECT_EQ(synth.QuerySoftSynthInterface(IID_IMfxNotify, &pv), S_OK);
    EXPECT_EQ(pv, static_cast<IMfxNotify*>(&synth));
    EXPECT_EQ(synth.QuerySoftSynthInterface(IID_IMfxInstrument, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
}

TEST(SoftSynth, TempoAndPlayStateTakeNoLockConversionsDo) {
    TestSynth synth;
    std::promise<void> held, done;
    std::thread holder([&] {
        CAutoLock lock(&synth);
        held.set_value();
        done.get_future().wait();
    });
    held.get_future().wait();
    synth.SetTempo(90.0);
    EXPECT_EQ(synth.GetTempo(), 90.0);
    EXPECT_FALSE(synth.IsPlaying());
    EXPECT_EQ(synth.GetSampleRate(), 48000u);
    auto conversion = std::async(std::launch::async, [&] { return synth.MidiTicksToSamples(960); });
    EXPECT_EQ(conversion.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    done.set_value();
    holder.join();
    EXPECT_EQ(conversion.get(), 32000); // 960 ticks at 90 BPM, 48 kHz
    synth.SetTempo(0.0);
    synth.SetTempo(-5.0);
    EXPECT_EQ(synth.GetTempo(), 90.0);
}

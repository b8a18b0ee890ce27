// Output pin management for the engine, the host's pin-change sink, the
// graph's change event, and the pin enumerator.
#include "FilterRig.h"
#include <string>

namespace {
constexpr HRESULT kRefused = static_cast<HRESULT>(0x80070005);
std::wstring NameOf(IPin* p) {
    PIN_INFO info{};
    p->QueryPinInfo(&info);
    static_cast<IBaseFilter*>(info.pFilter)->Release();
    return info.achName;
}
} // namespace

TEST(FilterPinsTest, RemovingAPinChangesOnlyWhatItShould) {
    FilterRig rig;
    CFilter& f = *rig.pFilter;
    const DWORD mixId = f.GetOutputPinId(0);
    // An identifier no output has: E_FAIL, nothing changes.
    EXPECT_EQ(f.RemoveOutputPin(0xDEAD), E_FAIL);
    EXPECT_EQ(f.GetOutputPinCount(), 17u);
    EXPECT_EQ(rig.pGraph->CountEvents(EC_GRAPH_CHANGED), 0);

    // A connected pin stays.
    ASSERT_EQ(rig.ConnectInput(), S_OK);
    ASSERT_EQ(rig.ConnectOutput(0, rig.pSink), S_OK);
    EXPECT_EQ(f.RemoveOutputPin(mixId), E_UNEXPECTED);
    EXPECT_EQ(f.FindOutputPin(mixId), rig.OutputPin(0));

    // An unconnected one goes, the graph hears of it, the later pins move up.
    const DWORD chan1 = f.GetOutputPinId(1);
    const DWORD chan2 = f.GetOutputPinId(2);
    ASSERT_EQ(f.RemoveOutputPin(chan1), S_OK);
    EXPECT_EQ(f.GetOutputPinCount(), 16u);
    EXPECT_EQ(f.FindOutputPin(chan1), nullptr);
    EXPECT_EQ(f.GetOutputPinId(1), chan2);
    EXPECT_EQ(rig.pGraph->CountEvents(EC_GRAPH_CHANGED), 1);

    // A pin without a name is numbered after the outputs there are.
    DWORD id = 0;
    ASSERT_EQ(f.AddOutputPin(nullptr, &id), S_OK);
    EXPECT_EQ(NameOf(f.FindOutputPin(id)), L"Output 17");
    EXPECT_EQ(f.GetPinCount(), 18);

    // Removing all stops at the connected mix and keeps it.
    EXPECT_EQ(f.RemoveAllOutputPins(), E_UNEXPECTED);
    EXPECT_EQ(f.GetOutputPinCount(), 17u);
    rig.pGraph->Disconnect(rig.Output(0));
    rig.pGraph->Disconnect(&rig.pSink->pin);
    EXPECT_EQ(f.RemoveAllOutputPins(), S_OK);
    EXPECT_EQ(f.GetOutputPinCount(), 0u);
    EXPECT_EQ(f.GetPinCount(), 1);
    EXPECT_EQ(f.GetPin(1), nullptr);
}

TEST(FilterPinsTest, AnAttachedHostIsAskedFirstAndCanRefuse) {
    FilterRig rig;
    CFilter& f = *rig.pFilter;
    CTestHostContext ctx;
    ctx.AddRef();
    ASSERT_EQ(f.Attach(static_cast<IMfxTempoMap*>(&ctx)), S_OK);

    ctx.hrAsk = kRefused;
    EXPECT_EQ(f.AddOutputPin(L"Extra", nullptr), kRefused);
    EXPECT_EQ(f.GetOutputPinCount(), 17u);
    EXPECT_EQ(f.RemoveOutputPin(f.GetOutputPinId(16)), kRefused);
    EXPECT_EQ(f.GetOutputPinCount(), 17u);
    ASSERT_EQ(ctx.calls.size(), 2u);
    EXPECT_EQ(ctx.calls[0].dwPhase, 1u);
    EXPECT_EQ(ctx.calls[0].dwCount, 18u);
    EXPECT_EQ(ctx.calls[1].dwCount, 16u);

    // A positive answer counts as leave; phase 2 follows with the new count.
    ctx.hrAsk = S_FALSE;
    ctx.calls.clear();
    ASSERT_EQ(f.AddOutputPin(L"Extra", nullptr), S_OK);
    ASSERT_EQ(ctx.calls.size(), 2u);
    EXPECT_EQ(ctx.calls[1].dwPhase, 2u);
    EXPECT_EQ(ctx.calls[1].dwCount, 18u);
    EXPECT_EQ(rig.pGraph->CountEvents(EC_GRAPH_CHANGED), 1);
    f.Detach();
    EXPECT_EQ(ctx.cRef, 0u);

    // Attached to a host without a pin-change sink: pins cannot change.
    CTestHostContext bare;
    bare.bOfferPinSink = false;
    bare.AddRef();
    ASSERT_EQ(f.Attach(static_cast<IMfxTempoMap*>(&bare)), S_OK);
    EXPECT_EQ(f.AddOutputPin(L"More", nullptr), E_FAIL);
    EXPECT_EQ(f.RemoveAllOutputPins(), E_FAIL);
    EXPECT_EQ(f.GetOutputPinCount(), 18u);
    f.Detach();
}

TEST(FilterPinsTest, PinEnumeratorStartsOverAfterAChangeWithoutRepeatingPins) {
    FilterRig rig;
    CFilter& f = *rig.pFilter;
    IEnumPins* pEnum = nullptr;
    ASSERT_EQ(f.EnumPins(&pEnum), S_OK);
    IPin* pins[19] = {};
    ULONG fetched = 0;
    EXPECT_EQ(pEnum->Next(2, nullptr, &fetched), E_POINTER);
    EXPECT_EQ(pEnum->Next(2, pins, nullptr), E_INVALIDARG);
    ASSERT_EQ(pEnum->Next(3, pins, &fetched), S_OK);
    EXPECT_EQ(NameOf(pins[0]), L"Input");
    EXPECT_EQ(NameOf(pins[1]), L"Mix Output");
    EXPECT_EQ(NameOf(pins[2]), L"Chan 1");

    DWORD id = 0;
    ASSERT_EQ(f.AddOutputPin(L"Late", &id), S_OK);
    EXPECT_EQ(pEnum->Skip(1), VFW_E_ENUM_OUT_OF_SYNC);
    // The walk restarts but hands out only the pins not yet seen.
    ASSERT_EQ(pEnum->Next(18, pins + 3, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 16u);
    EXPECT_EQ(NameOf(pins[3]), L"Chan 2");
    EXPECT_EQ(NameOf(pins[18]), L"Late");
    EXPECT_EQ(pEnum->Next(1, pins, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(pEnum->Reset(), S_OK);
    EXPECT_EQ(pEnum->Skip(20), S_FALSE); // past the end: nothing moves
    EXPECT_EQ(pEnum->Skip(19), S_OK);
    EXPECT_EQ(pEnum->Skip(1), S_FALSE);
    for (IPin* p : pins) p->Release();
    pEnum->Release();
    EXPECT_EQ(f.RemoveOutputPin(id), S_OK);
}

TEST(FilterPinsTest, AHostsPinReferenceKeepsTheFilterAndItsLock) {
    CFilter* pFilter = NewFilter();
    IPin* pMix = pFilter->GetPin(1);
    pMix->AddRef();
    pFilter->NonDelegatingRelease(); // the host lets the filter go first
    PIN_DIRECTION dir;
    EXPECT_EQ(pMix->QueryDirection(&dir), S_OK);
    EXPECT_GT(CBaseObject::ObjectsActive(), 0);
    pMix->Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
}

TEST(FilterPinsTest, DestructionRemovesThePinsEvenWhenTheHostRefuses) {
    CTestHostContext ctx;
    {
        CFilter* pFilter = NewFilter();
        ctx.AddRef();
        ASSERT_EQ(pFilter->Attach(static_cast<IMfxTempoMap*>(&ctx)), S_OK);
        ctx.hrAsk = kRefused;
        EXPECT_EQ(pFilter->RemoveAllOutputPins(), kRefused);
        pFilter->NonDelegatingRelease(); // still attached, still refusing
    }
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
    EXPECT_EQ(ctx.cRef, 0u);
}

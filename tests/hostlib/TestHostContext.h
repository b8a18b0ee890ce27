// A host's context object for the soft-synth side (a 120 BPM tempo map and a
// pin-change sink that can refuse) and its event queue.
#pragma once
#include "platform/mfx/MfxHostContext.h"
#include "platform/mfx/MfxPinChange.h"
#include "platform/mfx/MfxQueues.h"
#include <atomic>
#include <vector>

struct PinChangeCall {
    DWORD dwPhase;
    DWORD dwCount;
};

class CTestHostContext : public IMfxTempoMap, public IMfxPinChangeNotify {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return ++cRef; }
    ULONG Release() override { return --cRef; } // lives in the test

    LONG TicksToMsecs(LONG lMidiTicks) override { return lMidiTicks * 500 / 960; }
    LONG MsecsToTicks(LONG lMsecs) override { return lMsecs * 960 / 500; }
    HRESULT TempoMapReserved5() override { return E_NOTIMPL; }
    HRESULT TempoMapReserved6() override { return E_NOTIMPL; }
    HRESULT TempoMapReserved7() override { return E_NOTIMPL; }
    HRESULT GetTempoAt(LONG, LONG* plStart, LONG* plTempo100) override;

    HRESULT OnPinChange(DWORD dwPhase, IBaseFilter* pFilter, DWORD dwCount) override;

    std::atomic<ULONG> cRef{0};
    bool bOfferPinSink = true;
    HRESULT hrAsk = S_OK; // the answer to phase 1
    std::vector<PinChangeCall> calls;
};

class CTestEventQueue : public IMfxEventQueue {
public:
    HRESULT QueryInterface(REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT EventQueueReserved3() override { return E_NOTIMPL; }
    HRESULT GetCount(LONG* plCount) override;
    HRESULT GetAt(LONG lIndex, MfxEvent* pEvent) override;
    // A note of the key held until its note-off (or of dwDuration MIDI ticks).
    void AddNote(LONG lTime, BYTE byKey, BYTE byVelocity, DWORD dwDuration = 0xFFFFFFFF);

    std::vector<MfxEvent> events;
};

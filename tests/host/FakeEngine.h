// A fake engine (a CDXi recording what the adapter asks of it) and the test
// object that joins it with the adapter the way the filter will: one
// identity, one lock, pin management slots backed by test output pins.
#pragma once
#include "HostDoubles.h"
#include "host/SoftSynth.h"
#include <array>
#include <functional>

struct FakeEngine : virtual CDXi {
    FakeEngine() : CDXi(nullptr) {}
    HRESULT Initialize() override { return S_OK; }
    HRESULT CheckInputFormat(const WAVEFORMATEX*) override { return S_OK; }
    HRESULT CheckOutputFormat(const WAVEFORMATEX*) override { return S_OK; }
    HRESULT CheckTransform(const WAVEFORMATEX*, const WAVEFORMATEX*) override { return S_OK; }
    HRESULT ProposeOutputFormat(WAVEFORMATEX*, AM_MEDIA_TYPE*) override { return S_OK; }
    const WAVEFORMATEX* GetInputFormat() override { return &m_wfxIn; }
    const WAVEFORMATEX* GetOutputFormat() override { return &m_wfxOut; }
    HRESULT Process(LONGLONG llStreamPos, PinBuffer* pIn, PinBuffer* pOut, DWORD dwOut,
                    LONGLONG llClock, CSynthEventList* pActive) override {
        ++processCalls;
        streamPos = llStreamPos, clock = llClock, inputGiven = pIn != nullptr, outputs = dwOut;
        inputSilent = pIn != nullptr && pIn->IsSilent();
        inputFrames = pIn != nullptr ? pIn->nFrames : -1;
        activeCount = pActive->GetCount();
        for (int i = 0; i < activeCount && i < 16; ++i)
            activeKeys[size_t(i)] = (*pActive)[i].rec.byKey;
        for (DWORD k = 0; k < dwOut && k < 4; ++k)
            pinIds[k] = pOut[k].dwPinId, frames[k] = pOut[k].nFrames;
        if (render) render(pIn, pOut, dwOut);
        if (pIn != nullptr) return processResult;
        return tailPasses-- > 0 ? S_OK : tailResult; // no input: the tail
    }
    HRESULT FilterEvent(SynthEvent* p) override { return filterAnswer(*p); }
    HRESULT ActivateNote(SynthEvent* p) override {
        ++activated;
        p->pNoteState = reinterpret_cast<PlayState*>(&activated);
        return activateAnswer;
    }
    HRESULT RetireNote(SynthEvent* p, DWORD dwForce) override {
        ++retireCalls;
        if (dwForce) return ++forcedRetires, S_OK;
        if (retireAnswer != S_OK) return retireAnswer;
        return p->rec.dwDuration == 0 ? S_OK : S_FALSE; // released notes end at once
    }
    HRESULT OnPause() override { return S_OK; }
    HRESULT OnStop() override { return S_OK; }
    HRESULT Reserved13() override { return S_OK; }
    HRESULT LoadState(IStream*) override { return S_OK; }
    HRESULT SaveState(IStream*) override { return S_OK; }
    HRESULT ResetVoices() override { return ++resets, S_OK; }

    std::function<HRESULT(const SynthEvent&)> filterAnswer = [](const SynthEvent&) { return S_OK; };
    std::function<void(PinBuffer*, PinBuffer*, DWORD)> render;
    HRESULT activateAnswer = S_OK, retireAnswer = S_OK, processResult = S_OK, tailResult = S_FALSE;
    int tailPasses = 0; // tail passes answered S_OK before tailResult
    int processCalls = 0, activated = 0, retireCalls = 0, forcedRetires = 0, resets = 0;
    LONGLONG streamPos = -1, clock = -1;
    bool inputGiven = false, inputSilent = false;
    LONG inputFrames = 0;
    DWORD outputs = 0;
    int activeCount = 0;
    std::array<BYTE, 16> activeKeys{};
    std::array<DWORD, 4> pinIds{};
    std::array<LONG, 4> frames{};
};

struct TestSynth : CSoftSynth, FakeEngine {
    TestSynth() : CDXi(this), CSoftSynth(this) {
        SetInputFormatRecord(MakeFloatFormat(2, 48000));
        SetOutputFormatRecord(MakeFloatFormat(2, 48000));
    }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return QuerySoftSynthInterface(riid, ppv);
    }
    ULONG AddRef() override { return ++cRef; }
    ULONG Release() override { return --cRef; }
    HRESULT AddOutputPin(const wchar_t*, DWORD*) override { return E_NOTIMPL; }
    HRESULT RemoveOutputPin(DWORD) override { return E_NOTIMPL; }
    HRESULT RemoveAllOutputPins() override { return E_NOTIMPL; }
    CFilterOutputPin* FindOutputPin(DWORD) override { return nullptr; }
    DWORD GetOutputPinCount() override { return DWORD(pins.size()); }
    DWORD GetOutputPinId(DWORD i) override { return i < pins.size() ? 100 + i : 0xFFFFFFFF; }
    IRenderOutput* GetRenderOutput(DWORD i) override { return i < pins.size() ? pins[i] : nullptr; }

    // Attaches a context (the adapter takes over the reference added here).
    HRESULT AttachTo(TestContext& ctx) { return ctx.AddRef(), Attach(&ctx); }
    HRESULT Queue(TestEventQueue& q, DWORD source = 0) { return QueueEvents(0, 0, source, &q); }
    std::vector<BYTE> PendingKeys() const {
        std::vector<BYTE> keys;
        for (int h = PendingQueue().GetHead(); h != CPendingQueue::kEnd;
             h = PendingQueue().GetNext(h))
            keys.push_back(PendingQueue().GetAt(h).rec.byKey);
        return keys;
    }
    std::vector<BYTE> ActiveKeys() const {
        std::vector<BYTE> keys;
        for (const SynthEvent& ev : ActiveList()) keys.push_back(ev.rec.byKey);
        return keys;
    }

    ULONG cRef = 0;
    std::vector<IRenderOutput*> pins;
};

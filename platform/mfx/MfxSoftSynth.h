// The soft-synth protocol a host drives an instrument through: attach to the
// host's context, transport, sequencer events, raw MIDI input and name lists.
#pragma once
#include "platform/mfx/MfxInstrument.h"
#include "platform/mfx/MfxQueues.h"

// {5BBDF239-3046-4DAA-8ADD-3B9373545B74}
constexpr IID IID_IMfxSoftSynth = {
    0x5BBDF239, 0x3046, 0x4DAA, {0x8A, 0xDD, 0x3B, 0x93, 0x73, 0x54, 0x5B, 0x74}};
// {6E88453F-4A85-4159-B658-88C43D288287}
constexpr IID IID_IMfxSoftSynth2 = {
    0x6E88453F, 0x4A85, 0x4159, {0xB6, 0x58, 0x88, 0xC4, 0x3D, 0x28, 0x82, 0x87}};

class IMfxSoftSynth : public IUnknown {
public:
    // Takes over one reference of pContext when it succeeds.
    virtual HRESULT Attach(IUnknown* pContext) = 0;               // 3
    virtual HRESULT Detach() = 0;                                 // 4
    virtual HRESULT TransportStart(LONG lMidiTicks) = 0;          // 5
    virtual HRESULT TransportLoop(LONG lFirst, LONG lSecond) = 0; // 6
    virtual HRESULT TransportStop() = 0;                          // 7
    virtual HRESULT QueueEvents(LONG lFrom, LONG lThru, DWORD dwSource,
                                IMfxEventQueue* pQueue) = 0;                          // 8
    virtual HRESULT QueueInput(DWORD dwSource, IMfxDataQueue* pQueue) = 0;            // 9
    virtual HRESULT GetBankList(LONG** ppBanks, LONG* plCount) = 0;                   // 10
    virtual HRESULT QueryPatchFlag(LONG lBank, LONG lPatch) = 0;                      // 11
    virtual HRESULT ValidatePatch(LONG lBank, LONG lPatch) = 0;                       // 12
    virtual HRESULT GetPatchNames(LONG lBank, IMfxNameList** ppList) = 0;             // 13
    virtual HRESULT GetNoteNames(LONG lBank, LONG lPatch, IMfxNameList** ppList) = 0; // 14
    virtual HRESULT GetControllerNames(IMfxNameList** ppList) = 0;                    // 15
    virtual HRESULT GetRpnNames(IMfxNameList** ppList) = 0;                           // 16
    virtual HRESULT GetNrpnNames(IMfxNameList** ppList) = 0;                          // 17

protected:
    ~IMfxSoftSynth() = default;
};

class IMfxSoftSynth2 : public IMfxSoftSynth {
public:
    virtual HRESULT GetInstrument(DWORD dwReserved, IMfxInstrument** ppInstrument) = 0; // 18

protected:
    ~IMfxSoftSynth2() = default;
};

// The soft-synth protocol a host drives an instrument through: attach to the
// host's context, transport, sequencer events, raw MIDI input and name lists.
#pragma once
#include "platform/mfx/MfxInstrument.h"
#include "platform/mfx/MfxQueues.h"

// Identifiers chosen by Pandrel; the host protocol leaves them open.
// {F40E9867-C3C8-4C35-A165-F208C852EAB8}
constexpr IID IID_IMfxSoftSynth = {
    0xF40E9867, 0xC3C8, 0x4C35, {0xA1, 0x65, 0xF2, 0x08, 0xC8, 0x52, 0xEA, 0xB8}};
// {3DB8FE0B-3FA9-4D5C-93EB-07AE6EE4A5ED}
constexpr IID IID_IMfxSoftSynth2 = {
    0x3DB8FE0B, 0x3FA9, 0x4D5C, {0x93, 0xEB, 0x07, 0xAE, 0x6E, 0xE4, 0xA5, 0xED}};

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

// The instrument's description for the host: its name, its banks and its
// name lists. Lists are handed out with a reference added.
#pragma once
#include "platform/mfx/MfxNameList.h"

// {2AC171DF-81E3-496C-BA7A-92EF10B417D9}
constexpr IID IID_IMfxInstrument = {
    0x2AC171DF, 0x81E3, 0x496C, {0xBA, 0x7A, 0x92, 0xEF, 0x10, 0xB4, 0x17, 0xD9}};

class IMfxInstrument : public IUnknown {
public:
    virtual HRESULT GetInstrumentName(char* pszName, LONG lSize) = 0; // 3
    // *ppBanks is allocated with CoTaskMemAlloc; the caller frees it.
    virtual HRESULT GetBankList(LONG** ppBanks, LONG* plCount) = 0;                   // 4
    virtual HRESULT QueryPatchFlag(LONG lBank, LONG lPatch) = 0;                      // 5
    virtual HRESULT ValidatePatch(LONG lBank, LONG lPatch) = 0;                       // 6
    virtual HRESULT GetPatchNames(LONG lBank, IMfxNameList** ppList) = 0;             // 7
    virtual HRESULT GetNoteNames(LONG lBank, LONG lPatch, IMfxNameList** ppList) = 0; // 8
    virtual HRESULT GetControllerNames(IMfxNameList** ppList) = 0;                    // 9
    virtual HRESULT GetRpnNames(IMfxNameList** ppList) = 0;                           // 10
    virtual HRESULT GetNrpnNames(IMfxNameList** ppList) = 0;                          // 11

protected:
    ~IMfxInstrument() = default;
};

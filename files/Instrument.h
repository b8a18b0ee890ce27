// The instrument's description for the host (IMfxInstrument): its name, one
// bank (0) and its name lists, each created on first request and held until
// the instrument goes. Called from the host's threads; every operation from
// GetBankList on holds the instrument's own critical section.
#pragma once
#include "files/StringMap.h"
#include "platform/kernel/CritSec.h"
#include "platform/mfx/MfxInstrument.h"
#include <atomic>
#include <map>
#include <string>

constexpr LONG kNameListCapacity = 128;        // patches, notes, controllers
constexpr LONG kParameterListCapacity = 16383; // RPNs, NRPNs

class CInstrument : public IMfxInstrument {
public:
    // Reference count 0: the creator adds the first reference.
    explicit CInstrument(const wchar_t* pszName);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;                      // 0
    ULONG AddRef() override;                                                       // 1
    ULONG Release() override;                                                      // 2
    HRESULT GetInstrumentName(char* pszName, LONG lSize) override;                 // 3
    HRESULT GetBankList(LONG** ppBanks, LONG* plCount) override;                   // 4
    HRESULT QueryPatchFlag(LONG lBank, LONG lPatch) override;                      // 5
    HRESULT ValidatePatch(LONG lBank, LONG lPatch) override;                       // 6
    HRESULT GetPatchNames(LONG lBank, IMfxNameList** ppList) override;             // 7
    HRESULT GetNoteNames(LONG lBank, LONG lPatch, IMfxNameList** ppList) override; // 8
    HRESULT GetControllerNames(IMfxNameList** ppList) override;                    // 9
    HRESULT GetRpnNames(IMfxNameList** ppList) override;                           // 10
    HRESULT GetNrpnNames(IMfxNameList** ppList) override;                          // 11
    virtual ~CInstrument();                                                        // 12
    // Create the list if it does not exist yet: S_OK or E_OUTOFMEMORY.
    virtual HRESULT CreatePatchNames(LONG lBank);             // 13
    virtual HRESULT CreateNoteNames(LONG lBank, LONG lPatch); // 14
    virtual HRESULT CreateControllerNames();                  // 15
    virtual HRESULT CreateRpnNames();                         // 16
    virtual HRESULT CreateNrpnNames();                        // 17

    // The note-list key of (bank, patch): bank x 65536 | the patch's low 16 bits.
    static LONG NoteKey(LONG lBank, LONG lPatch);

private:
    using ListMap = std::map<LONG, CStringMap*>;

    HRESULT CreateList(CStringMap** ppList, const wchar_t* pszSuffix, LONG lCapacity);
    HRESULT CreateInMap(ListMap& map, LONG lKey, const wchar_t* pszSuffix);
    HRESULT HandOut(CStringMap* pList, IMfxNameList** ppList, HRESULT hrFound);

    CCritSec m_lock;
    std::atomic<ULONG> m_cRef{0};
    std::wstring m_strName;
    std::string m_strNameUtf8;
    CStringMap* m_pControllers = nullptr;
    CStringMap* m_pRpns = nullptr;
    CStringMap* m_pNrpns = nullptr;
    ListMap m_patchLists;
    ListMap m_noteLists;
};

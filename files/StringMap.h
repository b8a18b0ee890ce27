// A numbered list of names with a title and a capacity, handed to the host
// through IMfxNameList2. Names are kept as wide text and handed out as UTF-8.
// No lock: a list does not change once its creator has filled it, and its one
// iteration cursor is shared by all users. Any thread may call it.
#pragma once
#include "platform/mfx/MfxNameList.h"
#include <atomic>
#include <map>
#include <string>

class CStringMap : public IMfxNameList2 {
public:
    // Reference count 0: the creator adds the first reference.
    CStringMap(const wchar_t* pszTitle, LONG lCapacity);

    HRESULT QueryInterface(REFIID riid, void** ppv) override;          // 0
    ULONG AddRef() override;                                           // 1
    ULONG Release() override;                                          // 2
    HRESULT GetTitle(char* pszTitle, LONG lSize) override;             // 3
    HRESULT GetCapacity(LONG* plCapacity) override;                    // 4
    HRESULT GetName(LONG lNumber, char* pszName, LONG lSize) override; // 5
    HRESULT GetCount(LONG* plCount) override;                          // 6
    HRESULT GetFirstPosition(void** ppPos) override;                   // 7
    HRESULT GetNextName(void** ppPos, LONG* plNumber, char* pszName,
                        LONG lSize) override;                             // 8
    HRESULT LookupName(LONG lNumber, char* pszName, LONG lSize) override; // 9
    virtual ~CStringMap();                                                // 10

    // For the creator, before handing the list out: stores a name under
    // lNumber (0..capacity - 1, else E_INVALIDARG).
    HRESULT SetName(LONG lNumber, const wchar_t* pszName);

private:
    using NameMap = std::map<LONG, std::wstring>;

    std::atomic<ULONG> m_cRef{0};
    NameMap m_names;
    NameMap::const_iterator m_itCursor;
    std::wstring m_strTitle;
    LONG m_lCapacity;
};

// A numbered list of names with a title (patches, notes, controllers, RPNs,
// NRPNs), handed to the host as multibyte (UTF-8) text. Every text buffer gets
// its last byte set to 0.
#pragma once
#include "platform/com/Unknown.h"

// {857F3281-02A9-11D2-A8E0-0000A0090B97}
constexpr IID IID_IMfxNameList = {
    0x857F3281, 0x02A9, 0x11D2, {0xA8, 0xE0, 0x00, 0x00, 0xA0, 0x09, 0x0B, 0x97}};
// {BADA6CF9-77A5-4F48-B6FA-66154E4B163B}
constexpr IID IID_IMfxNameList2 = {
    0xBADA6CF9, 0x77A5, 0x4F48, {0xB6, 0xFA, 0x66, 0x15, 0x4E, 0x4B, 0x16, 0x3B}};

class IMfxNameList : public IUnknown {
public:
    virtual HRESULT GetTitle(char* pszTitle, LONG lSize) = 0;             // 3
    virtual HRESULT GetCapacity(LONG* plCapacity) = 0;                    // 4
    virtual HRESULT GetName(LONG lNumber, char* pszName, LONG lSize) = 0; // 5

protected:
    ~IMfxNameList() = default;
};

class IMfxNameList2 : public IMfxNameList {
public:
    virtual HRESULT GetCount(LONG* plCount) = 0; // 6
    // *ppPos receives a handle to the list's one iteration cursor.
    virtual HRESULT GetFirstPosition(void** ppPos) = 0; // 7
    virtual HRESULT GetNextName(void** ppPos, LONG* plNumber, char* pszName,
                                LONG lSize) = 0;                             // 8
    virtual HRESULT LookupName(LONG lNumber, char* pszName, LONG lSize) = 0; // 9

protected:
    ~IMfxNameList2() = default;
};

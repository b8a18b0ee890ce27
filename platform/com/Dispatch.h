// Automation: IDispatch (slots 3..6 of a dual interface), the records its
// calls carry, and the part of ITypeInfo and ITypeLib that a dual interface
// forwards to. The type library registry is in TypeLib.h.
#pragma once
#include "platform/com/Unknown.h"

using LCID = DWORD;
using DISPID = LONG;
using MEMBERID = DISPID;
using VARTYPE = WORD;
using LPOLESTR = WCHAR*;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;

// An automation value: its type tag and the value.
struct VARIANT {
    VARTYPE vt = 0;
    WORD wReserved1 = 0, wReserved2 = 0, wReserved3 = 0;
    union {
        LONGLONG llVal;
        LONG lVal;
        float fltVal;
        double dblVal;
        void* byref;
    };
};

struct DISPPARAMS {
    VARIANT* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

struct EXCEPINFO {
    WORD wCode = 0;
    WORD wReserved = 0;
    WCHAR* bstrSource = nullptr;
    WCHAR* bstrDescription = nullptr;
    WCHAR* bstrHelpFile = nullptr;
    DWORD dwHelpContext = 0;
    void* pvReserved = nullptr;
    void* pfnDeferredFillIn = nullptr;
    HRESULT scode = 0;
};

// {00020400-0000-0000-C000-000000000046}
constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The type description of one interface: name lookup and late-bound calls.
class ITypeInfo : public IUnknown {
public:
    virtual HRESULT GetIDsOfNames(LPOLESTR* rgszNames, UINT cNames, MEMBERID* pMemId) = 0;
    virtual HRESULT Invoke(void* pvInstance, MEMBERID memid, WORD wFlags, DISPPARAMS* pDispParams,
                           VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

protected:
    ~ITypeInfo() = default;
};

// Identity of a type library.
struct TLIBATTR {
    GUID guid = GUID_NULL;
    LCID lcid = 0;
    DWORD syskind = 0;
    WORD wMajorVerNum = 0;
    WORD wMinorVerNum = 0;
    WORD wLibFlags = 0;
};

class ITypeLib : public IUnknown {
public:
    virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT GetLibAttr(TLIBATTR* pAttr) = 0;

protected:
    ~ITypeLib() = default;
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;                          // 3
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0; // 4
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0; // 5
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           UINT* puArgErr) = 0; // 6

protected:
    ~IDispatch() = default;
};

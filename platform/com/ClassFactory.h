// Class factory plumbing: IClassFactory, the non-delegating IUnknown of an
// object that may be aggregated, the module's live-object counter, and the
// signature of an in-process server's DllGetClassObject / DllCanUnloadNow.
#pragma once
#include "platform/com/Unknown.h"
#include <atomic>

// {00000001-0000-0000-C000-000000000046}
constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) = 0; // 3
    virtual HRESULT LockServer(BOOL fLock) = 0;                                       // 4

protected:
    ~IClassFactory() = default;
};

// The inner identity of an object: its own interfaces and reference count,
// whatever outer object it delegates its public IUnknown to. Deleting it
// through this base destroys the whole object.
class INonDelegatingUnknown {
public:
    virtual HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG NonDelegatingAddRef() = 0;
    virtual ULONG NonDelegatingRelease() = 0;
    virtual ~INonDelegatingUnknown() = default;
};

// Counts the framework objects of this module (factories, filters, pins,
// allocators, pages) alive at any moment; DllCanUnloadNow reads it.
// Interlocked, any thread. Each module linking this has its own count.
class CBaseObject {
public:
    CBaseObject() { s_cActive.fetch_add(1); }
    CBaseObject(const CBaseObject&) : CBaseObject() {}
    CBaseObject& operator=(const CBaseObject&) = default;
    ~CBaseObject() { s_cActive.fetch_sub(1); }
    static LONG ObjectsActive() { return s_cActive.load(); }

private:
    inline static std::atomic<LONG> s_cActive{0};
};

using PFN_DllGetClassObject = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using PFN_DllCanUnloadNow = HRESULT (*)();

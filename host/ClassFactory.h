// The library's class table and its class factory: a template per COM class
// (name, identifier, creation function, optional initialisation and filter
// setup data) and CClassFactory, which creates objects of one template. The
// export functions and factories run on any thread the host uses; a factory
// is meant for one thread at a time (its count is not interlocked).
#pragma once
#include "platform/com/ClassFactory.h"
#include "platform/media/FilterMapper.h"

using LPFNNewCOMObject = INonDelegatingUnknown* (*)(IUnknown* pUnkOuter, HRESULT* phr);
using LPFNInitRoutine = void (*)(BOOL bLoading, const CLSID* rclsid);

struct CFactoryTemplate {
    const WCHAR* m_Name;
    const CLSID* m_ClsID;
    LPFNNewCOMObject m_lpfnNew;
    LPFNInitRoutine m_lpfnInit;
    const AMOVIESETUP_FILTER* m_pAMovieSetup_Filter;

    bool IsClassID(REFCLSID rclsid) const { return *m_ClsID == rclsid; }
};

extern const CFactoryTemplate g_Templates[];
extern const int g_cTemplates;

// The editor page's creation function for the page class's template. The page
// lives in a layer above this one, so the module installs it when it loads;
// until then the page class creates nothing (CLASS_E_CLASSNOTAVAILABLE).
void SetPropertyPageCreator(LPFNNewCOMObject pfnNew);

class CClassFactory : public CBaseObject, public IClassFactory {
public:
    explicit CClassFactory(const CFactoryTemplate* pTemplate) : m_pTemplate(pTemplate) {}
    virtual ~CClassFactory() = default;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return ++m_cRef; }
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT LockServer(BOOL fLock) override;

private:
    const CFactoryTemplate* m_pTemplate;
    ULONG m_cRef = 0;
};

// Stands in for the editor property page until the page exists: a COM
// object of the page class that answers IUnknown only and counts as a live
// framework object. It cannot be aggregated. Any thread.
#pragma once
#include "platform/com/ClassFactory.h"
#include <atomic>

class CPropPagePlaceholder : public CBaseObject, public INonDelegatingUnknown {
public:
    static INonDelegatingUnknown* CreateInstance(IUnknown* pUnkOuter, HRESULT* phr);

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
    ULONG NonDelegatingAddRef() override { return ++m_cRef; }
    ULONG NonDelegatingRelease() override;

private:
    // The public IUnknown is the object itself: there is no outer object.
    class CUnknown : public IUnknown {
    public:
        explicit CUnknown(CPropPagePlaceholder* p) : m_p(p) {}
        HRESULT QueryInterface(REFIID riid, void** ppv) override {
            return m_p->NonDelegatingQueryInterface(riid, ppv);
        }
        ULONG AddRef() override { return m_p->NonDelegatingAddRef(); }
        ULONG Release() override { return m_p->NonDelegatingRelease(); }

    private:
        CPropPagePlaceholder* m_p;
    };

    CUnknown m_unknown{this};
    std::atomic<ULONG> m_cRef{0};
};

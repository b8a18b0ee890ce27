// One identity for the whole object, aggregation, the class factory and the
// live-object counter.
#include "FilterRig.h"
#include "host/ClassFactory.h"
#include "host/ServerCounters.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/ComPtr.h"
#include "platform/com/TaskMem.h"
#include "platform/mfx/MfxSoftSynth.h"

namespace {
// An outer object that counts its references and the queries delegated to it.
struct Outer : IUnknown {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        ++nQueries;
        return pInner != nullptr ? pInner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++cRef; }
    ULONG Release() override { return --cRef; }
    IUnknown* pInner = nullptr;
    ULONG cRef = 1;
    int nQueries = 0;
};

// A class whose creation reports failure after constructing its object.
bool g_bFailedObjectDeleted = false;
struct FailingObject : CBaseObject, INonDelegatingUnknown {
    ~FailingObject() override { g_bFailedObjectDeleted = true; }
    HRESULT NonDelegatingQueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG NonDelegatingAddRef() override { return 1; }
    ULONG NonDelegatingRelease() override { return 1; }
};
INonDelegatingUnknown* CreateFailing(IUnknown*, HRESULT* phr) {
    *phr = E_UNEXPECTED;
    return new FailingObject();
}
INonDelegatingUnknown* CreateNothing(IUnknown*, HRESULT*) { return nullptr; }
const CFactoryTemplate kFailing = {L"Failing", &GUID_NULL, CreateFailing, nullptr, nullptr};
const CFactoryTemplate kNothing = {L"Nothing", &GUID_NULL, CreateNothing, nullptr, nullptr};
} // namespace

TEST(FilterIdentityTest, EveryInterfaceLeadsToTheSameObject) {
    CFilter* f = NewFilter();
    ComPtr<IUnknown> pUnk = Query<IUnknown>(f->AsBaseFilter(), IID_IUnknown);
    ASSERT_NE(pUnk, nullptr);
    const IID iids[] = {IID_IVudivuVizezud,
                        IID_IMfxSoftSynth,
                        IID_IMfxSoftSynth2,
                        IID_IMfxNotify,
                        IID_IMfxInputPort,
                        IID_IDispatch,
                        IID_ISpecifyPropertyPages,
                        IID_IPersistStream,
                        IID_IBaseFilter,
                        IID_IMediaFilter,
                        IID_IPersist,
                        IID_IAMovieSetup};
    for (const IID& iid : iids) {
        ComPtr<IUnknown> p = Query<IUnknown>(pUnk, iid);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(Query<IUnknown>(p, IID_IUnknown), pUnk);
    }
    EXPECT_EQ(Query<IUnknown>(pUnk, IID_IMfxSoftSynth), Query<IUnknown>(pUnk, IID_IMfxSoftSynth2));
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(pUnk->QueryInterface(IID_IPin, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(pUnk->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    CLSID clsid{};
    EXPECT_EQ(f->GetClassID(nullptr), E_POINTER);
    EXPECT_EQ(f->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Pandrel);
    CAUUID pages{};
    ASSERT_EQ(f->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], CLSID_PandrelPropertyPage);
    CoTaskMemFree(pages.pElems);
    EXPECT_EQ(f->Register(), S_FALSE);
    EXPECT_EQ(f->Unregister(), S_FALSE);
    WCHAR* pVendor = nullptr;
    EXPECT_EQ(f->QueryVendorInfo(&pVendor), E_NOTIMPL);
    pUnk.Reset();
    f->NonDelegatingRelease();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
    EXPECT_EQ(AppLockCount(), 0);
}

TEST(FilterIdentityTest, AnAggregatedFilterDelegatesToItsOuterObject) {
    CClassFactory* pFactory = new CClassFactory(&g_Templates[0]);
    pFactory->AddRef();
    Outer outer;
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(pFactory->CreateInstance(&outer, IID_IBaseFilter, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(CBaseObject::ObjectsActive(), 1); // the factory only
    ASSERT_EQ(pFactory->CreateInstance(&outer, IID_IUnknown, &pv), S_OK);
    outer.pInner = static_cast<IUnknown*>(pv);
    ComPtr<IBaseFilter> pFilter = Query<IBaseFilter>(outer.pInner, IID_IBaseFilter);
    ASSERT_NE(pFilter, nullptr);
    EXPECT_EQ(outer.cRef, 2u); // the interface's reference is the outer object's
    const int nBefore = outer.nQueries;
    ComPtr<IUnknown> pPersist = Query<IUnknown>(pFilter, IID_IPersistStream);
    EXPECT_EQ(outer.nQueries, nBefore + 1);
    pPersist.Reset();
    pFilter.Reset();
    EXPECT_EQ(outer.cRef, 1u);
    outer.pInner->Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 1);
    pFactory->Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
}

TEST(FilterIdentityTest, TheFactoryDeletesWhatFailedAndCountsServerLocks) {
    CClassFactory* pFactory = new CClassFactory(&kFailing);
    void* pv = nullptr;
    EXPECT_EQ(pFactory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(pFactory->QueryInterface(IID_IPin, &pv), E_NOINTERFACE);
    ASSERT_EQ(pFactory->QueryInterface(IID_IClassFactory, &pv), S_OK);
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IUnknown, &pv), E_UNEXPECTED);
    EXPECT_TRUE(g_bFailedObjectDeleted);
    EXPECT_EQ(pFactory->LockServer(TRUE), S_OK);
    EXPECT_EQ(ServerLockCount(), 1);
    pFactory->LockServer(FALSE);
    EXPECT_EQ(ServerLockCount(), 0);
    pFactory->Release();
    // No object and a result that says success: out of memory.
    pFactory = new CClassFactory(&kNothing);
    pFactory->AddRef();
    EXPECT_EQ(pFactory->CreateInstance(nullptr, IID_IUnknown, &pv), E_OUTOFMEMORY);
    pFactory->Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
}

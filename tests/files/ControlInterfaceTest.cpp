// The control interface's own slots: operations in the slot order the design
// gives, and the dispatch slots answered from the registered type library.
#include "ControlTestSupport.h"
#include "platform/com/Stream.h"
#include "platform/com/TypeLib.h"

using namespace fixture;

namespace {
// Slot of a virtual member under the Itanium ABI: (pointer - 1) / word size.
template <typename F> std::ptrdiff_t Slot(F f) {
    std::ptrdiff_t raw;
    static_assert(sizeof(f) >= sizeof(raw));
    std::memcpy(&raw, &f, sizeof(raw));
    return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
}

struct FakeTypeInfo : ITypeInfo {
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetIDsOfNames(LPOLESTR*, UINT, MEMBERID* p) override {
        *p = 42;
        return S_OK;
    }
    HRESULT Invoke(void* pv, MEMBERID id, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        instance = pv;
        member = id;
        return S_OK;
    }
    ULONG refs = 1;
    void* instance = nullptr;
    MEMBERID member = 0;
};
struct FakeTypeLib : ITypeLib {
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
    HRESULT GetTypeInfoOfGuid(REFGUID g, ITypeInfo** pp) override {
        if (g != IID_IVudivuVizezud) return TYPE_E_ELEMENTNOTFOUND;
        info.AddRef();
        *pp = &info;
        return S_OK;
    }
    HRESULT GetLibAttr(TLIBATTR* a) override {
        *a = TLIBATTR{};
        a->guid = LIBID_Pandrel;
        a->wMajorVerNum = 1;
        return S_OK;
    }
    ULONG refs = 1;
    FakeTypeInfo info;
};
} // namespace

TEST(ControlSlots, OperationsSitInTheirSlots) {
    EXPECT_EQ(Slot(&IVudivuVizezud::QueryInterface), 0);
    EXPECT_EQ(Slot(&IVudivuVizezud::Invoke), 6);
    EXPECT_EQ(Slot(&IVudivuVizezud::Checkpoint), 7);
    EXPECT_EQ(Slot(&IVudivuVizezud::LoadFileToBin), 20);
    EXPECT_EQ(Slot(&IVudivuVizezud::StopFilePreview), 25);
    EXPECT_EQ(Slot(&IVudivuVizezud::GetPadGrains), 36);
    EXPECT_EQ(Slot(&IVudivuVizezud::SetPadKeyRange), 45);
    EXPECT_EQ(Slot(&IVudivuVizezud::GetPadContentEnd), 59);
    EXPECT_EQ(Slot(&IVudivuVizezud::SetPadLatch), 75);
}

// One test, because the type information is kept once it has been found.
TEST_F(Control, DispatchAnswersFromTheRegisteredTypeLibraryOnly) {
    UINT n = 9;
    ITypeInfo* pInfo = nullptr;
    LPOLESTR names[1] = {nullptr};
    DISPID id = 0;
    EXPECT_EQ(api.GetTypeInfoCount(&n), S_OK);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(api.GetTypeInfo(0, 0, &pInfo), E_NOTIMPL);
    EXPECT_EQ(api.GetIDsOfNames(GUID_NULL, names, 1, 0, &id), E_NOTIMPL);
    EXPECT_EQ(api.Invoke(1, GUID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_NOTIMPL);
    EXPECT_EQ(api.Invoke(1, IID_IStream, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    static FakeTypeLib lib; // outlives the cached type information
    ASSERT_EQ(RegisterTypeLib(&lib, nullptr, nullptr), S_OK);
    EXPECT_EQ(api.GetTypeInfoCount(&n), S_OK);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(api.GetTypeInfo(1, 0, &pInfo), E_INVALIDARG);
    ASSERT_EQ(api.GetTypeInfo(0, 0, &pInfo), S_OK);
    EXPECT_EQ(pInfo, &lib.info);
    pInfo->Release();
    EXPECT_EQ(api.GetIDsOfNames(GUID_NULL, names, 1, 0, &id), S_OK);
    EXPECT_EQ(id, 42);
    EXPECT_EQ(api.Invoke(7, GUID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(lib.info.member, 7);
    EXPECT_EQ(lib.info.instance, static_cast<void*>(&api));
    EXPECT_EQ(UnRegisterTypeLib(LIBID_Pandrel, 1, 0, 0, SYS_WIN64), S_OK);
    EXPECT_EQ(UnRegisterTypeLib(LIBID_Pandrel, 1, 0, 0, SYS_WIN64), TYPE_E_LIBNOTREGISTERED);
}

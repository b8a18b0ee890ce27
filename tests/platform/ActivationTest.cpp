// Creating objects by class through the registry, and the registry-backed
// filter mapper in both its versions.
#include "platform/com/Activation.h"
#include "hostlib/HostModule.h"
#include "platform/media/FilterMapper.h"
#include "platform/media/MediaType.h"
#include "platform/registry/Registry.h"
#include <gtest/gtest.h>

namespace {
constexpr CLSID kTestClass = {0x12345678, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
const char kTestKey[] = "CLSID\\{12345678-1111-2222-0102-030405060708}\\InprocServer32";

struct CountingFactory : IClassFactory {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return *ppv = nullptr, E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++cRef; }
    ULONG Release() override { return --cRef; }
    HRESULT CreateInstance(IUnknown*, REFIID, void** ppv) override {
        ++nCreated;
        *ppv = nullptr;
        return S_FALSE;
    }
    HRESULT LockServer(BOOL) override { return S_OK; }
    ULONG cRef = 0;
    int nCreated = 0;
};

bool KeyExists(const std::string& sub) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}
} // namespace

TEST(ActivationTest, ClassesComeFromThisProcessFirstThenFromTheRegistry) {
    TempRegistry reg;
    void* pv = nullptr;
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &pv),
              REGDB_E_CLASSNOTREG);
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &h, nullptr),
              ERROR_SUCCESS);
    const char missing[] = "/nonexistent/library.so";
    RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof(missing));
    RegCloseKey(h);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &pv),
              CO_E_DLLNOTFOUND);

    CountingFactory factory;
    DWORD cookie = 0;
    ASSERT_EQ(CoRegisterClassObject(kTestClass, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                    &cookie),
              S_OK);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &pv),
              S_FALSE);
    EXPECT_EQ(factory.nCreated, 1);
    EXPECT_EQ(factory.cRef, 1u); // the registration's own
    EXPECT_EQ(CoRevokeClassObject(cookie), S_OK);
    EXPECT_EQ(factory.cRef, 0u);
    EXPECT_EQ(CoRevokeClassObject(cookie), E_INVALIDARG);
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_POINTER);
}

TEST(ActivationTest, BothMapperVersionsWriteAndRemoveTheSameEntry) {
    TempRegistry reg;
    const CLSID clsid = kTestClass;
    const std::string key = "Filter\\{12345678-1111-2222-0102-030405060708}";
    void* pv = nullptr;
    ASSERT_EQ(
        CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper, &pv),
        S_OK);
    auto* p1 = static_cast<IFilterMapper*>(pv);
    EXPECT_EQ(p1->UnregisterFilter(clsid), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_EQ(p1->RegisterFilter(clsid, L"Test", 0x200000), S_OK);
    ASSERT_EQ(p1->RegisterPin(clsid, L"In", FALSE, FALSE, FALSE, FALSE, GUID_NULL, L"Out"), S_OK);
    ASSERT_EQ(p1->RegisterPinType(clsid, L"In", MEDIATYPE_Audio, MEDIASUBTYPE_PCM), S_OK);
    ASSERT_EQ(p1->RegisterPinType(clsid, L"In", MEDIATYPE_Audio, MEDIASUBTYPE_IEEE_FLOAT), S_OK);
    EXPECT_TRUE(KeyExists(key + "\\Pins\\In\\Types\\0"));
    EXPECT_TRUE(KeyExists(key + "\\Pins\\In\\Types\\1"));
    p1->Release();

    ASSERT_EQ(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IFilterMapper2, &pv),
              S_OK);
    auto* p2 = static_cast<IFilterMapper2*>(pv);
    EXPECT_EQ(p2->UnregisterFilter(nullptr, nullptr, clsid), S_OK); // the whole tree
    EXPECT_FALSE(KeyExists(key));
    const REGFILTER2 bad{2, 0, 0, nullptr};
    EXPECT_EQ(p2->RegisterFilter(clsid, L"Test", nullptr, nullptr, nullptr, &bad), E_INVALIDARG);
    EXPECT_EQ(p2->UnregisterFilter(nullptr, nullptr, clsid),
              HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    p2->Release();
}

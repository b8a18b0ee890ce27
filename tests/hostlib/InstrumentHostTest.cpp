// The instrument as a host sees it: pandrel.so loaded with dlopen, used only
// through its exports and COM interfaces, on the platform's graph.
#include "HostModule.h"
#include "TestFilters.h"
#include "TestHostContext.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/Activation.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Persist.h"
#include "platform/com/PropertyPage.h"
#include "platform/media/FilterGraph.h"
#include "platform/mfx/MfxSoftSynth.h"
#include "platform/registry/Registry.h"
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#ifndef PANDREL_MODULE_PATH
#error "PANDREL_MODULE_PATH names the built pandrel.so"
#endif

namespace {
std::vector<IPin*> Pins(IBaseFilter* pFilter) {
    std::vector<IPin*> pins;
    IEnumPins* pEnum = nullptr;
    if (FAILED(pFilter->EnumPins(&pEnum))) return pins;
    IPin* p = nullptr;
    while (pEnum->Next(1, &p, nullptr) == S_OK) pins.push_back(p);
    pEnum->Release();
    return pins;
}

std::wstring PinName(IPin* p) {
    PIN_INFO info{};
    p->QueryPinInfo(&info);
    info.pFilter->Release();
    return info.achName;
}

bool KeyExists(const std::string& sub) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::string ReadValue(const std::string& sub, const char* pszName) {
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "<no key>";
    char text[1024];
    DWORD cb = sizeof(text), type = 0;
    const LONG r = RegQueryValueExA(h, pszName, nullptr, &type, reinterpret_cast<BYTE*>(text), &cb);
    RegCloseKey(h);
    return r == ERROR_SUCCESS ? text : "<no value>";
}

std::vector<std::string> Subkeys(const std::string& sub) {
    std::vector<std::string> names;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, sub.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return names;
    char name[260];
    for (DWORD i = 0; RegEnumKeyA(h, i, name, sizeof(name)) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    RegCloseKey(h);
    return names;
}

const std::string kClassKey = "CLSID\\{89D244AB-19CF-4575-B859-E6C2352BE0D4}";
const std::string kPageKey = "CLSID\\{389A93D5-7DF9-4BF8-B954-D4C8D039C446}";
const std::string kFilterKey = "Filter\\{89D244AB-19CF-4575-B859-E6C2352BE0D4}";
const std::string kSynthKey = "MfxSoftSynths\\{89D244AB-19CF-4575-B859-E6C2352BE0D4}";

struct InstrumentHostTest : ::testing::Test {
    TempRegistry registry;
    HostModule module{PANDREL_MODULE_PATH};
};
} // namespace

TEST_F(InstrumentHostTest, CreatesRunsPersistsAndUnloads) {
    ASSERT_TRUE(module.IsLoaded()) << dlerror();
    IClassFactory* pFactory = module.Factory(CLSID_Pandrel);
    ASSERT_NE(pFactory, nullptr);
    void* pv = nullptr;
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IBaseFilter, &pv), S_OK);
    auto* pFilter = static_cast<IBaseFilter*>(pv);
    pFactory->Release();

    // 18 pins: the input, the mix, sixteen channels.
    std::vector<IPin*> pins = Pins(pFilter);
    ASSERT_EQ(pins.size(), 18u);
    EXPECT_EQ(PinName(pins[0]), L"Input");
    EXPECT_EQ(PinName(pins[1]), L"Mix Output");
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(PinName(pins[static_cast<size_t>(n) + 1]), L"Chan " + std::to_wstring(n));
    PIN_DIRECTION dir;
    pins[0]->QueryDirection(&dir);
    EXPECT_EQ(dir, PINDIR_INPUT);
    pins[17]->QueryDirection(&dir);
    EXPECT_EQ(dir, PINDIR_OUTPUT);

    // A float stereo source into "Input", sinks on "Mix Output" and "Chan 1".
    auto* pGraph = new CFilterGraph();
    auto* pSource = new CTestSource();
    auto* pMix = new CTestSink();
    auto* pChan = new CTestSink();
    ASSERT_EQ(pGraph->AddFilter(pFilter, L"Pandrel"), S_OK);
    pGraph->AddFilter(pSource, L"Source");
    pGraph->AddFilter(pMix, L"Mix");
    pGraph->AddFilter(pChan, L"Chan");
    ASSERT_EQ(pGraph->ConnectDirect(&pSource->pin, pins[0], nullptr), S_OK);
    ASSERT_EQ(pGraph->ConnectDirect(pins[1], &pMix->pin, nullptr), S_OK);
    ASSERT_EQ(pGraph->ConnectDirect(pins[2], &pChan->pin, nullptr), S_OK);

    // The host attaches its context and lays a loop on pad 0 (key 60).
    CTestHostContext ctx;
    auto pSynth = Query<IMfxSoftSynth>(pFilter, IID_IMfxSoftSynth);
    ASSERT_NE(pSynth, nullptr);
    ctx.AddRef();
    ASSERT_EQ(pSynth->Attach(static_cast<IMfxTempoMap*>(&ctx)), S_OK);
    auto pControl = Query<IVudivuVizezud>(pFilter, IID_IVudivuVizezud);
    ASSERT_NE(pControl, nullptr);
    const std::string wave = WriteConstantWave(registry.path + ".wav", 48000, 48000, 0.5f);
    LONG nIndex = -1, nStatus = -1;
    ASSERT_TRUE(SUCCEEDED(pControl->LoadFileToPad(0, "loop", wave.c_str(), &nIndex, &nStatus)));

    ASSERT_EQ(pGraph->Run(0), S_OK);
    ASSERT_EQ(pSynth->TransportStart(0), S_OK);
    CTestEventQueue queue;
    queue.AddNote(0, 60, 100);
    ASSERT_EQ(pSynth->QueueEvents(0, 0, 0, &queue), S_OK);
    for (int i = 0; i < 20; ++i) ASSERT_EQ(pSource->Push(0.0f, i == 0, 0), S_OK);
    EXPECT_EQ(pMix->pin.nReceived, 20);
    EXPECT_EQ(pChan->pin.nReceived, 20);
    EXPECT_EQ(pMix->pin.lLastLength, 256 * 8);
    EXPECT_GT(pMix->pin.fPeak, 0.4f);  // the pad sounds on the mix
    EXPECT_EQ(pChan->pin.fPeak, 0.0f); // and nowhere else
    ASSERT_EQ(pGraph->Pause(), S_OK);
    ASSERT_EQ(pGraph->Stop(), S_OK);

    // Saved state loads into a second instance.
    auto pPersist = Query<IPersistStream>(pFilter, IID_IPersistStream);
    ASSERT_NE(pPersist, nullptr);
    IStream* pStream = nullptr;
    ASSERT_EQ(CreateMemoryStream(&pStream), S_OK);
    ASSERT_EQ(pPersist->Save(pStream, TRUE), S_OK);
    pFactory = module.Factory(CLSID_Pandrel);
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IPersistStream, &pv), S_OK);
    pFactory->Release();
    auto* pPersist2 = static_cast<IPersistStream*>(pv);
    ASSERT_EQ(pStream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_TRUE(SUCCEEDED(pPersist2->Load(pStream)));
    auto pControl2 = Query<IVudivuVizezud>(pPersist2, IID_IVudivuVizezud);
    LONG nFiles = 0;
    pControl2->GetFileCount(&nFiles);
    EXPECT_EQ(nFiles, 1);
    pControl2.Reset();
    pPersist2->Release();
    pStream->Release();

    // Everything goes; the library may unload.
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    pSynth->Detach();
    pPersist.Reset();
    pControl.Reset();
    pSynth.Reset();
    for (IPin* p : pins) p->Release();
    pGraph->Release(); // disconnects and releases every filter
    pSource->Release();
    pMix->Release();
    pChan->Release();
    pFilter->Release();
    EXPECT_EQ(ctx.cRef, 0u);
    EXPECT_EQ(module.canUnloadNow(), S_OK);
    std::remove(wave.c_str());
}

TEST_F(InstrumentHostTest, ClassObjectsAnswerTheirErrorCodes) {
    ASSERT_TRUE(module.IsLoaded());
    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(module.getClassObject(CLSID_Pandrel, IID_IBaseFilter, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(module.getClassObject(GUID_NULL, IID_IClassFactory, &pv), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(module.getClassObject(CLSID_Pandrel, IID_IUnknown, nullptr), E_POINTER);

    // The page class creates the editor page, a property page.
    IClassFactory* pPages = module.Factory(CLSID_PandrelPropertyPage);
    ASSERT_NE(pPages, nullptr);
    ASSERT_EQ(pPages->CreateInstance(nullptr, IID_IUnknown, &pv), S_OK);
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    void* pPage = nullptr;
    EXPECT_EQ(static_cast<IUnknown*>(pv)->QueryInterface(IID_IPropertyPage, &pPage), S_OK);
    if (pPage != nullptr) static_cast<IUnknown*>(pPage)->Release();
    static_cast<IUnknown*>(pv)->Release();

    // Aggregation with anything but IUnknown creates nothing.
    IClassFactory* pFactory = module.Factory(CLSID_Pandrel);
    CTestHostContext outer;
    EXPECT_EQ(pFactory->CreateInstance(static_cast<IMfxTempoMap*>(&outer), IID_IBaseFilter, &pv),
              E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);

    // A filter keeps the library loaded after its factory is gone; so does a server lock.
    ASSERT_EQ(pFactory->CreateInstance(nullptr, IID_IUnknown, &pv), S_OK);
    pFactory->LockServer(TRUE);
    pFactory->Release();
    pPages->Release();
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    static_cast<IUnknown*>(pv)->Release();
    EXPECT_EQ(module.canUnloadNow(), S_FALSE);
    pFactory = module.Factory(CLSID_Pandrel);
    pFactory->LockServer(FALSE);
    pFactory->Release();
    EXPECT_EQ(module.canUnloadNow(), S_OK);
}

TEST_F(InstrumentHostTest, RegistrationWritesOneSetOfEntriesAndRemovesAllThree) {
    ASSERT_TRUE(module.IsLoaded());
    ASSERT_EQ(module.registerServer(), S_OK);
    // A stray pin under the mapper entry shows whether the entry is rewritten.
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (kFilterKey + "\\Pins\\Stale").c_str(), 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(h);
    ASSERT_EQ(module.registerServer(), S_OK);

    EXPECT_EQ(ReadValue(kClassKey, nullptr), "Pandrel");
    EXPECT_EQ(ReadValue(kPageKey, nullptr), "Pandrel Properties");
    char resolved[4096];
    ASSERT_NE(realpath(PANDREL_MODULE_PATH, resolved), nullptr);
    EXPECT_EQ(ReadValue(kClassKey + "\\InprocServer32", nullptr), resolved);
    EXPECT_EQ(ReadValue(kPageKey + "\\InprocServer32", "ThreadingModel"), "Both");
    EXPECT_EQ(ReadValue(kFilterKey, nullptr), "Pandrel");
    EXPECT_EQ(ReadValue(kFilterKey, "Merit"), "0x00200000");
    EXPECT_EQ(Subkeys(kFilterKey + "\\Pins"), (std::vector<std::string>{"Input", "Output"}));
    EXPECT_EQ(ReadValue(kFilterKey + "\\Pins\\Output", "ConnectsToPin"), "Input");
    EXPECT_EQ(ReadValue(kSynthKey, "Description"), "Pandrel");
    EXPECT_EQ(Subkeys("MfxSoftSynths").size(), 1u);

    // The registry now leads a host to the library.
    CoInitialize(nullptr);
    void* pv = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_Pandrel, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, &pv),
              S_OK);
    CLSID clsid{};
    static_cast<IBaseFilter*>(pv)->GetClassID(&clsid);
    EXPECT_EQ(clsid, CLSID_Pandrel);
    static_cast<IBaseFilter*>(pv)->Release();
    CoFreeUnusedLibraries();
    CoUninitialize();

    ASSERT_EQ(module.unregisterServer(), S_OK);
    EXPECT_FALSE(KeyExists(kClassKey));
    EXPECT_FALSE(KeyExists(kPageKey));
    EXPECT_FALSE(KeyExists(kFilterKey));
    EXPECT_FALSE(KeyExists(kSynthKey));
    // Unregistering what is not there still succeeds.
    EXPECT_EQ(module.unregisterServer(), S_OK);
    EXPECT_EQ(CoCreateInstance(CLSID_Pandrel, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, &pv),
              REGDB_E_CLASSNOTREG);
}

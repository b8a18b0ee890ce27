// The library's exports: the class objects, the unload test and
// registration; the start-up and shutdown of the module; the main stub.
#include "editor/VudivuVizezudPropPage.h"
#include "host/ClassFactory.h"
#include "host/Registration.h"
#include "host/ServerCounters.h"
#include "platform/ui/SystemLibraries.h"
#include <new>

#define PANDREL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
// The module's application object: nothing of its own beyond existing once.
class CPlugInApp {
public:
    CPlugInApp() = default;
};
[[maybe_unused]] CPlugInApp theApp;

// Start-up and shutdown of the module: each template's initialisation with
// TRUE when the library loads, with FALSE when it unloads.
struct ModuleEntry {
    ModuleEntry() {
        // The page's drawing libraries outlive this module when a host unloads it.
        PinUiSystemLibraries();
        SetPropertyPageCreator(&CVudivuVizezudPropPage::CreateInstance);
        for (int i = 0; i < g_cTemplates; ++i)
            if (g_Templates[i].m_lpfnInit != nullptr)
                g_Templates[i].m_lpfnInit(TRUE, g_Templates[i].m_ClsID);
    }
    ~ModuleEntry() {
        for (int i = 0; i < g_cTemplates; ++i)
            if (g_Templates[i].m_lpfnInit != nullptr)
                g_Templates[i].m_lpfnInit(FALSE, g_Templates[i].m_ClsID);
    }
} g_moduleEntry;
} // namespace

PANDREL_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    for (int i = 0; i < g_cTemplates; ++i) {
        if (!g_Templates[i].IsClassID(rclsid)) continue;
        auto* pFactory = new (std::nothrow) CClassFactory(&g_Templates[i]);
        if (pFactory == nullptr) return E_OUTOFMEMORY;
        pFactory->AddRef();
        *ppv = static_cast<IClassFactory*>(pFactory);
        return S_OK;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

PANDREL_EXPORT HRESULT DllCanUnloadNow() {
    return ServerLockCount() > 0 || CBaseObject::ObjectsActive() > 0 || AppLockCount() > 0 ? S_FALSE
                                                                                           : S_OK;
}

PANDREL_EXPORT HRESULT DllRegisterServer() { return RegisterServer(); }

PANDREL_EXPORT HRESULT DllUnregisterServer() { return UnregisterServer(); }

PANDREL_EXPORT int main() { return 0; }

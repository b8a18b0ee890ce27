#include "apps/lv2/ui/Lv2Ui.h"
#include "apps/lv2/Lv2EditorAccess.h"
#include "interfaces/PandrelClasses.h"
#include <X11/Xlib.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <lv2/atom/atom.h>
#include <lv2/data-access/data-access.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>
#include <thread>

namespace {
constexpr LONG kPageWidth = 600, kPageHeight = 553;

bool Debug() {
    const char* psz = std::getenv("PANDREL_LV2_UI_DEBUG");
    return psz != nullptr && std::strcmp(psz, "1") == 0;
}
} // namespace

struct CLv2Ui::Features {
    uintptr_t parent = 0;
    const LV2UI_Resize* pResize = nullptr;
    LV2_Handle hInstance = nullptr;
    const LV2_Extension_Data_Feature* pDataAccess = nullptr;
    const LV2_Options_Option* pOptions = nullptr;
    const LV2_URID_Map* pMap = nullptr;
    const LV2_URID_Unmap* pUnmap = nullptr;
};

CLv2Ui::~CLv2Ui() {
    if (m_pPage) {
        m_pPage->Deactivate();
        m_pPage->SetObjects(0, nullptr);
    }
    m_pDisplay = nullptr;
    m_pPage = nullptr;
    m_pControl = nullptr;
    if (m_pX != nullptr) XCloseDisplay(m_pX);
    if (m_hPlugin != nullptr) dlclose(m_hPlugin);
}

bool CLv2Ui::ReadFeatures(const LV2_Feature* const* features, Features* pOut,
                          std::string* pstrError) {
    const bool bDebug = Debug();
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i) {
        const char* pszUri = features[i]->URI;
        void* pData = features[i]->data;
        if (bDebug) std::fprintf(stderr, "pandrel.lv2 UI: feature %s\n", pszUri);
        if (std::strcmp(pszUri, LV2_UI__parent) == 0)
            pOut->parent = reinterpret_cast<uintptr_t>(pData);
        else if (std::strcmp(pszUri, LV2_UI__resize) == 0)
            pOut->pResize = static_cast<const LV2UI_Resize*>(pData);
        else if (std::strcmp(pszUri, LV2_INSTANCE_ACCESS_URI) == 0)
            pOut->hInstance = static_cast<LV2_Handle>(pData);
        else if (std::strcmp(pszUri, LV2_DATA_ACCESS_URI) == 0)
            pOut->pDataAccess = static_cast<const LV2_Extension_Data_Feature*>(pData);
        else if (std::strcmp(pszUri, LV2_OPTIONS__options) == 0)
            pOut->pOptions = static_cast<const LV2_Options_Option*>(pData);
        else if (std::strcmp(pszUri, LV2_URID__map) == 0)
            pOut->pMap = static_cast<const LV2_URID_Map*>(pData);
        else if (std::strcmp(pszUri, LV2_URID__unmap) == 0)
            pOut->pUnmap = static_cast<const LV2_URID_Unmap*>(pData);
    }
    if (pOut->hInstance == nullptr)
        return *pstrError = "the host gives no access to the plug-in instance", false;
    // The scale factor is a float option; without a map it cannot be recognised.
    if (pOut->pOptions != nullptr && pOut->pMap != nullptr) {
        const LV2_URID scale = pOut->pMap->map(pOut->pMap->handle, LV2_UI__scaleFactor);
        const LV2_URID atomFloat = pOut->pMap->map(pOut->pMap->handle, LV2_ATOM__Float);
        for (const LV2_Options_Option* o = pOut->pOptions; o->key != 0; ++o) {
            if (bDebug) {
                const char* pszKey = pOut->pUnmap != nullptr
                                         ? pOut->pUnmap->unmap(pOut->pUnmap->handle, o->key)
                                         : nullptr;
                std::fprintf(stderr, "pandrel.lv2 UI: option %s (URID %u), %u bytes",
                             pszKey != nullptr ? pszKey : "?", o->key, o->size);
                if (o->type == atomFloat && o->size == sizeof(float))
                    std::fprintf(stderr, ", float %g",
                                 static_cast<double>(*static_cast<const float*>(o->value)));
                else if (o->size == sizeof(int32_t))
                    std::fprintf(stderr, ", int %d", *static_cast<const int32_t*>(o->value));
                std::fprintf(stderr, "\n");
            }
            if (o->key == scale && o->type == atomFloat && o->size == sizeof(float) &&
                o->value != nullptr)
                m_dHostScale = static_cast<double>(*static_cast<const float*>(o->value));
        }
    }
    return true;
}

IUnknown* CLv2Ui::OpenControl(const Features& f, const std::string& strBundle,
                              std::string* pstrError) {
    const void* pData = nullptr;
    if (f.pDataAccess != nullptr) {
        pData = f.pDataAccess->data_access(PANDREL_LV2_EDITOR_URI);
    } else {
        // The host's copy of the plug-in's binary, when it is loaded from this bundle.
        const std::string strPath = strBundle + "pandrel_lv2.so";
        m_hPlugin = dlopen(strPath.c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (m_hPlugin == nullptr) m_hPlugin = dlopen(strPath.c_str(), RTLD_NOW);
        using Entry = const LV2_Descriptor* (*)(uint32_t);
        auto entry = m_hPlugin != nullptr
                         ? reinterpret_cast<Entry>(dlsym(m_hPlugin, "lv2_descriptor"))
                         : nullptr;
        const LV2_Descriptor* pDescriptor = entry != nullptr ? entry(0) : nullptr;
        if (pDescriptor != nullptr && pDescriptor->extension_data != nullptr)
            pData = pDescriptor->extension_data(PANDREL_LV2_EDITOR_URI);
    }
    const auto* pAccess = static_cast<const Lv2EditorAccess*>(pData);
    IUnknown* pControl = pAccess != nullptr ? pAccess->OpenEditorControl(f.hInstance) : nullptr;
    if (pControl == nullptr) *pstrError = "the plug-in instance offers no instrument to edit";
    return pControl;
}

bool CLv2Ui::Open(const char* pszBundle, const LV2_Feature* const* features, uintptr_t* pWidget,
                  std::string* pstrError) {
    Features f;
    if (!ReadFeatures(features, &f, pstrError)) return false;
    if (Debug()) std::fprintf(stderr, "pandrel.lv2 UI: host scale factor %g\n", m_dHostScale);
    std::string strBundle = pszBundle != nullptr ? pszBundle : "";
    if (!strBundle.empty() && strBundle.back() != '/') strBundle += '/';
    m_pControl.Attach(OpenControl(f, strBundle, pstrError));
    if (!m_pControl) return false;
    if (!m_module.Load(strBundle + "pandrel.so", pstrError)) return false;

    HRESULT hr = S_OK;
    ComPtr<IClassFactory> factory;
    factory.Attach(m_module.Factory(CLSID_PandrelPropertyPage, &hr));
    void* pv = nullptr;
    if (factory) hr = factory->CreateInstance(nullptr, IID_IPropertyPage, &pv);
    if (!factory || FAILED(hr)) return *pstrError = "the library has no editor page", false;
    m_pPage.Attach(static_cast<IPropertyPage*>(pv));
    m_pDisplay = Query<IPropertyPageDisplay>(m_pPage, IID_IPropertyPageDisplay);
    if (!m_pDisplay) return *pstrError = "the editor page cannot be embedded", false;
    IUnknown* objects[] = {m_pControl.Get()};
    m_pPage->SetObjects(1, objects);
    // Without the host's factor the page's own default decides.
    if (m_dHostScale > 0.0) m_pDisplay->SetScale(m_dHostScale);

    m_pX = XOpenDisplay(nullptr);
    if (m_pX == nullptr) return *pstrError = "cannot open the X display", false;
    const unsigned long parent = f.parent != 0 ? f.parent : DefaultRootWindow(m_pX);
    std::vector<unsigned long> before;
    Window root = 0, up = 0, *pChildren = nullptr;
    unsigned int nChildren = 0;
    if (XQueryTree(m_pX, parent, &root, &up, &pChildren, &nChildren) && pChildren != nullptr) {
        before.assign(pChildren, pChildren + nChildren);
        XFree(pChildren);
    }
    const RECTL rc{0, 0, kPageWidth, kPageHeight};
    if (FAILED(m_pPage->Activate(f.parent, &rc, FALSE)))
        return *pstrError = "the editor page cannot open its window", false;
    m_pPage->Show(SW_SHOW);
    *pWidget = FindPageWindow(parent, before);
    // The page's size times the factor it is drawn at, as its window has it.
    int cx = kPageWidth, cy = kPageHeight;
    Window groot = 0;
    int x = 0, y = 0;
    unsigned int w = 0, h = 0, border = 0, depth = 0;
    if (*pWidget != 0 && XGetGeometry(m_pX, *pWidget, &groot, &x, &y, &w, &h, &border, &depth))
        cx = static_cast<int>(w), cy = static_cast<int>(h);
    if (Debug()) {
        double dScale = 0.0;
        m_pDisplay->GetScale(&dScale);
        std::fprintf(stderr, "pandrel.lv2 UI: page drawn at %g, %d x %d\n", dScale, cx, cy);
    }
    if (f.pResize != nullptr) f.pResize->ui_resize(f.pResize->handle, cx, cy);
    return true;
}

unsigned long CLv2Ui::FindPageWindow(unsigned long parent,
                                     const std::vector<unsigned long>& before) {
    // The page's window is made on the page's own connection: the server may
    // take a moment to show it to ours.
    for (int nTry = 0; nTry < 100; ++nTry) {
        XSync(m_pX, False);
        Window root = 0, up = 0, *pChildren = nullptr;
        unsigned int nChildren = 0;
        unsigned long found = 0;
        if (XQueryTree(m_pX, parent, &root, &up, &pChildren, &nChildren) && pChildren != nullptr) {
            for (unsigned int i = nChildren; i-- > 0 && found == 0;)
                if (std::find(before.begin(), before.end(), pChildren[i]) == before.end())
                    found = pChildren[i];
            XFree(pChildren);
        }
        if (found != 0) return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return 0;
}

int CLv2Ui::Idle() { return m_pDisplay && m_pDisplay->Idle(0) == S_OK ? 0 : 1; }

// The UI's C entry points: the descriptor and the idle interface, each
// forwarding to a CLv2Ui. Host's UI thread.
#include "apps/lv2/Lv2Uris.h"
#include "apps/lv2/ui/Lv2Ui.h"
#include <cstdio>
#include <cstring>
#include <lv2/ui/ui.h>
#include <new>

namespace {
LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pszPluginUri, const char* pszBundle,
                         LV2UI_Write_Function, LV2UI_Controller, LV2UI_Widget* pWidget,
                         const LV2_Feature* const* features) {
    if (pszPluginUri == nullptr || std::strcmp(pszPluginUri, PANDREL_LV2_URI) != 0) return nullptr;
    auto* p = new (std::nothrow) CLv2Ui();
    if (p == nullptr) return nullptr;
    std::string strError;
    uintptr_t widget = 0;
    if (!p->Open(pszBundle, features, &widget, &strError)) {
        std::fprintf(stderr, "pandrel.lv2 UI: %s\n", strError.c_str());
        delete p;
        return nullptr;
    }
    *pWidget = reinterpret_cast<LV2UI_Widget>(widget);
    return p;
}

CLv2Ui* Self(LV2UI_Handle h) { return static_cast<CLv2Ui*>(h); }
void Cleanup(LV2UI_Handle h) { delete Self(h); }
// The page shows no port: the host's key control is not drawn on it.
void PortEvent(LV2UI_Handle, uint32_t, uint32_t, uint32_t, const void*) {}
int Idle(LV2UI_Handle h) { return Self(h)->Idle(); }

const LV2UI_Idle_Interface kIdle = {Idle};

const void* ExtensionData(const char* pszUri) {
    return std::strcmp(pszUri, LV2_UI__idleInterface) == 0 ? &kIdle : nullptr;
}

const LV2UI_Descriptor kDescriptor = {PANDREL_LV2_UI_URI, Instantiate, Cleanup, PortEvent,
                                      ExtensionData};
} // namespace

extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor*
lv2ui_descriptor(uint32_t n) {
    return n == 0 ? &kDescriptor : nullptr;
}

// The plug-in's C entry points: the descriptor, the state and worker
// interfaces, and the editor access of the UI, each forwarding to a CLv2Plugin.
#include "apps/lv2/Lv2EditorAccess.h"
#include "apps/lv2/Lv2Plugin.h"
#include "apps/lv2/Lv2Uris.h"
#include <cstdio>
#include <lv2/core/lv2.h>
#include <string_view>

namespace {
// Host's instantiation thread; may block.
LV2_Handle Instantiate(const LV2_Descriptor*, double dRate, const char* pszBundle,
                       const LV2_Feature* const* features) {
    auto* p = new CLv2Plugin();
    std::string strError;
    if (!p->Open(pszBundle, dRate, features, &strError)) {
        std::fprintf(stderr, "pandrel.lv2: %s\n", strError.c_str());
        delete p;
        return nullptr;
    }
    return p;
}
CLv2Plugin* Self(LV2_Handle h) { return static_cast<CLv2Plugin*>(h); }
// Audio thread; never blocks.
void ConnectPort(LV2_Handle h, uint32_t nPort, void* pData) { Self(h)->Connect(nPort, pData); }
void Activate(LV2_Handle h) { Self(h)->Activate(); }
void Run(LV2_Handle h, uint32_t nFrames) { Self(h)->Run(nFrames); }
void Deactivate(LV2_Handle h) { Self(h)->Deactivate(); }
void Cleanup(LV2_Handle h) { delete Self(h); }

// Host's state thread; may block.
LV2_State_Status SaveState(LV2_Handle h, LV2_State_Store_Function store, LV2_State_Handle handle,
                           uint32_t, const LV2_Feature* const* features) {
    return Self(h)->Save(store, handle, features);
}
LV2_State_Status RestoreState(LV2_Handle h, LV2_State_Retrieve_Function retrieve,
                              LV2_State_Handle handle, uint32_t,
                              const LV2_Feature* const* features) {
    return Self(h)->Restore(retrieve, handle, features);
}
const LV2_State_Interface kState = {SaveState, RestoreState};

// Worker thread; may block.
LV2_Worker_Status Work(LV2_Handle h, LV2_Worker_Respond_Function respond,
                       LV2_Worker_Respond_Handle handle, uint32_t nSize, const void* pData) {
    return Self(h)->Work(respond, handle, nSize, pData);
}
// Audio thread; never blocks.
LV2_Worker_Status WorkResponse(LV2_Handle h, uint32_t nSize, const void* pData) {
    return Self(h)->WorkResponse(nSize, pData);
}
const LV2_Worker_Interface kWorker = {Work, WorkResponse, nullptr};

// UI thread.
IUnknown* OpenEditorControl(LV2_Handle h) {
    return h != nullptr ? Self(h)->EditorControl() : nullptr;
}
const Lv2EditorAccess kEditor = {OpenEditorControl};

// Any thread; never blocks.
const void* ExtensionData(const char* pszUri) {
    const std::string_view uri(pszUri);
    if (uri == LV2_STATE__interface) return &kState;
    if (uri == PANDREL_LV2_EDITOR_URI) return &kEditor;
    return uri == LV2_WORKER__interface ? &kWorker : nullptr;
}

const LV2_Descriptor kDescriptor = {PANDREL_LV2_URI, Instantiate, ConnectPort,  Activate, Run,
                                    Deactivate,      Cleanup,     ExtensionData};
} // namespace

extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t n) {
    return n == 0 ? &kDescriptor : nullptr;
}

// Host state, through the state store. The file work runs under the
// instrument's own lock only; the plug-in's lock is taken just to tell the idle
// gate that a restore changed the instrument, so blocks play on meanwhile.
#include "apps/lv2/Lv2Plugin.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Persist.h"

LV2_State_Status CLv2Plugin::Save(LV2_State_Store_Function store, LV2_State_Handle handle,
                                  const LV2_Feature* const* features) {
    ComPtr<IPersistStream> pPersist = Query<IPersistStream>(m_graph.Filter(), IID_IPersistStream);
    if (!pPersist) return LV2_STATE_ERR_UNKNOWN;
    std::string strError;
    const LV2_State_Status status =
        m_state.Save(pPersist.Get(), store, handle, features, &strError);
    if (status != LV2_STATE_SUCCESS) m_files.Log(true, "cannot save the state: " + strError);
    return status;
}

LV2_State_Status CLv2Plugin::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                     const LV2_Feature* const* features) {
    ComPtr<IPersistStream> pPersist = Query<IPersistStream>(m_graph.Filter(), IID_IPersistStream);
    if (!pPersist) return LV2_STATE_ERR_UNKNOWN;
    std::string strError;
    const LV2_State_Status status =
        m_state.Restore(pPersist.Get(), retrieve, handle, features, &strError);
    if (status != LV2_STATE_SUCCESS) {
        m_files.Log(true, "cannot restore the state (the project stays as it was): " + strError);
        return status;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_idle.Invalidate(); // whatever the load leaves, the next block renders
    return status;
}

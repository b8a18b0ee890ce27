// The plug-in's file parameters: patch messages in on the control input, the
// loads on the host's worker, and the current values out on the notify port.
#include "apps/lv2/Lv2Plugin.h"

void CLv2Plugin::Patches() {
    m_patch.Begin(m_pNotify);
    CLv2Sequence::ForEach(m_pInput, [&](const CLv2Sequence::Event& e) {
        const Lv2PatchMessage msg = m_patch.Read(e.pAtom);
        if (msg.kind == Lv2PatchMessage::Kind::Set) {
            // A host that shows the path it asked for is told the value that stands.
            if (!m_files.Request(msg.param, msg.pszPath, msg.nPathBytes))
                m_files.MarkChanged(msg.param);
        } else if (msg.kind == Lv2PatchMessage::Kind::Get) {
            for (uint32_t n = 0; n < kLv2FileParamCount; ++n)
                if (msg.bAll || static_cast<uint32_t>(msg.param) == n)
                    m_files.MarkChanged(static_cast<Lv2FileParam>(n));
        }
    });
    // A value that does not fit this block's buffer is sent in a later one.
    for (uint32_t n = 0; n < kLv2FileParamCount; ++n) {
        const auto param = static_cast<Lv2FileParam>(n);
        if (m_files.Changed(param) &&
            m_patch.Set(param, m_files.Value(param), m_files.ValueBytes(param)))
            m_files.MarkTold(param);
    }
    m_patch.End();
}

LV2_Worker_Status CLv2Plugin::Work(LV2_Worker_Respond_Function respond,
                                   LV2_Worker_Respond_Handle handle, uint32_t nSize,
                                   const void* pData) {
    // Not under the plug-in's lock: the control interface takes the engine's
    // for as long as the instrument needs it, and the old project plays meanwhile.
    return m_files.Work(respond, handle, nSize, pData);
}

LV2_Worker_Status CLv2Plugin::WorkResponse(uint32_t nSize, const void* pData) {
    if (m_files.Response(nSize, pData)) m_bLoaded = true;
    return LV2_WORKER_SUCCESS;
}

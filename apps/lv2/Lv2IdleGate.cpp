#include "apps/lv2/Lv2IdleGate.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"

void CLv2IdleGate::Note(BYTE byStatus, BYTE byKey, BYTE byVelocity) {
    const unsigned kind = byStatus & 0xF0u;
    if (kind != 0x80 && kind != 0x90) return; // the instrument sounds nothing else
    uint8_t& n = m_held[static_cast<size_t>(byStatus & 0x0F) * 128 + (byKey & 127)];
    if (kind == 0x90 && (byVelocity & 127) != 0) {
        // Counted, so that a key struck twice is held until released as often;
        // at the bound it stays held until the transport resets.
        if (n == 0) ++m_nHeld;
        if (n < 255) ++n;
    } else if (n > 0 && n < 255 && --n == 0) {
        --m_nHeld;
    }
}

void CLv2IdleGate::TransportReset() {
    m_held.fill(0);
    m_nHeld = 0;
}

bool CLv2IdleGate::Idle() {
    if (!m_bQuiet || m_nHeld > 0 || m_pControl == nullptr) return false;
    if (m_bIdle) return true;
    for (LONG nPad = 0; nPad < kPadCount; ++nPad) {
        BOOL bActive = TRUE;
        if (FAILED(m_pControl->GetPadActive(nPad, &bActive)) || bActive) return false;
    }
    // A Loop Bin slot without a file is refused: it plays nothing.
    for (LONG nEntry = 0; nEntry < kLoopBinCapacity; ++nEntry) {
        BOOL bActive = FALSE;
        if (SUCCEEDED(m_pControl->GetFilePreviewActive(nEntry, &bActive)) && bActive) return false;
    }
    m_bIdle = true;
    return true;
}

// Whether a block may skip the instrument's graph: what the plug-in knows of
// the instrument (the notes it passed on and not yet ended, the silent flags
// of the last block it rendered, and the pads' and previews' activity from
// the control interface) says nothing can sound, so the block is silence.
#pragma once
#include "platform/com/Types.h"
#include <array>
#include <cstdint>

class IVudivuVizezud;

class CLv2IdleGate {
public:
    // Instantiation thread: the control interface asked about (not owned; may be null,
    // and then no block is skipped).
    void SetControl(IVudivuVizezud* pControl) { m_pControl = pControl; }

    // Audio thread, never block. A note message passed on to the instrument.
    void Note(BYTE byStatus, BYTE byKey, BYTE byVelocity);
    // The transport started or stopped: the instrument ended every note.
    void TransportReset();
    // Something changed that the silent flags have not seen yet (events,
    // a restore, an activation): the next block renders.
    void Invalidate() { m_bQuiet = m_bIdle = false; }
    // A block rendered; bQuiet when every output of every buffer was flagged silent.
    void Rendered(bool bQuiet) {
        m_bQuiet = bQuiet;
        m_bIdle = false;
    }
    // Nothing could sound: the last rendered block was silent, no note is
    // held, and no pad or preview plays. The pads and previews change only
    // as the instrument renders, so they are asked (under the engine's lock)
    // once after each rendered block.
    bool Idle();

private:
    IVudivuVizezud* m_pControl = nullptr;
    std::array<uint8_t, 16 * 128> m_held{}; // note-ons not yet ended, by channel and key
    int m_nHeld = 0;                        // keys with a note held
    bool m_bQuiet = false;
    bool m_bIdle = false; // Idle() held since the last rendered block
};

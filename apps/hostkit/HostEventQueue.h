// The events a host queues for one QueueEvents call: note-ons held until
// their note-offs, and note-offs, at MIDI ticks.
#pragma once
#include "platform/mfx/MfxQueues.h"
#include <vector>

class CHostEventQueue : public IMfxEventQueue {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return 2; } // lives on the host's stack
    ULONG Release() override { return 1; }
    HRESULT EventQueueReserved3() override { return E_NOTIMPL; }
    HRESULT GetCount(LONG* plCount) override;
    HRESULT GetAt(LONG lIndex, MfxEvent* pEvent) override;

    // A note-on (held until its note-off) or a note-off, at a MIDI tick.
    void AddNote(LONG lTime, BYTE byChannel, BYTE byKey, BYTE byVelocity, bool bOn);
    void Clear() { m_events.clear(); }
    bool Empty() const { return m_events.empty(); }

private:
    std::vector<MfxEvent> m_events;
};

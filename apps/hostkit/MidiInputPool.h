// The MIDI messages waiting for the instrument's next buffer, in a fixed pool
// handed over as the instrument's data queue: all at time 0, which the
// instrument places at the start of the buffer that follows. Never allocates.
#pragma once
#include "platform/mfx/MfxQueues.h"
#include <array>

class CMidiInputPool : public IMfxDataQueue {
public:
    static constexpr LONG kCapacity = 512;

    // Audio thread (inside the instrument's QueueInput); never block.
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IMfxDataQueue) {
            *ppv = static_cast<IMfxDataQueue*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; } // owned by the plug-in
    ULONG Release() override { return 1; }
    HRESULT DataQueueReserved3() override { return E_NOTIMPL; }
    HRESULT GetCount(LONG* plCount) override {
        if (plCount == nullptr) return E_POINTER;
        *plCount = m_lCount;
        return S_OK;
    }
    HRESULT GetAt(LONG lIndex, MfxData* pData) override {
        if (pData == nullptr) return E_POINTER;
        if (lIndex < 0 || lIndex >= m_lCount) return E_INVALIDARG;
        *pData = m_items[static_cast<size_t>(lIndex)];
        return S_OK;
    }

    // Audio thread, never blocks. A message beyond the capacity is dropped (false).
    bool Add(BYTE byStatus, BYTE byData1, BYTE byData2) {
        if (m_lCount >= kCapacity) return false;
        m_items[static_cast<size_t>(m_lCount++)] = {0, byStatus, byData1, byData2, 0};
        return true;
    }
    void Clear() { m_lCount = 0; }
    bool Empty() const { return m_lCount == 0; }

private:
    std::array<MfxData, kCapacity> m_items{};
    LONG m_lCount = 0;
};

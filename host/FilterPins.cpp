// Output pin management for the engine (the synth context's slots 0..5), the
// host's pin-change sink and the graph's change event.
#include "host/Filter.h"
#include "host/ServerCounters.h"
#include <cwchar>
#include <new>

HRESULT CFilter::AskPinChange(DWORD dwCount) {
    if (!IsAttached()) return S_OK;
    if (m_pPinSink == nullptr) return E_FAIL;
    const HRESULT hr = m_pPinSink->OnPinChange(kPinChangeAsk, AsBaseFilter(), dwCount);
    return hr > 0 ? S_OK : hr;
}

void CFilter::TellPinChange(DWORD dwCount) {
    IncrementPinVersion();
    if (IsAttached() && m_pPinSink != nullptr)
        m_pPinSink->OnPinChange(kPinChangeDone, AsBaseFilter(), dwCount);
    if (Graph() != nullptr) NotifyEvent(EC_GRAPH_CHANGED, 0, 0);
}

void CFilter::UnlinkOutput(size_t i) {
    CFilterOutputPin* pPin = m_outputs[i];
    m_outputs.erase(m_outputs.begin() + static_cast<std::ptrdiff_t>(i));
    --m_dwOutputCount;
    IncrementPinVersion();
    pPin->SetInList(false);
}

HRESULT CFilter::AddOutputPin(const wchar_t* pszName, DWORD* pdwId) {
    CAutoLock lock(ObjectLock());
    HRESULT hr = AskPinChange(m_dwOutputCount + 1);
    if (FAILED(hr)) return hr;
    // Names hold at most 255 characters.
    wchar_t name[kMaxOutputPinName + 1];
    if (pszName != nullptr) {
        std::wcsncpy(name, pszName, kMaxOutputPinName);
        name[kMaxOutputPinName] = 0;
    } else {
        std::swprintf(name, kMaxOutputPinName + 1, L"Output %u", m_dwOutputCount + 1);
    }
    hr = S_OK;
    auto* pPin = new (std::nothrow) CFilterOutputPin(this, name, NextOutputPinId(), &hr);
    if (pPin == nullptr) return E_OUTOFMEMORY;
    if (FAILED(hr)) {
        delete pPin;
        return hr;
    }
    try {
        m_outputs.push_back(pPin);
    } catch (const std::bad_alloc&) {
        delete pPin;
        return E_OUTOFMEMORY;
    }
    pPin->SetInList(true);
    if (pdwId != nullptr) *pdwId = pPin->GetId();
    ++m_dwOutputCount;
    TellPinChange(m_dwOutputCount);
    return S_OK;
}

HRESULT CFilter::RemoveOutputPin(DWORD dwId) {
    CAutoLock lock(ObjectLock());
    size_t i = 0;
    while (i < m_outputs.size() && m_outputs[i]->GetId() != dwId) ++i;
    if (i == m_outputs.size()) return E_FAIL;
    const HRESULT hr = AskPinChange(m_dwOutputCount - 1);
    if (FAILED(hr)) return hr;
    if (m_outputs[i]->CBasePin::IsConnected()) return E_UNEXPECTED;
    UnlinkOutput(i);
    TellPinChange(m_dwOutputCount);
    return S_OK;
}

HRESULT CFilter::RemoveAllOutputPins() {
    CAutoLock lock(ObjectLock());
    HRESULT hr = AskPinChange(0);
    if (FAILED(hr)) return hr;
    while (!m_outputs.empty()) {
        if (m_outputs.front()->CBasePin::IsConnected()) return E_UNEXPECTED;
        UnlinkOutput(0);
    }
    TellPinChange(0);
    return S_OK;
}

CFilterOutputPin* CFilter::FindOutputPin(DWORD dwId) {
    for (CFilterOutputPin* p : m_outputs)
        if (p->GetId() == dwId) return p;
    return nullptr;
}

DWORD CFilter::GetOutputPinId(DWORD dwIndex) {
    return dwIndex < m_outputs.size() ? m_outputs[dwIndex]->GetId() : 0xFFFFFFFF;
}

IRenderOutput* CFilter::GetRenderOutput(DWORD dwIndex) {
    return dwIndex < m_outputs.size() ? m_outputs[dwIndex] : nullptr;
}

CBasePin* CFilter::GetPin(int n) {
    if (n == 0) return m_pInput.get();
    if (n >= 1 && static_cast<size_t>(n) <= m_outputs.size())
        return m_outputs[static_cast<size_t>(n) - 1];
    return nullptr;
}

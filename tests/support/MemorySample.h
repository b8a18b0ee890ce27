// A media sample over a vector of floats, for rendering through Process in
// tests without a filter graph. Its reference count is not kept: the test
// owns it.
#pragma once
#include "interfaces/PinSample.h"
#include <vector>

class MemorySample : public IPinSample {
public:
    explicit MemorySample(size_t floats) : m_data(floats, 0.0f) {}
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetPointer(BYTE** pp) override {
        *pp = reinterpret_cast<BYTE*>(m_data.data());
        return S_OK;
    }
    LONG GetSize() override { return static_cast<LONG>(m_data.size() * sizeof(float)); }
    LONG GetActualDataLength() override { return GetSize(); }
    HRESULT SetActualDataLength(LONG) override { return S_OK; }
    HRESULT GetTime(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_FAIL; }
    HRESULT SetTime(const REFERENCE_TIME*, const REFERENCE_TIME*) override { return S_OK; }
    HRESULT IsSyncPoint() override { return S_FALSE; }
    HRESULT SetSyncPoint(BOOL) override { return S_OK; }
    HRESULT IsDiscontinuity() override { return S_FALSE; }
    HRESULT SetDiscontinuity(BOOL) override { return S_OK; }
    HRESULT IsPreroll() override { return S_FALSE; }
    HRESULT SetPreroll(BOOL) override { return S_OK; }
    std::vector<float> m_data;
};

// Presents a platform media sample to the process path as an IPinSample. Each
// pin owns one adapter and binds the sample it is working on to it, so no
// buffer allocates anything. The adapter's references are the bound sample's
// hold: the last Release lets the sample go back to its allocator. The
// silent-buffer extension is the sample's own. Streaming thread, under the
// object's lock.
#pragma once
#include "interfaces/PinSample.h"
#include "platform/media/MediaInterfaces.h"

class CPinSampleAdapter : public IPinSample {
public:
    CPinSampleAdapter() = default;
    CPinSampleAdapter(const CPinSampleAdapter&) = delete;
    CPinSampleAdapter& operator=(const CPinSampleAdapter&) = delete;
    ~CPinSampleAdapter() { Unbind(); }

    // Takes over one reference of pSample; the adapter then holds one reference.
    void Bind(IMediaSample* pSample) {
        Unbind();
        m_pSample = pSample;
        m_cRef = pSample != nullptr ? 1 : 0;
    }
    // Drops whatever references remain.
    void Unbind() {
        if (m_pSample != nullptr) m_pSample->Release();
        m_pSample = nullptr;
        m_cRef = 0;
    }
    bool IsBound() const { return m_pSample != nullptr; }
    IMediaSample* Sample() const { return m_pSample; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown) {
            *ppv = static_cast<IPinSample*>(this);
            AddRef();
            return S_OK;
        }
        // Extensions (the silent flag) are the sample's.
        if (m_pSample != nullptr && riid != IID_IMediaSample)
            return m_pSample->QueryInterface(riid, ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_cRef; }
    ULONG Release() override {
        if (m_cRef == 0) return 0;
        const ULONG n = --m_cRef;
        if (n == 0) Unbind();
        return n;
    }

    HRESULT GetPointer(BYTE** pp) override {
        return m_pSample ? m_pSample->GetPointer(pp) : E_UNEXPECTED;
    }
    LONG GetSize() override { return m_pSample ? m_pSample->GetSize() : 0; }
    LONG GetActualDataLength() override { return m_pSample ? m_pSample->GetActualDataLength() : 0; }
    HRESULT SetActualDataLength(LONG l) override {
        return m_pSample ? m_pSample->SetActualDataLength(l) : E_UNEXPECTED;
    }
    HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pStop) override {
        return m_pSample ? m_pSample->GetTime(pStart, pStop) : E_UNEXPECTED;
    }
    HRESULT SetTime(const REFERENCE_TIME* pStart, const REFERENCE_TIME* pStop) override {
        if (m_pSample == nullptr) return E_UNEXPECTED;
        REFERENCE_TIME start = pStart ? *pStart : 0;
        REFERENCE_TIME stop = pStop ? *pStop : 0;
        return m_pSample->SetTime(pStart ? &start : nullptr, pStop ? &stop : nullptr);
    }
    HRESULT IsSyncPoint() override { return m_pSample ? m_pSample->IsSyncPoint() : S_FALSE; }
    HRESULT SetSyncPoint(BOOL b) override {
        return m_pSample ? m_pSample->SetSyncPoint(b) : E_UNEXPECTED;
    }
    HRESULT IsDiscontinuity() override {
        return m_pSample ? m_pSample->IsDiscontinuity() : S_FALSE;
    }
    HRESULT SetDiscontinuity(BOOL b) override {
        return m_pSample ? m_pSample->SetDiscontinuity(b) : E_UNEXPECTED;
    }
    HRESULT IsPreroll() override { return m_pSample ? m_pSample->IsPreroll() : S_FALSE; }
    HRESULT SetPreroll(BOOL b) override {
        return m_pSample ? m_pSample->SetPreroll(b) : E_UNEXPECTED;
    }

private:
    IMediaSample* m_pSample = nullptr;
    ULONG m_cRef = 0;
};

// One buffer of a memory allocator: its memory, data length, time stamps and
// stream flags, and the silent-buffer extension (a flag telling that the
// buffer holds silence). Its last Release hands it back to its allocator.
// Used by one thread at a time (the one holding it); takes no lock.
#pragma once
#include "platform/media/MediaInterfaces.h"
#include "platform/mfx/MfxSilentBuffer.h"
#include <atomic>

class CMemAllocator;

class CMediaSample : public IMediaSample, public IMfxSilentBuffer {
public:
    CMediaSample(CMemAllocator* pAllocator, BYTE* pBuffer, LONG cbBuffer);
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;
    virtual ~CMediaSample() = default;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetPointer(BYTE** ppBuffer) override;
    LONG GetSize() override { return m_cbBuffer; }
    HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pEnd) override;
    HRESULT SetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pEnd) override;
    HRESULT IsSyncPoint() override { return m_bSyncPoint ? S_OK : S_FALSE; }
    HRESULT SetSyncPoint(BOOL b) override;
    HRESULT IsPreroll() override { return m_bPreroll ? S_OK : S_FALSE; }
    HRESULT SetPreroll(BOOL b) override;
    LONG GetActualDataLength() override { return m_lActual; }
    // E_INVALIDARG beyond the buffer's size or below 0.
    HRESULT SetActualDataLength(LONG lLen) override;
    // S_FALSE and null: the type has not changed (the only case here).
    HRESULT GetMediaType(AM_MEDIA_TYPE** ppMediaType) override;
    HRESULT SetMediaType(AM_MEDIA_TYPE* pMediaType) override;
    HRESULT IsDiscontinuity() override { return m_bDiscontinuity ? S_OK : S_FALSE; }
    HRESULT SetDiscontinuity(BOOL b) override;
    HRESULT GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;
    HRESULT SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) override;

    // IMfxSilentBuffer.
    HRESULT GetSilentFlag(BOOL* pbSilent) override;
    HRESULT SetSilentFlag(BOOL bSilent) override;

    // The allocator's side: a fresh sample with one reference and no stamps.
    void Reset();
    std::atomic<bool> m_bInUse{false};

private:
    CMemAllocator* m_pAllocator;
    BYTE* m_pBuffer;
    LONG m_cbBuffer;
    std::atomic<ULONG> m_cRef{0};
    LONG m_lActual = 0;
    REFERENCE_TIME m_tStart = 0;
    REFERENCE_TIME m_tStop = 0;
    bool m_bStartValid = false;
    bool m_bStopValid = false;
    LONGLONG m_llMediaStart = 0;
    LONGLONG m_llMediaStop = 0;
    bool m_bMediaTimeValid = false;
    BOOL m_bSyncPoint = FALSE;
    BOOL m_bPreroll = FALSE;
    BOOL m_bDiscontinuity = FALSE;
    BOOL m_bSilent = FALSE;
};

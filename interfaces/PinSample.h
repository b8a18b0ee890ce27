// A media sample as the process path sees it: one buffer of audio with its
// data length, time stamps and stream flags. The filter's pins adapt the
// platform's media samples to it; the silent-buffer extension, where a sample
// has one, is found through QueryInterface (IID_IMfxSilentBuffer).
// The flag queries answer S_OK for set and S_FALSE for clear. Called on the
// streaming thread under the object's lock.
#pragma once
#include "platform/com/Unknown.h"

// Time query result: a start time without a stop time.
constexpr HRESULT kSampleNoStopTime = 0x00040270;

class IPinSample : public IUnknown {
public:
    virtual HRESULT GetPointer(BYTE** ppBuffer) = 0;
    virtual LONG GetSize() = 0; // bytes of memory behind the pointer
    virtual LONG GetActualDataLength() = 0;
    virtual HRESULT SetActualDataLength(LONG lLength) = 0;
    // Start and stop in 100-ns units: S_OK, kSampleNoStopTime, or a failure when unstamped.
    virtual HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pStop) = 0;
    // Null pointers clear the stamp.
    virtual HRESULT SetTime(const REFERENCE_TIME* pStart, const REFERENCE_TIME* pStop) = 0;
    virtual HRESULT IsSyncPoint() = 0;
    virtual HRESULT SetSyncPoint(BOOL bSyncPoint) = 0;
    virtual HRESULT IsDiscontinuity() = 0;
    virtual HRESULT SetDiscontinuity(BOOL bDiscontinuity) = 0;
    virtual HRESULT IsPreroll() = 0;
    virtual HRESULT SetPreroll(BOOL bPreroll) = 0;

protected:
    ~IPinSample() = default;
};

// The media-filter interfaces, in their slot order: filters and their state,
// pins and their connection, enumerators, allocators and media samples, the
// filter graph and its event sink, filter setup and property pages. Records
// that cross them are plain structures.
#pragma once
#include "platform/com/Persist.h"
#include "platform/media/MediaType.h"
#include <cstdint>

using LONG_PTR = intptr_t;

enum PIN_DIRECTION : int32_t { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };
enum FILTER_STATE : int32_t { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

constexpr int MAX_PIN_NAME = 128;
constexpr int MAX_FILTER_NAME = 128;
// Filter graph events.
constexpr LONG EC_GRAPH_CHANGED = 0x50;

struct ALLOCATOR_PROPERTIES {
    LONG cBuffers;
    LONG cbBuffer;
    LONG cbAlign;
    LONG cbPrefix;
};

class IBaseFilter;
class IFilterGraph;

struct PIN_INFO {
    IBaseFilter* pFilter; // with a reference added
    PIN_DIRECTION dir;
    WCHAR achName[MAX_PIN_NAME];
};

struct FILTER_INFO {
    WCHAR achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph; // with a reference added
};

struct CAUUID {
    ULONG cElems;
    GUID* pElems; // CoTaskMemAlloc'ed
};

#define PANDREL_MEDIA_IID(name, d1, d2, d3, b0, b1, b2, b3, b4, b5, b6, b7)                        \
    constexpr IID name = {d1, d2, d3, {b0, b1, b2, b3, b4, b5, b6, b7}};
PANDREL_MEDIA_IID(IID_IPin, 0x56A86891, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7,
                  0x70)
PANDREL_MEDIA_IID(IID_IEnumPins, 0x56A86892, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B,
                  0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IEnumMediaTypes, 0x89C31040, 0x846B, 0x11CE, 0x97, 0xD3, 0x00, 0xAA, 0x00,
                  0x55, 0x59, 0x5A)
PANDREL_MEDIA_IID(IID_IBaseFilter, 0x56A86895, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B,
                  0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IMediaFilter, 0x56A86899, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B,
                  0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IReferenceClock, 0x56A86897, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                  0x0B, 0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IMediaSample, 0x56A8689A, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B,
                  0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IMemAllocator, 0x56A8689C, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B,
                  0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IMemInputPin, 0x56A8689D, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B,
                  0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IFilterGraph, 0x56A8689F, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B,
                  0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IMediaEventSink, 0x56A868A2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                  0x0B, 0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IMediaPosition, 0x56A868B2, 0x0AD4, 0x11CE, 0xB0, 0x3A, 0x00, 0x20, 0xAF,
                  0x0B, 0xA7, 0x70)
PANDREL_MEDIA_IID(IID_IMediaSeeking, 0x36B73880, 0xC2C8, 0x11CF, 0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C,
                  0xEF, 0x60)
PANDREL_MEDIA_IID(IID_IAMovieSetup, 0xA3D8CEC0, 0x7E5A, 0x11CF, 0xBB, 0xC5, 0x00, 0x80, 0x5F, 0x6C,
                  0xEF, 0x20)
PANDREL_MEDIA_IID(IID_ISpecifyPropertyPages, 0xB196B28B, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA,
                  0x00, 0x34, 0x1D, 0x07)
#undef PANDREL_MEDIA_IID

// A clock filters synchronise to; held, not called, by the filters here.
class IReferenceClock : public IUnknown {
protected:
    ~IReferenceClock() = default;
};

class IMediaSample : public IUnknown {
public:
    virtual HRESULT GetPointer(BYTE** ppBuffer) = 0; // 3
    virtual LONG GetSize() = 0;                      // 4
    // VFW_E_SAMPLE_TIME_NOT_SET unstamped; VFW_S_NO_STOP_TIME with a start only.
    virtual HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pEnd) = 0;  // 5
    virtual HRESULT SetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pEnd) = 0;  // 6
    virtual HRESULT IsSyncPoint() = 0;                                          // 7
    virtual HRESULT SetSyncPoint(BOOL bIsSyncPoint) = 0;                        // 8
    virtual HRESULT IsPreroll() = 0;                                            // 9
    virtual HRESULT SetPreroll(BOOL bIsPreroll) = 0;                            // 10
    virtual LONG GetActualDataLength() = 0;                                     // 11
    virtual HRESULT SetActualDataLength(LONG lLen) = 0;                         // 12
    virtual HRESULT GetMediaType(AM_MEDIA_TYPE** ppMediaType) = 0;              // 13
    virtual HRESULT SetMediaType(AM_MEDIA_TYPE* pMediaType) = 0;                // 14
    virtual HRESULT IsDiscontinuity() = 0;                                      // 15
    virtual HRESULT SetDiscontinuity(BOOL bDiscontinuity) = 0;                  // 16
    virtual HRESULT GetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) = 0; // 17
    virtual HRESULT SetMediaTime(LONGLONG* pTimeStart, LONGLONG* pTimeEnd) = 0; // 18

protected:
    ~IMediaSample() = default;
};

class IMemAllocator : public IUnknown {
public:
    virtual HRESULT SetProperties(ALLOCATOR_PROPERTIES* pRequest,
                                  ALLOCATOR_PROPERTIES* pActual) = 0; // 3
    virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* pProps) = 0;  // 4
    virtual HRESULT Commit() = 0;                                     // 5
    virtual HRESULT Decommit() = 0;                                   // 6
    virtual HRESULT GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime,
                              REFERENCE_TIME* pEndTime,
                              DWORD dwFlags) = 0;             // 7
    virtual HRESULT ReleaseBuffer(IMediaSample* pBuffer) = 0; // 8

protected:
    ~IMemAllocator() = default;
};

class IEnumMediaTypes : public IUnknown {
public:
    virtual HRESULT Next(ULONG cMediaTypes, AM_MEDIA_TYPE** ppMediaTypes,
                         ULONG* pcFetched) = 0;          // 3
    virtual HRESULT Skip(ULONG cMediaTypes) = 0;         // 4
    virtual HRESULT Reset() = 0;                         // 5
    virtual HRESULT Clone(IEnumMediaTypes** ppEnum) = 0; // 6

protected:
    ~IEnumMediaTypes() = default;
};

class IPin : public IUnknown {
public:
    virtual HRESULT Connect(IPin* pReceivePin, const AM_MEDIA_TYPE* pmt) = 0;                  // 3
    virtual HRESULT ReceiveConnection(IPin* pConnector, const AM_MEDIA_TYPE* pmt) = 0;         // 4
    virtual HRESULT Disconnect() = 0;                                                          // 5
    virtual HRESULT ConnectedTo(IPin** pPin) = 0;                                              // 6
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* pmt) = 0;                               // 7
    virtual HRESULT QueryPinInfo(PIN_INFO* pInfo) = 0;                                         // 8
    virtual HRESULT QueryDirection(PIN_DIRECTION* pPinDir) = 0;                                // 9
    virtual HRESULT QueryId(WCHAR** Id) = 0;                                                   // 10
    virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* pmt) = 0;                                 // 11
    virtual HRESULT EnumMediaTypes(IEnumMediaTypes** ppEnum) = 0;                              // 12
    virtual HRESULT QueryInternalConnections(IPin** apPin, ULONG* nPin) = 0;                   // 13
    virtual HRESULT EndOfStream() = 0;                                                         // 14
    virtual HRESULT BeginFlush() = 0;                                                          // 15
    virtual HRESULT EndFlush() = 0;                                                            // 16
    virtual HRESULT NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) = 0; // 17

protected:
    ~IPin() = default;
};

class IMemInputPin : public IUnknown {
public:
    virtual HRESULT GetAllocator(IMemAllocator** ppAllocator) = 0;                  // 3
    virtual HRESULT NotifyAllocator(IMemAllocator* pAllocator, BOOL bReadOnly) = 0; // 4
    virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* pProps) = 0;     // 5
    virtual HRESULT Receive(IMediaSample* pSample) = 0;                             // 6
    virtual HRESULT ReceiveMultiple(IMediaSample** pSamples, LONG nSamples,
                                    LONG* nSamplesProcessed) = 0; // 7
    virtual HRESULT ReceiveCanBlock() = 0;                        // 8

protected:
    ~IMemInputPin() = default;
};

class IEnumPins : public IUnknown {
public:
    virtual HRESULT Next(ULONG cPins, IPin** ppPins, ULONG* pcFetched) = 0; // 3
    virtual HRESULT Skip(ULONG cPins) = 0;                                  // 4
    virtual HRESULT Reset() = 0;                                            // 5
    virtual HRESULT Clone(IEnumPins** ppEnum) = 0;                          // 6

protected:
    ~IEnumPins() = default;
};

class IMediaFilter : public IPersist {
public:
    virtual HRESULT Stop() = 0;                                                  // 4
    virtual HRESULT Pause() = 0;                                                 // 5
    virtual HRESULT Run(REFERENCE_TIME tStart) = 0;                              // 6
    virtual HRESULT GetState(DWORD dwMilliSecsTimeout, FILTER_STATE* State) = 0; // 7
    virtual HRESULT SetSyncSource(IReferenceClock* pClock) = 0;                  // 8
    virtual HRESULT GetSyncSource(IReferenceClock** pClock) = 0;                 // 9

protected:
    ~IMediaFilter() = default;
};

class IBaseFilter : public IMediaFilter {
public:
    virtual HRESULT EnumPins(IEnumPins** ppEnum) = 0;                              // 10
    virtual HRESULT FindPin(const WCHAR* Id, IPin** ppPin) = 0;                    // 11
    virtual HRESULT QueryFilterInfo(FILTER_INFO* pInfo) = 0;                       // 12
    virtual HRESULT JoinFilterGraph(IFilterGraph* pGraph, const WCHAR* pName) = 0; // 13
    virtual HRESULT QueryVendorInfo(WCHAR** pVendorInfo) = 0;                      // 14

protected:
    ~IBaseFilter() = default;
};

class IEnumFilters;

class IFilterGraph : public IUnknown {
public:
    virtual HRESULT AddFilter(IBaseFilter* pFilter, const WCHAR* pName) = 0;                  // 3
    virtual HRESULT RemoveFilter(IBaseFilter* pFilter) = 0;                                   // 4
    virtual HRESULT EnumFilters(IEnumFilters** ppEnum) = 0;                                   // 5
    virtual HRESULT FindFilterByName(const WCHAR* pName, IBaseFilter** ppFilter) = 0;         // 6
    virtual HRESULT ConnectDirect(IPin* ppinOut, IPin* ppinIn, const AM_MEDIA_TYPE* pmt) = 0; // 7
    virtual HRESULT Reconnect(IPin* ppin) = 0;                                                // 8
    virtual HRESULT Disconnect(IPin* ppin) = 0;                                               // 9
    virtual HRESULT SetDefaultSyncSource() = 0;                                               // 10

protected:
    ~IFilterGraph() = default;
};

class IMediaEventSink : public IUnknown {
public:
    virtual HRESULT Notify(LONG EventCode, LONG_PTR EventParam1, LONG_PTR EventParam2) = 0; // 3

protected:
    ~IMediaEventSink() = default;
};

// Filter self-registration.
class IAMovieSetup : public IUnknown {
public:
    virtual HRESULT Register() = 0;   // 3
    virtual HRESULT Unregister() = 0; // 4

protected:
    ~IAMovieSetup() = default;
};

// The property pages (by class identifier) an object offers for itself.
class ISpecifyPropertyPages : public IUnknown {
public:
    virtual HRESULT GetPages(CAUUID* pPages) = 0; // 3

protected:
    ~ISpecifyPropertyPages() = default;
};

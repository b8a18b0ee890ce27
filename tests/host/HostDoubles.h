// Test doubles of the host side: the context object with its five interfaces,
// the event and data queues, media samples (with or without the silent-buffer
// extension) and output pins. Storage is sized up front so that the doubles
// themselves never allocate while a test counts allocations.
#pragma once
#include "host/RenderOutput.h"
#include "interfaces/PinSample.h"
#include "platform/mfx/MfxHostContext.h"
#include "platform/mfx/MfxQueues.h"
#include "platform/mfx/MfxSilentBuffer.h"
#include <cstring>
#include <string>
#include <vector>

// Reference counting that never deletes: doubles live in the test.
#define TEST_REFCOUNT                                                                              \
    ULONG AddRef() override { return ++cRef; }                                                     \
    ULONG Release() override { return --cRef; }                                                    \
    ULONG cRef = 0;

template <class I> struct TestIface : I {
    HRESULT QueryInterface(REFIID, void** ppv) override { return *ppv = nullptr, E_NOINTERFACE; }
    ULONG AddRef() override { return ++cRef; }
    ULONG Release() override {
        if (pLog != nullptr) *pLog += name;
        return --cRef;
    }
    ULONG cRef = 0;
    std::string* pLog = nullptr;
    char name = '?';
};

// 100 BPM: 5/8 ms per MIDI tick; tempo 100.00 at time 0 unless changed.
struct TestTempoMap : TestIface<IMfxTempoMap> {
    LONG TicksToMsecs(LONG t) override { return msOverride != 0 ? msOverride : t * 5 / 8; }
    LONG MsecsToTicks(LONG ms) override { return lastMs = ms, ms * 8 / 5; }
    HRESULT TempoMapReserved5() override { return E_NOTIMPL; }
    HRESULT TempoMapReserved6() override { return E_NOTIMPL; }
    HRESULT TempoMapReserved7() override { return E_NOTIMPL; }
    HRESULT GetTempoAt(LONG t, LONG* pStart, LONG* pTempo100) override {
        lastTempoTime = t;
        *pStart = 0;
        *pTempo100 = tempo100;
        return S_OK;
    }
    LONG msOverride = 0, lastMs = -1, lastTempoTime = -1, tempo100 = 10000;
};

// Answers `answer` for every conversion and records the request.
struct TestConverter : TestIface<IMfxTimeConverter> {
    HRESULT ConvertTime(MfxTime* p, DWORD to) override {
        inFormat = p->dwFormat, inValue = p->llValue, inSeconds = p->dSeconds, toFormat = to;
        p->llValue = answer;
        return E_FAIL; // the result code is not examined
    }
    DWORD inFormat = 0, toFormat = 0;
    LONGLONG inValue = 0, answer = 0;
    double inSeconds = 0;
};

struct TestPosition : TestIface<IMfxPosition> {
    HRESULT PositionReserved3() override { return E_NOTIMPL; }
    HRESULT PositionReserved4() override { return E_NOTIMPL; }
    HRESULT PositionReserved5() override { return E_NOTIMPL; }
    HRESULT QueryPosition(const MfxTime* p, DWORD* pAnswer) override {
        inFormat = p->dwFormat, inValue = p->llValue, answerOnEntry = *pAnswer;
        *pAnswer = 7;
        return S_OK;
    }
    DWORD inFormat = 0, answerOnEntry = 99;
    LONGLONG inValue = 0;
};

// The host's context object; each interface can be withheld.
struct TestContext : TestIface<IUnknown> {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        IUnknown* p = nullptr;
        if (riid == IID_IMfxTempoMap && hasTempoMap) p = &tempoMap;
        if (riid == IID_IMfxTimeConverter && hasConverter) p = &converter;
        if (riid == IID_IMfxPosition && hasPosition) p = &position;
        if (riid == IID_IMfxPortTarget && hasPortTarget) p = &portTarget;
        if (riid == IID_IMfxPinChangeSink && hasPinSink) p = &pinSink;
        *ppv = p;
        if (p == nullptr) return E_NOINTERFACE;
        p->AddRef();
        return S_OK;
    }
    void Log(std::string* pLog) {
        tempoMap.pLog = converter.pLog = position.pLog = portTarget.pLog = pinSink.pLog = pLog;
        tempoMap.name = 'T', converter.name = 'C', position.name = 'P', portTarget.name = 'R';
        pinSink.name = 'S';
    }
    bool hasTempoMap = true, hasConverter = true, hasPosition = true, hasPortTarget = true,
         hasPinSink = true;
    TestTempoMap tempoMap;
    TestConverter converter;
    TestPosition position;
    TestIface<IMfxPortTarget> portTarget;
    TestIface<IMfxPinChangeSink> pinSink;
};

template <class I, class Item> struct TestQueue : TestIface<I> {
    HRESULT GetCount(LONG* pCount) override {
        return *pCount = countOverride >= -1 ? countOverride : LONG(items.size()), countResult;
    }
    HRESULT GetAt(LONG i, Item* p) override {
        if (i == failAt) return E_FAIL;
        return *p = items[size_t(i)], S_OK;
    }
    std::vector<Item> items;
    LONG failAt = -1, countOverride = -2;
    HRESULT countResult = S_OK;
};
struct TestEventQueue : TestQueue<IMfxEventQueue, MfxEvent> {
    HRESULT EventQueueReserved3() override { return E_NOTIMPL; }
    void Add(LONG time, BYTE key, DWORD duration = 0xFFFFFFFF, DWORD type = 0) {
        MfxEvent e{};
        e.lTime = time, e.byKey = key, e.byVelocity = 100, e.dwDuration = duration, e.dwType = type;
        items.push_back(e);
    }
};
struct TestDataQueue : TestQueue<IMfxDataQueue, MfxData> {
    HRESULT DataQueueReserved3() override { return E_NOTIMPL; }
    void Add(LONG time, BYTE status, BYTE d1, BYTE d2) {
        items.push_back(MfxData{time, status, d1, d2, 0});
    }
};

// A media sample with its own memory; the silent-buffer extension on request.
struct TestSample : IPinSample, IMfxSilentBuffer {
    explicit TestSample(LONG size, bool withExtension = false)
        : memory(size_t(size), 0xAB), hasExt(withExtension) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IMfxSilentBuffer && hasExt) *ppv = static_cast<IMfxSilentBuffer*>(this);
        if (*ppv == nullptr) return E_NOINTERFACE;
        return AddRef(), S_OK;
    }
    TEST_REFCOUNT
    HRESULT GetPointer(BYTE** pp) override { return *pp = memory.data(), S_OK; }
    LONG GetSize() override { return LONG(memory.size()); }
    LONG GetActualDataLength() override { return length; }
    HRESULT SetActualDataLength(LONG l) override { return length = l, S_OK; }
    HRESULT GetTime(REFERENCE_TIME* pStart, REFERENCE_TIME* pStop) override {
        *pStart = start, *pStop = start + 1;
        return timeResult;
    }
    HRESULT SetTime(const REFERENCE_TIME* pStart, const REFERENCE_TIME* pStop) override {
        stamped = pStart != nullptr, start = stamped ? *pStart : -1, stopGiven = pStop != nullptr;
        return S_OK;
    }
    HRESULT IsSyncPoint() override { return sync ? S_OK : S_FALSE; }
    HRESULT SetSyncPoint(BOOL b) override { return sync = b, S_OK; }
    HRESULT IsDiscontinuity() override { return discontinuity ? S_OK : S_FALSE; }
    HRESULT SetDiscontinuity(BOOL b) override { return discontinuity = b, S_OK; }
    HRESULT IsPreroll() override { return preroll ? S_OK : S_FALSE; }
    HRESULT SetPreroll(BOOL b) override { return preroll = b, S_OK; }
    HRESULT GetSilentFlag(BOOL* pb) override { return *pb = extSilent, S_OK; }
    HRESULT SetSilentFlag(BOOL b) override { return extSilent = b, S_OK; }
    float Float(size_t i) const {
        float f;
        std::memcpy(&f, &memory[i * 4], 4);
        return f;
    }

    std::vector<BYTE> memory;
    bool hasExt;
    LONG length = 0;
    REFERENCE_TIME start = 0;
    HRESULT timeResult = E_FAIL;
    bool stamped = false, stopGiven = false;
    BOOL sync = 0, discontinuity = 0, preroll = 0, extSilent = 0;
};

// An output pin handing out its one sample and counting what it delivers.
struct TestOutputPin : IRenderOutput {
    TestOutputPin(LONG size, bool withExtension = false) : sample(size, withExtension) {}
    BOOL IsConnected() override { return connected; }
    HRESULT GetDeliveryBuffer(IPinSample** pp) override {
        if (FAILED(bufferResult)) return *pp = nullptr, bufferResult;
        sample.AddRef();
        return *pp = &sample, S_OK;
    }
    HRESULT Deliver(IPinSample*) override { return ++delivered, deliverResult; }
    HRESULT DeliverEndOfStream() override { return ++endOfStream, S_OK; }

    TestSample sample;
    BOOL connected = TRUE;
    HRESULT bufferResult = S_OK, deliverResult = S_OK;
    int delivered = 0, endOfStream = 0;
};

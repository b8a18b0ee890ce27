// The soft-synth adapter: the host's IMfxSoftSynth2, IMfxNotify and
// IMfxInputPort on one side, the engine (the owner CDXi) on the other. It
// turns host events into sample-timed events in a pending queue, moves the
// due ones onto the active list for every buffer, runs the per-buffer and
// end-of-stream procedures, and serves the engine's time conversions.
//
// Threads: the host calls the interfaces from its sequencer and control
// threads, buffers arrive on the streaming thread, the engine calls the
// context while rendering. Every operation takes the owner's one re-entrant
// critical section, except IsPlaying, GetSampleRate, GetTempo and SetTempo.
// After construction, queueing, dispatch, rendering and retiring never
// allocate: events live in fixed pools (pending queue 4096, active list 1024,
// 1024 source states); an event that finds its pool full is dropped and counted.
#pragma once
#include "host/PendingQueue.h"
#include "host/RenderOutput.h"
#include "host/SourceStateTable.h"
#include "interfaces/DXi.h"
#include "interfaces/PinBuffer.h"
#include "interfaces/SynthEventList.h"
#include "platform/mfx/MfxHostContext.h"
#include "platform/mfx/MfxInputPort.h"
#include "platform/mfx/MfxNotify.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <atomic>

constexpr DWORD kDefaultSampleRate = 44100;
constexpr double kDefaultTempo = 120.0;
// Connected outputs rendered per buffer (the filter has 17).
constexpr DWORD kMaxRenderOutputs = 32;
// The end-of-stream tail renders at most this much audio.
constexpr LONGLONG kMaxTailSeconds = 60;

class CSoftSynth : public IMfxSoftSynth2,
                   public IMfxNotify,
                   public IMfxInputPort,
                   public virtual CDXiSynthContext {
public:
    // pOwner is only stored: it may not be constructed yet.
    explicit CSoftSynth(CDXi* pOwner);
    virtual ~CSoftSynth();
    // S_OK, or E_OUTOFMEMORY when the instrument or an event pool could not be
    // allocated; the object's creation fails with it.
    HRESULT GetCreateResult() const { return m_hrCreate; }

    // IUnknown belongs to the object that owns the adapter. This gives its
    // query the adapter's interfaces (IMfxSoftSynth, IMfxSoftSynth2,
    // IMfxNotify, IMfxInputPort) with a reference added, else E_NOINTERFACE.
    HRESULT QuerySoftSynthInterface(REFIID riid, void** ppv);

    // IMfxSoftSynth / IMfxSoftSynth2 (host threads; lock).
    HRESULT Attach(IUnknown* pContext) override;
    HRESULT Detach() override;
    HRESULT TransportStart(LONG lMidiTicks) override;
    HRESULT TransportLoop(LONG lFirst, LONG lSecond) override;
    HRESULT TransportStop() override;
    HRESULT QueueEvents(LONG lFrom, LONG lThru, DWORD dwSource, IMfxEventQueue* pQueue) override;
    HRESULT QueueInput(DWORD dwSource, IMfxDataQueue* pQueue) override;
    HRESULT GetBankList(LONG** ppBanks, LONG* plCount) override;
    HRESULT QueryPatchFlag(LONG lBank, LONG lPatch) override;
    HRESULT ValidatePatch(LONG lBank, LONG lPatch) override;
    HRESULT GetPatchNames(LONG lBank, IMfxNameList** ppList) override;
    HRESULT GetNoteNames(LONG lBank, LONG lPatch, IMfxNameList** ppList) override;
    HRESULT GetControllerNames(IMfxNameList** ppList) override;
    HRESULT GetRpnNames(IMfxNameList** ppList) override;
    HRESULT GetNrpnNames(IMfxNameList** ppList) override;
    HRESULT GetInstrument(DWORD dwReserved, IMfxInstrument** ppInstrument) override;

    // IMfxNotify (host threads; lock).
    HRESULT SetSourceProperty(const MfxSourceProperty* pProperty) override;
    // IMfxInputPort (host threads; lock).
    HRESULT SetPortTarget(IUnknown* pTarget) override;
    HRESULT GetPortTarget(IUnknown** ppTarget) override;

    // CDXiSynthContext slots 6..14 (any thread). Slots 0..5 are the filter's.
    LONGLONG MidiTicksToSamples(LONG lMidiTicks) override; // lock
    LONG SamplesToMidiTicks(LONGLONG llSamples) override;  // lock
    LONGLONG TicksToSamples(LONGLONG llTicks) override;    // lock
    LONGLONG SamplesToTicks(LONGLONG llSamples) override;  // lock
    DWORD QueryPosition(LONGLONG llTicks) override;        // lock
    BOOL IsPlaying() override { return m_dwPlaying.load(std::memory_order_relaxed); }
    // Callers normally hold the lock already (the engine renders under it);
    // the call takes none.
    DWORD GetSampleRate() override;
    double GetTempo() override { return m_dTempo.load(std::memory_order_relaxed); }
    // A tempo that is not a positive finite number is ignored.
    void SetTempo(double dTempo) override;

    // The render path (streaming thread; lock).
    // Moves the pending events inside [llClock, llClock + lFrames) to the
    // active list, applying the source settings and pairing note-offs.
    HRESULT Dispatch(LONGLONG llClock, LONG lFrames);
    // Offers the active list's notes to the engine's RetireNote and drops
    // other events older than llClock.
    HRESULT Retire(LONGLONG llClock, DWORD dwForce);
    // One input sample: renders and delivers one buffer on every connected output.
    HRESULT ProcessSample(IPinSample* pInput);
    // End of stream on the input: renders the tail, then every connected
    // output delivers end-of-stream exactly once, whatever the result.
    HRESULT ProcessEndOfStream();
    // The filter's output pin at dwIndex (0 .. GetOutputPinCount() - 1) in
    // creation order, or null. Called under the lock.
    virtual IRenderOutput* GetRenderOutput(DWORD dwIndex) = 0;
    // Forced retire and empty queues, without the host: the owner calls it
    // before the engine goes, so that no note keeps engine state (lock).
    HRESULT FlushEvents();

    // State for the filter and for inspection (lock).
    LONGLONG GetStreamPosition();
    void SetStreamPosition(LONGLONG llPos);
    LONGLONG GetSampleClock();
    LONGLONG GetTickOrigin();
    LONGLONG GetLoopOffset();
    BOOL IsAttached();
    // Events dropped because a pool was full (pending queue or active list).
    DWORD GetDroppedEventCount();
    const CPendingQueue& PendingQueue() const { return m_pending; }
    const CSynthEventList& ActiveList() const { return m_active; }
    CSourceStateTable& SourceStates() { return m_sources; }

private:
    CCritSec* Lock() const { return m_pOwner; }
    void ReleaseHostInterfaces();
    void ResetTransport(); // forced retire, then both queues emptied
    HRESULT QueueOne(SynthEvent& ev, HRESULT* phrLast);
    HRESULT DispatchEvent(SynthEvent& ev);
    void ReleaseEarliestOpen(BYTE byKey);
    DWORD ConversionRate();
    bool HostTempo(double* pdTempo);

    // The per-buffer pieces.
    struct OutputSet;
    HRESULT PrepareOutputs(OutputSet& set, const REFERENCE_TIME* prtStart, BOOL bSync,
                           BOOL bDiscontinuity, BOOL bPreroll);
    void DeliverOutputs(OutputSet& set, HRESULT hrProcess, bool bRelease, HRESULT* phrDeliver);
    void ReleaseOutputs(OutputSet& set);

    CDXi* m_pOwner;
    HRESULT m_hrCreate = S_OK;

    IMfxTempoMap* m_pTempoMap = nullptr;
    IMfxTimeConverter* m_pConverter = nullptr;
    IMfxPosition* m_pPosition = nullptr;
    IUnknown* m_pPortTarget = nullptr;
    IMfxPinChangeSink* m_pPinChangeSink = nullptr;
    DWORD m_dwAttached = 0;

    std::atomic<double> m_dTempo{kDefaultTempo};
    IMfxInstrument* m_pInstrument = nullptr;

    CPendingQueue m_pending;
    CSynthEventList m_active;
    CSourceStateTable m_sources;
    DWORD m_dwDroppedActive = 0;

    LONGLONG m_llSampleClock = 0;
    LONGLONG m_llTickOrigin = 0;
    LONGLONG m_llLoopOffset = 0;
    LONGLONG m_llStreamPos = 0;
    std::atomic<DWORD> m_dwPlaying{0};
};

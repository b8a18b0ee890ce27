// The engine-side base of the instrument object: the one re-entrant lock of the
// whole object, the synth context, the stored input and output formats, and the
// seventeen operations the host framework calls on the engine.
#pragma once
#include "interfaces/DXiSynthContext.h"
#include "interfaces/SynthEvent.h"
#include "platform/com/HResult.h"
#include "platform/kernel/CritSec.h"
#include "platform/mmio/WaveFormat.h"

struct PinBuffer;      // per-output buffer descriptor (host framework)
class CSynthEventList; // the host frame's active list
class IStream;         // host persistence stream
struct AM_MEDIA_TYPE;  // media type of a pin

class CDXi : public CCritSec {
public:
    explicit CDXi(CDXiSynthContext* pContext) : m_pSynthContext(pContext) {}
    ~CDXi() override = default;

    // The host frame (the filter and its soft-synth adapter) calls these; the
    // object's lock is the one the frame's pins and adapter take, re-entrant,
    // so an operation called under it may take it again.

    // --- Set-up and formats (the thread that creates the object and builds the graph).
    // Once, from the filter's constructor after the "Mix Output" pin exists:
    // adds "Chan 1".."Chan 16" through AddOutputPin (each takes the lock and
    // allocates a pin); pins it made before are kept. The first failing
    // AddOutputPin result is returned; E_FAIL without a synth context.
    virtual HRESULT Initialize() = 0; // 0
    // While pins connect or take a media type (often under the lock): S_OK for
    // IEEE float, VFW_E_TYPE_NOT_ACCEPTED otherwise (also null), E_FAIL
    // without a synth context. Read their arguments only; allocate nothing.
    virtual HRESULT CheckInputFormat(const WAVEFORMATEX* pwfx) = 0;                        // 1
    virtual HRESULT CheckOutputFormat(const WAVEFORMATEX* pwfx) = 0;                       // 2
    virtual HRESULT CheckTransform(const WAVEFORMATEX* pIn, const WAVEFORMATEX* pOut) = 0; // 3
    // Output pin format proposal: pwfx starts as a copy of the input format;
    // the engine leaves it as it is and returns S_OK.
    virtual HRESULT ProposeOutputFormat(WAVEFORMATEX* pwfx, AM_MEDIA_TYPE* pmt) = 0; // 4
    // The stored format records (see SetInputFormatRecord); any thread under
    // the lock, also the streaming thread. No work, no allocation.
    virtual const WAVEFORMATEX* GetInputFormat() = 0;  // 5
    virtual const WAVEFORMATEX* GetOutputFormat() = 0; // 6

    // --- Rendering and notes, under the lock; allocate nothing, touch no file.
    // Streaming thread: renders one buffer (pInput->nFrames frames) into the
    // given outputs and plays the notes of pActive. S_OK, also for 0 frames;
    // S_FALSE for a null input (the end-of-stream pass, which may also run on
    // the control thread: the engine has no tail to add); E_FAIL without a
    // synth context.
    virtual HRESULT Process(LONGLONG llStreamPos, PinBuffer* pInput, PinBuffer* pOutputs,
                            DWORD dwOutputs, LONGLONG llSampleClock,
                            CSynthEventList* pActive) = 0; // 7
    // Host's sequencer or MIDI input thread while events are queued: S_OK
    // queues the event (notes), S_FALSE drops it (everything else).
    virtual HRESULT FilterEvent(SynthEvent* pEvent) = 0; // 8
    // Under the lock when a queued note falls due (streaming thread): takes a
    // play state from a fixed pool. S_FALSE when every voice is busy (the
    // note is dropped); E_POINTER for null.
    virtual HRESULT ActivateNote(SynthEvent* pEvent) = 0; // 9
    // Under the lock after each buffer, or forced (dwForce nonzero) on a
    // transport start or stop: S_FALSE keeps a note still sounding, S_OK
    // gives its play state back to the pool (also for null or no state).
    virtual HRESULT RetireNote(SynthEvent* pEvent, DWORD dwForce) = 0; // 10

    // --- State changes (the graph's control thread, under the lock): S_OK, no work.
    virtual HRESULT OnPause() = 0;    // 11: leaving the stopped state
    virtual HRESULT OnStop() = 0;     // 12
    virtual HRESULT Reserved13() = 0; // 13: not called

    // --- Host persistence (the host's main thread, through IPersistStream;
    // the caller does not hold the lock). The engine alone returns E_NOTIMPL;
    // the control interface reads and writes the whole project form here as
    // LoadProject and SaveProject do: the stream work runs without the lock,
    // which it takes only briefly to copy the project or to swap a read one
    // in, so the streaming thread goes on rendering meanwhile.
    virtual HRESULT LoadState(IStream* pStream) = 0; // 14
    virtual HRESULT SaveState(IStream* pStream) = 0; // 15
    // Stops every voice and preview and forgets the running position. Takes
    // the lock; allocates nothing. Called on transport start and stop, on
    // project clear and entry delete. S_OK.
    virtual HRESULT ResetVoices() = 0; // 16

    CDXiSynthContext* GetSynthContext() const { return m_pSynthContext; }
    // Stored under the lock when the input / an output pin's media type is set.
    void SetInputFormatRecord(const WAVEFORMATEX& wfx) { m_wfxIn = wfx; }
    void SetOutputFormatRecord(const WAVEFORMATEX& wfx) { m_wfxOut = wfx; }

protected:
    CDXiSynthContext* m_pSynthContext;
    WAVEFORMATEX m_wfxIn{};
    WAVEFORMATEX m_wfxOut{};
};

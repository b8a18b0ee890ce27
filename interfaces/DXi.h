// The engine-side base of the instrument object: the one re-entrant lock of the
// whole object, the synth context, the stored input and output formats, and the
// seventeen operations the host framework calls on the engine.
#pragma once
#include "interfaces/DXiSynthContext.h"
#include "interfaces/SynthEvent.h"
#include "platform/com/HResult.h"
#include "platform/kernel/CritSec.h"
#include "platform/mmio/WaveFormat.h"

struct PinBuffer;       // per-output buffer descriptor (host framework)
class CSynthEventList;  // the host frame's active list
class IStream;          // host persistence stream
struct AM_MEDIA_TYPE;   // media type of a pin

class CDXi : public CCritSec {
public:
    explicit CDXi(CDXiSynthContext* pContext) : m_pSynthContext(pContext) {}
    ~CDXi() override = default;

    virtual HRESULT Initialize() = 0;                                                  // 0
    virtual HRESULT CheckInputFormat(const WAVEFORMATEX* pwfx) = 0;                     // 1
    virtual HRESULT CheckOutputFormat(const WAVEFORMATEX* pwfx) = 0;                    // 2
    virtual HRESULT CheckTransform(const WAVEFORMATEX* pIn, const WAVEFORMATEX* pOut) = 0; // 3
    virtual HRESULT ProposeOutputFormat(WAVEFORMATEX* pwfx, AM_MEDIA_TYPE* pmt) = 0;    // 4
    virtual const WAVEFORMATEX* GetInputFormat() = 0;                                   // 5
    virtual const WAVEFORMATEX* GetOutputFormat() = 0;                                  // 6
    virtual HRESULT Process(LONGLONG llStreamPos, PinBuffer* pInput, PinBuffer* pOutputs,
                            DWORD dwOutputs, LONGLONG llSampleClock,
                            CSynthEventList* pActive) = 0;                              // 7
    virtual HRESULT FilterEvent(SynthEvent* pEvent) = 0;                                // 8
    virtual HRESULT ActivateNote(SynthEvent* pEvent) = 0;                               // 9
    virtual HRESULT RetireNote(SynthEvent* pEvent, DWORD dwForce) = 0;                  // 10
    virtual HRESULT OnPause() = 0;                                                      // 11
    virtual HRESULT OnStop() = 0;                                                       // 12
    virtual HRESULT Reserved13() = 0;                                                   // 13
    virtual HRESULT LoadState(IStream* pStream) = 0;                                    // 14
    virtual HRESULT SaveState(IStream* pStream) = 0;                                    // 15
    virtual HRESULT ResetVoices() = 0;                                                  // 16

    CDXiSynthContext* GetSynthContext() const { return m_pSynthContext; }
    // Stored when the input / an output pin's media type is set.
    void SetInputFormatRecord(const WAVEFORMATEX& wfx) { m_wfxIn = wfx; }
    void SetOutputFormatRecord(const WAVEFORMATEX& wfx) { m_wfxOut = wfx; }

protected:
    CDXiSynthContext* m_pSynthContext;
    WAVEFORMATEX m_wfxIn{};
    WAVEFORMATEX m_wfxOut{};
};

// The per-buffer procedure (one input sample in, one buffer out on every
// connected output) and the tail after end of stream.
#include "host/SoftSynth.h"

namespace {
constexpr LONGLONG kUnitsPerSecond = 10000000; // media time: 100 ns

// start x rate / 10^7 without overflowing the intermediate product.
LONGLONG MediaTimeToSamples(REFERENCE_TIME rt, LONGLONG sr) {
    return (rt / kUnitsPerSecond) * sr + (rt % kUnitsPerSecond) * sr / kUnitsPerSecond;
}

WORD BlockAlign(const WAVEFORMATEX* pwfx) { return pwfx != nullptr ? pwfx->nBlockAlign : 0; }
} // namespace

// The PinBuffers of one buffer, in automatic storage.
struct CSoftSynth::OutputSet {
    PinBuffer buffers[kMaxRenderOutputs];
    IRenderOutput* pins[kMaxRenderOutputs] = {};
    DWORD dwCount = 0;
    WORD wAlign = 0;
};

HRESULT CSoftSynth::PrepareOutputs(OutputSet& set, const REFERENCE_TIME* prtStart, BOOL bSync,
                                   BOOL bDiscontinuity, BOOL bPreroll) {
    const DWORD dwPins = GetOutputPinCount();
    for (DWORD i = 0; i < dwPins && set.dwCount < kMaxRenderOutputs; ++i) {
        IRenderOutput* pPin = GetRenderOutput(i);
        if (pPin == nullptr || !pPin->IsConnected()) continue;
        if (set.wAlign == 0) return E_UNEXPECTED; // output format not set
        IPinSample* pSample = nullptr;
        HRESULT hr = pPin->GetDeliveryBuffer(&pSample);
        if (FAILED(hr) || pSample == nullptr) return FAILED(hr) ? hr : E_FAIL;
        pSample->SetTime(prtStart, nullptr);
        pSample->SetSyncPoint(bSync);
        pSample->SetDiscontinuity(bDiscontinuity);
        pSample->SetPreroll(bPreroll);
        PinBuffer& b = set.buffers[set.dwCount];
        b = PinBuffer{};
        b.pSample = pSample;
        b.nFrames = pSample->GetSize() / set.wAlign;
        b.dwPinId = GetOutputPinId(i);
        b.wBlockAlign = set.wAlign;
        set.pins[set.dwCount++] = pPin;
        b.SetSilent(TRUE);
    }
    return S_OK;
}

void CSoftSynth::DeliverOutputs(OutputSet& set, HRESULT hrProcess, bool bRelease,
                                HRESULT* phrDeliver) {
    for (DWORD k = 0; k < set.dwCount; ++k) {
        PinBuffer& b = set.buffers[k];
        if (b.pSample == nullptr) continue;
        if (hrProcess == S_OK) {
            // Silence travels as the flag where the sample can carry it, else as zeros.
            if (b.IsSilent() && !b.HasSilentBuffer()) b.GetData();
            b.pSample->SetActualDataLength(b.nFrames * set.wAlign);
            HRESULT hr = set.pins[k]->Deliver(b.pSample);
            if (FAILED(hr) && phrDeliver != nullptr) *phrDeliver = hr;
        } else if (hrProcess == S_FALSE) {
            set.pins[k]->DeliverEndOfStream();
        }
        if (bRelease) {
            b.pSample->Release();
            b.pSample = nullptr;
        }
    }
}

void CSoftSynth::ReleaseOutputs(OutputSet& set) {
    for (DWORD k = 0; k < set.dwCount; ++k) {
        if (set.buffers[k].pSample != nullptr) set.buffers[k].pSample->Release();
        set.buffers[k].pSample = nullptr;
    }
    set.dwCount = 0;
}

HRESULT CSoftSynth::ProcessSample(IPinSample* pInput) {
    if (pInput == nullptr) return E_POINTER;
    CAutoLock lock(Lock());
    const WAVEFORMATEX* pwfxIn = m_pOwner->GetInputFormat();
    const WORD wInAlign = BlockAlign(pwfxIn);
    if (wInAlign == 0) return E_UNEXPECTED; // input format not set
    OutputSet set;
    set.wAlign = BlockAlign(m_pOwner->GetOutputFormat());

    REFERENCE_TIME rtStart = 0;
    REFERENCE_TIME rtStop = 0;
    const REFERENCE_TIME* prtStamp = nullptr;
    if (pInput->IsDiscontinuity() == S_OK) {
        HRESULT hr = pInput->GetTime(&rtStart, &rtStop);
        if (hr == S_OK || hr == kSampleNoStopTime) {
            m_llStreamPos = MediaTimeToSamples(rtStart, pwfxIn->nSamplesPerSec);
            prtStamp = &rtStart;
        }
    }
    LONG lLength = pInput->GetActualDataLength();
    if (lLength < 0) lLength = 0;
    const LONG lFrames = lLength / wInAlign;

    PinBuffer input;
    input.nFrames = lFrames;
    input.pSample = pInput;
    input.wBlockAlign = wInAlign;
    BOOL bInputSilent = FALSE;
    void* pv = nullptr;
    if (SUCCEEDED(pInput->QueryInterface(IID_IMfxSilentBuffer, &pv)) && pv != nullptr) {
        auto* pExt = static_cast<IMfxSilentBuffer*>(pv);
        if (FAILED(pExt->GetSilentFlag(&bInputSilent))) bInputSilent = FALSE;
        pExt->Release();
    }
    input.SetSilent(bInputSilent);

    HRESULT hr = PrepareOutputs(set, prtStamp, pInput->IsSyncPoint() == S_OK,
                                pInput->IsDiscontinuity() == S_OK, pInput->IsPreroll() == S_OK);
    if (FAILED(hr)) {
        ReleaseOutputs(set);
        return hr;
    }
    for (DWORD k = 0; k < set.dwCount; ++k) {
        if (set.buffers[k].nFrames < lFrames) {
            ReleaseOutputs(set);
            return E_FAIL;
        }
        set.buffers[k].nFrames = lFrames;
        set.buffers[k].pSample->SetActualDataLength(lLength);
    }
    hr = Dispatch(m_llSampleClock, lFrames);
    if (FAILED(hr)) {
        ReleaseOutputs(set);
        return hr;
    }

    pInput->AddRef(); // the input PinBuffer's reference
    HRESULT hrProcess = m_pOwner->Process(m_llStreamPos, &input, set.buffers, set.dwCount,
                                          m_llSampleClock, &m_active);
    // A failed render delivers nothing and is not returned.
    DeliverOutputs(set, hrProcess, true, nullptr);
    pInput->Release();

    m_llStreamPos += lFrames;
    m_llSampleClock += lFrames;
    return Retire(m_llSampleClock, 0);
}

HRESULT CSoftSynth::ProcessEndOfStream() {
    CAutoLock lock(Lock());
    OutputSet set;
    set.wAlign = BlockAlign(m_pOwner->GetOutputFormat());
    HRESULT hrResult = S_OK;
    HRESULT hr = PrepareOutputs(set, nullptr, FALSE, FALSE, FALSE);
    if (FAILED(hr)) hrResult = hr;

    LONG lFrames = 0;
    if (SUCCEEDED(hrResult) && set.dwCount > 0) {
        lFrames = set.buffers[0].nFrames;
        // Zero frames per pass would never advance the tail.
        if (lFrames <= 0) hrResult = E_FAIL;
        for (DWORD k = 1; k < set.dwCount && SUCCEEDED(hrResult); ++k) {
            if (set.buffers[k].nFrames < lFrames) hrResult = E_FAIL;
            set.buffers[k].nFrames = lFrames;
        }
    }
    if (SUCCEEDED(hrResult) && set.dwCount > 0) hrResult = Dispatch(m_llSampleClock, lFrames);

    if (SUCCEEDED(hrResult) && set.dwCount > 0) {
        // The engine ends the tail with S_FALSE; the bound guards against one that never does.
        const LONGLONG llMaxPasses = kMaxTailSeconds * ConversionRate() / lFrames + 1;
        for (LONGLONG pass = 0; pass < llMaxPasses; ++pass) {
            for (DWORD k = 0; k < set.dwCount; ++k) set.buffers[k].SetSilent(TRUE);
            HRESULT r = m_pOwner->Process(m_llStreamPos, nullptr, set.buffers, set.dwCount,
                                          m_llSampleClock, &m_active);
            if (FAILED(r)) hrResult = r;
            if (r != S_OK) break;
            HRESULT hrDeliver = S_OK;
            DeliverOutputs(set, S_OK, false, &hrDeliver);
            if (FAILED(hrDeliver)) {
                hrResult = hrDeliver;
                break;
            }
            m_llStreamPos += lFrames;
            m_llSampleClock += lFrames;
            hr = Retire(m_llSampleClock, 0);
            if (SUCCEEDED(hr)) hr = Dispatch(m_llSampleClock, lFrames);
            if (FAILED(hr)) {
                hrResult = hr;
                break;
            }
        }
    }

    // The stream has ended whatever happened: every connected output says so
    // once, so nothing downstream waits for it.
    ReleaseOutputs(set);
    const DWORD dwPins = GetOutputPinCount();
    for (DWORD i = 0; i < dwPins; ++i) {
        IRenderOutput* pPin = GetRenderOutput(i);
        if (pPin == nullptr || !pPin->IsConnected()) continue;
        hr = pPin->DeliverEndOfStream();
        if (FAILED(hr)) hrResult = hr;
    }
    return hrResult;
}

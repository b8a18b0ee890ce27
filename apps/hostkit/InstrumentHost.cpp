#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/HostContext.h"
#include "apps/hostkit/HostEventQueue.h"
#include "apps/hostkit/HostSink.h"
#include "apps/hostkit/HostSource.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/HResult.h"
#include "platform/media/FilterGraph.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <algorithm>
#include <cstdio>

namespace {
std::string Why(const char* pszWhat, HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
    return std::string(pszWhat) + ": " + HResultText(hr) + " (" + code + ")";
}
} // namespace

CInstrumentHost::~CInstrumentHost() {
    Close();
}

bool CInstrumentHost::Open(const CInstrumentModule& module, const Options& options,
                           const CTempoMap& tempo, std::string* pstrError) {
    Close();
    m_options = options;
    HRESULT hr = S_OK;
    IClassFactory* pFactory = module.Factory(CLSID_Pandrel, &hr);
    if (pFactory == nullptr)
        return *pstrError = Why("no instrument class in the library", hr), false;
    void* pv = nullptr;
    hr = pFactory->CreateInstance(nullptr, IID_IBaseFilter, &pv);
    pFactory->Release();
    if (FAILED(hr)) return *pstrError = Why("cannot create the instrument", hr), false;
    m_pFilter = static_cast<IBaseFilter*>(pv);
    m_pSynth = Query<IMfxSoftSynth>(m_pFilter, IID_IMfxSoftSynth).Detach();
    m_pControl = Query<IVudivuVizezud>(m_pFilter, IID_IVudivuVizezud).Detach();
    if (m_pSynth == nullptr || m_pControl == nullptr)
        return *pstrError = "the instrument lacks its soft-synth or control interface", Close(),
               false;

    IEnumPins* pEnum = nullptr;
    if (SUCCEEDED(m_pFilter->EnumPins(&pEnum))) {
        IPin* p = nullptr;
        while (pEnum->Next(1, &p, nullptr) == S_OK)
            m_pins.push_back(p);
        pEnum->Release();
    }
    if (m_pins.size() != 1 + kOutputs)
        return *pstrError = "the instrument has " + std::to_string(m_pins.size()) + " pins, not 18",
               Close(), false;

    m_pGraph = new CFilterGraph();
    m_pSource = new CHostSource(options.wChannels, options.dwRate, options.lBlockFrames);
    m_pGraph->AddFilter(m_pFilter, L"Pandrel");
    m_pGraph->AddFilter(m_pSource, L"Host Source");
    if (FAILED(hr = m_pGraph->ConnectDirect(m_pSource->Pin(), m_pins[0], nullptr)))
        return *pstrError = Why("cannot connect the instrument's input", hr), Close(), false;
    m_sinks.assign(kOutputs, nullptr);
    m_streamed.assign(kOutputs, false);
    for (int n = 0; n < (options.bChannelOutputs ? kOutputs : 1); ++n) {
        auto* pSink = new CHostSink(options.wChannels, options.dwRate);
        m_sinks[static_cast<size_t>(n)] = pSink;
        m_pGraph->AddFilter(pSink, n == 0 ? L"Mix" : L"Chan");
        if (FAILED(hr = m_pGraph->ConnectDirect(m_pins[static_cast<size_t>(n) + 1], pSink->Pin(),
                                                nullptr)))
            return *pstrError = Why("cannot connect an output", hr), Close(), false;
    }

    // The instrument takes over one reference; the host keeps its own.
    m_pContext = new CHostContext(tempo, options.dwRate);
    m_pContext->AddRef();
    if (FAILED(hr = m_pSynth->Attach(static_cast<IMfxTempoMap*>(m_pContext)))) {
        m_pContext->Release();
        return *pstrError = Why("cannot attach the host context", hr), Close(), false;
    }
    m_bAttached = true;
    return true;
}

bool CInstrumentHost::Render(const std::vector<MidiNoteEvent>& notes, LONGLONG nFrames,
                             const std::function<void(LONGLONG)>& pfnProgress,
                             std::string* pstrError) {
    if (m_pSynth == nullptr) return *pstrError = "the instrument is not open", false;
    for (CHostSink* pSink : m_sinks)
        if (pSink != nullptr) pSink->Clear();
    HRESULT hr = m_pGraph->Run(0);
    if (FAILED(hr)) return *pstrError = Why("cannot run the graph", hr), false;
    hr = m_pSynth->TransportStart(0);
    if (FAILED(hr)) return *pstrError = Why("cannot start the transport", hr), false;

    // The instrument starts a note at the start of the buffer it falls in, so
    // buffers are split at every note's sample time: each note is queued just
    // before the buffer that begins on it, and timing is exact to the sample.
    const LONGLONG nBlock = m_options.lBlockFrames;
    size_t nNext = 0;
    CHostEventQueue queue;
    bool bOk = true;
    LONGLONG nDone = 0;
    while (nDone < nFrames) {
        queue.Clear();
        LONGLONG nNextAt = nFrames;
        while (nNext < notes.size()) {
            const MidiNoteEvent& e = notes[nNext];
            const LONGLONG nAt = m_pContext->MidiTicksToSamples(static_cast<double>(e.nTick));
            if (nAt > nDone) {
                nNextAt = nAt;
                break;
            }
            ++nNext;
            if (e.nTick > INT32_MAX) continue; // beyond the host's 32-bit song time
            queue.AddNote(static_cast<LONG>(e.nTick), e.nChannel, e.nKey, e.nVelocity, e.bOn);
        }
        if (!queue.Empty() && FAILED(hr = m_pSynth->QueueEvents(0, 0, 0, &queue))) {
            *pstrError = Why("the instrument refused the notes", hr);
            bOk = false;
            break;
        }
        const LONG lFrames =
            static_cast<LONG>(std::min({nBlock, nFrames - nDone, nNextAt - nDone}));
        if (FAILED(hr = m_pSource->Push(lFrames, nDone == 0))) {
            *pstrError = Why("rendering failed", hr);
            bOk = false;
            break;
        }
        nDone += lFrames;
        if (pfnProgress) pfnProgress(nDone);
    }
    m_pSynth->TransportStop();
    m_pGraph->Pause();
    m_pGraph->Stop();
    for (size_t n = 0; n < m_sinks.size(); ++n)
        if (m_streamed[n] && m_sinks[n]->HasSound()) m_sinks[n]->Complete();
    return bOk;
}

bool CInstrumentHost::StreamOutput(int n, ISampleTarget* pTarget) {
    if (n < 0 || static_cast<size_t>(n) >= m_sinks.size() ||
        m_sinks[static_cast<size_t>(n)] == nullptr)
        return false;
    m_sinks[static_cast<size_t>(n)]->StreamTo(pTarget);
    m_streamed[static_cast<size_t>(n)] = pTarget != nullptr;
    return true;
}

const std::vector<float>& CInstrumentHost::Output(int n) const {
    static const std::vector<float> empty;
    if (n < 0 || static_cast<size_t>(n) >= m_sinks.size() ||
        m_sinks[static_cast<size_t>(n)] == nullptr || m_streamed[static_cast<size_t>(n)])
        return empty;
    return m_sinks[static_cast<size_t>(n)]->Samples();
}

bool CInstrumentHost::HasSound(int n) const {
    return n >= 0 && static_cast<size_t>(n) < m_sinks.size() &&
           m_sinks[static_cast<size_t>(n)] != nullptr &&
           m_sinks[static_cast<size_t>(n)]->HasSound();
}

void CInstrumentHost::Close() {
    if (m_bAttached) m_pSynth->Detach();
    m_bAttached = false;
    if (m_pControl != nullptr) m_pControl->Release();
    if (m_pSynth != nullptr) m_pSynth->Release();
    m_pControl = nullptr;
    m_pSynth = nullptr;
    for (IPin* p : m_pins)
        p->Release();
    m_pins.clear();
    // The graph disconnects and releases every filter it holds.
    if (m_pGraph != nullptr) m_pGraph->Release();
    m_pGraph = nullptr;
    if (m_pSource != nullptr) m_pSource->Release();
    m_pSource = nullptr;
    for (CHostSink* p : m_sinks)
        if (p != nullptr) p->Release();
    m_sinks.clear();
    m_streamed.clear();
    if (m_pFilter != nullptr) m_pFilter->Release();
    m_pFilter = nullptr;
    if (m_pContext != nullptr) m_pContext->Release();
    m_pContext = nullptr;
}

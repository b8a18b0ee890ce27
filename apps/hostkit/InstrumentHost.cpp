#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/HostContext.h"
#include "apps/hostkit/HostEventQueue.h"
#include "apps/hostkit/HostSink.h"
#include "apps/hostkit/HostSource.h"
#include "platform/com/RefCounted.h"
#include "platform/media/FilterGraph.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <algorithm>

CInstrumentHost::~CInstrumentHost() { Close(); }

bool CInstrumentHost::Open(const CInstrumentModule& module, const Options& options,
                           const CTempoMap& tempo, std::string* pstrError) {
    Close();
    m_options = options;
    m_sinks.assign(kOutputs, nullptr);
    m_streamed.assign(kOutputs, false);
    // The mix always; the "Chan" outputs on request.
    auto makeSink = [&](int n) {
        CInstrumentGraph::Sink sink;
        if (n > 0 && !options.bChannelOutputs) return sink;
        ComPtr<CHostSink> pSink = MakeCom<CHostSink>(options.wChannels, options.dwRate);
        m_sinks[static_cast<size_t>(n)] = pSink.Get();
        sink.pPin = pSink->Pin();
        sink.pszName = n == 0 ? L"Mix" : L"Chan";
        sink.pFilter = std::move(pSink);
        return sink;
    };
    const CInstrumentGraph::Format format{options.dwRate, options.wChannels, options.lBlockFrames};
    ComPtr<CHostContext> pContext = MakeCom<CHostContext>(tempo, options.dwRate);
    if (m_graph.Open(module, format, pContext.Get(), makeSink, pstrError)) return true;
    Close();
    return false;
}

bool CInstrumentHost::Render(const std::vector<MidiNoteEvent>& notes, LONGLONG nFrames,
                             const std::function<void(LONGLONG)>& pfnProgress,
                             std::string* pstrError) {
    IMfxSoftSynth* pSynth = m_graph.Synth();
    CFilterGraph* pGraph = m_graph.Graph();
    if (pSynth == nullptr) return *pstrError = "the instrument is not open", false;
    for (CHostSink* pSink : m_sinks)
        if (pSink != nullptr) pSink->Clear();
    HRESULT hr = pGraph->Run(0);
    if (FAILED(hr)) {
        *pstrError = CInstrumentGraph::Why("cannot run the graph", hr);
        return false;
    }
    hr = pSynth->TransportStart(0);
    if (FAILED(hr)) {
        *pstrError = CInstrumentGraph::Why("cannot start the transport", hr);
        return false;
    }

    // The instrument starts a note at the start of the buffer it falls in, so
    // buffers are split at every note's sample time: each note is queued just
    // before the buffer that begins on it, and timing is exact to the sample.
    const LONGLONG nBlock = m_options.lBlockFrames;
    CHostContext* pContext = m_graph.Context();
    CHostSource* pSource = m_graph.Source();
    size_t nNext = 0;
    CHostEventQueue queue;
    bool bOk = true;
    LONGLONG nDone = 0;
    while (nDone < nFrames) {
        queue.Clear();
        LONGLONG nNextAt = nFrames;
        while (nNext < notes.size()) {
            const MidiNoteEvent& e = notes[nNext];
            const LONGLONG nAt = pContext->MidiTicksToSamples(static_cast<double>(e.nTick));
            if (nAt > nDone) {
                nNextAt = nAt;
                break;
            }
            ++nNext;
            if (e.nTick > INT32_MAX) continue; // beyond the host's 32-bit song time
            queue.AddNote(static_cast<LONG>(e.nTick), e.nChannel, e.nKey, e.nVelocity, e.bOn);
        }
        if (!queue.Empty() && FAILED(hr = pSynth->QueueEvents(0, 0, 0, &queue))) {
            *pstrError = CInstrumentGraph::Why("the instrument refused the notes", hr);
            bOk = false;
            break;
        }
        const LONG lFrames =
            static_cast<LONG>(std::min({nBlock, nFrames - nDone, nNextAt - nDone}));
        if (FAILED(hr = pSource->Push(lFrames, nDone == 0))) {
            *pstrError = CInstrumentGraph::Why("rendering failed", hr);
            bOk = false;
            break;
        }
        nDone += lFrames;
        if (pfnProgress) pfnProgress(nDone);
    }
    pSynth->TransportStop();
    pGraph->Pause();
    pGraph->Stop();
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
    m_graph.Close();
    m_sinks.clear();
    m_streamed.clear();
}

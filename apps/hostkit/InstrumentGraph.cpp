#include "apps/hostkit/InstrumentGraph.h"
#include "apps/hostkit/HostContext.h"
#include "apps/hostkit/HostSource.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/HResult.h"
#include "platform/com/RefCounted.h"
#include "platform/media/FilterGraph.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <cstdio>

namespace {
bool Fail(std::string* pstrError, std::string strWhy) {
    *pstrError = std::move(strWhy);
    return false;
}
} // namespace

std::string CInstrumentGraph::Why(const char* pszWhat, HRESULT hr) {
    return HResultLine(pszWhat, hr);
}

// Out of line: the members' types are complete only here.
CInstrumentGraph::CInstrumentGraph() = default;

CInstrumentGraph::~CInstrumentGraph() { Close(); }

bool CInstrumentGraph::Open(const CInstrumentModule& module, const Format& format,
                            CHostContext* pContext, const SinkMaker& makeSink,
                            std::string* pstrError) {
    Close();
    m_pContext = pContext;
    if (Build(module, format, makeSink, pstrError)) return true;
    Close();
    return false;
}

bool CInstrumentGraph::Build(const CInstrumentModule& module, const Format& format,
                             const SinkMaker& makeSink, std::string* pstrError) {
    HRESULT hr = S_OK;
    ComPtr<IClassFactory> pFactory;
    pFactory.Attach(module.Factory(CLSID_Pandrel, &hr));
    if (!pFactory) return Fail(pstrError, Why("no instrument class in the library", hr));
    void* pv = nullptr;
    hr = pFactory->CreateInstance(nullptr, IID_IBaseFilter, &pv);
    pFactory.Reset();
    if (FAILED(hr)) return Fail(pstrError, Why("cannot create the instrument", hr));
    m_pFilter.Attach(static_cast<IBaseFilter*>(pv));
    m_pSynth = Query<IMfxSoftSynth>(m_pFilter, IID_IMfxSoftSynth);
    m_pControl = Query<IVudivuVizezud>(m_pFilter, IID_IVudivuVizezud);
    if (!m_pSynth || !m_pControl)
        return Fail(pstrError, "the instrument lacks its soft-synth or control interface");

    ComPtr<IEnumPins> pEnum;
    if (SUCCEEDED(m_pFilter->EnumPins(pEnum.ReleaseAndGetAddressOf()))) {
        ComPtr<IPin> pPin;
        while (pEnum->Next(1, pPin.ReleaseAndGetAddressOf(), nullptr) == S_OK)
            m_pins.push_back(std::move(pPin));
        pEnum.Reset();
    }
    if (m_pins.size() != 1 + kOutputCount)
        return Fail(pstrError, "the instrument has " + std::to_string(m_pins.size()) +
                                   " pins, not " + std::to_string(1 + kOutputCount));

    m_pGraph = MakeCom<CFilterGraph>();
    m_pSource = MakeCom<CHostSource>(format.wChannels, format.dwRate, format.lBlockFrames);
    m_pGraph->AddFilter(m_pFilter.Get(), L"Pandrel");
    m_pGraph->AddFilter(m_pSource.Get(), L"Host Source");
    if (FAILED(hr = m_pGraph->ConnectDirect(m_pSource->Pin(), m_pins[0].Get(), nullptr)))
        return Fail(pstrError, Why("cannot connect the instrument's input", hr));
    m_sinks.resize(kOutputCount);
    for (int n = 0; n < kOutputCount; ++n) {
        Sink sink = makeSink(n);
        if (!sink.pFilter) continue;
        const size_t i = static_cast<size_t>(n);
        m_sinks[i] = sink.pFilter;
        m_pGraph->AddFilter(sink.pFilter.Get(), sink.pszName);
        if (FAILED(hr = m_pGraph->ConnectDirect(m_pins[i + 1].Get(), sink.pPin, nullptr)))
            return Fail(pstrError, Why("cannot connect an output", hr));
    }

    // The instrument takes over a reference of its own; the graph keeps the host's.
    ComPtr<CHostContext> pGiven = m_pContext;
    if (FAILED(hr = m_pSynth->Attach(static_cast<IMfxTempoMap*>(pGiven.Get()))))
        return Fail(pstrError, Why("cannot attach the host context", hr));
    pGiven.Detach();
    m_bAttached = true;
    return true;
}

void CInstrumentGraph::Close() {
    if (m_bAttached) m_pSynth->Detach();
    m_bAttached = false;
    m_pControl.Reset();
    m_pSynth.Reset();
    for (ComPtr<IPin>& p : m_pins) p.Reset();
    m_pins.clear();
    // The graph disconnects and releases every filter it holds.
    m_pGraph.Reset();
    m_pSource.Reset();
    for (ComPtr<IBaseFilter>& p : m_sinks) p.Reset();
    m_sinks.clear();
    m_pFilter.Reset();
    m_pContext.Reset();
}

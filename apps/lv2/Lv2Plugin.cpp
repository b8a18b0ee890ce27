#include "apps/lv2/Lv2Plugin.h"
#include "apps/hostkit/HostContext.h"
#include "apps/hostkit/HostSource.h"
#include "apps/lv2/Lv2Uris.h"
#include "apps/lv2/PortSink.h"
#include "interfaces/PandrelClasses.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include "platform/media/FilterGraph.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <lv2/atom/util.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

namespace {
template <class I> I* Query(IUnknown* p, REFIID riid) {
    void* pv = nullptr;
    return SUCCEEDED(p->QueryInterface(riid, &pv)) ? static_cast<I*>(pv) : nullptr;
}
} // namespace

CLv2Plugin::~CLv2Plugin() {
    Close();
}

bool CLv2Plugin::Open(const char* pszBundle, double dRate, const LV2_Feature* const* features,
                      std::string* pstrError) {
    const LV2_URID_Map* pMap = nullptr;
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i)
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0)
            pMap = static_cast<const LV2_URID_Map*>(features[i]->data);
    if (pMap == nullptr) return *pstrError = "the host offers no URID map", false;
    auto map = [pMap](const char* psz) { return pMap->map(pMap->handle, psz); };
    m_urid = {map(LV2_MIDI__MidiEvent),  map(LV2_ATOM__Object),         map(LV2_ATOM__Blank),
              map(LV2_ATOM__Float),      map(LV2_ATOM__Double),         map(LV2_ATOM__Long),
              map(LV2_ATOM__Int),        map(LV2_ATOM__Chunk),          map(LV2_TIME__Position),
              map(LV2_TIME__speed),      map(LV2_TIME__beatsPerMinute), map(LV2_TIME__frame),
              map(PANDREL_LV2_STATE_KEY)};
    m_dRate = dRate;
    const DWORD dwRate = static_cast<DWORD>(std::lround(dRate));

    std::string strPath = pszBundle != nullptr ? pszBundle : "";
    if (!strPath.empty() && strPath.back() != '/') strPath += '/';
    if (!m_module.Load(strPath + "pandrel.so", pstrError)) return false;
    HRESULT hr = S_OK;
    IClassFactory* pFactory = m_module.Factory(CLSID_Pandrel, &hr);
    if (pFactory == nullptr) return *pstrError = "no instrument class in the library", false;
    void* pv = nullptr;
    hr = pFactory->CreateInstance(nullptr, IID_IBaseFilter, &pv);
    pFactory->Release();
    if (FAILED(hr)) return *pstrError = "cannot create the instrument", false;
    m_pFilter = static_cast<IBaseFilter*>(pv);
    m_pSynth = Query<IMfxSoftSynth>(m_pFilter, IID_IMfxSoftSynth);
    if (m_pSynth == nullptr) return *pstrError = "the instrument is no soft synth", Close(), false;

    IEnumPins* pEnum = nullptr;
    if (SUCCEEDED(m_pFilter->EnumPins(&pEnum))) {
        IPin* p = nullptr;
        while (pEnum->Next(1, &p, nullptr) == S_OK)
            m_pins.push_back(p);
        pEnum->Release();
    }
    if (m_pins.size() != 1 + kOutputs)
        return *pstrError = "the instrument has an unexpected set of pins", Close(), false;

    m_pGraph = new CFilterGraph();
    m_pSource = new CHostSource(2, dwRate, kBlockFrames);
    m_pGraph->AddFilter(m_pFilter, L"Pandrel");
    m_pGraph->AddFilter(m_pSource, L"Host Source");
    if (FAILED(m_pGraph->ConnectDirect(m_pSource->Pin(), m_pins[0], nullptr)))
        return *pstrError = "cannot connect the instrument's input", Close(), false;
    for (int n = 0; n < kOutputs; ++n) {
        auto* pSink = new CPortSink(dwRate);
        m_sinks[static_cast<size_t>(n)] = pSink;
        m_pGraph->AddFilter(pSink, L"Port");
        if (FAILED(
                m_pGraph->ConnectDirect(m_pins[static_cast<size_t>(n) + 1], pSink->Pin(), nullptr)))
            return *pstrError = "cannot connect an output", Close(), false;
    }
    m_pContext = new CHostContext(CTempoMap(), dwRate);
    m_pContext->AddRef(); // the instrument takes over one reference
    if (FAILED(m_pSynth->Attach(static_cast<IMfxTempoMap*>(m_pContext)))) {
        m_pContext->Release();
        return *pstrError = "cannot attach the host context", Close(), false;
    }
    m_bAttached = true;
    return true;
}

void CLv2Plugin::Close() {
    Deactivate();
    if (m_bAttached) m_pSynth->Detach();
    m_bAttached = false;
    if (m_pSynth != nullptr) m_pSynth->Release();
    m_pSynth = nullptr;
    for (IPin* p : m_pins)
        p->Release();
    m_pins.clear();
    // The graph disconnects and releases every filter it holds.
    if (m_pGraph != nullptr) m_pGraph->Release();
    m_pGraph = nullptr;
    if (m_pSource != nullptr) m_pSource->Release();
    m_pSource = nullptr;
    for (CPortSink*& p : m_sinks) {
        if (p != nullptr) p->Release();
        p = nullptr;
    }
    if (m_pFilter != nullptr) m_pFilter->Release();
    m_pFilter = nullptr;
    if (m_pContext != nullptr) m_pContext->Release();
    m_pContext = nullptr;
}

void CLv2Plugin::Connect(uint32_t nPort, void* pData) {
    if (nPort == kPortMidi)
        m_pInput = static_cast<const LV2_Atom_Sequence*>(pData);
    else if (nPort == kPortHostKey)
        m_pHostKey = static_cast<const float*>(pData);
    else if (nPort < kPortCount)
        m_outputs[nPort - kPortFirstOutput] = static_cast<float*>(pData);
}

void CLv2Plugin::Activate() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_bActive || m_pGraph == nullptr) return;
    m_midi.Clear();
    m_pGraph->Run(0);
    m_pSynth->TransportStart(0);
    m_bFirst = true;
    m_bActive = true;
}

void CLv2Plugin::Deactivate() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_bActive) return;
    m_pSynth->TransportStop();
    m_pGraph->Pause();
    m_pGraph->Stop();
    m_bActive = false;
}

void CLv2Plugin::Silence(uint32_t nFrames) {
    for (float* p : m_outputs)
        if (p != nullptr) std::fill(p, p + nFrames, 0.0f);
}

void CLv2Plugin::Run(uint32_t nFrames) {
    std::unique_lock<std::mutex> guard(m_lock, std::try_to_lock);
    if (!guard.owns_lock() || !m_bActive) return Silence(nFrames);
    if (m_pHostKey != nullptr && *m_pHostKey != m_fHostKey) {
        m_fHostKey = *m_pHostKey;
        const long nKey = std::lround(m_fHostKey);
        m_pContext->SetHostKey(nKey >= 0 && nKey <= 11 ? static_cast<DWORD>(nKey)
                                                       : CHostContext::kNoHostKey);
    }
    for (int n = 0; n < kOutputs; ++n)
        m_sinks[static_cast<size_t>(n)]->Target(m_outputs[static_cast<size_t>(2 * n)],
                                                m_outputs[static_cast<size_t>(2 * n + 1)], nFrames);
    // The block is split at each event's frame: the instrument starts what is
    // queued at the first frame of the next buffer, so onsets are exact.
    uint32_t nDone = 0;
    if (m_pInput != nullptr) {
        LV2_ATOM_SEQUENCE_FOREACH(m_pInput, pEvent) {
            const int64_t nAt = std::clamp<int64_t>(pEvent->time.frames, nDone, nFrames);
            if (static_cast<uint32_t>(nAt) > nDone) {
                RenderTo(nDone, static_cast<uint32_t>(nAt));
                nDone = static_cast<uint32_t>(nAt);
            }
            if (pEvent->body.type == m_urid.midiEvent && pEvent->body.size >= 1) {
                const auto* pb = reinterpret_cast<const uint8_t*>(pEvent + 1);
                if (pb[0] >= 0x80 && pb[0] < 0xF0)
                    m_midi.Add(pb[0], pEvent->body.size > 1 ? pb[1] : 0,
                               pEvent->body.size > 2 ? pb[2] : 0);
            } else if (pEvent->body.type == m_urid.atomObject ||
                       pEvent->body.type == m_urid.atomBlank) {
                ReadPosition(reinterpret_cast<const LV2_Atom_Object*>(&pEvent->body));
            }
        }
    }
    if (nDone < nFrames) RenderTo(nDone, nFrames);
}

void CLv2Plugin::RenderTo(uint32_t nFrom, uint32_t nTo) {
    if (!m_midi.Empty()) {
        m_pSynth->QueueInput(0, &m_midi);
        m_midi.Clear();
    }
    while (nFrom < nTo) {
        const uint32_t nLength = std::min<uint32_t>(nTo - nFrom, kBlockFrames);
        for (CPortSink* pSink : m_sinks)
            pSink->SetOffset(nFrom);
        if (FAILED(m_pSource->Push(static_cast<LONG>(nLength), m_bFirst))) {
            for (float* p : m_outputs)
                if (p != nullptr) std::fill(p + nFrom, p + nFrom + nLength, 0.0f);
        }
        m_bFirst = false;
        nFrom += nLength;
    }
}

void CLv2Plugin::ReadPosition(const LV2_Atom_Object* pObject) {
    if (pObject->body.otype != m_urid.timePosition) return;
    const LV2_Atom* pSpeed = nullptr;
    const LV2_Atom* pBpm = nullptr;
    const LV2_Atom* pFrame = nullptr;
    lv2_atom_object_get(pObject, m_urid.timeSpeed, &pSpeed, m_urid.timeBpm, &pBpm, m_urid.timeFrame,
                        &pFrame, 0);
    auto number = [this](const LV2_Atom* p, double dElse) {
        if (p == nullptr) return dElse;
        if (p->type == m_urid.atomFloat)
            return static_cast<double>(reinterpret_cast<const LV2_Atom_Float*>(p)->body);
        if (p->type == m_urid.atomDouble) return reinterpret_cast<const LV2_Atom_Double*>(p)->body;
        return dElse;
    };
    m_dBpm = number(pBpm, m_dBpm);
    const bool bRolling = number(pSpeed, m_bRolling ? 1.0 : 0.0) != 0.0;
    // A transport start restarts the song clock at the host's song position.
    if (bRolling && !m_bRolling) {
        double dFrame = 0.0;
        if (pFrame != nullptr && pFrame->type == m_urid.atomLong)
            dFrame = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(pFrame)->body);
        const double dTicks = m_pContext->Tempo().SamplesToTicks(dFrame, m_dRate);
        m_pSynth->TransportStart(static_cast<LONG>(std::clamp(dTicks, 0.0, 2.0e9)));
    }
    m_bRolling = bRolling;
}

LV2_State_Status CLv2Plugin::Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pFilter == nullptr) return LV2_STATE_ERR_UNKNOWN;
    auto* pPersist = Query<IPersistStream>(m_pFilter, IID_IPersistStream);
    if (pPersist == nullptr) return LV2_STATE_ERR_UNKNOWN;
    IStream* pStream = nullptr;
    HRESULT hr = CreateMemoryStream(&pStream);
    if (SUCCEEDED(hr)) hr = pPersist->Save(pStream, FALSE);
    pPersist->Release();
    std::vector<uint8_t> bytes;
    if (SUCCEEDED(hr)) {
        ULARGE_INTEGER end{};
        pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
        pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        bytes.resize(static_cast<size_t>(end.QuadPart));
        ULONG cbRead = 0;
        hr = pStream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &cbRead);
        if (cbRead != bytes.size()) hr = E_FAIL;
    }
    if (pStream != nullptr) pStream->Release();
    if (FAILED(hr)) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, m_urid.stateKey, bytes.data(), bytes.size(), m_urid.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status CLv2Plugin::Restore(LV2_State_Retrieve_Function retrieve,
                                     LV2_State_Handle handle) {
    size_t nSize = 0;
    uint32_t nType = 0, nFlags = 0;
    const void* pData = retrieve(handle, m_urid.stateKey, &nSize, &nType, &nFlags);
    if (pData == nullptr || nType != m_urid.atomChunk) return LV2_STATE_ERR_NO_PROPERTY;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_pFilter == nullptr) return LV2_STATE_ERR_UNKNOWN;
    auto* pPersist = Query<IPersistStream>(m_pFilter, IID_IPersistStream);
    if (pPersist == nullptr) return LV2_STATE_ERR_UNKNOWN;
    IStream* pStream = nullptr;
    HRESULT hr = CreateMemoryStream(&pStream);
    if (SUCCEEDED(hr)) hr = pStream->Write(pData, static_cast<ULONG>(nSize), nullptr);
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) hr = pPersist->Load(pStream);
    if (pStream != nullptr) pStream->Release();
    pPersist->Release();
    return SUCCEEDED(hr) ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

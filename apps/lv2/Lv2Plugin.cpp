// The plug-in's life and its blocks: instantiation wires the instrument's
// graph through the host kit, activation starts it, and each block renders the
// atom input's MIDI at exact frames into the output ports.
#include "apps/lv2/Lv2Plugin.h"
#include "apps/hostkit/HostContext.h"
#include "apps/hostkit/HostSource.h"
#include "apps/hostkit/PortSink.h"
#include "apps/lv2/Lv2Uris.h"
#include "platform/com/RefCounted.h"
#include "platform/media/FilterGraph.h"
#include "platform/mfx/MfxSoftSynth.h"
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <lv2/midi/midi.h>

CLv2Plugin::~CLv2Plugin() { Close(); }

bool CLv2Plugin::Open(const char* pszBundle, double dRate, const LV2_Feature* const* features,
                      std::string* pstrError) {
    const LV2_URID_Map* pMap = nullptr;
    for (int i = 0; features != nullptr && features[i] != nullptr; ++i)
        if (std::strcmp(features[i]->URI, LV2_URID__map) == 0)
            pMap = static_cast<const LV2_URID_Map*>(features[i]->data);
    if (pMap == nullptr) return *pstrError = "the host offers no URID map", false;
    auto map = [pMap](const char* psz) { return pMap->map(pMap->handle, psz); };
    m_urid = {map(LV2_MIDI__MidiEvent), map(LV2_ATOM__Object), map(LV2_ATOM__Blank),
              map(LV2_ATOM__Chunk), map(PANDREL_LV2_STATE_KEY)};
    m_positionReader.Init(pMap);
    m_state.Init(pMap);
    m_dRate = dRate;
    const DWORD dwRate = static_cast<DWORD>(std::lround(dRate));

    std::string strPath = pszBundle != nullptr ? pszBundle : "";
    if (!strPath.empty() && strPath.back() != '/') strPath += '/';
    if (!m_module.Load(strPath + "pandrel.so", pstrError)) return false;
    // A port sink on every output; each writes straight into its pair of ports.
    auto makeSink = [this, dwRate](int n) {
        return CPortSink::ForGraph(dwRate, &m_sinks[static_cast<size_t>(n)]);
    };
    ComPtr<CHostContext> pContext = MakeCom<CHostContext>(CTempoMap(), dwRate);
    pContext->ReserveTempoChanges(kTempoChanges);
    if (!m_graph.Open(m_module, {dwRate, 2, kBlockFrames}, pContext.Get(), makeSink, pstrError)) {
        Close();
        return false;
    }
    m_idle.SetControl(m_graph.Control());
    m_patch.Init(pMap);
    m_files.Init(features, pMap, m_graph.Control());
    const char* pszSkip = std::getenv("PANDREL_LV2_IDLE_SKIP");
    m_bIdleSkip = pszSkip == nullptr || std::strcmp(pszSkip, "0") != 0;
    return true;
}

void CLv2Plugin::Close() {
    Deactivate();
    m_idle.SetControl(nullptr);
    m_graph.Close();
    m_sinks.fill(nullptr);
}

IUnknown* CLv2Plugin::EditorControl() {
    if (m_graph.Control() == nullptr) return nullptr;
    ComPtr<CLockedControl> pControl =
        MakeCom<CLockedControl>(m_graph.Control(), m_lock, CLockedControl::Scope::Playback,
                                static_cast<IPlaybackCallHook*>(this));
    return static_cast<IVudivuVizezud*>(pControl.Detach());
}

void CLv2Plugin::BeforePlaybackCall() {
    if (m_bResync && m_bActive) Resync(false);
}

void CLv2Plugin::AfterPlaybackCall() { m_bEdited = true; }

void CLv2Plugin::Connect(uint32_t nPort, void* pData) {
    if (nPort == kPortMidi)
        m_pInput = static_cast<const LV2_Atom_Sequence*>(pData);
    else if (nPort == kPortHostKey)
        m_pHostKey = static_cast<const float*>(pData);
    else if (nPort == kPortNotify)
        m_pNotify = static_cast<LV2_Atom_Sequence*>(pData);
    else if (nPort < kPortCount)
        m_outputs[nPort - kPortFirstOutput] = static_cast<float*>(pData);
}

void CLv2Plugin::Activate() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_bActive || m_graph.Graph() == nullptr) return;
    m_midi.Clear();
    m_bHeld = false;
    m_held = {};
    m_graph.Graph()->Run(0);
    m_graph.Context()->ResetTempoBpm(m_dBpm);
    TransportStart(0);
    m_idle.Invalidate();
    m_bResync = false;
    m_transport = Transport::Free;
    m_llHostFrame = 0;
    m_llSongFrame = 0;
    m_bDiscontinuity = true;
    m_bActive = true;
}

void CLv2Plugin::Deactivate() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_bActive) return;
    TransportStop();
    m_graph.Graph()->Pause();
    m_graph.Graph()->Stop();
    m_bActive = false;
}

void CLv2Plugin::Silence(uint32_t nFrames) {
    for (float* p : m_outputs)
        if (p != nullptr) std::fill(p, p + nFrames, 0.0f);
}

void CLv2Plugin::Run(uint32_t nFrames) {
    Patches();
    std::unique_lock<std::mutex> guard(m_lock, std::try_to_lock);
    if (!guard.owns_lock()) return Hold(nFrames);
    if (m_bLoaded || m_bEdited) m_idle.Invalidate(), m_bLoaded = m_bEdited = false;
    if (!m_bActive) return Silence(nFrames);
    if (m_pHostKey != nullptr && *m_pHostKey != m_fHostKey) {
        m_fHostKey = *m_pHostKey;
        // The port names keys from C (its scale points); the instrument from A.
        m_graph.Context()->SetHostKey(CHostContext::KeyFromC(std::lround(m_fHostKey)));
        m_idle.Invalidate();
    }
    if (SkipIdle(nFrames)) return;
    if (m_bResync) Resync();
    for (int n = 0; n < kOutputCount; ++n) {
        CPortSink* pSink = m_sinks[static_cast<size_t>(n)];
        pSink->Target(m_outputs[static_cast<size_t>(2 * n)],
                      m_outputs[static_cast<size_t>(2 * n + 1)], nFrames);
        pSink->ResetQuiet();
    }
    m_nPushed = 0;
    m_bPushFailed = false;
    bool bEvents = m_bHeld || !m_midi.Empty();
    // What held blocks were told comes first, as if said at this block's start.
    if (m_bHeld) {
        ApplyPosition(m_held, 0);
        m_held = {};
        m_bHeld = false;
    }
    // The block is split at each event's frame: the instrument starts what is
    // queued at the first frame of the next buffer, so onsets are exact.
    uint32_t nDone = 0;
    CLv2Sequence::ForEach(m_pInput, [&](const CLv2Sequence::Event& e) {
        bEvents = true;
        const int64_t nAt = std::clamp<int64_t>(e.llFrames, nDone, nFrames);
        if (static_cast<uint32_t>(nAt) > nDone) {
            RenderTo(nDone, static_cast<uint32_t>(nAt));
            nDone = static_cast<uint32_t>(nAt);
        }
        Lv2Position pos;
        if (e.pAtom->type == m_urid.midiEvent)
            AddMidi(e);
        else if (ReadPosition(e, &pos))
            ApplyPosition(pos, nDone);
    });
    if (nDone < nFrames) RenderTo(nDone, nFrames);
    if (m_transport == Transport::Rolling) m_llHostFrame += nFrames;
    // Only a block that told the instrument nothing new vouches for the next one.
    bool bQuiet = !bEvents && !m_bPushFailed && m_nPushed > 0;
    for (const CPortSink* pSink : m_sinks) bQuiet = bQuiet && pSink->Quiet(m_nPushed);
    m_idle.Rendered(bQuiet);
}

bool CLv2Plugin::SkipIdle(uint32_t nFrames) {
    if (!m_bIdleSkip || m_bHeld || !m_midi.Empty()) return false;
    bool bEvents = false;
    CLv2Sequence::ForEach(m_pInput, [&](const CLv2Sequence::Event&) { bEvents = true; });
    if (bEvents || !m_idle.Idle()) return false;
    Silence(nFrames);
    m_llSongFrame += nFrames;
    m_bResync = true;
    if (m_transport == Transport::Rolling) m_llHostFrame += nFrames;
    ++m_nSkipped;
    return true;
}

void CLv2Plugin::Hold(uint32_t nFrames) {
    // Another thread holds the instrument. The block's MIDI waits in the pool
    // (bounded: beyond its capacity messages are dropped) and is played at the
    // first frame of the next block that gets the instrument, late by the rest
    // of this block; the position news are merged and applied there too. The
    // instrument's song clock does not run meanwhile: it trails the host's by
    // the held frames until the host next starts or relocates.
    Silence(nFrames);
    if (!m_bActive) return;
    bool bRolling = m_transport == Transport::Rolling;
    if (m_bHeld && m_held.bSpeed) bRolling = m_held.dSpeed != 0.0;
    CLv2Sequence::ForEach(m_pInput, [&](const CLv2Sequence::Event& e) {
        const int64_t nAt = std::clamp<int64_t>(e.llFrames, 0, nFrames);
        Lv2Position pos;
        if (e.pAtom->type == m_urid.midiEvent) {
            AddMidi(e);
        } else if (ReadPosition(e, &pos)) {
            if (pos.bSpeed) bRolling = pos.dSpeed != 0.0;
            // Where the host will be at the next block's start.
            if (pos.bFrame && bRolling) pos.llFrame += nFrames - nAt;
            m_held.Merge(pos);
            m_bHeld = true;
        }
    });
    if (m_transport == Transport::Rolling) m_llHostFrame += nFrames;
}

void CLv2Plugin::AddMidi(const CLv2Sequence::Event& e) {
    if (e.pAtom->size < 1) return;
    const uint8_t* pb = e.Body();
    if (pb[0] < 0x80 || pb[0] >= 0xF0) return;
    const BYTE byData1 = e.pAtom->size > 1 ? pb[1] : 0, byData2 = e.pAtom->size > 2 ? pb[2] : 0;
    // Only what reaches the instrument counts towards its held notes.
    if (m_midi.Add(pb[0], byData1, byData2)) m_idle.Note(pb[0], byData1, byData2);
}

void CLv2Plugin::RenderTo(uint32_t nFrom, uint32_t nTo) {
    if (!m_midi.Empty()) {
        m_graph.Synth()->QueueInput(0, &m_midi);
        m_midi.Clear();
    }
    while (nFrom < nTo) {
        const uint32_t nLength = std::min<uint32_t>(nTo - nFrom, kBlockFrames);
        for (CPortSink* pSink : m_sinks) pSink->SetOffset(nFrom);
        ++m_nPushed;
        if (FAILED(m_graph.Source()->Push(static_cast<LONG>(nLength), m_bDiscontinuity,
                                          m_llSongFrame))) {
            m_bPushFailed = true;
            for (float* p : m_outputs)
                if (p != nullptr) std::fill(p + nFrom, p + nFrom + nLength, 0.0f);
        }
        m_bDiscontinuity = false;
        m_llSongFrame += nLength;
        nFrom += nLength;
    }
}

#include "engine/GrooveTrack.h"
#include <algorithm>
#include <cmath>
#include <new>

CGrooveTrack::CGrooveTrack(CDXiSynthContext* pContext) : m_pContext(pContext) {}

CGrooveTrack::~CGrooveTrack() {
    Clear();
    SetWave(nullptr);
}

CGrooveEvent* CGrooveTrack::GetAt(int i) const {
    return i >= 0 && i < GetSize() ? m_grains[static_cast<size_t>(i)] : nullptr;
}

void CGrooveTrack::Clear() {
    for (CGrooveEvent* p : m_grains) delete p;
    m_grains.clear();
    m_nLenSamples = 0;
    m_nLenTicks = 0;
    m_dTempo = 100.0;
}

void CGrooveTrack::ResetLengthsWhenEmpty() {
    if (!m_grains.empty()) return;
    m_nLenSamples = 0;
    m_nLenTicks = 0;
    m_dTempo = 100.0;
}

int CGrooveTrack::AddGrainAtEnd(CGrooveEvent* pGrain) {
    m_grains.push_back(pGrain);
    return GetSize() - 1;
}

int CGrooveTrack::InsertGrainSorted(CGrooveEvent* pGrain, bool bGrow) {
    size_t i = 0;
    while (i < m_grains.size() && m_grains[i]->m_nStartTicks < pGrain->m_nStartTicks) ++i;
    m_grains.insert(m_grains.begin() + static_cast<std::ptrdiff_t>(i), pGrain);
    pGrain->m_bUseTail = m_bTail;
    if (bGrow) GrowToGrain(pGrain);
    return static_cast<int>(i);
}

int CGrooveTrack::AppendGrain(CGrooveEvent* pGrain, bool bGrow) {
    m_grains.push_back(pGrain);
    pGrain->m_bUseTail = m_bTail;
    if (bGrow) GrowToGrain(pGrain);
    return GetSize() - 1;
}

void CGrooveTrack::GrowToGrain(CGrooveEvent* pGrain) {
    LONGLONG nEnd = m_nLenTicks;
    if (!m_grains.empty()) nEnd = std::max(nEnd, m_grains.back()->GetEnd(kUnitTicks));
    if (nEnd >= 1) {
        const LONGLONG nBeats = (nEnd - 1) / kTicksPerBeat + 1;
        m_nLenTicks = nBeats * kTicksPerBeat;
        // A pad whose tempo cannot be derived (no ticks yet) grows at the default tempo.
        const double dTempo = std::isfinite(m_dTempo) && m_dTempo > 0.0 ? m_dTempo : 100.0;
        m_nLenSamples = RoundHalfUp(static_cast<double>(SampleRate()) *
                                    static_cast<double>(nBeats) / dTempo * 60.0);
    }
    pGrain->m_nStartSamples =
        m_nLenTicks < 1
            ? 0
            : RoundHalfUp(static_cast<double>(pGrain->m_nStartTicks) /
                          static_cast<double>(m_nLenTicks) * static_cast<double>(m_nLenSamples));
}

bool CGrooveTrack::RemoveGrain(int i) {
    if (i < 0 || i >= GetSize()) return false;
    delete m_grains[static_cast<size_t>(i)];
    m_grains.erase(m_grains.begin() + i);
    ResetLengthsWhenEmpty();
    return true;
}

bool CGrooveTrack::MarkGrain(int i) {
    CGrooveEvent* p = GetAt(i);
    if (p == nullptr) return false;
    p->m_bDeleteMark = 1;
    return true;
}

void CGrooveTrack::Purge() {
    for (int i = GetSize() - 1; i >= 0; --i) {
        if (m_grains[static_cast<size_t>(i)]->m_bDeleteMark) {
            delete m_grains[static_cast<size_t>(i)];
            m_grains.erase(m_grains.begin() + i);
        }
    }
    // Shell sort with gap halving, as grains may have been moved out of order.
    const int n = GetSize();
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int i = gap; i < n; ++i) {
            CGrooveEvent* p = m_grains[static_cast<size_t>(i)];
            int j = i;
            for (; j >= gap &&
                   m_grains[static_cast<size_t>(j - gap)]->m_nStartTicks > p->m_nStartTicks;
                 j -= gap)
                m_grains[static_cast<size_t>(j)] = m_grains[static_cast<size_t>(j - gap)];
            m_grains[static_cast<size_t>(j)] = p;
        }
    }
    ResetLengthsWhenEmpty();
}

void CGrooveTrack::CopyEntry(const CGrooveTrack& entry) {
    Clear();
    m_grains.reserve(entry.m_grains.size());
    for (const CGrooveEvent* p : entry.m_grains) {
        auto* pCopy = new (std::nothrow) CGrooveEvent(*p);
        if (pCopy == nullptr) break;
        pCopy->m_bUseTail = m_bTail;
        m_grains.push_back(pCopy);
    }
    m_nLenTicks = entry.m_nLenTicks;
    m_nLenSamples = entry.m_nLenSamples;
    RecomputeTempo();
    m_bLooping = entry.m_bSyncedPlayback;
    m_bSyncedPlayback = entry.m_bSyncedPlayback;
    m_bFollowKey = entry.m_bFollowKey;
    m_nKey = entry.m_nKey;
}

CGrooveTrack* CGrooveTrack::Snapshot() const {
    auto* p = new (std::nothrow) CGrooveTrack(m_pContext);
    if (p == nullptr) return nullptr;
    p->SetWave(m_pWave);
    p->m_nLenSamples = m_nLenSamples;
    p->m_nLenTicks = m_nLenTicks;
    p->m_dTempo = m_dTempo;
    p->m_bStarted = m_bStarted;
    p->m_nSyncStart = m_nSyncStart;
    p->m_bLooping = m_bLooping;
    p->m_bSyncedPlayback = m_bSyncedPlayback;
    p->m_bLatch = m_bLatch;
    p->m_bMute = m_bMute;
    p->m_bTail = m_bTail;
    p->m_bSolo = m_bSolo;
    p->m_bFollowKey = m_bFollowKey;
    p->m_nKey = m_nKey;
    p->m_strName = m_strName;
    p->m_strPath = m_strPath;
    p->m_nMidiChannel = m_nMidiChannel;
    p->m_nOutput = m_nOutput;
    p->m_fVolume = m_fVolume;
    p->m_fPan = m_fPan;
    p->m_grains.reserve(m_grains.size());
    for (const CGrooveEvent* g : m_grains) {
        auto* pCopy = new (std::nothrow) CGrooveEvent(*g);
        if (pCopy == nullptr) {
            delete p;
            return nullptr;
        }
        p->m_grains.push_back(pCopy);
    }
    return p;
}

void CGrooveTrack::SetKey(LONG nKey) {
    if (nKey >= -1 && nKey <= 127) m_nKey = nKey;
}

void CGrooveTrack::SetTail(BOOL bTail) {
    m_bTail = bTail;
    for (CGrooveEvent* p : m_grains) p->m_bUseTail = bTail;
}

void CGrooveTrack::SetSourceIndex(LONG nIndex) {
    for (CGrooveEvent* p : m_grains) p->m_nSourceIndex = nIndex;
}

LONGLONG CGrooveTrack::GetLength(int nUnit) const {
    if (nUnit == kUnitTicks) return m_nLenTicks;
    if (nUnit == kUnitSamples) return m_nLenSamples;
    return 0;
}

void CGrooveTrack::SetLength(int nUnit, LONGLONG nValue) {
    if (nValue < 0) return;
    if (nUnit == kUnitTicks)
        m_nLenTicks = nValue;
    else if (nUnit == kUnitSamples)
        m_nLenSamples = nValue;
}

void CGrooveTrack::SetWave(CWaveMem* pWave) {
    if (pWave != nullptr) pWave->AddRef();
    if (m_pWave != nullptr) m_pWave->Release();
    m_pWave = pWave;
}

DWORD CGrooveTrack::SampleRate() const {
    return m_pContext != nullptr ? m_pContext->GetSampleRate() : 44100;
}

void CGrooveTrack::RecomputeTempo() {
    const DWORD nRate = SampleRate();
    if (m_nLenSamples < 1 || nRate == 0) {
        m_dTempo = 100.0;
        return;
    }
    m_dTempo = (static_cast<double>(m_nLenTicks) / static_cast<double>(kTicksPerBeat)) /
               (static_cast<double>(m_nLenSamples) / static_cast<double>(nRate)) * 60.0;
}

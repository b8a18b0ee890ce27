#include "engine/GrooveEvent.h"
#include <algorithm>

CGrooveEvent::CGrooveEvent(const CGrooveEvent& o)
    : m_pWave(o.m_pWave), m_nSrcStart(o.m_nSrcStart), m_pTail(o.m_pTail),
      m_nPeakFirst(o.m_nPeakFirst), m_nPeakCount(o.m_nPeakCount), m_nStartTicks(o.m_nStartTicks),
      m_nStartSamples(o.m_nStartSamples), m_nLenTicks(o.m_nLenTicks),
      m_nLenSamples(o.m_nLenSamples), m_nTailSamples(o.m_nTailSamples), m_bSynced(o.m_bSynced),
      m_dRate(o.m_dRate), m_nTranspose(o.m_nTranspose), m_dVolume(o.m_dVolume), m_dPan(o.m_dPan),
      m_wfx(o.m_wfx), m_nSourceIndex(o.m_nSourceIndex), m_nSliceIndex(o.m_nSliceIndex),
      m_bUseTail(o.m_bUseTail), m_bDeleteMark(o.m_bDeleteMark) {
    if (m_pWave != nullptr) m_pWave->AddRef();
    if (m_pTail != nullptr) m_pTail->AddRef();
}

CGrooveEvent::~CGrooveEvent() {
    if (m_pWave != nullptr) m_pWave->Release();
    if (m_pTail != nullptr) m_pTail->Release();
}

void CGrooveEvent::SetWave(CWaveMem* pWave) {
    if (pWave != nullptr) pWave->AddRef();
    if (m_pWave != nullptr) m_pWave->Release();
    m_pWave = pWave;
    if (pWave != nullptr) {
        m_wfx = pWave->m_wfx;
        m_nSrcStart = std::clamp<LONGLONG>(m_nSrcStart, 0, pWave->m_nFrames);
    }
}

void CGrooveEvent::SetTail(CWaveMem* pTail) {
    if (pTail != nullptr) pTail->AddRef();
    if (m_pTail != nullptr) m_pTail->Release();
    m_pTail = pTail;
}

void CGrooveEvent::SetSrcStart(LONGLONG nFrame) {
    const LONGLONG nMax = m_pWave != nullptr ? m_pWave->m_nFrames : 0;
    m_nSrcStart = std::clamp<LONGLONG>(nFrame, 0, nMax);
}

LONGLONG CGrooveEvent::GetStart(int nUnit) const {
    switch (nUnit) {
    case kUnitMidiTicks: return m_nStartTicks >> 16;
    case kUnitTicks: return m_nStartTicks;
    case kUnitSamples: return m_nStartSamples;
    default: return 0;
    }
}

void CGrooveEvent::SetStart(int nUnit, LONGLONG nValue) {
    if (nValue < 0) return;
    if (nUnit == kUnitTicks)
        m_nStartTicks = nValue;
    else if (nUnit == kUnitSamples)
        m_nStartSamples = nValue;
}

LONGLONG CGrooveEvent::GetLength(int nUnit) const {
    if (nUnit == kUnitTicks) return m_nLenTicks;
    if (nUnit == kUnitSamples) return m_nLenSamples;
    return 0;
}

void CGrooveEvent::SetLength(int nUnit, LONGLONG nValue) {
    if (nValue < 0) return;
    if (nUnit == kUnitTicks)
        m_nLenTicks = nValue;
    else if (nUnit == kUnitSamples)
        m_nLenSamples = nValue;
}

LONGLONG CGrooveEvent::GetEnd(int nUnit, bool bPlaying) const {
    if (nUnit == kUnitTicks) return m_nStartTicks + m_nLenTicks;
    if (nUnit == kUnitSamples)
        return m_nStartSamples + (bPlaying ? GetPlayingSamples() : m_nLenSamples);
    return 0;
}

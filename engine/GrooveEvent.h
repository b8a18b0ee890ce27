// A grain: a contiguous run of frames of one CWaveMem placed on a pad's time
// line, with its own gain, balance, transposition and rate. It holds one
// reference on its source wave and one on its tail wave.
#pragma once
#include "engine/Units.h"
#include "engine/WaveMem.h"

class CGrooveEvent {
public:
    CGrooveEvent() = default;
    // Copies every field and adds a reference to each wave.
    CGrooveEvent(const CGrooveEvent& other);
    CGrooveEvent& operator=(const CGrooveEvent&) = delete;
    virtual ~CGrooveEvent();

    // Takes a new reference on pWave (null allowed) and releases the old one;
    // the format copy follows the wave.
    void SetWave(CWaveMem* pWave);
    void SetTail(CWaveMem* pTail);
    // Stored clamped to 0..the wave's frame count.
    void SetSrcStart(LONGLONG nFrame);

    // Unit-coded accessors: 1 ticks, 3 samples; 0 reads whole MIDI ticks for
    // the start. Other codes read 0 and write nothing; negative values are
    // never stored.
    LONGLONG GetStart(int nUnit) const;
    void SetStart(int nUnit, LONGLONG nValue);
    LONGLONG GetLength(int nUnit) const;
    void SetLength(int nUnit, LONGLONG nValue);
    // start + length; in samples with bPlaying the tail length replaces the
    // natural length when the grain plays its tail.
    LONGLONG GetEnd(int nUnit, bool bPlaying = false) const;
    // The sample length rendering uses: the tail length when m_bUseTail.
    LONGLONG GetPlayingSamples() const { return m_bUseTail ? m_nTailSamples : m_nLenSamples; }

    CWaveMem* m_pWave = nullptr;
    LONGLONG m_nSrcStart = 0;
    CWaveMem* m_pTail = nullptr;
    LONG m_nPeakFirst = 0;
    LONG m_nPeakCount = 0;
    LONGLONG m_nStartTicks = 0;
    LONGLONG m_nStartSamples = 0;
    LONGLONG m_nLenTicks = 0;
    LONGLONG m_nLenSamples = 0;
    LONGLONG m_nTailSamples = 0;
    BOOL m_bSynced = 0;
    double m_dRate = 1.0;
    LONG m_nTranspose = 0;
    double m_dVolume = 1.0;
    double m_dPan = 0.5;
    WAVEFORMATEX m_wfx{};
    LONG m_nSourceIndex = -1;
    LONG m_nSliceIndex = -1;
    BOOL m_bUseTail = 0;
    BOOL m_bDeleteMark = 0;
};

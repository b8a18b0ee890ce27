// Decoded sample data of one file or one rendered tail: reference-counted,
// interleaved 32-bit float, 1 or 2 channels, with a guard frame after the last
// frame and an optional min/max overview. Once built it is never changed, so
// a save may hold references and read it outside the engine lock; the count
// is atomic for that reason.
#pragma once
#include "engine/WaveMemBlock.h"
#include "platform/com/HResult.h"
#include "platform/mmio/WaveFormat.h"
#include <atomic>

class CWaveMem {
public:
    CWaveMem();
    virtual ~CWaveMem();
    CWaveMem(const CWaveMem&) = delete;
    CWaveMem& operator=(const CWaveMem&) = delete;

    ULONG AddRef() { return ++m_nRefs; }
    // Drops one reference; deletes the object when none is left.
    ULONG Release();

    // Allocates zeroed storage for nFrames frames of 32-bit float in the
    // channel count and rate of wfx (1 or 2 channels), plus the guard frame.
    // The format becomes IEEE float. Old data and overview are freed.
    HRESULT Allocate(WORD nChannels, DWORD nRate, LONGLONG nFrames);
    void Free();
    // Copies the last frame into the guard frame (a silent guard when empty).
    void SetGuardFrame();
    // Converts the data to nRate with the 4-point cubic interpolator. E_FAIL
    // without data, E_OUTOFMEMORY (data freed) when allocation fails.
    HRESULT ConvertSampleRate(DWORD nRate);
    // Builds the min/max overview with nBlocks blocks; 0 leaves none.
    HRESULT BuildOverview(LONG nBlocks);

    int Channels() const { return m_wfx.nChannels; }
    float* Frame(LONGLONG i) { return m_pData + i * m_wfx.nChannels; }
    const float* Frame(LONGLONG i) const { return m_pData + i * m_wfx.nChannels; }

    WAVEFORMATEX m_wfx{};
    float* m_pData = nullptr;
    float* m_pPeaks = nullptr;
    std::atomic<ULONG> m_nRefs{1};
    LONGLONG m_nFrames = 0;
    LONGLONG m_nDecayFrames = 0;
    double m_dDecay = 0.0;
    LONG m_nPeakBlocks = 0;
    LONG m_nPeakValues = 0;
    LONGLONG m_nDataBytes = 0;
    double m_dRateRatio = 1.0;

private:
    CWaveMemBlock m_block; // owns m_pData
};

// Float capacity of the data of nFrames frames: channels x (frames + 1) + 3,
// rounded down to a multiple of 4.
inline LONGLONG WaveMemCapacity(int nChannels, LONGLONG nFrames) {
    return (nChannels * (nFrames + 1) + 3) & ~LONGLONG(3);
}

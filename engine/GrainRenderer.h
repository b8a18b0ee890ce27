// Renders one grain segment: fitted to its target length without changing
// pitch (overlapping copies with parabolic crossfades, or shortening that keeps
// the true ending), pitched by linear interpolation, weighted by the gain and
// balance law, and accumulated into a float buffer. Also builds the decaying
// gap-filling tail buffer of a grain. Audio thread; allocates only in Init.
#pragma once
#include "engine/GrooveEvent.h"

class CGrainFit;

class CGrainRenderer {
public:
    CGrainRenderer() = default;
    ~CGrainRenderer();
    CGrainRenderer(const CGrainRenderer&) = delete;
    CGrainRenderer& operator=(const CGrainRenderer&) = delete;

    // Allocates the work buffer of the pitched path. E_OUTOFMEMORY on failure.
    HRESULT Init();

    // Accumulates grain frames [nGrainOffset, nGrainOffset + nCount) of the
    // grain fitted to nTarget samples (below 1: its own length) into pDst at
    // frame nOutOffset. pDst has dstFormat's channel count (1 or 2). The
    // result depends only on the grain offset, so pieces join seamlessly.
    // Unsafe stored values render safely: the run is clipped to the wave's
    // frames (nothing renders when none is readable), frames before the grain
    // or the buffer and past the target are dropped, the pitch step is held to
    // 2^-6..2^6 (a rate that is not a positive number counts as 1), pans are
    // held to 0..1 and non-finite volumes silence the grain. Audio thread;
    // allocates nothing.
    void RenderSegment(const CGrooveEvent& grain, LONGLONG nGrainOffset, LONGLONG nOutOffset,
                       LONGLONG nCount, LONGLONG nTarget, float* pDst,
                       const WAVEFORMATEX& dstFormat, float fPadVolume, float fPadPan,
                       LONG nTranspose);

    // Builds the grain's tail: its source frames stretched to twice its length
    // with a decay per copy, into a new wave held by the grain. S_FALSE when
    // the grain has no readable frames, E_OUTOFMEMORY. Loading thread.
    static HRESULT BuildTail(CGrooveEvent* pGrain);

    // Frames of the work buffer (in the source's channel count) that holds
    // the fitted frames one chunk of pitched output reads.
    static constexpr LONGLONG kWorkFrames = 8192;

private:
    // Output frames [k0, k1) of a pitched segment: the fitted source read at
    // dStep with linear interpolation, through the work buffer in chunks.
    void MixPitched(const CGrainFit& fit, const float* pSrc, int nSrcChannels, LONGLONG k0,
                    LONGLONG k1, float* pDst, int nDstChannels, double dGainL, double dGainR,
                    double dStep);

    float* m_pWork = nullptr;
};

// Left and right gains of the gain and balance law.
void GrainGains(double dGrainPan, double dPadPan, double dGrainVolume, double dPadVolume,
                double* pLeft, double* pRight);

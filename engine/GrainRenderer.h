// Renders one grain segment: fitted to its target length without changing
// pitch (overlapping copies with parabolic crossfades, or shortening that keeps
// the true ending), pitched by linear interpolation, weighted by the gain and
// balance law, and accumulated into a float buffer. Also builds the decaying
// gap-filling tail buffer of a grain. Audio thread; allocates only in Init.
#pragma once
#include "engine/GrooveEvent.h"

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
    // frame nOutOffset. pDst has dstFormat's channel count (1 or 2).
    void RenderSegment(const CGrooveEvent& grain, LONGLONG nGrainOffset, LONGLONG nOutOffset,
                       LONGLONG nCount, LONGLONG nTarget, float* pDst,
                       const WAVEFORMATEX& dstFormat, float fPadVolume, float fPadPan,
                       LONG nTranspose);

    // Builds the grain's tail: its source frames stretched to twice its length
    // with a decay per copy, into a new wave held by the grain.
    static HRESULT BuildTail(CGrooveEvent* pGrain);
};

// Left and right gains of the gain and balance law.
void GrainGains(double dGrainPan, double dPadPan, double dGrainVolume, double dPadVolume,
                double* pLeft, double* pRight);

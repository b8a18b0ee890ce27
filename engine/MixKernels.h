// The mixing kernel family: every movement of samples on the render path is one
// mix job run by a kernel picked once per job from four tables.
#pragma once
#include "platform/com/Types.h"

// The argument block of every kernel. Kernels write the final gains back.
struct MixJob {
    void* pDst = nullptr;       // float or double destination
    const void* pSrc = nullptr; // 16-bit, packed 24-bit, float or double source
    LONG nFrames = 0;           // nothing happens below 1
    double dGainL = 0.0;
    double dGainR = 0.0;
    double dIncL = 0.0; // added to the gain after each frame (ramps)
    double dIncR = 0.0;
    double dInc2L = 0.0; // added to the increment after each frame
    double dInc2R = 0.0;
    LONG nSrcBytes = 4; // bytes per source sample
    LONG nReserved0 = 0;
    LONG nReserved1 = 2;
};

using MixKernel = void (*)(MixJob* pJob);

// Picks the kernel for a source of nSrcBits (16, 24, 32; 64 with a double
// destination) and channel counts. nDstBits 64 selects a double destination,
// anything else float. Mode 2 mixes; other modes write a mono source into one
// channel of a stereo destination (mode 1 the right one). Null when the family
// has no such kernel.
MixKernel SelectMixKernel(int nSrcBits, int nSrcChannels, int nDstChannels, bool bOverwrite,
                          bool bRamp, int nDstBits, int nMode);

// The engine's float kernels: 32-bit float source, accumulate, mode 2.
inline MixKernel SelectFloatMixKernel(int nSrcChannels, int nDstChannels, bool bRamp) {
    return SelectMixKernel(32, nSrcChannels, nDstChannels, false, bRamp, 0, 2);
}

// Both halves of a stereo crossfade in one pass: ramped stereo float jobs a
// and b over the same destination and frame count. The floats are those of
// running a and then b with the ramped stereo kernel; the two gain ramps run
// side by side and the destination is read and written once. Final gains are
// written back to both jobs.
void MixCrossfadeStereo(MixJob* a, MixJob* b);
// Its two paths (MixCrossfadeStereo picks one once): two-wide, and four-wide
// for processors with AVX.
void MixCrossfadeStereoSse2(MixJob* a, MixJob* b);
void MixCrossfadeStereoAvx(MixJob* a, MixJob* b);

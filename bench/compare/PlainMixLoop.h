// The reference loop of the kernel comparison: dst[i] += src[i] * g as the
// compiler vectorizes it for this processor (its own translation unit, built
// with -O3 -march=native).
#pragma once

void PlainMixLoop(float* pDst, const float* pSrc, long nFloats, float fGain);

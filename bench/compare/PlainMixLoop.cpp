#include "bench/compare/PlainMixLoop.h"

void PlainMixLoop(float* pDst, const float* pSrc, long nFloats, float fGain) {
    for (long i = 0; i < nFloats; ++i) pDst[i] += pSrc[i] * fGain;
}

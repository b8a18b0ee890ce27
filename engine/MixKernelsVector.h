// The four-wide vector paths of the plain float kernels (indices 4, 6 and 14),
// and the scalar table they fall back to.
#pragma once
#include "engine/MixKernels.h"

// The scalar float kernel of table index 0..31 (mode 2, float destination).
MixKernel ScalarFloatMixKernel(int nIndex);
// The vector-capable kernel for index 4, 6 or 14 when the processor has SSE;
// null otherwise. It takes the vector path only when both pointers are 16-byte
// aligned, else the scalar rule. The vector path multiplies in single precision
// and sets flush-to-zero in the calling thread's MXCSR (left set). Audio thread;
// allocation-free.
MixKernel VectorFloatMixKernel(int nIndex);

// The vector paths of the plain float kernels (indices 4, 6 and 14): four-wide
// (SSE), eight-wide (AVX2) and sixteen-wide (AVX-512F), and the scalar table
// they fall back to.
#pragma once
#include "engine/MixKernels.h"

// The scalar float kernel of table index 0..31 (mode 2, float destination).
MixKernel ScalarFloatMixKernel(int nIndex);
// The vector-capable kernel for index 4, 6 or 14: the widest this processor
// has (AVX-512F, AVX2, SSE); null without SSE. All widths give bit-identical
// results. It takes the vector path when both pointers are 16-byte aligned,
// and for a plain sum (unit gains, kernels 4 and 14) at any alignment, where
// the two rules give the same floats; else the scalar rule. The vector path multiplies in single
// precision and sets flush-to-zero in the calling thread's MXCSR (left set). Audio thread;
// allocation-free.
MixKernel VectorFloatMixKernel(int nIndex);

// The four-wide kernel of index 4, 6 or 14; null without SSE or for other indices.
MixKernel FourWideFloatMixKernel(int nIndex);
// The eight-wide kernel of index 4, 6 or 14; null without AVX2 or for other indices.
MixKernel EightWideFloatMixKernel(int nIndex);
// The sixteen-wide kernel of index 4, 6 or 14; null without AVX-512F or for other indices.
MixKernel SixteenWideFloatMixKernel(int nIndex);

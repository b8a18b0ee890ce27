// The wide runs behind the vector kernels: eight floats a step (AVX2) and
// sixteen (AVX-512F). Each computes the same single-precision product and sum
// per float as the four-wide runs, so all widths give bit-identical results.
// Call a width only when the processor has its instruction set.
#pragma once

// d[i] += s[i] * g over n floats, g alternating gA, gB from an even start;
// plain addition when bUnity. Audio thread; allocation-free.
void AddRunEightWide(float* d, const float* s, long n, bool bUnity, float gA, float gB);
void AddRunSixteenWide(float* d, const float* s, long n, bool bUnity, float gA, float gB);
// d[2i] += s[i] * gL; d[2i + 1] += s[i] * gR over n source floats.
void SpreadRunEightWide(float* d, const float* s, long n, float gL, float gR);
void SpreadRunSixteenWide(float* d, const float* s, long n, float gL, float gR);

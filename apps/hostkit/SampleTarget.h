// Where a host sink sends the samples it receives instead of keeping them:
// a file being written as the song plays.
#pragma once
#include <cstddef>

class ISampleTarget {
public:
    virtual ~ISampleTarget() = default;
    // Interleaved floats; a null pSamples stands for nFloats zeros. False
    // once the target has failed (it keeps the cause).
    virtual bool Put(const float* pSamples, size_t nFloats) = 0;
};

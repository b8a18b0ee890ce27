// What the Loop Bin loader takes from a file reader: the raw sample bytes, their
// format, and the loop metadata (beats, key, slice segments). The wave reader
// fills it from a file; tests fill it from memory.
#pragma once
#include "platform/mmio/WaveFormat.h"
#include <cstddef>
#include <cstdint>

// One slice of a loop, in file frames.
struct LoopSegment {
    DWORD nStart = 0;
    DWORD nLength = 0;
};

struct LoopSource {
    // Format of pData. wFormatTag is WAVE_FORMAT_PCM for integer data of 8
    // (unsigned), 16, 24 or 32 bits, WAVE_FORMAT_IEEE_FLOAT for 32- or 64-bit
    // float (readers resolve the extensible format to one of these).
    WAVEFORMATEX wfx{};
    const uint8_t* pData = nullptr; // interleaved frames, nFrames x block align bytes
    DWORD nFrames = 0;
    BOOL bAcid = 0;     // the file has loop metadata
    BOOL bLooping = 0;  // not a one-shot
    BOOL bRootNote = 0; // the root note is valid
    LONG nKeyIndex = 0; // (root note + 3) mod 12: the key numbered from A (A = 0, C = 3)
    DWORD nBeats = 0;
    const LoopSegment* pSegments = nullptr;
    int nSegments = 0;
};

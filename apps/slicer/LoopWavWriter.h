// Writes a sliced loop as a RIFF WAVE file: the samples in their own format,
// then an `acid` chunk (loop, root note, beats, tempo) and a `strc` chunk with
// one marker per slice start. The file appears whole or not at all.
#pragma once
#include "apps/slicer/SliceSource.h"
#include <cstdint>
#include <string>
#include <vector>

struct LoopMetadata {
    uint32_t nBeats = 0;
    float fTempo = 0.0f;
    int nRootNote = -1; // -1: unknown (the chunk says so)
    // Slice starts in frames, ascending, the first 0; empty: no `strc` chunk,
    // and readers cut the loop by beats themselves.
    std::vector<uint32_t> starts;
    uint32_t nSliceUnit = 4; // 0 whole notes ... 6 sixty-fourth notes
};

class CLoopWavWriter {
public:
    static std::vector<uint8_t> AcidChunk(const LoopMetadata& meta);
    static std::vector<uint8_t> StrcChunk(const LoopMetadata& meta);
    // The whole file in memory. False with the cause in *pstrError.
    static bool Encode(const CSliceSource& source, const LoopMetadata& meta,
                       std::vector<uint8_t>* pBytes, std::string* pstrError);
    // Encode, then the file. False with the cause in *pstrError.
    static bool Write(const std::string& strPath, const CSliceSource& source,
                      const LoopMetadata& meta, std::string* pstrError);
};

// A loaded wave file as the Loop Bin loader takes it: reads the whole file
// through CAcidWave and owns the sample bytes and segments that the LoopSource
// record points into. Load runs on the thread that loads files, never on the
// audio thread (it reads the file system and allocates).
#pragma once
#include "interfaces/LoopSource.h"
#include "platform/com/Types.h"
#include <cstdint>
#include <vector>

class CAcidWaveSource {
public:
    CAcidWaveSource() = default;
    CAcidWaveSource(const CAcidWaveSource&) = delete;
    CAcidWaveSource& operator=(const CAcidWaveSource&) = delete;

    // Opens the file (UTF-8 path), reads its metadata and all whole frames of
    // its sample data. S_OK; E_FAIL for a file that cannot be read as a wave
    // file; E_OUTOFMEMORY. On failure the record is empty.
    HRESULT Load(const char* pszPath);

    // Valid while this object lives and until the next Load.
    const LoopSource& Source() const { return m_source; }
    // Block align x frames + 16 bytes; the bytes past the frames are zero.
    const std::vector<uint8_t>& Bytes() const { return m_data; }

private:
    LoopSource m_source;
    std::vector<uint8_t> m_data;
    std::vector<LoopSegment> m_segments;
};

// A loaded audio file as the Loop Bin loader takes it: reads a wave file
// through CAcidWave, and any file the reader cannot take or whose encoding
// the loader does not decode (AIFF, FLAC, Ogg, MP3, u-law, ADPCM, more than
// two channels, ...) through the platform's sound file decoder. Owns the
// sample bytes and segments that the LoopSource record points into. Load runs
// on the thread that loads files, never on the audio thread (it reads the
// file system and allocates).
#pragma once
#include "interfaces/LoopSource.h"
#include "platform/com/Types.h"
#include <cstdint>
#include <vector>

class CAcidWave;
class CSoundFileDecoder;

class CAcidWaveSource {
public:
    // Decoding stops one frame past this length: longer than any file the
    // loader takes, so a longer file is refused for its length without being
    // read to its end.
    static constexpr double kLongestDecodeSeconds = 128.0;

    CAcidWaveSource() = default;
    CAcidWaveSource(const CAcidWaveSource&) = delete;
    CAcidWaveSource& operator=(const CAcidWaveSource&) = delete;

    // Opens the file (UTF-8 path), reads its metadata and all whole frames of
    // its sample data. S_OK; E_FAIL for a file that cannot be read as audio;
    // E_OUTOFMEMORY. On failure the record is empty.
    HRESULT Load(const char* pszPath);

    // Valid while this object lives and until the next Load.
    const LoopSource& Source() const { return m_source; }
    // Block align x frames + 16 bytes; the bytes past the frames are zero.
    const std::vector<uint8_t>& Bytes() const { return m_data; }
    // The samples came from the sound file decoder, not the wave reader.
    bool IsDecoded() const { return m_bDecoded; }

private:
    HRESULT LoadWave(CAcidWave& wave);
    // Decodes the file; the metadata comes from pWave when it read the same
    // frames, else from the file's loop information.
    HRESULT LoadDecoded(const char* pszPath, const CAcidWave* pWave);
    HRESULT DecodeSamples(CSoundFileDecoder& decoder);
    void TakeWaveMetadata(const CAcidWave& wave);
    void Clear();

    LoopSource m_source;
    std::vector<uint8_t> m_data;
    std::vector<LoopSegment> m_segments;
    bool m_bDecoded = false;
};

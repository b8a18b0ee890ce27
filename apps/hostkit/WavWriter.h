// Writes interleaved float audio as a RIFF WAVE file (32-bit float, 24- or
// 16-bit PCM; 1 or 2 channels), optionally followed by extra chunks such as
// loop metadata. The file appears whole or not at all.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class WavSampleFormat { Float32, Pcm24, Pcm16 };

class CWavWriter {
public:
    CWavWriter(WavSampleFormat format, int nChannels, uint32_t nRate);

    // A chunk written after the `data` chunk, in the order added (readers
    // look for loop metadata after the samples). The id is four characters.
    void AddChunk(const char szId[4], std::vector<uint8_t> body);

    // Writes nFrames frames of interleaved samples. PCM samples are clipped
    // to [-1, 1]; non-finite samples are written as 0. False with the cause
    // in *pstrError. (CWavStream writes such a file as the samples come.)
    bool Write(const std::string& strPath, const float* pSamples, size_t nFrames,
               std::string* pstrError) const;

    int BytesPerSample() const;
    int Channels() const { return m_nChannels; }
    uint32_t Rate() const { return m_nRate; }

    struct Chunk {
        char id[4];
        std::vector<uint8_t> body;
    };
    const std::vector<Chunk>& Chunks() const { return m_chunks; }
    // The header up to the data chunk's size; the same length for any sizes.
    std::vector<uint8_t> Header(uint64_t nDataBytes, uint64_t nRiffBytes, uint64_t nFrames) const;
    // The RIFF chunk's size for a file of nSamples samples; at most
    // kMaxRiffBytes in a valid file.
    static constexpr uint64_t kMaxRiffBytes = 0xFFFFFFFFull;
    uint64_t RiffBytes(uint64_t nSamples) const;
    // Appends nSamples samples (null: zeros) in the file's sample format.
    void Encode(const float* pSamples, size_t nSamples, std::vector<uint8_t>* pOut) const;

private:
    WavSampleFormat m_format;
    int m_nChannels;
    uint32_t m_nRate;
    std::vector<Chunk> m_chunks;
};

// Parses a format name given on the command line: "float" (or "f32"), "24", "16".
bool ParseWavSampleFormat(const std::string& strName, WavSampleFormat* pFormat);

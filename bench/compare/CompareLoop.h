// The comparisons' audio: a 30-second stereo 44.1 kHz drum loop at 120 BPM
// (the demo's two-bar pattern, repeated), cut into one slice per beat, as
// float frames, 16-bit frames, a complete WAV file in memory and a loop source.
#pragma once
#include "interfaces/LoopSource.h"
#include <cstdint>
#include <vector>

class CCompareLoop {
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr uint32_t kBeats = 60;
    static constexpr double kTempo = 120.0;
    static constexpr uint32_t kFrames = 30 * kRate;
    static constexpr uint32_t kSliceFrames = kFrames / kBeats;

    CCompareLoop();

    const std::vector<float>& Floats() const { return m_floats; } // interleaved
    const std::vector<uint8_t>& Pcm16() const { return m_pcm16; } // interleaved, little-endian
    const std::vector<uint8_t>& WavFile() const { return m_wav; } // fmt, data, acid, strc
    // The 16-bit frames with the loop metadata, as the wave reader hands them over.
    const LoopSource& Source() const { return m_source; }
    double Seconds() const { return static_cast<double>(kFrames) / kRate; }

private:
    std::vector<float> m_floats;
    std::vector<uint8_t> m_pcm16;
    std::vector<uint8_t> m_wav;
    std::vector<LoopSegment> m_segments;
    LoopSource m_source;
};

// The demo's own content: a two-bar drum loop (kick, snare, hats) synthesized
// in code, written as a 16-bit stereo WAV with `acid` loop metadata and `strc`
// slice markers on every eighth note.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CDemoLoop {
public:
    static constexpr uint32_t kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr double kTempo = 120.0;
    static constexpr int kBeats = 8;
    static constexpr int kSlices = 16; // eighth notes
    static constexpr int kRootNote = 60;
    static constexpr uint32_t kFrames = static_cast<uint32_t>(kRate * 60.0 / kTempo * kBeats);
    static constexpr uint32_t kSliceFrames = kFrames / kSlices;

    // Synthesizes the loop; the same every time.
    CDemoLoop();

    const std::vector<float>& Samples() const { return m_samples; } // interleaved stereo
    uint32_t SliceStart(int nSlice) const { return static_cast<uint32_t>(nSlice) * kSliceFrames; }

    std::vector<uint8_t> AcidChunk() const;
    std::vector<uint8_t> StrcChunk() const;
    // Writes the loop WAV. False with the cause in *pstrError.
    bool Write(const std::string& strPath, std::string* pstrError) const;

private:
    enum class Drum { Kick, Snare, ClosedHat, OpenHat };
    void AddHit(Drum drum, int nStep, double dGain);
    void Normalize();

    std::vector<float> m_samples;
    uint32_t m_nNoise = 0x1234567u;
};

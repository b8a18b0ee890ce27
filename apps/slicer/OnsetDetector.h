// Finds the transients of a mono signal: a log-magnitude spectral flux on
// short hops marks where a hit enters, and a search in the samples around
// each mark places it where the signal's energy jumps (to a few samples).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct Onset {
    size_t nFrame = 0;
    float fStrength = 0.0f; // the flux peak, 0..1 of the file's largest
    float fLevel = 0.0f;    // the hit's RMS over its first 30 ms
};

class COnsetDetector {
public:
    // fSensitivity 0..1: higher finds quieter transients.
    COnsetDetector(uint32_t nRate, float fSensitivity);

    // The transients in time order (none at frame 0 is reported: a loop's
    // first slice starts there anyway).
    std::vector<Onset> Detect(const std::vector<float>& signal) const;

    // The flux per hop of the last Detect, normalized to a peak of 1.
    size_t Hop() const { return m_nHop; }

private:
    std::vector<float> Flux(const std::vector<float>& signal) const;
    size_t Refine(const std::vector<double>& energy, const std::vector<double>& energyHigh,
                  size_t nFrom, size_t nTo) const;

    uint32_t m_nRate;
    float m_fSensitivity;
    size_t m_nSize; // FFT frame
    size_t m_nHop;
};

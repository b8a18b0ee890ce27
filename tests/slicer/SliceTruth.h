// Measures the slicer on a synthesized drum loop: which hits its --onsets
// slices find within 5 ms, which slices match no hit, and its tempo guess.
#pragma once
#include "slicer/DrumLoopSynth.h"
#include <string>

struct TruthResult {
    size_t nHits = 0;
    size_t nFound = 0;     // hits with a slice start within kToleranceMs
    size_t nFalse = 0;     // slice starts near no hit
    double dWorstMs = 0.0; // the largest distance of a found hit to its slice
    double dTempo = 0.0;   // estimated
    bool bOk = false;      // the file was written, read and planned
};

constexpr double kToleranceMs = 5.0;

// Writes the loop into strDir (as truth.wav), slices it as 'pandrel slice
// --onsets' does without --beats or --bpm, and compares.
TruthResult MeasureSlicing(const DrumLoopSpec& spec, const std::string& strDir);

// Decides how a file becomes a loop: its number of beats and tempo (given,
// taken from its metadata, or estimated) and where its slices start (an even
// grid, or its transients snapped to zero crossings and kept apart by a
// minimum gap).
#pragma once
#include "apps/slicer/LoopWavWriter.h"
#include "apps/slicer/OnsetDetector.h"
#include "apps/slicer/SliceSource.h"
#include <string>
#include <vector>

struct SliceSettings {
    enum class Mode { Beats, Grid, Onsets };
    uint32_t nBeats = 0; // given; 0: not given
    double dTempo = 0.0; // given; 0: not given
    Mode mode = Mode::Beats;
    uint32_t nGridDivision = 16; // slices per whole note: 16 for 1/16, 12 for 1/8T
    float fSensitivity = 0.5f;
    double dMinGapMs = 30.0;
    double dSnapMs = 2.0; // how far a slice start may move to a zero crossing
};

struct SlicePlan {
    LoopMetadata meta;
    bool bTempoEstimated = false;
    bool bBeatsFromFile = false;
    size_t nOnsets = 0;             // transients found before the minimum gap thinned them
    std::vector<std::string> notes; // what was assumed or adjusted, one line each
};

class CSlicePlanner {
public:
    static constexpr uint32_t kMaxBeats = 64; // the instrument's longest loop
    static constexpr size_t kMaxSlices = 4096;

    // "1/16", "1/12", "1/8T" (a triplet eighth, the same as 1/12): the slices
    // per whole note, 0 when the text names no division.
    static uint32_t ParseDivision(const std::string& strText);

    // False with the cause in *pstrError when the settings cannot make a
    // loop of this file.
    bool Plan(const CSliceSource& source, const SliceSettings& settings, SlicePlan* pPlan,
              std::string* pstrError) const;

    // The frame near nFrame where the mono signal crosses zero: the nearest
    // one at most nReach frames earlier, else the nearest one at most nReach
    // later, else nFrame itself.
    static size_t SnapToZero(const std::vector<float>& mono, size_t nFrame, size_t nReach);

private:
    bool Beats(const CSliceSource& source, const SliceSettings& settings,
               const std::vector<Onset>& onsets, SlicePlan* pPlan, std::string* pstrError) const;
    std::vector<uint32_t> OnsetStarts(const std::vector<float>& mono,
                                      const std::vector<Onset>& onsets, uint32_t nRate,
                                      const SliceSettings& settings) const;
};

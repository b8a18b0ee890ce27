#include "apps/slicer/SlicePlanner.h"
#include "apps/slicer/OnsetDetector.h"
#include "apps/slicer/TempoEstimator.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
std::string Format(const char* pszFormat, double a, double b = 0.0, double c = 0.0) {
    char sz[256];
    std::snprintf(sz, sizeof(sz), pszFormat, a, b, c);
    return sz;
}

bool IsCrossing(const std::vector<float>& mono, size_t i) {
    return mono[i] == 0.0f || (mono[i - 1] < 0.0f) != (mono[i] < 0.0f);
}

// The side of a crossing nearer zero.
size_t Quieter(const std::vector<float>& mono, size_t i) {
    return std::fabs(mono[i - 1]) < std::fabs(mono[i]) ? i - 1 : i;
}
} // namespace

uint32_t CSlicePlanner::ParseDivision(const std::string& strText) {
    if (strText.size() < 3 || strText.compare(0, 2, "1/") != 0) return 0;
    std::string strNumber = strText.substr(2);
    const bool bTriplet =
        !strNumber.empty() && (strNumber.back() == 'T' || strNumber.back() == 't');
    if (bTriplet) strNumber.pop_back();
    if (strNumber.empty() || strNumber.size() > 3 ||
        strNumber.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    const auto n = static_cast<uint32_t>(std::strtoul(strNumber.c_str(), nullptr, 10));
    // Straight notes from whole to sixty-fourth; triplets are three in the
    // time of two: 1/8T is 1/12.
    const bool bStraight = n >= 1 && n <= 64 && (n & (n - 1)) == 0;
    if (bTriplet) return bStraight && n >= 2 ? n * 3 / 2 : 0;
    if (bStraight) return n;
    const bool bTripletNumber = n % 3 == 0 && n / 3 * 2 <= 64 && ((n / 3) & (n / 3 - 1)) == 0;
    return bTripletNumber ? n : 0;
}

size_t CSlicePlanner::SnapToZero(const std::vector<float>& mono, size_t nFrame, size_t nReach) {
    if (mono.size() < 2 || nFrame >= mono.size()) return nFrame;
    for (size_t i = nFrame; i >= 1 && i + nReach >= nFrame; --i)
        if (IsCrossing(mono, i)) return Quieter(mono, i);
    for (size_t i = nFrame + 1; i < mono.size() && i <= nFrame + nReach; ++i)
        if (IsCrossing(mono, i)) return Quieter(mono, i);
    return nFrame;
}

bool CSlicePlanner::Beats(const CSliceSource& source, const SliceSettings& settings,
                          const std::vector<Onset>& onsets, SlicePlan* pPlan,
                          std::string* pstrError) const {
    const double dSeconds = source.Seconds();
    LoopMetadata& meta = pPlan->meta;
    if (settings.nBeats != 0 && settings.dTempo > 0.0) {
        *pstrError = "give --beats or --bpm, not both";
        return false;
    }
    if (settings.nBeats != 0) {
        meta.nBeats = settings.nBeats;
    } else if (settings.dTempo > 0.0) {
        const double dBeats = dSeconds * settings.dTempo / 60.0;
        if (dBeats < 0.5) {
            *pstrError =
                Format("lasts %.3f s, less than one beat at %.1f BPM", dSeconds, settings.dTempo);
            return false;
        }
        meta.nBeats = static_cast<uint32_t>(std::lround(dBeats));
        if (std::fabs(dBeats - meta.nBeats) > 0.01)
            pPlan->notes.push_back(Format("at %.2f BPM the file holds %.2f beats; it loops as %.0f",
                                          settings.dTempo, dBeats, meta.nBeats));
    } else if (source.FileBeats() != 0) {
        meta.nBeats = source.FileBeats();
        pPlan->bBeatsFromFile = true;
        pPlan->notes.push_back(
            Format("took %.0f beats from the file's loop metadata", meta.nBeats));
    } else {
        const TempoGuess guess = CTempoEstimator().Estimate(onsets, source.Frames(), source.Rate());
        if (guess.nBeats == 0) {
            *pstrError =
                Format("lasts %.1f s: no tempo from 70 to 180 BPM makes it a loop of at most "
                       "64 beats; give --bpm or --beats",
                       dSeconds);
            return false;
        }
        meta.nBeats = guess.nBeats;
        pPlan->bTempoEstimated = true;
        pPlan->notes.push_back(
            Format("assumed %.1f BPM, %.0f beats; give --bpm or --beats to override",
                   60.0 * guess.nBeats / dSeconds, guess.nBeats));
    }
    if (meta.nBeats > kMaxBeats) {
        *pstrError =
            Format("a loop of %.0f beats is longer than the instrument takes (at most %.0f)",
                   meta.nBeats, kMaxBeats);
        return false;
    }
    meta.fTempo = static_cast<float>(60.0 * meta.nBeats / dSeconds);
    return true;
}

std::vector<uint32_t> CSlicePlanner::OnsetStarts(const std::vector<float>& mono,
                                                 const std::vector<Onset>& onsets, uint32_t nRate,
                                                 const SliceSettings& settings) const {
    const auto nReach = static_cast<size_t>(std::lround(settings.dSnapMs * nRate / 1000.0));
    const auto nGap = static_cast<size_t>(std::lround(settings.dMinGapMs * nRate / 1000.0));
    std::vector<uint32_t> starts = {0};
    float fLastStrength = 0.0f; // of the last start; the one at 0 is never replaced
    for (const Onset& o : onsets) {
        const size_t nAt = SnapToZero(mono, o.nFrame, nReach);
        if (nAt == 0 || nAt + std::max<size_t>(nGap, 1) > mono.size()) continue;
        if (nAt < starts.back() + nGap) {
            // Too close: the stronger of the two stays.
            if (starts.size() > 1 && o.fStrength > fLastStrength &&
                nAt >= starts[starts.size() - 2] + nGap) {
                starts.back() = static_cast<uint32_t>(nAt);
                fLastStrength = o.fStrength;
            }
            continue;
        }
        starts.push_back(static_cast<uint32_t>(nAt));
        fLastStrength = o.fStrength;
    }
    return starts;
}

bool CSlicePlanner::Plan(const CSliceSource& source, const SliceSettings& settings,
                         SlicePlan* pPlan, std::string* pstrError) const {
    *pPlan = SlicePlan{};
    pPlan->meta.nRootNote = source.RootNote();
    const std::vector<float> mono = source.Mono();
    const bool bEstimate =
        settings.nBeats == 0 && settings.dTempo <= 0.0 && source.FileBeats() == 0;
    std::vector<Onset> onsets;
    if (settings.mode == SliceSettings::Mode::Onsets || bEstimate)
        onsets = COnsetDetector(source.Rate(), settings.fSensitivity).Detect(mono);
    pPlan->nOnsets = onsets.size();
    if (!Beats(source, settings, onsets, pPlan, pstrError)) return false;
    LoopMetadata& meta = pPlan->meta;
    const size_t nFrames = source.Frames();

    if (settings.mode == SliceSettings::Mode::Grid) {
        const uint64_t nWhole = static_cast<uint64_t>(meta.nBeats) * settings.nGridDivision;
        if (settings.nGridDivision == 0 || nWhole % 4 != 0) {
            *pstrError = Format("the grid does not divide %.0f beats evenly", meta.nBeats);
            return false;
        }
        const uint64_t n = nWhole / 4;
        if (n > kMaxSlices || n > nFrames) {
            *pstrError = Format("the grid would cut the loop into %.0f slices, more than %.0f",
                                static_cast<double>(n),
                                static_cast<double>(std::min<size_t>(kMaxSlices, nFrames)));
            return false;
        }
        // Where the instrument itself cuts a loop by beats.
        for (uint64_t i = 0; i < n; ++i)
            meta.starts.push_back(static_cast<uint32_t>(std::trunc(
                static_cast<double>(nFrames) * (static_cast<double>(i) / static_cast<double>(n)))));
        uint32_t nUnit = 0;
        while (nUnit < 6 && (2u << nUnit) <= settings.nGridDivision) ++nUnit;
        meta.nSliceUnit = nUnit;
    } else if (settings.mode == SliceSettings::Mode::Onsets) {
        meta.starts = OnsetStarts(mono, onsets, source.Rate(), settings);
        if (meta.starts.size() < 2) {
            meta.starts.clear();
            pPlan->notes.push_back(
                "found no transient past the start; written without slice markers");
        }
    }
    return true;
}

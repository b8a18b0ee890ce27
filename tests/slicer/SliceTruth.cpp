#include "slicer/SliceTruth.h"
#include "apps/slicer/SlicePlanner.h"
#include <cmath>
#include <cstdio>

TruthResult MeasureSlicing(const DrumLoopSpec& spec, const std::string& strDir) {
    TruthResult r;
    const CDrumLoopSynth loop(spec);
    const std::string strPath = strDir + "/truth.wav";
    std::string strError;
    CSliceSource source;
    SlicePlan plan;
    SliceSettings settings;
    settings.mode = SliceSettings::Mode::Onsets;
    if (!loop.Write(strPath, &strError) || !source.Read(strPath, &strError) ||
        !CSlicePlanner().Plan(source, settings, &plan, &strError)) {
        std::fprintf(stderr, "%s\n", strError.c_str());
        return r;
    }
    std::remove(strPath.c_str());
    const double dTolerance = kToleranceMs * spec.nRate / 1000.0;
    const std::vector<uint32_t>& starts = plan.meta.starts;
    r.nHits = loop.Hits().size();
    for (size_t hit : loop.Hits()) {
        double dNearest = 1e300;
        for (uint32_t s : starts)
            dNearest =
                std::min(dNearest, std::fabs(static_cast<double>(s) - static_cast<double>(hit)));
        if (dNearest <= dTolerance) {
            ++r.nFound;
            r.dWorstMs = std::max(r.dWorstMs, dNearest * 1000.0 / spec.nRate);
        }
    }
    for (uint32_t s : starts) {
        bool bNear = false;
        for (size_t hit : loop.Hits())
            bNear =
                bNear || std::fabs(static_cast<double>(s) - static_cast<double>(hit)) <= dTolerance;
        if (!bNear) ++r.nFalse;
    }
    r.dTempo = plan.meta.fTempo;
    r.bOk = true;
    return r;
}

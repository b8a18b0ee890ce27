// Prints the slicer's ground-truth table (markdown): every tempo from 80 to
// 160 BPM in steps of 10 (and two off the grid), 2 and 4 bars, dry and clean,
// over noise, through a reverb, and both.
#include "slicer/SliceTruth.h"
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main() {
    char szDir[] = "/tmp/pandrel-truth-XXXXXX";
    if (mkdtemp(szDir) == nullptr) return 1;
    struct Kind {
        const char* pszName;
        double dNoiseDb, dReverb;
    };
    const Kind kinds[] = {{"clean", 0, 0},
                          {"noise -40 dB", -40, 0},
                          {"reverb", 0, 0.5},
                          {"noise + reverb", -40, 0.5}};
    std::printf("| BPM | bars | sound | hits | found within 5 ms | false slices | worst ms | "
                "tempo found |\n|---|---|---|---|---|---|---|---|\n");
    size_t nHits = 0, nFound = 0, nFalse = 0, nLoops = 0, nTempoOk = 0;
    const double tempos[] = {80, 90, 96.5, 100, 110, 120, 127.3, 130, 140, 150, 160};
    uint32_t nSeed = 1;
    for (double dTempo : tempos)
        for (int nBars : {2, 4})
            for (const Kind& k : kinds) {
                DrumLoopSpec spec;
                spec.dTempo = dTempo;
                spec.nBars = nBars;
                spec.dNoiseDb = k.dNoiseDb;
                spec.dReverb = k.dReverb;
                spec.nSeed = nSeed++;
                const TruthResult r = MeasureSlicing(spec, szDir);
                if (!r.bOk) return 1;
                nHits += r.nHits;
                nFound += r.nFound;
                nFalse += r.nFalse;
                ++nLoops;
                nTempoOk += std::fabs(r.dTempo - dTempo) <= 1.0;
                std::printf("| %.1f | %d | %s | %zu | %zu | %zu | %.2f | %.2f |\n", dTempo, nBars,
                            k.pszName, r.nHits, r.nFound, r.nFalse, r.dWorstMs, r.dTempo);
            }
    std::printf("\nAll %zu loops: %zu of %zu hits found (%.1f %%), %zu false slices (%.1f %%), "
                "tempo within 1 BPM on %zu.\n",
                nLoops, nFound, nHits,
                100.0 * static_cast<double>(nFound) / static_cast<double>(nHits), nFalse,
                100.0 * static_cast<double>(nFalse) / static_cast<double>(nHits), nTempoOk);
    rmdir(szDir);
    return 0;
}

// pandrel-compare: runs every comparison in one process, prints the table and
// writes it, with the polyphony figures for the plot, where the script asks.
//   pandrel-compare BUNDLE_DIR TABLE.md POLYPHONY.dat [--only NAME]
// NAME: kernels, resample, load, stretch, polyphony, lv2, persist; or
// stretch-engine, lv2-idle-engine or persist-load-engine, Pandrel's side alone (for a profiler).
#include "bench/compare/Comparisons.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: pandrel-compare BUNDLE_DIR TABLE.md POLYPHONY.dat [--only NAME]\n");
        return 2;
    }
    char* pszBundle = realpath(argv[1], nullptr);
    if (pszBundle == nullptr) {
        std::fprintf(stderr, "pandrel-compare: no bundle at %s\n", argv[1]);
        return 1;
    }
    const std::string strBundle = pszBundle;
    std::free(pszBundle);
    const char* pszOnly = argc >= 6 && std::strcmp(argv[4], "--only") == 0 ? argv[5] : nullptr;
    auto want = [&](const char* psz) {
        return pszOnly == nullptr || std::strcmp(pszOnly, psz) == 0;
    };
    const CCompareLoop loop;
    CCompareTable table;
    if (want("kernels")) CompareKernels(table);
    if (want("resample")) CompareResample(loop, table);
    if (want("load")) CompareLoad(loop, table);
    if (want("stretch")) CompareStretch(loop, table);
    if (pszOnly != nullptr && std::strcmp(pszOnly, "stretch-engine") == 0) ProfileStretch(loop);
    if (want("polyphony")) ComparePolyphony(table, argv[3]);
    if (want("lv2")) CompareLv2(strBundle, table);
    if (pszOnly != nullptr && std::strcmp(pszOnly, "lv2-idle-engine") == 0)
        ProfileLv2Idle(strBundle);
    if (pszOnly != nullptr && std::strcmp(pszOnly, "persist-load-engine") == 0)
        ProfilePersistLoad(loop, strBundle + "/pandrel.so");
    if (want("persist")) ComparePersistence(loop, strBundle + "/pandrel.so", table);
    const std::string md = table.Markdown();
    std::fputs(md.c_str(), stdout);
    FILE* f = std::fopen(argv[2], "w");
    if (f == nullptr || std::fputs(md.c_str(), f) < 0) {
        std::fprintf(stderr, "pandrel-compare: cannot write %s\n", argv[2]);
        if (f != nullptr) std::fclose(f);
        return 1;
    }
    std::fclose(f);
    return 0;
}

#include "lv2/Lv2StateMeasure.h"
#include "lv2/Lv2TestProject.h"
#include <chrono>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
bool Later(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}
} // namespace

CLv2StateMeasure::Snapshot CLv2StateMeasure::Snap(const std::vector<std::string>& dirs) {
    Snapshot snap;
    for (const std::string& strDir : dirs) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(strDir, ec)) {
            struct stat st {};
            if (stat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            snap[st.st_ino] = {static_cast<uint64_t>(st.st_size), st.st_mtim};
        }
    }
    return snap;
}

uint64_t CLv2StateMeasure::NewBytes(const Snapshot& before, const Snapshot& after) {
    uint64_t llBytes = 0;
    for (const auto& [ino, stamp] : after) {
        const auto it = before.find(ino);
        if (it == before.end() || Later(stamp.mtime, it->second.mtime)) llBytes += stamp.llBytes;
    }
    return llBytes;
}

uint64_t CLv2StateMeasure::DirectoryBytes(const std::string& strDir) {
    uint64_t llBytes = 0;
    for (const auto& [ino, stamp] : Snap({strDir})) llBytes += stamp.llBytes;
    return llBytes;
}

CLv2StateMeasure::Figures CLv2StateMeasure::Run(int nEntries, double dSeconds,
                                                const std::string& strScratch) {
    Figures fig;
    const std::string strLibrary = PANDREL_LV2_BUNDLE "/pandrel.so";
    std::vector<uint8_t> first, changed;
    if (!CLv2TestProject::BinState(strLibrary, nEntries, dSeconds, 0.6f, &first, &fig.strError) ||
        !CLv2TestProject::BinState(strLibrary, nEntries, dSeconds, 0.3f, &changed, &fig.strError))
        return fig;
    fig.llSampleBytes = static_cast<uint64_t>(nEntries) *
                        static_cast<uint64_t>(dSeconds * 44100.0) * 2 * sizeof(float);
    const std::string strDir = strScratch + "/state", strNewDir = strScratch + "/state.2";
    fs::remove_all(strScratch);
    fs::create_directories(strScratch);
    const uint8_t nKey = static_cast<uint8_t>(CLv2TestProject::kBinKey + nEntries - 1);
    const std::vector<CLv2TestHost::Note> notes = {{0, 0x90, nKey, 100}};

    CLv2TestHost host{PANDREL_LV2_BUNDLE};
    if (!host.Instantiate() || !host.Restore(first) || !host.SaveStateDirectory(strDir))
        return fig.strError = "the first save failed", fig;
    fig.llStateBytes = DirectoryBytes(strDir);
    first = {};

    if (!host.Restore(changed)) return fig.strError = "the changed project does not load", fig;
    changed = {};
    const auto direct = host.Render(notes, 16);
    Snapshot before = Snap({strDir, strNewDir});
    if (!host.SaveStateDirectory(strDir)) return fig.strError = "the second save failed", fig;
    fig.llSameDirBytes = NewBytes(before, Snap({strDir, strNewDir}));
    before = Snap({strDir, strNewDir});
    if (!host.SaveStateDirectory(strNewDir)) return fig.strError = "the third save failed", fig;
    fig.llNewDirBytes = NewBytes(before, Snap({strDir, strNewDir}));
    host.Release();

    CLv2TestHost fresh{PANDREL_LV2_BUNDLE};
    if (!fresh.Instantiate()) return fig.strError = "no fresh instance", fig;
    const auto start = std::chrono::steady_clock::now();
    if (!fresh.RestoreStateFile(strDir + "/state.ttl"))
        return fig.strError = "lilv cannot read the state", fig;
    fig.dRestoreSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto restored = fresh.Render(notes, 16);
    for (float f : restored[0]) fig.bRestoredSounds = fig.bRestoredSounds || f != 0.0f;
    fig.bSameRender = restored == direct;
    return fig;
}

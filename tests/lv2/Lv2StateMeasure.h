// The state-as-files scenario the LV2 tests measure: a Loop Bin project is
// saved through lilv into a state directory, a change of pad settings only is
// saved again (into the same directory, and into a new one as Ardour does),
// and the state restores into a fresh instance. Sizes, new bytes and times.
#pragma once
#include "lv2/Lv2TestHost.h"
#include <cstdint>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

class CLv2StateMeasure {
public:
    struct Figures {
        uint64_t llSampleBytes = 0;   // the project's sample data as 32-bit float
        uint64_t llStateBytes = 0;    // the first save's directory on disk
        uint64_t llSameDirBytes = 0;  // written by the second save into the same directory
        uint64_t llNewDirBytes = 0;   // written by the second save into a new directory
        double dRestoreSeconds = 0.0; // reading the state file and restoring it
        bool bRestoredSounds = false; // the last entry's key sounds after the restore
        bool bSameRender = false;     // ... exactly as the project loaded directly
        std::string strError;
    };
    // Runs the scenario on nEntries entries of dSeconds each, under strScratch.
    static Figures Run(int nEntries, double dSeconds, const std::string& strScratch);

    // Every regular file under the directories, by inode: its size and modification time.
    struct Stamp {
        uint64_t llBytes = 0;
        timespec mtime{};
    };
    using Snapshot = std::map<ino_t, Stamp>;
    static Snapshot Snap(const std::vector<std::string>& dirs);
    // The bytes of files in after that are not in before, or were written since.
    static uint64_t NewBytes(const Snapshot& before, const Snapshot& after);
    // The bytes of the regular files in a directory.
    static uint64_t DirectoryBytes(const std::string& strDir);
};

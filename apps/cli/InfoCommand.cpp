// `pandrel info`: what the wave reader finds in a WAV file, or what a project
// holds once the instrument has loaded it.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/HostSession.h"
#include "apps/cli/ProjectInfo.h"
#include "apps/cli/WaveInfo.h"
#include "interfaces/IVudivuVizezud.h"
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {
bool IsProjectFile(const std::string& strPath) {
    if (strPath.size() >= 4 && strcasecmp(strPath.c_str() + strPath.size() - 4, ".pnd") == 0)
        return true;
    // A RIFF form of type `pndl`, whatever its name.
    char head[12] = {};
    FILE* f = std::fopen(strPath.c_str(), "rb");
    if (f == nullptr) return false;
    const size_t n = std::fread(head, 1, sizeof(head), f);
    std::fclose(f);
    return n == sizeof(head) && std::memcmp(head, "RIFF", 4) == 0 &&
           std::memcmp(head + 8, "pndl", 4) == 0;
}

int Run(const CCommandArgs& args) {
    args.ExpectPositional(1, 1, "FILE");
    const std::string& strPath = args.Positional()[0];
    if (IsProjectFile(strPath)) {
        CHostSession session(args);
        CInstrumentHost& host = session.Open(CInstrumentHost::Options(), CTempoMap());
        session.LoadProject(strPath);
        CProjectInfo info;
        info.Read(host.Control(), strPath);
        WriteStdout(args.Has("--json") ? info.Json() : info.Text());
        return 0;
    }
    CWaveInfo info;
    // A plain file (no loop metadata) is also shown as the slicer would cut it.
    CAcidWave wave;
    const bool bPlain =
        !args.Has("--json") && (wave.Open(strPath.c_str()) != S_OK || !wave.HasAcid());
    wave.Close();
    try {
        info.Read(strPath);
    } catch (const CCliError&) {
        // What the wave reader refuses, the slicer may still read.
        const std::string strSlicer = bPlain ? SlicerSummary(strPath) : "";
        if (strSlicer.empty()) throw;
        WriteStdout(strSlicer.substr(1));
        return 0;
    }
    WriteStdout(args.Has("--json") ? info.Json()
                                   : info.Text() + (bPlain ? SlicerSummary(strPath) : ""));
    return 0;
}
} // namespace

const CommandEntry& InfoCommand() {
    static const CommandEntry entry{
        "info",
        "show what a WAV file (or a project) holds",
        "usage: pandrel info FILE.wav|FILE.pnd [--json]\n\n"
        "For a WAV file, shows what the wave reader finds: sample format, length, ACID\n"
        "loop flags, root key, beats, tempo, slice unit, the segment list, INFO tags.\n"
        "For a plain file (no loop metadata, WAV or any format the slicer reads), also\n"
        "shows what 'pandrel slice --onsets' would make of it: beats, tempo, slices.\n"
        "For a project, shows its Loop Bin, its pads with their grains, and the key map.\n\n"
        "  --json           print the same as one JSON object\n"
        "  --module FILE    the instrument library, for projects (default: next to this program)\n",
        {"--module"},
        {"--json"},
        &Run};
    return entry;
}

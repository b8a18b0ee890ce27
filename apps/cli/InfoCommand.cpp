// `pandrel info`: what the wave reader finds in a WAV file, what the loader
// decodes of any other audio file, and for a plain file how the slicer would
// cut it; or what a project holds once the instrument has loaded it.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/DecodedInfo.h"
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
    // A plain file (no loop metadata) is also shown as the slicer would cut it.
    const bool bJson = args.Has("--json");
    CWaveInfo wave;
    try {
        wave.Read(strPath);
    } catch (const CCliError&) {
        // What the wave reader refuses, the loader may decode, and the
        // slicer may still read.
        CDecodedInfo decoded;
        if (decoded.Read(strPath)) {
            const bool bPlain = !decoded.HasLoop();
            if (bJson)
                WriteStdout(decoded.Json(bPlain ? SlicerJson(strPath) : "null"));
            else
                WriteStdout(decoded.Text() + (bPlain ? SlicerSummary(strPath) : ""));
            return 0;
        }
        const std::string strSlicer = bJson ? "" : SlicerSummary(strPath);
        if (strSlicer.empty()) throw;
        WriteStdout(strSlicer.substr(1));
        return 0;
    }
    const bool bPlain = !wave.HasAcid();
    if (bJson)
        WriteStdout(wave.Json(bPlain ? SlicerJson(strPath) : "null"));
    else
        WriteStdout(wave.Text() + (bPlain ? SlicerSummary(strPath) : ""));
    return 0;
}
} // namespace

const CommandEntry& InfoCommand() {
    static const CommandEntry entry{
        "info",
        "show what an audio file (or a project) holds",
        "usage: pandrel info FILE|FILE.pnd [--json]\n\n"
        "For a WAV file, shows what the wave reader finds: sample format, length, ACID\n"
        "loop flags, root key, beats, tempo, slice unit, the segment list, INFO tags.\n"
        "For another audio file (AIFF, FLAC, OGG, MP3, a WAV of more than two\n"
        "channels), shows what the loader decodes: format, channels and the fold to\n"
        "stereo, length, loop or one-shot, beats, tempo, segments, and the limit that\n"
        "refuses it, if any. For a plain file (no loop metadata), also shows what\n"
        "'pandrel slice --onsets' would make of it: beats, tempo, slices (in JSON,\n"
        "the \"slicer\" field; null for a loop or a file the slicer cannot read).\n"
        "For a project, shows its Loop Bin, its pads with their grains, and the key map.\n\n"
        "  --json           print the same as one JSON object\n"
        "  --module FILE    the instrument library, for projects (default: next to this program)\n",
        {"--module"},
        {"--json"},
        &Run};
    return entry;
}

// `pandrel project`: makes and changes a project file through the instrument's
// control interface, so that projects can be built without the editor. Every
// change loads the project, applies the change and saves it whole.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/FileProblem.h"
#include "apps/cli/HostSession.h"
#include "apps/cli/NoteName.h"
#include "apps/cli/SlicedFile.h"
#include "apps/cli/WaveInfo.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <set>
#include <sys/stat.h>

namespace {
constexpr int kTextLength = 260; // the interface's text buffers

// A whole number from nMin to nMax, or a usage error naming strWhat.
LONG Integer(const std::string& strCommand, const std::string& strWhat, const std::string& strText,
             LONG nMin, LONG nMax) {
    char* pEnd = nullptr;
    const long n = std::strtol(strText.c_str(), &pEnd, 10);
    if (strText.empty() || *pEnd != '\0' || n < nMin || n > nMax)
        throw CCliError::Usage(strCommand, strWhat + " must be a whole number from " +
                                               std::to_string(nMin) + " to " +
                                               std::to_string(nMax) + ", not '" + strText + "'");
    return static_cast<LONG>(n);
}

// A position on a pad in beats (quarter notes), as the instrument's ticks.
LONGLONG Beats(const std::string& strWhat, const std::string& strText) {
    constexpr double kMaxBeats = 100000.0;
    char* pEnd = nullptr;
    const double d = std::strtod(strText.c_str(), &pEnd);
    if (strText.empty() || *pEnd != '\0' || !(d >= 0.0 && d <= kMaxBeats))
        throw CCliError::Usage("project", strWhat + " must be a number of beats from 0 to " +
                                              std::to_string(static_cast<long>(kMaxBeats)) +
                                              ", not '" + strText + "'");
    return std::llround(d * static_cast<double>(kTicksPerBeat));
}

// A MIDI key by number (0 to 127) or by name ("C5" is 60).
LONG Key(const std::string& strWhat, const std::string& strText) {
    int nKey = 0;
    if (!ParseNote(strText, &nKey))
        throw CCliError::Usage("project", strWhat +
                                              " must be a key from 0 to 127 or a name from C0 "
                                              "to G10 (C5 is 60), not '" +
                                              strText + "'");
    return nKey;
}

BOOL OnOff(const std::string& strName, const std::string& strValue) {
    if (strValue == "on" || strValue == "yes" || strValue == "1") return TRUE;
    if (strValue == "off" || strValue == "no" || strValue == "0") return FALSE;
    throw CCliError::Usage("project", strName + " must be on or off, not '" + strValue + "'");
}

class CProjectEdit {
public:
    CProjectEdit(const CCommandArgs& args, const std::string& strPath, bool bLoad)
        : m_session(args), m_strPath(strPath) {
        m_pControl = m_session.Open(CInstrumentHost::Options(), CTempoMap()).Control();
        if (bLoad) m_session.LoadProject(strPath);
    }
    IVudivuVizezud* operator->() const { return m_pControl; }
    void Check(HRESULT hr, const char* pszWhat) const {
        if (FAILED(hr)) throw CCliError::FromHResult(m_strPath, pszWhat, hr);
    }
    void Save() const {
        const HRESULT hr = m_pControl->SaveProject("project", m_strPath.c_str());
        if (FAILED(hr)) {
            // The file system says why, when it can.
            const std::string strWhy = WriteProblem(m_strPath);
            if (!strWhy.empty()) throw CCliError(m_strPath, "cannot save the project: " + strWhy);
            Check(hr, "cannot save the project");
        }
    }
    // A grain of the pad, numbered from 0 in the order 'pandrel info' lists them.
    LONG Grain(LONG nPad, const std::string& strText) const {
        LONG nGrains = 0;
        Check(m_pControl->GetPadGrainCount(kKindPad, nPad, &nGrains), "cannot count the grains");
        if (nGrains == 0)
            throw CCliError(m_strPath, "pad " + std::to_string(nPad + 1) + " is empty");
        return Integer("project", "GRAIN", strText, 0, nGrains - 1);
    }

private:
    CHostSession m_session;
    std::string m_strPath;
    IVudivuVizezud* m_pControl = nullptr;
};

void SetPad(const CCommandArgs& args, CProjectEdit& edit, LONG nPad) {
    const char* pszFail = "cannot change the pad";
    if (args.Has("--synced"))
        edit.Check(edit->SetPadSynced(nPad, OnOff("--synced", args.Value("--synced"))), pszFail);
    if (args.Has("--looping"))
        edit.Check(edit->SetPadLooping(nPad, OnOff("--looping", args.Value("--looping"))), pszFail);
    if (args.Has("--latch"))
        edit.Check(edit->SetPadLatch(nPad, OnOff("--latch", args.Value("--latch"))), pszFail);
    if (args.Has("--mute"))
        edit.Check(edit->SetPadMute(nPad, OnOff("--mute", args.Value("--mute"))), pszFail);
    if (args.Has("--output"))
        edit.Check(edit->SetPadOutput(
                       nPad, Integer("project", "--output", args.Value("--output"), 0, kPadCount)),
                   pszFail);
    if (args.Has("--volume"))
        edit.Check(
            edit->SetPadVolume(nPad, static_cast<float>(args.Number("--volume", 1.0, 0.0, 2.0))),
            pszFail);
    if (args.Has("--pan"))
        edit.Check(edit->SetPadPan(nPad, static_cast<float>(args.Number("--pan", 0.5, 0.0, 1.0))),
                   pszFail);
    if (args.Has("--keys") || args.Has("--root")) {
        PadKeyRange range{};
        range.nPad = nPad;
        edit.Check(edit->GetPadKeyRange(&range), "cannot read the key map");
        if (args.Has("--keys")) {
            // "LOW" or "LOW-HIGH", MIDI key numbers or names.
            const std::string keys = args.Value("--keys");
            const size_t dash = keys.find('-');
            range.nLowKey = Key("--keys", keys.substr(0, dash));
            range.nHighKey =
                dash == std::string::npos ? range.nLowKey : Key("--keys", keys.substr(dash + 1));
            if (range.nHighKey < range.nLowKey)
                throw CCliError::Usage("project", "--keys: the high key is below the low key");
            if (!args.Has("--root")) range.nRootKey = range.nLowKey;
        }
        if (args.Has("--root")) range.nRootKey = Key("--root", args.Value("--root"));
        edit.Check(edit->SetPadKeyRange(&range), "cannot change the key map");
    }
}

// The verbs: each loads (or makes) the project, changes it and saves it whole.
// pos holds the verb, the project and the verb's own arguments.
using Positional = std::vector<std::string>;

LONG Pad(const std::string& strText) {
    return Integer("project", "PAD", strText, 1, kPadCount) - 1;
}

// A Loop Bin file of the project, numbered from 0.
LONG FileIndex(CProjectEdit& edit, const std::string& strPath, const std::string& strText) {
    LONG nFiles = 0;
    edit.Check(edit->GetFileCount(&nFiles), "cannot count the Loop Bin");
    if (nFiles == 0) throw CCliError(strPath, "the Loop Bin is empty");
    return Integer("project", "FILE", strText, 0, nFiles - 1);
}

void New(const CCommandArgs& args, const std::string& strPath, const Positional&) {
    // Replacing a project loses its work: only when asked.
    struct stat st {};
    if (stat(strPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) throw CCliError(strPath, "is a folder");
        if (!args.Has("--force"))
            throw CCliError(strPath, "already exists; 'pandrel project new --force' replaces it");
    }
    CProjectEdit edit(args, strPath, false);
    edit.Check(edit->ClearProject(), "cannot clear the project");
    edit.Save();
    WriteStdout("wrote " + strPath + "\n");
}

// The paths the Loop Bin names, as the instrument records them.
std::set<std::string> BinPaths(CProjectEdit& edit) {
    std::set<std::string> paths;
    LONG nFiles = 0;
    edit.Check(edit->GetFileCount(&nFiles), "cannot count the Loop Bin");
    for (LONG e = 0; e < nFiles; ++e) {
        char szPath[kTextLength] = {};
        edit.Check(edit->GetFileName(e, TRUE, szPath), "cannot read a file path");
        szPath[kTextLength - 1] = '\0';
        paths.insert(szPath);
    }
    return paths;
}

void Add(const CCommandArgs& args, const std::string& strPath, const Positional& pos) {
    CProjectEdit edit(args, strPath, true);
    char szFull[PATH_MAX];
    std::string strLoop = realpath(pos[2].c_str(), szFull) != nullptr ? szFull : pos[2];
    const std::string strName = args.Value("--name", strLoop.substr(strLoop.find_last_of('/') + 1));
    // A sliced copy is kept beside the project, so the entry's path names a
    // file that holds its samples; it keeps the file's own name.
    std::unique_ptr<CSlicedFile> pSliced;
    if (HasSliceOptions(args)) {
        const size_t nSlash = strPath.find_last_of('/');
        const std::string strFolder = nSlash == std::string::npos ? "."
                                      : nSlash == 0               ? "/"
                                                                  : strPath.substr(0, nSlash);
        pSliced = std::make_unique<CSlicedFile>(pos[2], SlicedLoop(pos[2], args, "project"),
                                                strFolder, BinPaths(edit));
        strLoop = pSliced->Path();
    }
    LONG nEntry = -1, nStatus = 0, nBefore = 0, nAfter = 0;
    edit.Check(edit->GetFileCount(&nBefore), "cannot count the Loop Bin");
    const HRESULT hr = edit->LoadFileToBin(strName.c_str(), strLoop.c_str(), &nEntry, &nStatus);
    if (FAILED(hr)) {
        // The instrument gives only a code; the file itself says why.
        const std::string strWhy = LoopProblem(pSliced ? strLoop : pos[2]);
        if (strWhy.empty()) throw CCliError::FromHResult(pos[2], "cannot load the file", hr);
        throw CCliError(pos[2], "cannot load the file: " + strWhy + " (" + HResultCode(hr) + ")");
    }
    if (hr == S_FALSE && nStatus == kLoadStatusBinFull)
        throw CCliError(strPath,
                        "the Loop Bin is full (" + std::to_string(kLoopBinCapacity) + " files)");
    edit.Check(edit->GetFileCount(&nAfter), "cannot count the Loop Bin");
    // A file the Loop Bin holds already (by its full path) is not loaded again.
    if (nAfter == nBefore) {
        WriteStdout((pSliced ? pos[2] + " sliced as " + strLoop : pos[2]) +
                    " is already in the Loop Bin of " + strPath + " as file " +
                    std::to_string(nEntry) + "; nothing changed\n");
        return;
    }
    edit.Save();
    if (pSliced) pSliced->Keep();
    WriteStdout("added " + pos[2] + " to " + strPath + " as file " + std::to_string(nEntry) +
                (!pSliced           ? std::string()
                 : pSliced->IsNew() ? ", sliced into " + pSliced->Path()
                                    : ", sliced as " + pSliced->Path() + " (already there)") +
                "\n");
}

void Assign(const CCommandArgs& args, const std::string& strPath, const Positional& pos) {
    const LONG nPad = Pad(pos[2]);
    CProjectEdit edit(args, strPath, true);
    edit.Check(edit->AssignFileToPad(nPad, FileIndex(edit, strPath, pos[3])),
               "cannot assign the file");
    SetPad(args, edit, nPad);
    edit.Save();
    WriteStdout("laid file " + pos[3] + " on pad " + pos[2] + " of " + strPath + "\n");
}

void Set(const CCommandArgs& args, const std::string& strPath, const Positional& pos) {
    const LONG nPad = Pad(pos[2]);
    CProjectEdit edit(args, strPath, true);
    SetPad(args, edit, nPad);
    edit.Save();
    WriteStdout("changed pad " + pos[2] + " of " + strPath + "\n");
}

void AddGrain(const CCommandArgs& args, const std::string& strPath, const Positional& pos) {
    const LONG nPad = Pad(pos[2]);
    const LONGLONG nAt = Beats("BEAT", pos[5]);
    CProjectEdit edit(args, strPath, true);
    const LONG nEntry = FileIndex(edit, strPath, pos[3]);
    LONG nSlices = 0;
    edit.Check(edit->GetPadGrainCount(kKindLoopBin, nEntry, &nSlices), "cannot count the slices");
    const LONG nSlice = Integer("project", "SLICE", pos[4], 0, std::max<LONG>(nSlices - 1, 0));
    edit.Check(edit->AddGrain(nEntry, nSlice, nPad, nAt), "cannot add the grain");
    edit.Save();
    WriteStdout("added file " + pos[3] + " slice " + pos[4] + " to pad " + pos[2] + " of " +
                strPath + " at beat " + pos[5] + "\n");
}

void MoveGrain(const CCommandArgs& args, const std::string& strPath, const Positional& pos) {
    const LONG nPad = Pad(pos[2]);
    const LONG nTo =
        args.Has("--to") ? Integer("project", "--to", args.Value("--to"), 1, kPadCount) - 1 : nPad;
    const LONGLONG nAt = Beats("BEAT", pos[4]);
    CProjectEdit edit(args, strPath, true);
    const LONG nGrain = edit.Grain(nPad, pos[3]);
    LONG nOut = -1;
    edit.Check(edit->MoveGrain(nPad, nGrain, nTo, nAt, &nOut, FALSE), "cannot move the grain");
    edit.Save();
    WriteStdout("moved grain " + pos[3] + " of pad " + pos[2] + " to pad " +
                std::to_string(nTo + 1) + " at beat " + pos[4] + " in " + strPath + "\n");
}

void RemoveGrain(const CCommandArgs& args, const std::string& strPath, const Positional& pos) {
    const LONG nPad = Pad(pos[2]);
    CProjectEdit edit(args, strPath, true);
    edit.Check(edit->RemoveGrain(nPad, edit.Grain(nPad, pos[3]), FALSE), "cannot remove the grain");
    edit.Save();
    WriteStdout("removed grain " + pos[3] + " of pad " + pos[2] + " from " + strPath + "\n");
}

struct Verb {
    const char* pszName;
    size_t nArgs;        // after PROJECT.pnd
    const char* pszArgs; // their names, for the usage message
    void (*pRun)(const CCommandArgs&, const std::string&, const Positional&);
};
constexpr Verb kVerbs[] = {
    {"new", 0, "", &New},
    {"add", 1, "LOOP.wav", &Add},
    {"assign", 2, "PAD FILE", &Assign},
    {"set", 1, "PAD", &Set},
    {"add-grain", 4, "PAD FILE SLICE BEAT", &AddGrain},
    {"move-grain", 3, "PAD GRAIN BEAT", &MoveGrain},
    {"remove-grain", 2, "PAD GRAIN", &RemoveGrain},
};

// "new, add, ... or remove-grain": every verb, for messages.
std::string VerbList() {
    std::string s;
    for (const Verb& v : kVerbs)
        s += (s.empty()                              ? ""
              : &v == &kVerbs[std::size(kVerbs) - 1] ? " or "
                                                     : ", ") +
             std::string(v.pszName);
    return s;
}

int Run(const CCommandArgs& args) {
    const Positional& pos = args.Positional();
    if (pos.empty()) throw CCliError::Usage("project", "missing " + VerbList());
    const Verb* pVerb = nullptr;
    for (const Verb& v : kVerbs)
        if (pos[0] == v.pszName) pVerb = &v;
    if (pVerb == nullptr)
        throw CCliError::Usage("project", "unknown action '" + pos[0] + "' (" + VerbList() + ")");
    if (pos.size() < 2) throw CCliError::Usage("project", "missing PROJECT.pnd");
    if (pVerb->pRun != &New && args.Has("--force"))
        throw CCliError::Usage("project", "--force is for 'project new'");
    if (pVerb->pRun != &Add && HasSliceOptions(args))
        throw CCliError::Usage("project", "slicing options are for 'project add'");
    args.ExpectPositional(2 + pVerb->nArgs, 2 + pVerb->nArgs, pVerb->pszArgs);
    pVerb->pRun(args, pos[1], pos);
    return 0;
}
} // namespace

const CommandEntry& ProjectCommand() {
    static const CommandEntry entry{
        "project",
        "make and change a project (new, add, assign, set, and grain edits)",
        "usage: pandrel project new PROJECT.pnd [--force]\n"
        "       pandrel project add PROJECT.pnd LOOP.wav [--name NAME] [slicing options]\n"
        "       pandrel project assign PROJECT.pnd PAD FILE [pad options]\n"
        "       pandrel project set PROJECT.pnd PAD [pad options]\n"
        "       pandrel project add-grain PROJECT.pnd PAD FILE SLICE BEAT\n"
        "       pandrel project move-grain PROJECT.pnd PAD GRAIN BEAT [--to PAD]\n"
        "       pandrel project remove-grain PROJECT.pnd PAD GRAIN\n\n"
        "Makes an empty project (an existing file only with --force), loads a loop\n"
        "into its Loop Bin, lays a Loop Bin file (numbered from 0, as 'pandrel info'\n"
        "shows) on a pad (1 to 16), or changes a pad. Grain edits put a slice of a\n"
        "file on a pad at a beat from the pad's start (a number, 1.5 say), and move or\n"
        "remove a pad's grain (numbered from 0 in the order 'pandrel info' lists\n"
        "them). The project is saved whole after each change.\n\n"
        "With slicing options (--beats, --bpm, --grid, --onsets, --sensitivity,\n"
        "--min-gap; see 'pandrel slice --help') the file is sliced on the way in: the\n"
        "sliced copy is kept beside the project as NAME.sliced.wav (NAME.sliced-2.wav\n"
        "and on when that name holds other samples), and the Loop Bin entry names it.\n\n"
        "pad options:\n"
        "  --synced on|off    follow the song's tempo, or count in samples\n"
        "  --looping on|off   loop, or play once\n"
        "  --latch on|off     latched (a note starts and stops it) or gated\n"
        "  --mute on|off\n"
        "  --keys LOW[-HIGH]  the MIDI keys that play the pad (root: LOW), as numbers\n"
        "                     or names (C5 is 60, C#5 61; octaves 0 to 10)\n"
        "  --root KEY         the key that plays it untransposed\n"
        "  --output N         0 the mix, 1 to 16 \"Chan N\" (heard in the mix too)\n"
        "  --volume V         0 to 2\n"
        "  --pan P            0 (left) to 1 (right)\n"
        "  --to PAD           move-grain: the pad the grain goes to (default: its own)\n"
        "  --module FILE      the instrument library (default: next to this program)\n",
        {"--name", "--beats", "--bpm", "--grid", "--sensitivity", "--min-gap", "--synced",
         "--looping", "--latch", "--mute", "--keys", "--root", "--output", "--volume", "--pan",
         "--to", "--module"},
        {"--force", "--onsets"},
        &Run};
    return entry;
}

// `pandrel render`: plays a Standard MIDI File through the instrument with a
// project loaded. The arguments and the MIDI file are checked first, so that
// mistakes are reported before any rendering starts.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/FileIdentity.h"
#include "apps/cli/FileProblem.h"
#include "apps/cli/GainStage.h"
#include "apps/cli/HostSession.h"
#include "apps/hostkit/MidiSong.h"
#include "apps/hostkit/WavStream.h"
#include "interfaces/IVudivuVizezud.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {
// Makes the folder and any missing folders above it (mkdir -p); throws
// CCliError when a part of the path is a file or cannot be made.
void MakeFolders(const std::string& strDir) {
    for (size_t n = strDir.find('/', 1);; n = strDir.find('/', n + 1)) {
        const std::string strPart = strDir.substr(0, n);
        struct stat st {};
        if (stat(strPart.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) throw CCliError(strPart, "exists and is not a folder");
        } else if (mkdir(strPart.c_str(), 0777) != 0 && errno != EEXIST) {
            throw CCliError(strPart, "cannot make the folder: " + SystemCause(errno));
        }
        if (n == std::string::npos) break;
    }
}

std::string StemPath(const std::string& strDir, int n) {
    return strDir + (strDir.back() == '/' ? "" : "/") + "chan-" + std::to_string(n) + ".wav";
}

int Run(const CCommandArgs& args) {
    args.ExpectPositional(1, 1, "PROJECT.pnd");
    const std::string& strProject = args.Positional()[0];
    if (!args.Has("--midi")) throw CCliError::Usage("render", "missing --midi SONG.mid");
    if (!args.Has("-o")) throw CCliError::Usage("render", "missing -o OUT.wav");
    const std::string strMidi = args.Value("--midi");
    const std::string strOut = args.Value("-o");
    WavSampleFormat sampleFormat = WavSampleFormat::Float32;
    if (!ParseWavSampleFormat(args.Value("--format", "float"), &sampleFormat))
        throw CCliError::Usage("render", "--format must be float or 24, not '" +
                                             args.Value("--format") + "'");
    const double dRate = args.Number("--rate", 44100, 8000, 192000);
    const double dTail = args.Number("--tail", 2.0, 0.0, 60.0);
    const float fGain = CGainStage::FromDb(args.Number("--gain", 0.0, -96.0, 24.0));
    const bool bStems = args.Has("--stems");
    const std::string strStems = args.Value("--stems");
    if (bStems && strStems.empty()) throw CCliError::Usage("render", "--stems needs a folder");

    if (const std::string strWhy = ReadProblem(strProject); !strWhy.empty())
        throw CCliError(strProject, strWhy);
    // No output may replace an input, nor another output.
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"the project", strProject},
        {"the MIDI file", strMidi},
        {"the instrument library", args.Value("--module", CInstrumentModule::DefaultPath())}};
    RefuseOverwrite(strOut, inputs);
    for (int n = 1; bStems && n < CInstrumentHost::kOutputs; ++n) {
        RefuseOverwrite(StemPath(strStems, n), inputs);
        RefuseOverwrite(StemPath(strStems, n), {{"the mix output", strOut}});
    }
    struct stat st {};
    if (bStems && stat(strStems.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        throw CCliError(strStems, "exists and is not a folder");
    CMidiSong song;
    std::string strError;
    if (!song.Load(strMidi, &strError)) {
        const std::string strWhy = ReadProblem(strMidi);
        throw CCliError(strMidi, strWhy.empty() ? strError : strWhy);
    }

    // A stray event far out would otherwise ask for hours of audio in memory.
    constexpr double kMaxSeconds = 3600.0;
    if (song.Tempo().TicksToMs(static_cast<double>(song.LengthTicks())) / 1000.0 + dTail >
        kMaxSeconds)
        throw CCliError(strMidi, "song longer than an hour, not rendered");
    CHostSession session(args);
    CInstrumentHost::Options options;
    options.dwRate = static_cast<DWORD>(dRate);
    options.bChannelOutputs = bStems;
    CInstrumentHost& host = session.Open(options, song.Tempo());
    session.LoadProject(strProject);
    if (bStems) MakeFolders(strStems);
    const LONGLONG nFrames = static_cast<LONGLONG>(
        song.Tempo().TicksToSamples(static_cast<double>(song.LengthTicks()), dRate) +
        dTail * dRate + 0.5);
    // Every output is written as it is rendered, so no output is held in
    // memory; of the channel outputs only those that carried sound are kept.
    const CWavWriter writer(sampleFormat, options.wChannels, options.dwRate);
    // Each output goes through its gain stage into its file.
    std::vector<std::unique_ptr<CWavStream>> files(CInstrumentHost::kOutputs);
    std::vector<std::unique_ptr<CGainStage>> stages(CInstrumentHost::kOutputs);
    for (int n = 0; n < (bStems ? CInstrumentHost::kOutputs : 1); ++n) {
        const std::string strFile = n == 0 ? strOut : StemPath(strStems, n);
        files[static_cast<size_t>(n)] = std::make_unique<CWavStream>(writer);
        if (!files[static_cast<size_t>(n)]->Open(strFile, &strError)) {
            const std::string strWhy = WriteProblem(strFile);
            throw CCliError(strFile, strWhy.empty() ? strError : strWhy);
        }
        stages[static_cast<size_t>(n)] =
            std::make_unique<CGainStage>(files[static_cast<size_t>(n)].get(), fGain);
        host.StreamOutput(n, stages[static_cast<size_t>(n)].get());
    }
    session.Render(song.Events(), nFrames, strOut);

    CWavStream& mix = *files[0];
    if (!host.HasSound(0)) mix.Put(nullptr, static_cast<size_t>(nFrames) * options.wChannels);
    if (!mix.Finish(&strError)) throw CCliError(strOut, strError);
    std::string strReport = "wrote " + strOut + "\n";
    std::string strWarnings;
    for (int n = 0; n < (bStems ? CInstrumentHost::kOutputs : 1); ++n) {
        CWavStream& file = *files[static_cast<size_t>(n)];
        if (n > 0 && !host.HasSound(n)) {
            file.Discard();
            continue;
        }
        if (n > 0) {
            if (!file.Finish(&strError)) throw CCliError(file.Path(), strError);
            strReport += "wrote " + file.Path() + "\n";
        }
        if (sampleFormat != WavSampleFormat::Float32)
            strWarnings += stages[static_cast<size_t>(n)]->ClipWarning(file.Path());
    }
    WriteStdout(strReport);
    std::fputs(strWarnings.c_str(), stderr);
    return 0;
}
} // namespace

const CommandEntry& RenderCommand() {
    static const CommandEntry entry{
        "render",
        "play a MIDI file through a project into a WAV file",
        "usage: pandrel render PROJECT.pnd --midi SONG.mid -o OUT.wav [options]\n\n"
        "Plays SONG.mid (Standard MIDI File, format 0 or 1; its tempo map is the\n"
        "song's) through the instrument with PROJECT.pnd loaded, and writes the mix.\n"
        "Written as 24-bit, samples beyond full scale are clipped and reported.\n\n"
        "  --midi FILE     the song\n"
        "  -o FILE         the mix as a WAV file\n"
        "  --format F      float (32-bit float, the default) or 24 (24-bit PCM)\n"
        "  --rate R        sample rate in Hz (default 44100)\n"
        "  --stems DIR     also write every \"Chan n\" output that carries sound, as\n"
        "                  DIR/chan-N.wav (DIR is made when missing); a pad on a\n"
        "                  \"Chan\" output also sounds in the mix\n"
        "  --tail SECONDS  time rendered after the song's end (default 2)\n"
        "  --gain DB       gain applied to every file written (default 0)\n"
        "  --module FILE   the instrument library (default: next to this program)\n",
        {"--midi", "-o", "--format", "--rate", "--stems", "--tail", "--gain", "--module"},
        {},
        &Run};
    return entry;
}

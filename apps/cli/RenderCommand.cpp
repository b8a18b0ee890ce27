// `pandrel render`: plays a Standard MIDI File through the instrument with a
// project loaded. The arguments and the MIDI file are checked first, so that
// mistakes are reported before any rendering starts.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/HostSession.h"
#include "apps/hostkit/MidiSong.h"
#include "apps/hostkit/WavStream.h"
#include "interfaces/IVudivuVizezud.h"
#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>

namespace {
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

    struct stat st {};
    if (stat(strProject.c_str(), &st) != 0) throw CCliError(strProject, std::strerror(errno));
    if (args.Has("--stems")) {
        const std::string strDir = args.Value("--stems");
        if (stat(strDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw CCliError(strDir, "not a folder");
    }
    CMidiSong song;
    std::string strError;
    if (!song.Load(strMidi, &strError)) throw CCliError(strMidi, strError);

    // A stray event far out would otherwise ask for hours of audio in memory.
    constexpr double kMaxSeconds = 3600.0;
    if (song.Tempo().TicksToMs(static_cast<double>(song.LengthTicks())) / 1000.0 + dTail >
        kMaxSeconds)
        throw CCliError(strMidi, "song longer than an hour, not rendered");
    CHostSession session(args);
    CInstrumentHost::Options options;
    options.dwRate = static_cast<DWORD>(dRate);
    options.bChannelOutputs = args.Has("--stems");
    CInstrumentHost& host = session.Open(options, song.Tempo());
    session.LoadProject(strProject);
    const LONGLONG nFrames = static_cast<LONGLONG>(
        song.Tempo().TicksToSamples(static_cast<double>(song.LengthTicks()), dRate) +
        dTail * dRate + 0.5);
    // Every output is written as it is rendered, so no output is held in
    // memory; of the channel outputs only those that carried sound are kept.
    const CWavWriter writer(sampleFormat, options.wChannels, options.dwRate);
    CWavStream mix(writer);
    if (!mix.Open(strOut, &strError)) throw CCliError(strOut, strError);
    host.StreamOutput(0, &mix);
    std::vector<std::unique_ptr<CWavStream>> stems(CInstrumentHost::kOutputs);
    for (int n = 1; options.bChannelOutputs && n < CInstrumentHost::kOutputs; ++n) {
        const std::string strStem = args.Value("--stems") + "/chan-" + std::to_string(n) + ".wav";
        stems[static_cast<size_t>(n)] = std::make_unique<CWavStream>(writer);
        if (!stems[static_cast<size_t>(n)]->Open(strStem, &strError))
            throw CCliError(strStem, strError);
        host.StreamOutput(n, stems[static_cast<size_t>(n)].get());
    }
    session.Render(song.Events(), nFrames, strOut);

    if (!host.HasSound(0)) mix.Put(nullptr, static_cast<size_t>(nFrames) * options.wChannels);
    if (!mix.Finish(&strError)) throw CCliError(strOut, strError);
    std::string strReport = "wrote " + strOut + "\n";
    for (int n = 1; options.bChannelOutputs && n < CInstrumentHost::kOutputs; ++n) {
        CWavStream& stem = *stems[static_cast<size_t>(n)];
        if (!host.HasSound(n)) {
            stem.Discard();
            continue;
        }
        if (!stem.Finish(&strError)) throw CCliError(stem.Path(), strError);
        strReport += "wrote " + stem.Path() + "\n";
    }
    WriteStdout(strReport);
    return 0;
}
} // namespace

const CommandEntry& RenderCommand() {
    static const CommandEntry entry{
        "render",
        "play a MIDI file through a project into a WAV file",
        "usage: pandrel render PROJECT.pnd --midi SONG.mid -o OUT.wav [options]\n\n"
        "Plays SONG.mid (Standard MIDI File, format 0 or 1; its tempo map is the\n"
        "song's) through the instrument with PROJECT.pnd loaded, and writes the mix.\n\n"
        "  --midi FILE     the song\n"
        "  -o FILE         the mix as a WAV file\n"
        "  --format F      float (32-bit float, the default) or 24 (24-bit PCM)\n"
        "  --rate R        sample rate in Hz (default 44100)\n"
        "  --stems DIR     also write every \"Chan n\" output that carries sound, as\n"
        "                  DIR/chan-N.wav\n"
        "  --tail SECONDS  time rendered after the song's end (default 2)\n"
        "  --module FILE   the instrument library (default: next to this program)\n",
        {"--midi", "-o", "--format", "--rate", "--stems", "--tail", "--module"},
        {},
        &Run};
    return entry;
}

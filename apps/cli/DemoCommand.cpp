// `pandrel demo`: the embedded default, made from nothing: the drum loop as an
// ACID-tagged, sliced WAV, a project with it on several pads, the built-in
// pattern played at the loop's tempo and then 25 % slower, and a picture of
// the loop with the pad regions.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoPattern.h"
#include "apps/cli/DemoProject.h"
#include "apps/cli/FileIdentity.h"
#include "apps/cli/HostSession.h"
#include "apps/cli/WaveformPicture.h"
#include "apps/hostkit/WavWriter.h"
#include "interfaces/IVudivuVizezud.h"
#include <climits>
#include <cstdlib>

namespace {
// "out/demo.wav" -> "out/demo"; names without ".wav" are kept whole.
std::string Stem(const std::string& strPath) {
    const size_t nSlash = strPath.find_last_of('/');
    const size_t nDot = strPath.find_last_of('.');
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash)) return strPath;
    return strPath.substr(0, nDot);
}

int Run(const CCommandArgs& args) {
    args.ExpectPositional(0, 0, "");
    const std::string strOut = args.Value("-o", "demo.wav");
    if (strOut.empty() || strOut.back() == '/') throw CCliError(strOut, "not a file name");
    const std::string strLoop = Stem(strOut) + "-loop.wav";
    const std::string strPicture = Stem(strOut) + ".png";
    const std::string strProject = Stem(strOut) + ".pnd";
    // Of the four files none may be another, nor the library that plays them.
    const std::string strModule = args.Value("--module", CInstrumentModule::DefaultPath());
    RefuseOverwrite(strOut, {{"the demo's picture", strPicture},
                             {"the demo's project", strProject},
                             {"the demo's loop", strLoop},
                             {"the instrument library", strModule}});
    for (const std::string& strFile : {strLoop, strPicture, strProject})
        RefuseOverwrite(strFile, {{"the instrument library", strModule}});

    // The library first: when it cannot load, nothing is written.
    CHostSession session(args);
    const CDemoLoop loop;
    std::string strError;
    if (!loop.Write(strLoop, &strError)) throw CCliError(strLoop, strError);

    CWaveformPicture picture(loop.Samples().data(), CDemoLoop::kFrames, CDemoLoop::kChannels);
    std::vector<uint32_t> slices;
    for (int i = 0; i < CDemoLoop::kSlices; ++i) slices.push_back(loop.SliceStart(i));
    picture.SetSlices(std::move(slices));
    for (const DemoPad& pad : CDemoPattern::Pads()) {
        const uint32_t nEnd = pad.nFirstSlice + pad.nSliceCount >= CDemoLoop::kSlices
                                  ? CDemoLoop::kFrames
                                  : loop.SliceStart(pad.nFirstSlice + pad.nSliceCount);
        picture.AddRegion({loop.SliceStart(pad.nFirstSlice), nEnd,
                           "Pad " + std::to_string(pad.nPad + 1) + ": " + pad.pszName});
    }
    if (!picture.Write(strPicture, &strError)) throw CCliError(strPicture, strError);

    // The instrument plays the pattern with the loop laid out on its pads.
    CInstrumentHost::Options options;
    options.dwRate = CDemoLoop::kRate;
    const CTempoMap tempo = CDemoPattern::Tempo();
    CInstrumentHost& host = session.Open(options, tempo);
    std::string strWhat;
    // The project keeps the loop's full path, so it works from any folder.
    char szFull[PATH_MAX];
    const std::string strLoopFull = realpath(strLoop.c_str(), szFull) != nullptr ? szFull : strLoop;
    if (HRESULT hr = CDemoProject::Build(host.Control(), strLoopFull, &strWhat); FAILED(hr))
        throw CCliError::FromHResult(strLoop, strWhat, hr);
    if (HRESULT hr = host.Control()->SaveProject("demo", strProject.c_str()); FAILED(hr))
        throw CCliError::FromHResult(strProject, "cannot save the project", hr);
    const LONGLONG nFrames = static_cast<LONGLONG>(
        tempo.TicksToSamples(static_cast<double>(CDemoPattern::LengthTicks()), options.dwRate) +
        options.dwRate);
    session.Render(CDemoPattern::Notes(), nFrames, strOut);
    CWavWriter writer(WavSampleFormat::Pcm24, options.wChannels, options.dwRate);
    if (!writer.Write(strOut, host.Output(0).data(), host.Output(0).size() / options.wChannels,
                      &strError))
        throw CCliError(strOut, strError);

    WriteStdout("wrote " + strLoop + " (the demo loop: " + std::to_string(CDemoLoop::kBeats) +
                " beats at " + std::to_string(static_cast<int>(CDemoLoop::kTempo)) + " BPM, " +
                std::to_string(CDemoLoop::kSlices) + " slices)\nwrote " + strPicture +
                " (its waveform and pad regions)\nwrote " + strProject + " (the loop on " +
                std::to_string(CDemoPattern::Pads().size()) + " pads)\nwrote " + strOut +
                " (the pattern at " + std::to_string(static_cast<int>(CDemoLoop::kTempo)) +
                " BPM, then 25 % slower)\n");
    return 0;
}
} // namespace

const CommandEntry& DemoCommand() {
    static const CommandEntry entry{
        "demo",
        "make and play the built-in demo",
        "usage: pandrel demo [-o demo.wav] [--module pandrel.so]\n\n"
        "Synthesizes a two-bar drum loop (kick, snare, hats) and writes it as a 16-bit\n"
        "WAV with ACID loop metadata and slice markers (NAME-loop.wav), lays it on\n"
        "five pads (synced loops, one-shots, a transposed fill) and saves that project\n"
        "(NAME.pnd), plays a built-in pattern at the loop's tempo and then 25 % slower\n"
        "into NAME.wav (24-bit), and draws the loop with the pad regions (NAME.png).\n\n"
        "  -o FILE          the rendering (default demo.wav); the rest is named after it\n"
        "  --module FILE    the instrument library (default: next to this program)\n",
        {"-o", "--module"},
        {},
        &Run};
    return entry;
}

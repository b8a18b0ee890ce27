// `pandrel slice`: makes a loop of a plain audio file, with its beats and
// tempo and its slices (an even grid or its transients) in `acid` and `strc`
// chunks, and the slicing options that `project add` and `info` share.
#include "apps/cli/CliError.h"
#include "apps/cli/Commands.h"
#include "apps/cli/FileIdentity.h"
#include "apps/cli/FileProblem.h"
#include "apps/slicer/SlicePlanner.h"
#include <cstdio>
#include <cstdlib>

namespace {
std::string Fixed(double d, int nDecimals) {
    char sz[64];
    std::snprintf(sz, sizeof(sz), "%.*f", nDecimals, d);
    return sz;
}

const char* FormatName(LoopSampleFormat format) {
    switch (format) {
    case LoopSampleFormat::Pcm16: return "16-bit PCM";
    case LoopSampleFormat::Pcm24: return "24-bit PCM";
    case LoopSampleFormat::Float32: return "32-bit float";
    }
    return "";
}

CSliceSource ReadSource(const std::string& strPath) {
    if (const std::string strWhy = ReadProblem(strPath); !strWhy.empty())
        throw CCliError(strPath, strWhy);
    CSliceSource source;
    std::string strError;
    if (!source.Read(strPath, &strError)) throw CCliError(strPath, strError);
    return source;
}

SlicePlan MakePlan(const std::string& strPath, const CSliceSource& source,
                   const SliceSettings& settings, bool bNotes) {
    SlicePlan plan;
    std::string strError;
    if (!CSlicePlanner().Plan(source, settings, &plan, &strError))
        throw CCliError(strPath, strError);
    if (bNotes)
        for (const std::string& strNote : plan.notes)
            std::fprintf(stderr, "pandrel: %s\n", strNote.c_str());
    return plan;
}

std::string PlanText(const std::string& strPath, const CSliceSource& source, const SlicePlan& plan,
                     bool bOnsets) {
    const LoopMetadata& meta = plan.meta;
    std::string s = "Source:      " + strPath + ", " + std::to_string(source.Rate()) + " Hz, " +
                    std::to_string(source.SourceChannels()) + " channel" +
                    (source.SourceChannels() == 1 ? "" : "s") + ", " + Fixed(source.Seconds(), 3) +
                    " s\n";
    s += "Loop:        " + std::to_string(meta.nBeats) + " beats at " + Fixed(meta.fTempo, 2) +
         " BPM" +
         (plan.bTempoEstimated  ? " (estimated)"
          : plan.bBeatsFromFile ? " (from the file)"
                                : "") +
         "\n";
    if (bOnsets) s += "Onsets:      " + std::to_string(plan.nOnsets) + " found\n";
    s += "Slices:      ";
    if (meta.starts.empty()) {
        s += "no markers (the instrument cuts the loop into sixteenth notes)\n";
    } else {
        s += std::to_string(meta.starts.size()) + " at frames";
        for (uint32_t n : meta.starts) s += " " + std::to_string(n);
        s += "\n";
    }
    s += "Written as:  " + std::string(FormatName(source.Format())) +
         (source.SourceChannels() > 2 ? ", folded to stereo" : "") + "\n";
    return s;
}

// What --onsets alone makes of a file; false when it cannot be read or sliced.
bool OnsetPlan(const std::string& strPath, CSliceSource* pSource, SlicePlan* pPlan) {
    std::string strError;
    SliceSettings settings;
    settings.mode = SliceSettings::Mode::Onsets;
    return pSource->Read(strPath, &strError) &&
           CSlicePlanner().Plan(*pSource, settings, pPlan, &strError);
}

int Run(const CCommandArgs& args) {
    args.ExpectPositional(1, 1, "IN");
    const std::string& strIn = args.Positional()[0];
    const bool bDryRun = args.Has("--dry-run");
    if (!bDryRun && !args.Has("-o")) throw CCliError::Usage("slice", "missing -o OUT.wav");
    const SliceSettings settings = SliceSettingsFrom(args, "slice");
    const std::string strOut = args.Value("-o");
    if (!strOut.empty()) RefuseOverwrite(strOut, {{"the input", strIn}});
    const CSliceSource source = ReadSource(strIn);
    const SlicePlan plan = MakePlan(strIn, source, settings, true);
    if (bDryRun) {
        WriteStdout(PlanText(strIn, source, plan, settings.mode == SliceSettings::Mode::Onsets));
        return 0;
    }
    std::string strError;
    if (!CLoopWavWriter::Write(strOut, source, plan.meta, &strError)) {
        const std::string strWhy = WriteProblem(strOut);
        throw CCliError(strOut, strWhy.empty() ? strError : strWhy);
    }
    const size_t nSlices = plan.meta.starts.size();
    WriteStdout("wrote " + strOut + ": " + std::to_string(plan.meta.nBeats) + " beats at " +
                Fixed(plan.meta.fTempo, 2) + " BPM, " +
                (nSlices == 0 ? std::string("no slice markers")
                              : std::to_string(nSlices) + " slice" + (nSlices == 1 ? "" : "s")) +
                "\n");
    return 0;
}
} // namespace

bool HasSliceOptions(const CCommandArgs& args) {
    for (const char* psz : {"--beats", "--bpm", "--grid", "--onsets", "--sensitivity", "--min-gap"})
        if (args.Has(psz)) return true;
    return false;
}

SliceSettings SliceSettingsFrom(const CCommandArgs& args, const char* pszCommand) {
    SliceSettings settings;
    if (args.Has("--beats") && args.Has("--bpm"))
        throw CCliError::Usage(pszCommand, "give --beats or --bpm, not both");
    if (args.Has("--grid") && args.Has("--onsets"))
        throw CCliError::Usage(pszCommand, "give --grid or --onsets, not both");
    if ((args.Has("--sensitivity") || args.Has("--min-gap")) && !args.Has("--onsets"))
        throw CCliError::Usage(pszCommand, "--sensitivity and --min-gap go with --onsets");
    if (args.Has("--beats")) {
        const std::string strBeats = args.Value("--beats");
        char* pEnd = nullptr;
        const long n = std::strtol(strBeats.c_str(), &pEnd, 10);
        if (strBeats.empty() || *pEnd != '\0' || n < 1 ||
            n > static_cast<long>(CSlicePlanner::kMaxBeats))
            throw CCliError::Usage(pszCommand, "--beats must be a whole number from 1 to " +
                                                   std::to_string(CSlicePlanner::kMaxBeats) +
                                                   ", not '" + strBeats + "'");
        settings.nBeats = static_cast<uint32_t>(n);
    }
    settings.dTempo = args.Number("--bpm", 0.0, 20.0, 999.0);
    if (args.Has("--grid")) {
        settings.mode = SliceSettings::Mode::Grid;
        settings.nGridDivision = CSlicePlanner::ParseDivision(args.Value("--grid"));
        if (settings.nGridDivision == 0)
            throw CCliError::Usage(pszCommand, "--grid must be a note value from 1/1 to 1/64, or a "
                                               "triplet such as 1/8T (also written 1/12), not '" +
                                                   args.Value("--grid") + "'");
    }
    if (args.Has("--onsets")) settings.mode = SliceSettings::Mode::Onsets;
    settings.fSensitivity = static_cast<float>(args.Number("--sensitivity", 0.5, 0.0, 1.0));
    settings.dMinGapMs = args.Number("--min-gap", 30.0, 1.0, 2000.0);
    return settings;
}

std::vector<uint8_t> SlicedLoop(const std::string& strPath, const CCommandArgs& args,
                                const char* pszCommand) {
    const SliceSettings settings = SliceSettingsFrom(args, pszCommand);
    const CSliceSource source = ReadSource(strPath);
    const SlicePlan plan = MakePlan(strPath, source, settings, true);
    std::vector<uint8_t> bytes;
    std::string strError;
    if (!CLoopWavWriter::Encode(source, plan.meta, &bytes, &strError))
        throw CCliError(strPath, strError);
    return bytes;
}

std::string SlicerSummary(const std::string& strPath) {
    CSliceSource source;
    SlicePlan plan;
    if (!OnsetPlan(strPath, &source, &plan)) return {};
    return "\n'pandrel slice --onsets' would make:\n" + PlanText(strPath, source, plan, true);
}

std::string SlicerJson(const std::string& strPath) {
    CSliceSource source;
    SlicePlan plan;
    if (!OnsetPlan(strPath, &source, &plan)) return "null";
    std::string s = "{\"beats\": " + std::to_string(plan.meta.nBeats) +
                    ", \"tempo\": " + Fixed(plan.meta.fTempo, 3) +
                    ", \"tempoEstimated\": " + (plan.bTempoEstimated ? "true" : "false") +
                    ", \"beatsFromFile\": " + (plan.bBeatsFromFile ? "true" : "false") +
                    ", \"onsets\": " + std::to_string(plan.nOnsets) + ", \"slices\": [";
    for (size_t i = 0; i < plan.meta.starts.size(); ++i)
        s += (i ? ", " : "") + std::to_string(plan.meta.starts[i]);
    return s + "], \"writtenAs\": \"" + FormatName(source.Format()) +
           "\", \"foldedToStereo\": " + (source.SourceChannels() > 2 ? "true" : "false") + "}";
}

const CommandEntry& SliceCommand() {
    static const CommandEntry entry{
        "slice",
        "make a sliced loop of a plain audio file",
        "usage: pandrel slice IN -o OUT.wav [--beats N | --bpm B]\n"
        "                     [--grid DIVISION | --onsets [--sensitivity S] [--min-gap MS]]\n"
        "                     [--dry-run]\n\n"
        "Reads IN (WAV, AIFF, FLAC, OGG, MP3, whatever libsndfile decodes; more than\n"
        "two channels fold to stereo) and writes OUT.wav with `acid` loop metadata and\n"
        "`strc` slice markers, in IN's sample format where that is 16- or 24-bit PCM\n"
        "or float. Without --beats or --bpm the file's own loop metadata, else a tempo\n"
        "estimated from 70 to 180 BPM, gives the number of beats (said on stderr).\n\n"
        "  -o FILE            the loop to write\n"
        "  --beats N          the loop holds N beats (1 to 64)\n"
        "  --bpm B            the loop's tempo; its beats are its length at B, rounded\n"
        "  --grid DIVISION    slices of equal length: 1/1 to 1/64, triplets as 1/8T or\n"
        "                     1/12 (three in the time of two eighths)\n"
        "  --onsets           a slice at each transient, moved to the nearest zero\n"
        "                     crossing at most 2 ms away (an earlier one first)\n"
        "  --sensitivity S    0 to 1 (default 0.5): higher finds quieter transients\n"
        "  --min-gap MS       the shortest slice, in ms (default 30)\n"
        "  --dry-run          print what would be written, write nothing\n"
        "Without --grid or --onsets the loop carries no markers, and the instrument\n"
        "cuts it into sixteenth notes.\n",
        {"-o", "--beats", "--bpm", "--grid", "--sensitivity", "--min-gap"},
        {"--onsets", "--dry-run"},
        &Run};
    return entry;
}

#include "apps/cli/DecodedInfo.h"
#include "apps/cli/FormatText.h"
#include "apps/cli/TextEscape.h"
#include "apps/cli/WaveInfo.h"
#include "platform/sound/SoundFileDecoder.h"
#include <cmath>
#include <cstdio>

namespace {

const char* JsonBool(bool b) { return b ? "true" : "false"; }
} // namespace

bool CDecodedInfo::Read(const std::string& strPath) {
    m_strPath = strPath;
    if (FAILED(m_file.Load(strPath.c_str())) || !m_file.IsDecoded()) return false;
    CSoundFileDecoder decoder;
    if (FAILED(decoder.Open(strPath.c_str()))) return false;
    m_strFormat = decoder.FormatName();
    m_nFileChannels = decoder.Channels();
    SoundLoopInfo loop;
    m_dTempo = decoder.GetLoopInfo(&loop) && std::isfinite(loop.dTempo) && loop.dTempo > 0
                   ? loop.dTempo
                   : 0.0;
    m_strProblem = LoaderLimitProblem(m_file);
    return true;
}

double CDecodedInfo::Seconds() const {
    const LoopSource& s = m_file.Source();
    return static_cast<double>(s.nFrames) / s.wfx.nSamplesPerSec;
}

std::string CDecodedInfo::SampleName() const {
    const WAVEFORMATEX& f = m_file.Source().wfx;
    return std::to_string(f.wBitsPerSample) +
           (f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT ? "-bit float" : "-bit PCM");
}

std::string CDecodedInfo::Text() const {
    const LoopSource& src = m_file.Source();
    std::string s;
    s += "File:        " + PrintableText(m_strPath) + "\n";
    s += FormatText("Format:      %s, %d channel%s, %u Hz\n", PrintableText(m_strFormat).c_str(),
                    m_nFileChannels, m_nFileChannels == 1 ? "" : "s",
                    static_cast<unsigned>(src.wfx.nSamplesPerSec));
    s += FormatText("Loaded as:   %s, %s\n", SampleName().c_str(),
                    m_nFileChannels > 2      ? "folded to stereo"
                    : src.wfx.nChannels == 1 ? "mono"
                                             : "stereo");
    s += FormatText("Length:      %u frames, %.3f s\n", static_cast<unsigned>(src.nFrames),
                    Seconds());
    if (!src.bAcid) {
        s += "Loop:        none (plays as one grain)\n";
    } else {
        s += FormatText("Loop:        %s, from the file's loop information\n",
                        src.bLooping ? "loop" : "one-shot");
        s += FormatText("Beats:       %u\n", static_cast<unsigned>(src.nBeats));
        if (m_dTempo > 0) s += FormatText("Tempo:       %.3f BPM\n", m_dTempo);
    }
    s += FormatText("Segments:    %d\n", src.nSegments);
    for (int i = 0; i < src.nSegments; ++i)
        s += FormatText("  %4d  start %10u  length %10u\n", i,
                        static_cast<unsigned>(src.pSegments[i].nStart),
                        static_cast<unsigned>(src.pSegments[i].nLength));
    if (!m_strProblem.empty()) s += "Refused:     " + m_strProblem + "\n";
    return s;
}

std::string CDecodedInfo::Json(const std::string& strSlicer) const {
    const LoopSource& src = m_file.Source();
    std::string s = "{\n";
    s += "  \"file\": " + JsonString(m_strPath) + ",\n";
    s += FormatText("  \"format\": {\"name\": %s, \"decoded\": true, \"channels\": %d, "
                    "\"sampleRate\": %u, \"loadedAs\": \"%s\", \"loadedChannels\": %u, "
                    "\"foldedToStereo\": %s},\n",
                    JsonString(m_strFormat).c_str(), m_nFileChannels,
                    static_cast<unsigned>(src.wfx.nSamplesPerSec), SampleName().c_str(),
                    static_cast<unsigned>(src.wfx.nChannels), JsonBool(m_nFileChannels > 2));
    s += FormatText("  \"length\": {\"frames\": %u, \"seconds\": %.6f, \"milliseconds\": %lld},\n",
                    static_cast<unsigned>(src.nFrames), Seconds(),
                    static_cast<long long>(std::llround(Seconds() * 1000.0)));
    if (src.bAcid)
        s += FormatText("  \"loop\": {\"looping\": %s, \"beats\": %u, \"tempo\": %.6g},\n",
                        JsonBool(src.bLooping), static_cast<unsigned>(src.nBeats), m_dTempo);
    else
        s += "  \"loop\": null,\n";
    s += "  \"segments\": [";
    for (int i = 0; i < src.nSegments; ++i)
        s += FormatText("%s{\"start\": %u, \"length\": %u}", i ? ", " : "",
                        static_cast<unsigned>(src.pSegments[i].nStart),
                        static_cast<unsigned>(src.pSegments[i].nLength));
    s += "],\n  \"refused\": " + (m_strProblem.empty() ? "null" : JsonString(m_strProblem));
    if (!strSlicer.empty()) s += ",\n  \"slicer\": " + strSlicer;
    return s + "\n}\n";
}

#include "apps/cli/WaveInfo.h"
#include "apps/cli/CliError.h"
#include "apps/cli/FileProblem.h"
#include "apps/cli/FormatText.h"
#include "apps/cli/NoteName.h"
#include "apps/cli/TextEscape.h"
#include "files/AcidWaveSource.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

std::string FourCC(FOURCC id) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += static_cast<char>((id >> (8 * i)) & 0xFF);
    return PrintableText(s);
}

const char* YesNo(BOOL b) { return b ? "yes" : "no"; }
const char* JsonBool(BOOL b) { return b ? "true" : "false"; }

// The body of the first chunk with the id at the top level of a RIFF WAVE
// file, at most nMax bytes; empty when there is none. Read apart from the
// wave reader for the fields it does not keep.
std::vector<uint8_t> TopChunk(const std::string& strPath, const char* pszId, size_t nMax) {
    std::vector<uint8_t> body;
    FILE* f = std::fopen(strPath.c_str(), "rb");
    if (f == nullptr) return body;
    uint8_t head[12];
    if (std::fread(head, 1, 12, f) == 12 && std::memcmp(head, "RIFF", 4) == 0 &&
        std::memcmp(head + 8, "WAVE", 4) == 0) {
        uint8_t ck[8];
        while (std::fread(ck, 1, 8, f) == 8) {
            const uint32_t n = ck[4] | ck[5] << 8 | ck[6] << 16 | uint32_t(ck[7]) << 24;
            if (std::memcmp(ck, pszId, 4) == 0) {
                body.resize(std::min<size_t>(n, nMax));
                body.resize(std::fread(body.data(), 1, body.size(), f));
                break;
            }
            if (fseeko(f, static_cast<off_t>(n) + (n & 1), SEEK_CUR) != 0) break;
        }
    }
    std::fclose(f);
    return body;
}

unsigned Word(const std::vector<uint8_t>& v, size_t n) {
    return n + 2 <= v.size() ? v[n] | v[n + 1] << 8 : 0;
}

// The encodings the instrument decodes, as the user reads them.
constexpr const char* kEncodingsRead =
    "loops are read as 8-, 16-, 24- or 32-bit PCM or 32- or 64-bit float, mono or stereo";

std::string EncodingName(unsigned nTag, unsigned nBits) {
    switch (nTag) {
    case 1: return std::to_string(nBits) + "-bit PCM";
    case 2: return "ADPCM";
    case 3: return std::to_string(nBits) + "-bit float";
    case 6: return "A-law";
    case 7: return "u-law";
    case 0x11: return "IMA ADPCM";
    case 0x55: return "MP3";
    default: return FormatText("encoding 0x%04X", nTag);
    }
}

// The encodings the instrument's loader converts itself.
bool DecodedFormat(const WAVEFORMATEX& f) {
    const unsigned nBits = f.wBitsPerSample;
    if (f.wFormatTag == WAVE_FORMAT_PCM) return nBits % 8 == 0 && nBits >= 8 && nBits <= 32;
    return f.wFormatTag == WAVE_FORMAT_IEEE_FLOAT && (nBits == 32 || nBits == 64);
}

} // namespace

std::string LoaderLimitProblem(const CAcidWaveSource& file) {
    const LoopSource& s = file.Source();
    const double dSeconds = static_cast<double>(s.nFrames) / s.wfx.nSamplesPerSec;
    // The decoder stops reading just past the longest loop.
    const std::string strLength =
        file.IsDecoded() && dSeconds > CAcidWaveSource::kLongestDecodeSeconds
            ? std::string("more than 128 s")
            : FormatText("%.1f s", dSeconds);
    if (s.bAcid && s.bLooping && s.nSegments > 0) {
        if (s.nBeats > 64)
            return FormatText("a loop of %u beats; loops may hold at most 64 beats",
                              static_cast<unsigned>(s.nBeats));
        if (dSeconds > 128.0)
            return "a loop of " + strLength + "; loops with loop metadata may last at most 128 s";
    } else if (dSeconds > 30.0) {
        return strLength + " long; a plain file may last at most 30 s: slice it into a loop with "
                           "`pandrel slice IN -o OUT.wav --beats N` (or --bpm B)";
    }
    return {};
}

std::string WaveErrorCause(const std::string& strPath, MMRESULT nError) {
    // The reader only knows that opening failed; the system says why.
    if (const std::string strWhy = ReadProblem(strPath); !strWhy.empty()) return strWhy;
    switch (nError) {
    case MMIOERR_CANNOTOPEN:
        if (strPath.size() > static_cast<size_t>(CAcidWave::kMaxPath))
            return "path longer than 255 characters";
        return "cannot open";
    case MMIOERR_INVALIDFILE: {
        const std::vector<uint8_t> fmt = TopChunk(strPath, "fmt ", 16);
        if (fmt.size() >= 16 && (Word(fmt, 2) == 0 || Word(fmt, 2) > 2))
            return std::to_string(Word(fmt, 2)) + " channels; " + kEncodingsRead;
        return "not a RIFF WAVE file, or it holds no sample data";
    }
    case MMIOERR_CANNOTREAD: return "file is truncated or a chunk is damaged";
    case MMIOERR_CANNOTSEEK: return "cannot seek in file";
    case MMIOERR_CHUNKNOTFOUND: return "no 'fmt ' or 'data' chunk";
    default: return "unreadable wave file (error " + std::to_string(nError) + ")";
    }
}

std::string LoopProblem(const std::string& strPath) {
    // The instrument's load reads wave files and, through its decoder, other
    // audio files: the limits apply to what it reads.
    CAcidWaveSource file;
    if (SUCCEEDED(file.Load(strPath.c_str())) && DecodedFormat(file.Source().wfx))
        return LoaderLimitProblem(file);
    CAcidWave wave;
    if (wave.Open(strPath.c_str()) != S_OK) return WaveErrorCause(strPath, wave.GetError());
    const WAVEFORMATEX& f = wave.GetFormat();
    if (!DecodedFormat(f))
        return EncodingName(f.wFormatTag, f.wBitsPerSample) + " is not read; " + kEncodingsRead;
    return {};
}

void CWaveInfo::Read(const std::string& strPath) {
    m_strPath = strPath;
    const HRESULT hr = m_wave.Open(strPath.c_str());
    if (hr != S_OK) {
        throw CCliError(strPath, WaveErrorCause(strPath, m_wave.GetError()) + " (" +
                                     HResultText(hr) + ", " + HResultCode(hr) + ")");
    }
    // The reader keeps the root note only as a key index; the field itself
    // is a MIDI key.
    if (m_wave.HasAcid()) {
        const std::vector<uint8_t> acid = TopChunk(strPath, "acid", 6);
        if (acid.size() >= 6) m_nRootNote = static_cast<int16_t>(Word(acid, 4));
    }
}

double CWaveInfo::Seconds() const {
    const double dRate = m_wave.GetFormat().nSamplesPerSec;
    return dRate > 0 ? m_wave.GetFrames() / dRate : 0.0;
}

std::string CWaveInfo::FormatName() const {
    const WAVEFORMATEX& f = m_wave.GetFormat();
    if (f.wFormatTag == 1) return "PCM";
    if (f.wFormatTag == 3) return "IEEE float";
    const std::string strName = EncodingName(f.wFormatTag, f.wBitsPerSample);
    if (strName.compare(0, 9, "encoding ") == 0)
        return FormatText("format tag 0x%04X", f.wFormatTag);
    return strName + FormatText(" (format tag 0x%04X)", f.wFormatTag);
}

std::string CWaveInfo::SliceUnitName() const {
    const char* psz = m_wave.GetNoteValueName(static_cast<int>(m_wave.GetSliceUnit()));
    return psz ? psz : "unknown";
}

std::string CWaveInfo::Text() const {
    const WAVEFORMATEX& f = m_wave.GetFormat();
    std::string s;
    s += "File:        " + PrintableText(m_strPath) + "\n";
    s += FormatText("Format:      %s, %u-bit, %u channel%s, %u Hz (block align %u, %u bytes/s)\n",
                    FormatName().c_str(), f.wBitsPerSample, f.nChannels,
                    f.nChannels == 1 ? "" : "s", static_cast<unsigned>(f.nSamplesPerSec),
                    f.nBlockAlign, static_cast<unsigned>(f.nAvgBytesPerSec));
    s += FormatText("Length:      %u frames, %.3f s, %u data bytes\n",
                    static_cast<unsigned>(m_wave.GetFrames()), Seconds(),
                    static_cast<unsigned>(m_wave.GetDataBytes()));
    if (!m_wave.HasAcid()) {
        s += "ACID:        none (plays as one grain)\n";
    } else {
        s += FormatText("ACID:        %s; root note valid: %s; stretch: %s; disk-based: %s\n",
                        m_wave.IsLooping() ? "loop" : "one-shot", YesNo(m_wave.IsRootNoteValid()),
                        YesNo(m_wave.IsStretch()), YesNo(m_wave.IsDiskBased()));
        s += "Root note:   " + NoteLabel(m_nRootNote) + "\n";
        s += FormatText("Beats:       %u\n", static_cast<unsigned>(m_wave.GetBeats()));
        s += FormatText("Tempo:       %.3f BPM\n", m_wave.GetTempo());
        s += FormatText("Slice unit:  %s (%u)%s\n", SliceUnitName().c_str(),
                        static_cast<unsigned>(m_wave.GetSliceUnit()),
                        m_wave.HasStrc() ? "" : ", no strc chunk");
        if (m_wave.HasStrc())
            s += FormatText("Markers:     %u in strc\n",
                            static_cast<unsigned>(m_wave.GetMarkerCount()));
    }
    s += FormatText("Segments:    %d\n", m_wave.GetSegmentCount());
    for (int i = 0; i < m_wave.GetSegmentCount(); ++i) {
        const AcidSegment seg = m_wave.GetSegment(i);
        s += FormatText("  %4d  start %10u  length %10u\n", i, static_cast<unsigned>(seg.nStart),
                        static_cast<unsigned>(seg.nLength));
    }
    std::string strTags;
    for (int i = 0; i < CAcidWave::kInfoEntries; ++i) {
        const AcidInfoEntry& e = m_wave.GetInfoEntry(i);
        if (e.ck.ckid == CAcidWave::kInfoEnd) break;
        if (e.strLabel.empty()) continue;
        strTags +=
            "  " + FourCC(e.ck.ckid) + "  " + e.strLabel + " " + PrintableText(e.strText) + "\n";
    }
    s += strTags.empty() ? "INFO:        none\n" : "INFO:\n" + strTags;
    return s;
}

std::string CWaveInfo::Json(const std::string& strSlicer) const {
    const WAVEFORMATEX& f = m_wave.GetFormat();
    std::string s = "{\n";
    s += "  \"file\": " + JsonString(m_strPath) + ",\n";
    s += FormatText(
        "  \"format\": {\"tag\": %u, \"name\": \"%s\", \"channels\": %u, \"sampleRate\": %u, "
        "\"bitsPerSample\": %u, \"blockAlign\": %u, \"bytesPerSecond\": %u},\n",
        f.wFormatTag, FormatName().c_str(), f.nChannels, static_cast<unsigned>(f.nSamplesPerSec),
        f.wBitsPerSample, f.nBlockAlign, static_cast<unsigned>(f.nAvgBytesPerSec));
    s += FormatText("  \"length\": {\"frames\": %u, \"seconds\": %.6f, \"milliseconds\": %lld, "
                    "\"dataBytes\": %u},\n",
                    static_cast<unsigned>(m_wave.GetFrames()), Seconds(),
                    static_cast<long long>(std::llround(Seconds() * 1000.0)),
                    static_cast<unsigned>(m_wave.GetDataBytes()));
    if (m_wave.HasAcid()) {
        s += FormatText(
            "  \"acid\": {\"looping\": %s, \"rootNoteValid\": %s, \"stretch\": %s, \"diskBased\": "
            "%s, "
            "\"keyIndex\": %d, \"rootNote\": %d, \"rootNoteName\": %s, \"beats\": %u, \"tempo\": "
            "%.6g, \"sliceUnit\": %u, "
            "\"sliceUnitName\": %s, \"strc\": %s, \"markers\": %u},\n",
            JsonBool(m_wave.IsLooping()), JsonBool(m_wave.IsRootNoteValid()),
            JsonBool(m_wave.IsStretch()), JsonBool(m_wave.IsDiskBased()),
            static_cast<int>(m_wave.GetKeyIndex()), m_nRootNote,
            JsonString(NoteName(m_nRootNote)).c_str(), static_cast<unsigned>(m_wave.GetBeats()),
            m_wave.GetTempo(), static_cast<unsigned>(m_wave.GetSliceUnit()),
            JsonString(SliceUnitName()).c_str(), JsonBool(m_wave.HasStrc()),
            static_cast<unsigned>(m_wave.GetMarkerCount()));
    } else {
        s += "  \"acid\": null,\n";
    }
    s += "  \"segments\": [";
    for (int i = 0; i < m_wave.GetSegmentCount(); ++i) {
        const AcidSegment seg = m_wave.GetSegment(i);
        s += FormatText("%s{\"start\": %u, \"length\": %u}", i ? ", " : "",
                        static_cast<unsigned>(seg.nStart), static_cast<unsigned>(seg.nLength));
    }
    s += "],\n  \"info\": [";
    bool bFirst = true;
    for (int i = 0; i < CAcidWave::kInfoEntries; ++i) {
        const AcidInfoEntry& e = m_wave.GetInfoEntry(i);
        if (e.ck.ckid == CAcidWave::kInfoEnd) break;
        if (e.strLabel.empty()) continue;
        s += std::string(bFirst ? "" : ", ") + "{\"id\": " + JsonString(FourCC(e.ck.ckid)) +
             ", \"label\": " + JsonString(e.strLabel) + ", \"text\": " + JsonString(e.strText) +
             "}";
        bFirst = false;
    }
    s += "]";
    if (!strSlicer.empty()) s += ",\n  \"slicer\": " + strSlicer;
    return s + "\n}\n";
}

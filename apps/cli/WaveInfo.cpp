#include "apps/cli/WaveInfo.h"
#include "apps/cli/CliError.h"
#include "apps/cli/TextEscape.h"
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {
std::string Format(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* pszFormat, ...) {
    char buf[512];
    va_list ap;
    va_start(ap, pszFormat);
    std::vsnprintf(buf, sizeof(buf), pszFormat, ap);
    va_end(ap);
    return buf;
}

std::string FourCC(FOURCC id) {
    std::string s;
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((id >> (8 * i)) & 0xFF);
    return PrintableText(s);
}

const char* YesNo(BOOL b) {
    return b ? "yes" : "no";
}
const char* JsonBool(BOOL b) {
    return b ? "true" : "false";
}
} // namespace

std::string WaveErrorCause(const std::string& strPath, MMRESULT nError) {
    // The reader only knows that opening failed; the system says why.
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "is a directory";
    switch (nError) {
    case MMIOERR_CANNOTOPEN:
        if (strPath.size() > static_cast<size_t>(CAcidWave::kMaxPath))
            return "path longer than 255 characters";
        if (FILE* f = std::fopen(strPath.c_str(), "rb"))
            std::fclose(f);
        else
            return std::strerror(errno);
        return "cannot open";
    case MMIOERR_INVALIDFILE:
        return "not a RIFF WAVE file, or it holds no sample data";
    case MMIOERR_CANNOTREAD:
        return "file is truncated or a chunk is damaged";
    case MMIOERR_CANNOTSEEK:
        return "cannot seek in file";
    case MMIOERR_CHUNKNOTFOUND:
        return "no 'fmt ' or 'data' chunk";
    default:
        return "unreadable wave file (error " + std::to_string(nError) + ")";
    }
}

void CWaveInfo::Read(const std::string& strPath) {
    m_strPath = strPath;
    const HRESULT hr = m_wave.Open(strPath.c_str());
    if (hr != S_OK) {
        char code[16];
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(hr));
        throw CCliError(strPath, WaveErrorCause(strPath, m_wave.GetError()) + " (" +
                                     HResultText(hr) + ", " + code + ")");
    }
}

std::string CWaveInfo::FormatName() const {
    const WAVEFORMATEX& f = m_wave.GetFormat();
    if (f.wFormatTag == 1) return "PCM";
    if (f.wFormatTag == 3) return "IEEE float";
    return Format("format tag 0x%04X", f.wFormatTag);
}

std::string CWaveInfo::SliceUnitName() const {
    const char* psz = m_wave.GetNoteValueName(static_cast<int>(m_wave.GetSliceUnit()));
    return psz ? psz : "unknown";
}

std::string CWaveInfo::KeyName() const {
    const char* psz = m_wave.GetKeyName(m_wave.GetKeyIndex());
    return psz ? psz : "unknown";
}

std::string CWaveInfo::Text() const {
    const WAVEFORMATEX& f = m_wave.GetFormat();
    std::string s;
    s += "File:        " + PrintableText(m_strPath) + "\n";
    s += Format("Format:      %s, %u-bit, %u channel%s, %u Hz (block align %u, %u bytes/s)\n",
                FormatName().c_str(), f.wBitsPerSample, f.nChannels, f.nChannels == 1 ? "" : "s",
                static_cast<unsigned>(f.nSamplesPerSec), f.nBlockAlign,
                static_cast<unsigned>(f.nAvgBytesPerSec));
    s += Format("Length:      %u frames, %.3f s (%u ms), %u data bytes\n",
                static_cast<unsigned>(m_wave.GetFrames()), m_wave.GetSeconds(),
                static_cast<unsigned>(m_wave.GetLength(CAcidWave::kUnitMilliseconds)),
                static_cast<unsigned>(m_wave.GetDataBytes()));
    if (!m_wave.HasAcid()) {
        s += "ACID:        none (plays as one grain)\n";
    } else {
        s += Format("ACID:        %s; root note valid: %s; stretch: %s; disk-based: %s\n",
                    m_wave.IsLooping() ? "loop" : "one-shot", YesNo(m_wave.IsRootNoteValid()),
                    YesNo(m_wave.IsStretch()), YesNo(m_wave.IsDiskBased()));
        s += Format("Root key:    %s (key index %d)\n", KeyName().c_str(),
                    static_cast<int>(m_wave.GetKeyIndex()));
        s += Format("Beats:       %u\n", static_cast<unsigned>(m_wave.GetBeats()));
        s += Format("Tempo:       %.3f BPM\n", m_wave.GetTempo());
        s += Format("Slice unit:  %s (%u)%s\n", SliceUnitName().c_str(),
                    static_cast<unsigned>(m_wave.GetSliceUnit()),
                    m_wave.HasStrc() ? "" : ", no strc chunk");
        if (m_wave.HasStrc())
            s +=
                Format("Markers:     %u in strc\n", static_cast<unsigned>(m_wave.GetMarkerCount()));
    }
    s += Format("Segments:    %d\n", m_wave.GetSegmentCount());
    for (int i = 0; i < m_wave.GetSegmentCount(); ++i) {
        const AcidSegment seg = m_wave.GetSegment(i);
        s += Format("  %4d  start %10u  length %10u\n", i, static_cast<unsigned>(seg.nStart),
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

std::string CWaveInfo::Json() const {
    const WAVEFORMATEX& f = m_wave.GetFormat();
    std::string s = "{\n";
    s += "  \"file\": " + JsonString(m_strPath) + ",\n";
    s += Format(
        "  \"format\": {\"tag\": %u, \"name\": \"%s\", \"channels\": %u, \"sampleRate\": %u, "
        "\"bitsPerSample\": %u, \"blockAlign\": %u, \"bytesPerSecond\": %u},\n",
        f.wFormatTag, FormatName().c_str(), f.nChannels, static_cast<unsigned>(f.nSamplesPerSec),
        f.wBitsPerSample, f.nBlockAlign, static_cast<unsigned>(f.nAvgBytesPerSec));
    s += Format("  \"length\": {\"frames\": %u, \"seconds\": %.6f, \"milliseconds\": %u, "
                "\"dataBytes\": %u},\n",
                static_cast<unsigned>(m_wave.GetFrames()), m_wave.GetSeconds(),
                static_cast<unsigned>(m_wave.GetLength(CAcidWave::kUnitMilliseconds)),
                static_cast<unsigned>(m_wave.GetDataBytes()));
    if (m_wave.HasAcid()) {
        s += Format(
            "  \"acid\": {\"looping\": %s, \"rootNoteValid\": %s, \"stretch\": %s, \"diskBased\": "
            "%s, "
            "\"keyIndex\": %d, \"rootKey\": %s, \"beats\": %u, \"tempo\": %.6g, \"sliceUnit\": %u, "
            "\"sliceUnitName\": %s, \"strc\": %s, \"markers\": %u},\n",
            JsonBool(m_wave.IsLooping()), JsonBool(m_wave.IsRootNoteValid()),
            JsonBool(m_wave.IsStretch()), JsonBool(m_wave.IsDiskBased()),
            static_cast<int>(m_wave.GetKeyIndex()), JsonString(KeyName()).c_str(),
            static_cast<unsigned>(m_wave.GetBeats()), m_wave.GetTempo(),
            static_cast<unsigned>(m_wave.GetSliceUnit()), JsonString(SliceUnitName()).c_str(),
            JsonBool(m_wave.HasStrc()), static_cast<unsigned>(m_wave.GetMarkerCount()));
    } else {
        s += "  \"acid\": null,\n";
    }
    s += "  \"segments\": [";
    for (int i = 0; i < m_wave.GetSegmentCount(); ++i) {
        const AcidSegment seg = m_wave.GetSegment(i);
        s += Format("%s{\"start\": %u, \"length\": %u}", i ? ", " : "",
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
    return s + "]\n}\n";
}

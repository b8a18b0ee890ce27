#include "apps/cli/ProjectInfo.h"
#include "apps/cli/CliError.h"
#include "apps/cli/NoteName.h"
#include "apps/cli/TextEscape.h"
#include "interfaces/IVudivuVizezud.h"
#include "interfaces/PandrelConstants.h"
#include "platform/com/TaskMem.h"
#include <cstdio>

namespace {
constexpr double kBeatTicks = static_cast<double>(kTicksPerBeat);
constexpr int kTextLength = 260; // the interface's text buffers

std::string KeyName(long nKey) { return NoteLabel(static_cast<int>(nKey)); }

std::string Count(size_t n, const char* pszOne, const char* pszMany) {
    return std::to_string(n) + " " + (n == 1 ? pszOne : pszMany);
}

std::string Printf(const char* pszFormat, double a, double b = 0, double c = 0) {
    char buf[128];
    std::snprintf(buf, sizeof(buf), pszFormat, a, b, c);
    return buf;
}
} // namespace

void CProjectInfo::Read(IVudivuVizezud* pControl, const std::string& strPath) {
    m_strPath = strPath;
    auto check = [&](HRESULT hr, const char* pszWhat) {
        if (FAILED(hr)) throw CCliError::FromHResult(strPath, pszWhat, hr);
    };
    LONG nFiles = 0;
    check(pControl->GetFileCount(&nFiles), "cannot count the Loop Bin");
    for (LONG e = 0; e < nFiles; ++e) {
        char szName[kTextLength] = {};
        char szPath[kTextLength] = {};
        check(pControl->GetFileName(e, FALSE, szName), "cannot read a file name");
        check(pControl->GetFileName(e, TRUE, szPath), "cannot read a file path");
        szName[kTextLength - 1] = szPath[kTextLength - 1] = '\0';
        GrainSummary* pSlices = nullptr;
        LONG nSlices = 0;
        check(pControl->GetFileSlices(e, &pSlices, &nSlices), "cannot read a file's slices");
        CoTaskMemFree(pSlices);
        m_entries.push_back({szName, szPath, nSlices});
    }
    for (LONG p = 0; p < kPadCount; ++p) {
        Pad pad{};
        PadKeyRange range{};
        range.nPad = p;
        check(pControl->GetPadKeyRange(&range), "cannot read the key map");
        pad.nLowKey = range.nLowKey;
        pad.nHighKey = range.nHighKey;
        pad.nRootKey = range.nRootKey;
        pad.nLowVelocity = range.nLowVelocity;
        pad.nHighVelocity = range.nHighVelocity;
        LONGLONG nLength = 0;
        check(pControl->GetPadLength(kKindPad, p, &nLength), "cannot read a pad's length");
        pad.nLengthTicks = nLength;
        BOOL b = 0;
        check(pControl->GetPadSynced(p, &b), "cannot read a pad");
        pad.bSynced = b;
        check(pControl->GetPadLooping(p, &b), "cannot read a pad");
        pad.bLooping = b;
        check(pControl->GetPadLatch(p, &b), "cannot read a pad");
        pad.bLatch = b;
        check(pControl->GetPadMute(p, &b), "cannot read a pad");
        pad.bMute = b;
        check(pControl->GetPadSolo(p, &b), "cannot read a pad");
        pad.bSolo = b;
        LONG nOutput = 0;
        check(pControl->GetPadOutput(p, &nOutput), "cannot read a pad");
        pad.nOutput = nOutput;
        check(pControl->GetPadVolume(p, &pad.fVolume), "cannot read a pad");
        check(pControl->GetPadPan(p, &pad.fPan), "cannot read a pad");
        GrainSummary* pGrains = nullptr;
        LONG nGrains = 0;
        check(pControl->GetPadGrains(p, &pGrains, &nGrains), "cannot read a pad's grains");
        for (LONG g = 0; g < nGrains && pGrains != nullptr; ++g) {
            Grain grain{pGrains[g].nStartTicks, pGrains[g].nEndTicks, -1,  -1,
                        pGrains[g].nTranspose,  pGrains[g].fVolume,   0.0f};
            LONG nEntry = -1, nSlice = -1;
            if (SUCCEEDED(pControl->GetGrainSource(p, g, &nEntry, &nSlice)))
                grain.nEntry = nEntry, grain.nSlice = nSlice;
            pControl->GetGrainPan(p, g, &grain.fPan);
            pad.grains.push_back(grain);
        }
        CoTaskMemFree(pGrains);
        m_pads.push_back(std::move(pad));
    }
}

std::string CProjectInfo::Text() const {
    std::string s = "Project:     " + PrintableText(m_strPath) + "\n";
    s += "Loop Bin:    " + Count(m_entries.size(), "file", "files") + "\n";
    for (size_t e = 0; e < m_entries.size(); ++e)
        s += "  " + std::to_string(e) + "  " + PrintableText(m_entries[e].strName) + "  " +
             Count(static_cast<size_t>(m_entries[e].nSlices), "slice", "slices") + "  " +
             PrintableText(m_entries[e].strPath) + "\n";
    s += "Pads:\n";
    bool bRouted = false;
    for (size_t p = 0; p < m_pads.size(); ++p) {
        const Pad& pad = m_pads[p];
        s += "  Pad " + std::to_string(p + 1) + ": keys " + KeyName(pad.nLowKey) + " to " +
             KeyName(pad.nHighKey) + ", root " + KeyName(pad.nRootKey) + ", velocity " +
             std::to_string(pad.nLowVelocity) + "-" + std::to_string(pad.nHighVelocity);
        if (pad.grains.empty()) {
            s += ", empty\n";
            continue;
        }
        s += "\n         " + std::to_string(pad.grains.size()) +
             (pad.grains.size() == 1 ? " grain, " : " grains, ") +
             Printf("%.3f beats", static_cast<double>(pad.nLengthTicks) / kBeatTicks) +
             (pad.bSynced ? ", synced" : ", free") + (pad.bLooping ? ", looping" : ", once") +
             (pad.bLatch ? ", latched" : ", gated") + (pad.bMute ? ", muted" : "") +
             (pad.bSolo ? ", solo" : "") +
             (pad.nOutput > 0 ? ", output Chan " + std::to_string(pad.nOutput) + " and the mix"
                              : ", output the mix") +
             Printf(", volume %.2f, pan %.2f\n", pad.fVolume, pad.fPan);
        for (const Grain& g : pad.grains)
            s += "           " +
                 Printf("beat %7.3f to %7.3f", static_cast<double>(g.nStartTicks) / kBeatTicks,
                        static_cast<double>(g.nEndTicks) / kBeatTicks) +
                 "  file " + std::to_string(g.nEntry) + " slice " + std::to_string(g.nSlice) +
                 (g.nTranspose ? "  transpose " + std::to_string(g.nTranspose) : "") +
                 Printf("  gain %.2f  pan %.2f\n", g.fVolume, g.fPan);
        bRouted = bRouted || pad.nOutput > 0;
    }
    // The instrument adds every "Chan" output into the mix as well.
    if (bRouted)
        s += "Note: a pad routed to a \"Chan\" output sounds in the mix too; when you use the\n"
             "      separate outputs, leave the mix unconnected or muted.\n";
    return s;
}

std::string CProjectInfo::Json() const {
    std::string s = "{\n  \"file\": " + JsonString(m_strPath) + ",\n  \"loopBin\": [";
    for (size_t e = 0; e < m_entries.size(); ++e)
        s += std::string(e ? ", " : "") + "{\"name\": " + JsonString(m_entries[e].strName) +
             ", \"path\": " + JsonString(m_entries[e].strPath) +
             ", \"slices\": " + std::to_string(m_entries[e].nSlices) + "}";
    s += "],\n  \"pads\": [";
    auto flag = [](int b) { return b ? "true" : "false"; };
    for (size_t p = 0; p < m_pads.size(); ++p) {
        const Pad& pad = m_pads[p];
        s += std::string(p ? ",\n    " : "\n    ") + "{\"pad\": " + std::to_string(p + 1) +
             ", \"lowKey\": " + std::to_string(pad.nLowKey) +
             ", \"highKey\": " + std::to_string(pad.nHighKey) +
             ", \"rootKey\": " + std::to_string(pad.nRootKey) +
             ", \"lowVelocity\": " + std::to_string(pad.nLowVelocity) +
             ", \"highVelocity\": " + std::to_string(pad.nHighVelocity) +
             ", \"lengthTicks\": " + std::to_string(pad.nLengthTicks) +
             ", \"synced\": " + flag(pad.bSynced) + ", \"looping\": " + flag(pad.bLooping) +
             ", \"latched\": " + flag(pad.bLatch) + ", \"mute\": " + flag(pad.bMute) +
             ", \"solo\": " + flag(pad.bSolo) + ", \"output\": " + std::to_string(pad.nOutput) +
             Printf(", \"volume\": %.6g, \"pan\": %.6g", pad.fVolume, pad.fPan) + ", \"grains\": [";
        for (size_t g = 0; g < pad.grains.size(); ++g) {
            const Grain& gr = pad.grains[g];
            s += std::string(g ? ", " : "") + "{\"startTicks\": " + std::to_string(gr.nStartTicks) +
                 ", \"endTicks\": " + std::to_string(gr.nEndTicks) +
                 ", \"file\": " + std::to_string(gr.nEntry) +
                 ", \"slice\": " + std::to_string(gr.nSlice) +
                 ", \"transpose\": " + std::to_string(gr.nTranspose) +
                 Printf(", \"gain\": %.6g, \"pan\": %.6g}", gr.fVolume, gr.fPan);
        }
        s += "]}";
    }
    return s + "\n  ]\n}\n";
}

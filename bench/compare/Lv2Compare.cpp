// The whole instrument through its LV2 bundle: idle cost per block against two
// LV2 samplers driven the same way, and the DSP load of the busy groove
// restored through the plug-in's state.
#include "apps/cli/DemoLoop.h"
#include "bench/compare/CompareInstrument.h"
#include "bench/compare/Comparisons.h"
#include "bench/compare/CpuClock.h"
#include "bench/compare/Lv2BenchHost.h"
#include "interfaces/PandrelConstants.h"
#include <cstdio>
#include <unistd.h>

namespace {
constexpr double kRate = 48000.0;
constexpr const char* kPandrel = "urn:pandrel:lv2";
constexpr const char* kPeers[] = {"http://drumkv1.sourceforge.net/lv2",
                                  "http://samplv1.sourceforge.net/lv2"};
constexpr const char* kPeerNames[] = {"drumkv1", "samplv1"};
constexpr int kIdleBlocks = 4000;
constexpr int kReps = 5;

// CPU seconds per block of an instance left without notes; negative when it cannot be opened.
double IdleSeconds(CLv2BenchHost& host, const char* pszUri, uint32_t nBlock,
                   uint32_t* pnPorts = nullptr) {
    std::string strError;
    if (!host.Open(pszUri, kRate, nBlock, &strError)) {
        std::fprintf(stderr, "compare: %s\n", strError.c_str());
        return -1.0;
    }
    for (int b = 0; b < 200; ++b) host.RunBlock();
    const double t = BestOf(kReps, [&] {
        for (int b = 0; b < kIdleBlocks; ++b) host.RunBlock();
    });
    if (pnPorts != nullptr) *pnPorts = host.AudioOutputs();
    host.Close();
    return t / kIdleBlocks;
}

std::vector<uint8_t> BusyState(const std::string& strLibrary) {
    const std::string strLoop = "/dev/shm/pandrel-compare-" + std::to_string(getpid()) + ".wav";
    std::string strError;
    CDemoLoop loop;
    std::vector<uint8_t> bytes;
    if (!loop.Write(strLoop, &strError))
        return std::fprintf(stderr, "compare: %s\n", strError.c_str()), bytes;
    CCompareInstrument inst(strLibrary, static_cast<DWORD>(kRate));
    const LONG nEntry = inst.Ok() ? inst.LoadLoop(strLoop) : -1;
    std::remove(strLoop.c_str());
    if (nEntry < 0 || FAILED(inst.BuildBusyGroove(nEntry)))
        return std::fprintf(stderr, "compare: cannot build the groove %s\n", inst.Error().c_str()),
               bytes;
    return inst.SaveBytes();
}

// The share of one core the busy groove takes; negative on failure.
double BusyLoad(CLv2BenchHost& host, const std::vector<uint8_t>& state) {
    constexpr uint32_t kBlock = 128;
    constexpr int kBlocks = 3750; // 10 s
    std::string strError;
    if (state.empty() || !host.Open(kPandrel, kRate, kBlock, &strError) ||
        !host.RestoreChunk("urn:pandrel:lv2#state", state)) {
        std::fprintf(stderr, "compare: cannot restore the groove %s\n", strError.c_str());
        return -1.0;
    }
    std::vector<CLv2BenchHost::Midi> notes;
    for (uint8_t p = 0; p < kPadCount; ++p)
        notes.push_back({0x90, static_cast<uint8_t>(36 + p), 100});
    host.QueueStart(CDemoLoop::kTempo * 0.8, notes);
    double sound = 0.0;
    for (int b = 0; b < 375; ++b) {
        host.RunBlock();
        sound += host.AudioMagnitude();
    }
    if (sound == 0.0)
        std::fprintf(stderr, "compare: the groove played silence through the plug-in\n");
    const double t = BestOf(3, [&] {
        for (int b = 0; b < kBlocks; ++b) host.RunBlock();
    });
    host.Close();
    return t / (kBlocks * kBlock / kRate);
}

void UseBundle(const std::string& strBundle) {
    // The peers start a Qt application even without their user interface.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LV2_PATH", (strBundle.substr(0, strBundle.rfind('/')) + ":/usr/lib/lv2").c_str(), 1);
}
} // namespace

void ProfileLv2Idle(const std::string& strBundle) {
    UseBundle(strBundle);
    CLv2BenchHost host;
    std::printf("LV2 idle, 128-frame blocks: %.2f us/block\n",
                1e6 * IdleSeconds(host, kPandrel, 128));
}

void CompareLv2(const std::string& strBundle, CCompareTable& table) {
    UseBundle(strBundle);
    CLv2BenchHost host;
    for (uint32_t block : {128u, 512u}) {
        uint32_t nPorts = 0, nPeerPorts = 0;
        const double p = IdleSeconds(host, kPandrel, block, &nPorts);
        for (int i = 0; i < 2; ++i) {
            const double peer = IdleSeconds(host, kPeers[i], block, &nPeerPorts);
            if (p < 0.0 || peer < 0.0) continue;
            // Also per audio output port: Pandrel has 34, the peers 2.
            table.Add({Format("LV2 idle, %u-frame blocks, vs %s", block, kPeerNames[i]),
                       Format("%.2f us/block (%.3f per each of %u ports)", p * 1e6,
                              p * 1e6 / nPorts, nPorts),
                       Format("%s %.2f us/block (%.3f per each of %u ports)", kPeerNames[i],
                              peer * 1e6, peer * 1e6 / nPeerPorts, nPeerPorts),
                       peer / p, "<= theirs", p <= peer});
        }
    }
    const double load = BusyLoad(host, BusyState(strBundle + "/pandrel.so"));
    if (load >= 0.0)
        table.Add(
            {"LV2 busy groove, 48 kHz, 128-frame blocks (16 pads, 80 % tempo, half +3, 17 outputs)",
             Format("%.2f %% of a core", 100.0 * load), "", 0.0, "< 3 %", load < 0.03});
}

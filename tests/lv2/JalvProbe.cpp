// The tests' tool for running the plug-in in a real LV2 host (Debian's jalv on
// a JACK server):
//   lv2_jalv_probe state DIR     writes DIR/state.ttl: the demo project, saved
//                                through lilv from an instance of the bundle
//   lv2_jalv_probe play CLIENT   connects to CLIENT's MIDI input and mix, strikes
//                                the demo's kick three times and checks that the
//                                recording sounds after each note and nowhere else
//   lv2_jalv_probe listen CLIENT SECONDS
//                                records CLIENT's mix for SECONDS and checks that
//                                it sounds somewhere (a pad pressed meanwhile)
//   lv2_jalv_probe peaks CLIENT SECONDS [KEY@SECONDS ...]
//                                says "armed", strikes the keys (each held 100 ms)
//                                at their times and prints the mix's peak of each
//                                50 ms window of SECONDS as one line of numbers
// Each prints what it finds; a failure is one line and exit status 1.
#include "lv2/JackProbe.h"
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int Fail(const std::string& strWhy) {
    std::fprintf(stderr, "lv2_jalv_probe: %s\n", strWhy.c_str());
    return 1;
}

int SaveState(const char* pszDir) {
    std::vector<uint8_t> bytes;
    std::string strError;
    if (!CLv2TestProject::State(PANDREL_LV2_BUNDLE "/pandrel.so", false, &bytes, &strError))
        return Fail(strError);
    CLv2TestHost host{PANDREL_LV2_BUNDLE};
    if (!host.Instantiate()) return Fail("lilv cannot instantiate " PANDREL_LV2_BUNDLE);
    if (!host.Restore(bytes)) return Fail("the plug-in refuses the demo project's state");
    if (!host.SaveStateDirectory(pszDir)) return Fail(std::string("lilv cannot save ") + pszDir);
    std::printf("state of %zu bytes saved in %s/state.ttl\n", bytes.size(), pszDir);
    return 0;
}

int Play(const std::string& strClient) {
    CJackProbe probe;
    std::string strError;
    if (!probe.Open("pandrel-probe", &strError) ||
        !probe.Connect(strClient + ":events", strClient + ":mix_l", strClient + ":mix_r", 10.0,
                       &strError))
        return Fail(strError);
    // The kick (a gated one-shot) every half second, held for 0.15 s.
    const uint32_t nRate = probe.Rate();
    const uint32_t nSpacing = nRate / 2, nHold = nRate * 15 / 100;
    std::vector<CJackProbe::Note> notes;
    for (uint32_t k = 1; k <= 3; ++k) {
        notes.push_back({k * nSpacing, 0x90, CLv2TestProject::kKickKey, 110});
        notes.push_back({k * nSpacing + nHold, 0x80, CLv2TestProject::kKickKey, 0});
    }
    if (!probe.Play(notes, 4 * nSpacing, 10.0, &strError)) return Fail(strError);
    const auto& l = probe.Left();
    const auto& r = probe.Right();
    // Sound within 50 ms of each note (the graph may add a period or two),
    // silence before the first and from 0.3 s after each until the next.
    bool bOk = true;
    const float fBefore = probe.Peak(0, nSpacing);
    std::printf("before the first note: peak %.6f\n", fBefore);
    bOk = bOk && fBefore == 0.0f;
    for (uint32_t k = 1; k <= 3; ++k) {
        const size_t nAt = k * nSpacing;
        size_t nOnset = nAt;
        while (nOnset < l.size() && l[nOnset] == 0.0f && r[nOnset] == 0.0f) ++nOnset;
        const float fNote = probe.Peak(nAt, nAt + nRate / 20);
        const float fAfter = probe.Peak(nAt + nRate * 3 / 10, nAt + nSpacing);
        std::printf("note %u at frame %zu: sound from frame %zu, peak %.4f; 0.3 s on: peak %.6f\n",
                    k, nAt, nOnset, fNote, fAfter);
        bOk = bOk && fNote > 0.05f && fAfter == 0.0f;
    }
    if (!bOk) return Fail("the recording does not sound where, and only where, notes were sent");
    std::printf("recorded %zu frames at %u Hz from %s: sound after every note\n", l.size(), nRate,
                strClient.c_str());
    return 0;
}
} // namespace

int Listen(const std::string& strClient, double dSeconds) {
    CJackProbe probe;
    std::string strError;
    if (!probe.Open("pandrel-listen", &strError) ||
        !probe.Connect(strClient + ":events", strClient + ":mix_l", strClient + ":mix_r", 10.0,
                       &strError))
        return Fail(strError);
    const uint32_t nFrames = static_cast<uint32_t>(dSeconds * probe.Rate());
    std::printf("recording\n");
    std::fflush(stdout);
    if (!probe.Play({}, nFrames, dSeconds + 10.0, &strError)) return Fail(strError);
    const auto& l = probe.Left();
    const auto& r = probe.Right();
    size_t nOnset = 0;
    while (nOnset < l.size() && l[nOnset] == 0.0f && r[nOnset] == 0.0f) ++nOnset;
    const float fPeak = probe.Peak(0, l.size());
    std::printf("listened %zu frames at %u Hz to %s: first sound at frame %zu, peak %.4f\n",
                l.size(), probe.Rate(), strClient.c_str(), nOnset, fPeak);
    return fPeak > 0.05f ? 0 : Fail("the mix stays silent");
}

int Peaks(const std::string& strClient, double dSeconds, char** ppszNotes, int nNotes) {
    CJackProbe probe;
    std::string strError;
    if (!probe.Open("pandrel-peaks", &strError) ||
        !probe.Connect(strClient + ":events", strClient + ":mix_l", strClient + ":mix_r", 10.0,
                       &strError))
        return Fail(strError);
    std::vector<CJackProbe::Note> notes;
    if (!CJackProbe::ParseNotes(ppszNotes, nNotes, probe.Rate(), &notes, &strError))
        return Fail(strError);
    std::printf("armed\n");
    std::fflush(stdout);
    const auto nFrames = static_cast<uint32_t>(dSeconds * probe.Rate());
    if (!probe.Play(notes, nFrames, dSeconds + 10.0, &strError)) return Fail(strError);
    probe.PrintWindowPeaks();
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "state") == 0) return SaveState(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "play") == 0) return Play(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "listen") == 0)
        return Listen(argv[2], std::atof(argv[3]));
    if (argc >= 4 && std::strcmp(argv[1], "peaks") == 0)
        return Peaks(argv[2], std::atof(argv[3]), argv + 4, argc - 4);
    return Fail("usage: lv2_jalv_probe state DIR | play CLIENT | listen CLIENT SECONDS | "
                "peaks CLIENT SECONDS [KEY@SECONDS ...]");
}

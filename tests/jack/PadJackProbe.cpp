// The tests' JACK client for the pad grid check: connects to CLIENT's MIDI
// input and mix, says "armed" when it starts recording, strikes the given keys
// (each held 100 ms) at their times, and prints the mix's peak of each 50 ms
// window of SECONDS as one line of numbers.
//   pad_jack_probe CLIENT SECONDS [KEY@SECONDS ...]
// A failure is one line and exit status 1.
#include "lv2/JackProbe.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
int Fail(const std::string& strWhy) {
    std::fprintf(stderr, "pad_jack_probe: %s\n", strWhy.c_str());
    return 1;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: pad_jack_probe CLIENT SECONDS [KEY@SECONDS ...]");
    const std::string strClient = argv[1];
    const double dSeconds = std::atof(argv[2]);
    CJackProbe probe;
    std::string strError;
    if (!probe.Open("pandrel-pad-probe", &strError) ||
        !probe.Connect(strClient + ":midi_in", strClient + ":mix_L", strClient + ":mix_R", 10.0,
                       &strError))
        return Fail(strError);
    const uint32_t nRate = probe.Rate();
    std::vector<CJackProbe::Note> notes;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t at = arg.find('@');
        if (at == std::string::npos) return Fail("a note is KEY@SECONDS: " + arg);
        const auto nKey = static_cast<uint8_t>(std::atoi(arg.substr(0, at).c_str()) & 0x7f);
        const auto nFrame = static_cast<uint32_t>(std::atof(arg.substr(at + 1).c_str()) * nRate);
        notes.push_back({nFrame, 0x90, nKey, 110});
        notes.push_back({nFrame + nRate / 10, 0x80, nKey, 0});
    }
    std::sort(notes.begin(), notes.end(), [](const CJackProbe::Note& a, const CJackProbe::Note& b) {
        return a.nFrame < b.nFrame;
    });
    std::printf("armed\n");
    std::fflush(stdout);
    const auto nFrames = static_cast<uint32_t>(dSeconds * nRate);
    if (!probe.Play(notes, nFrames, dSeconds + 10.0, &strError)) return Fail(strError);
    const auto& l = probe.Left();
    const auto& r = probe.Right();
    const size_t nWindow = nRate / 20;
    for (size_t w = 0; w < l.size(); w += nWindow) {
        float fPeak = 0.0f;
        for (size_t i = w; i < std::min(l.size(), w + nWindow); ++i)
            fPeak = std::max({fPeak, std::fabs(l[i]), std::fabs(r[i])});
        std::printf("%s%.4f", w == 0 ? "" : " ", static_cast<double>(fPeak));
    }
    std::printf("\n");
    return 0;
}

// The tests' JACK client for the pad grid check: connects to CLIENT's MIDI
// input and mix, says "armed" when it starts recording, strikes the given keys
// (each held 100 ms) at their times, and prints the mix's peak of each 50 ms
// window of SECONDS as one line of numbers.
//   pad_jack_probe CLIENT SECONDS [KEY@SECONDS ...]
// A failure is one line and exit status 1.
#include "lv2/JackProbe.h"
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
    std::vector<CJackProbe::Note> notes;
    if (!CJackProbe::ParseNotes(argv + 3, argc - 3, probe.Rate(), &notes, &strError))
        return Fail(strError);
    std::printf("armed\n");
    std::fflush(stdout);
    const auto nFrames = static_cast<uint32_t>(dSeconds * probe.Rate());
    if (!probe.Play(notes, nFrames, dSeconds + 10.0, &strError)) return Fail(strError);
    probe.PrintWindowPeaks();
    return 0;
}

// The tests' JACK client for the shell drop check: connects to CLIENT's MIDI
// input and mix, strikes KEY at half a second for a tenth of one, and prints
// the mix's peak after the note; "silent" or "sounds" says which it was.
//   drop_jack_probe CLIENT KEY
// A failure to reach the client is one line and exit status 2.
#include "lv2/JackProbe.h"
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: drop_jack_probe CLIENT KEY\n");
        return 2;
    }
    const std::string strClient = argv[1];
    const auto nKey = static_cast<uint8_t>(std::atoi(argv[2]) & 0x7f);
    CJackProbe probe;
    std::string strError;
    if (!probe.Open("pandrel-drop-probe", &strError) ||
        !probe.Connect(strClient + ":midi_in", strClient + ":mix_L", strClient + ":mix_R", 10.0,
                       &strError)) {
        std::fprintf(stderr, "drop_jack_probe: %s\n", strError.c_str());
        return 2;
    }
    const uint32_t nRate = probe.Rate(), nAt = nRate / 2;
    if (!probe.Play({{nAt, 0x90, nKey, 110}, {nAt + nRate / 10, 0x80, nKey, 0}}, nRate, 10.0,
                    &strError)) {
        std::fprintf(stderr, "drop_jack_probe: %s\n", strError.c_str());
        return 2;
    }
    const float fPeak = probe.Peak(nAt, probe.Left().size());
    std::printf("%s: key %u peaks at %.4f\n", fPeak > 0.01f ? "sounds" : "silent", nKey, fPeak);
    return 0;
}

// The tests' JACK client for `pandrel edit`: connects to CLIENT's MIDI input
// and mix, strikes the demo project's kick (key 37) at half a second, and
// checks that the mix is silent before the note and sounds within 50 ms of it.
//   edit_jack_probe CLIENT
// Prints what it finds; a failure is one line and exit status 1.
#include "lv2/JackProbe.h"
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
int Fail(const std::string& strWhy) {
    std::fprintf(stderr, "edit_jack_probe: %s\n", strWhy.c_str());
    return 1;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) return Fail("usage: edit_jack_probe CLIENT");
    const std::string strClient = argv[1];
    CJackProbe probe;
    std::string strError;
    if (!probe.Open("pandrel-edit-probe", &strError) ||
        !probe.Connect(strClient + ":midi_in", strClient + ":mix_L", strClient + ":mix_R", 10.0,
                       &strError))
        return Fail(strError);
    const uint32_t nRate = probe.Rate(), nAt = nRate / 2;
    constexpr uint8_t kKick = 37;
    if (!probe.Play({{nAt, 0x90, kKick, 110}, {nAt + nRate / 10, 0x80, kKick, 0}}, nRate, 10.0,
                    &strError))
        return Fail(strError);
    const auto& l = probe.Left();
    const auto& r = probe.Right();
    size_t nOnset = 0;
    while (nOnset < l.size() && l[nOnset] == 0.0f && r[nOnset] == 0.0f) ++nOnset;
    float fPeak = 0.0f;
    for (size_t i = nAt; i < std::min<size_t>(l.size(), nAt + nRate / 20); ++i)
        fPeak = std::max({fPeak, std::fabs(l[i]), std::fabs(r[i])});
    std::printf(
        "kick at frame %u (%u Hz): first sound at frame %zu, peak %.4f in the 50 ms after\n", nAt,
        nRate, nOnset, fPeak);
    if (nOnset < nAt) return Fail("the mix sounds before the note");
    if (nOnset > nAt + nRate / 20 || fPeak < 0.05f)
        return Fail("the mix does not sound within 50 ms of the note");
    return 0;
}

// The instrument states the LV2 tests load: the demo's project built through
// the host kit and the control interface, on the demo's drum loop or on a
// click loop of the same length and slices (one short click at the start of
// every slice, each slice's at its own level, silence between), whose onsets are easy to find.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CLv2TestProject {
public:
    static constexpr int kClickFrames = 64;
    static constexpr uint8_t kGrooveKey = 36; // the synced loop of all 16 slices
    static constexpr uint8_t kKickKey = 37;   // the one-shot first slice
    // The click of slice s (0..15) has its own level, so the slice heard can be told.
    static constexpr float ClickLevel(int s) { return 0.05f * static_cast<float>(s + 1); }

    // The IPersistStream bytes of the project. False with the cause.
    static bool State(const std::string& strLibrary, bool bClicks, std::vector<uint8_t>* pBytes,
                      std::string* pstrError);
    // A project of nEntries Loop Bin entries, each dSeconds of its own stereo
    // tone and noise at 44.1 kHz; entry n on pad n, played by key kBinKey + n,
    // pad 0 at fPadVolume. Its IPersistStream bytes; false with the cause.
    static constexpr uint8_t kBinKey = 48;
    static bool BinState(const std::string& strLibrary, int nEntries, double dSeconds,
                         float fPadVolume, std::vector<uint8_t>* pBytes, std::string* pstrError);
    // A project of one loop whose file names its root note C (60, valid): a
    // kToneHz sine of the demo loop's length and tempo, on pad 0, played by
    // keys kToneKey - 6 to kToneKey + 5 with kToneKey at its own pitch.
    static constexpr uint8_t kToneKey = 60;
    static constexpr double kToneHz = 441.0;
    static bool ToneState(const std::string& strLibrary, std::vector<uint8_t>* pBytes,
                          std::string* pstrError);
};

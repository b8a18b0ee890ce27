// Key following through the plug-in: a loop whose file names its root C,
// played while the host_key port (numbered from C, as its scale points) names
// the song's key, is transposed by the smallest step from C to that key.
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {
constexpr uint8_t kNoteOn = 0x90, kToneKey = CLv2TestProject::kToneKey;
constexpr uint32_t kBlocks = 8;

class Lv2HostKey : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string strError;
        if (!CLv2TestProject::ToneState(PANDREL_LV2_BUNDLE "/pandrel.so", &s_state, &strError))
            ADD_FAILURE() << strError;
    }
    void SetUp() override {
        ASSERT_FALSE(s_state.empty());
        ASSERT_NE(m_host.Plugin(), nullptr) << "the bundle is not found by lilv";
    }
    // The left channel of a fresh instance playing the tone pad by nKey from
    // frame 0 with the port at fHostKey.
    std::vector<float> Play(float fHostKey, uint8_t nKey) {
        if (!m_host.Instantiate() || !m_host.Restore(s_state)) {
            ADD_FAILURE() << "cannot load the tone project";
            return {};
        }
        m_host.SetHostKey(fHostKey);
        return m_host.Render({{0, kNoteOn, nKey, 100}}, kBlocks)[0];
    }
    static std::vector<uint8_t> s_state;
    CLv2TestHost m_host{PANDREL_LV2_BUNDLE};
};
std::vector<uint8_t> Lv2HostKey::s_state;

// The tone's frequency from its first to its last rising zero crossing in
// frames [256, 600): past the fade-in, and before the first slice (5,512
// frames) leaves its own run. Raised by 2 semitones the slice is fitted to
// 6,187 frames, whose second copy starts crossfading in at fitted frame 675
// (played frame 601); lowered by 3 it is shortened to 4,635 frames and plays
// straight for 927 of them (1,102 played frames). Those crossfades join
// copies whose phases differ, so a count of crossings across them finds the
// tone some cents off although each copy plays at the transposed pitch. The
// crossings are placed between samples.
double Frequency(const std::vector<float>& v) {
    double dFirst = -1.0, dLast = -1.0;
    int nCycles = -1;
    for (size_t i = 256; i < std::min<size_t>(v.size(), 600); ++i)
        if (v[i - 1] < 0.0f && v[i] >= 0.0f) {
            const double dAt =
                static_cast<double>(i - 1) + v[i - 1] / static_cast<double>(v[i - 1] - v[i]);
            if (dFirst < 0.0) dFirst = dAt;
            dLast = dAt;
            ++nCycles;
        }
    return nCycles > 0 ? nCycles * 44100.0 / (dLast - dFirst) : 0.0;
}

// The rendered tone's pitch in semitones from the loop's own.
double Semitones(const std::vector<float>& v) {
    return 12.0 * std::log2(Frequency(v) / CLv2TestProject::kToneHz);
}
} // namespace

TEST_F(Lv2HostKey, EachHostKeyShiftsTheCLoopAsTheSameStepOfTheKeyboard) {
    // Port value v names the key v semitones above C; the loop takes the
    // smallest step to it: up to 5 up, else down (F#: 6 down).
    for (int v = 0; v < 12; ++v) {
        const int nShift = v <= 5 ? v : v - 12;
        const auto followed = Play(static_cast<float>(v), kToneKey);
        const auto played = Play(-1.0f, static_cast<uint8_t>(kToneKey + nShift));
        ASSERT_EQ(followed.size(), played.size());
        EXPECT_EQ(followed, played) << "host key " << v << " should shift by " << nShift;
    }
}

TEST_F(Lv2HostKey, HostKeyCKeepsTheLoopsPitchAndDRaisesItTwoSemitones) {
    const auto none = Play(-1.0f, kToneKey);
    EXPECT_NEAR(Semitones(none), 0.0, 0.001);
    EXPECT_EQ(Play(0.0f, kToneKey), none);                     // C
    EXPECT_EQ(Play(12.0f, kToneKey), none);                    // past the scale points: no key
    EXPECT_NEAR(Semitones(Play(2.0f, kToneKey)), 2.0, 0.001);  // D
    EXPECT_NEAR(Semitones(Play(9.0f, kToneKey)), -3.0, 0.001); // A
}

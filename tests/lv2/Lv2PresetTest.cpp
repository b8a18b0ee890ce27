// Presets: each factory preset in the bundle is listed, restores, sounds at
// once and stays under 1 MB; `pandrel preset` writes a bundle that lv2info
// lists as a preset of the plug-in and that renders as the project loaded
// directly, and refuses to overwrite one without --force.
#include "apps/cli/PresetWriter.h"
#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/WavWriter.h"
#include "interfaces/IVudivuVizezud.h"
#include "lv2/Lv2TestHost.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr uint8_t kNoteOn = 0x90;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Sounds(const std::array<std::vector<float>, 2>& mix) {
    return std::any_of(mix[0].begin(), mix[0].end(), [](float f) { return f != 0.0f; });
}

// A command's exit status and what it printed (stdout and stderr together).
int Shell(const std::string& strCommand, std::string* pstrOut) {
    FILE* pf = popen((strCommand + " 2>&1").c_str(), "r");
    if (pf == nullptr) return -1;
    char buffer[4096];
    pstrOut->clear();
    for (size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pf)) > 0;) pstrOut->append(buffer, n);
    const int nStatus = pclose(pf);
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : -1;
}

TEST(Lv2FactoryPresets, EachIsListedRestoresSoundsAtOnceAndIsSmall) {
    const std::vector<std::string> ids = {"demo-groove", "electro-kit", "pluck-keys"};
    CLv2TestHost host{PANDREL_LV2_BUNDLE};
    const auto listed = host.Presets();
    for (const std::string& strId : ids) {
        SCOPED_TRACE(strId);
        const std::string strUri = "urn:pandrel:lv2:preset:" + strId;
        EXPECT_NE(std::find(listed.begin(), listed.end(), strUri), listed.end());
        ASSERT_TRUE(host.Instantiate());
        ASSERT_TRUE(host.RestorePreset(strUri));
        // The first pad's key, as a user's first note would be.
        EXPECT_TRUE(Sounds(host.Render({{0, kNoteOn, 36, 100}}, 16)));
        // The preset file and the waves it names.
        const fs::path dir = fs::path(PANDREL_LV2_BUNDLE) / "presets";
        const std::string strText = ReadText(dir / (strId + ".ttl"));
        uint64_t llBytes = strText.size();
        int nWaves = 0;
        for (const auto& e : fs::directory_iterator(dir))
            if (strText.find("<" + e.path().filename().string() + ">") != std::string::npos) {
                llBytes += fs::file_size(e.path());
                ++nWaves;
            }
        EXPECT_GT(nWaves, 0);
        EXPECT_LT(llBytes, 1000u * 1000) << strId << " is too large";
    }
}

class Lv2PresetCommand : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("pandrel-preset-cmd-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        // A project of one decaying tone on pad 1, built by the command.
        std::vector<float> tone(22050);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = static_cast<float>(0.6 * std::sin(0.05 * static_cast<double>(i)) *
                                         std::exp(-static_cast<double>(i) / 5000.0));
        std::string strError;
        ASSERT_TRUE(CWavWriter(WavSampleFormat::Pcm16, 1, 44100)
                        .Write((m_dir / "tone.wav").string(), tone.data(), tone.size(), &strError));
        std::string strOut;
        for (const char* pszStep :
             {"project new kit.pnd", "project add kit.pnd tone.wav", "project assign kit.pnd 1 0"})
            ASSERT_EQ(Cli(pszStep, &strOut), 0) << strOut;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    int Cli(const std::string& strArgs, std::string* pstrOut) const {
        return Shell("cd '" + m_dir.string() + "' && '" PANDREL_CLI "' " + strArgs, pstrOut);
    }
    fs::path m_dir;
};

TEST_F(Lv2PresetCommand, WritesABundleListedAsAPresetThatRendersAsTheProject) {
    std::string strOut;
    ASSERT_EQ(Cli("preset kit.pnd --name 'Tone Kit' --dir out --bundle '" PANDREL_LV2_BUNDLE "'",
                  &strOut),
              0)
        << strOut;
    const fs::path bundle = m_dir / "out" / "pandrel-tone-kit.lv2";
    EXPECT_EQ(strOut, "wrote out/pandrel-tone-kit.lv2\n");
    ASSERT_TRUE(fs::is_regular_file(bundle / "tone-kit.ttl"));
    EXPECT_FALSE(fs::exists(bundle.string() + ".part"));
#ifdef PANDREL_LV2INFO
    const std::string strPath = std::string(PANDREL_LV2_BUNDLE) + "/..:" + (m_dir / "out").string();
    ASSERT_EQ(Shell("LV2_PATH='" + strPath + ":/usr/lib/lv2' '" PANDREL_LV2INFO "' urn:pandrel:lv2",
                    &strOut),
              0);
    const size_t nPresets = strOut.find("Presets:");
    ASSERT_NE(nPresets, std::string::npos) << strOut;
    EXPECT_NE(strOut.find("Tone Kit", nPresets), std::string::npos) << strOut;
#endif

    // The preset renders exactly as the project loaded into the instrument and handed over whole.
    std::vector<CLv2TestHost::Note> notes;
    for (uint8_t nKey = 48; nKey < 72; ++nKey)
        notes.push_back({0, kNoteOn, nKey, 100}); // pad 1: 60
    CLv2TestHost host{PANDREL_LV2_BUNDLE};
    ASSERT_TRUE(host.Instantiate());
    ASSERT_TRUE(host.RestoreStateFile((bundle / "tone-kit.ttl").string()));
    const auto preset = host.Render(notes, 32);
    EXPECT_TRUE(Sounds(preset));

    CInstrumentModule module;
    CInstrumentHost direct;
    std::string strError;
    ASSERT_TRUE(module.Load(PANDREL_LV2_BUNDLE "/pandrel.so", &strError)) << strError;
    ASSERT_TRUE(direct.Open(module, CInstrumentHost::Options{}, CTempoMap(), &strError));
    ASSERT_TRUE(SUCCEEDED(direct.Control()->LoadProject("kit", (m_dir / "kit.pnd").c_str())));
    std::vector<uint8_t> state;
    ASSERT_TRUE(CPresetWriter::InstrumentState(direct.Control(), &state));
    ASSERT_TRUE(host.Instantiate());
    ASSERT_TRUE(host.Restore(state));
    EXPECT_EQ(host.Render(notes, 32), preset);
}

TEST_F(Lv2PresetCommand, KeepsAnExistingBundleUnlessForced) {
    std::string strOut;
    const std::string strArgs =
        "preset kit.pnd --name Tone --dir out --bundle '" PANDREL_LV2_BUNDLE "'";
    ASSERT_EQ(Cli(strArgs, &strOut), 0) << strOut;
    const fs::path ttl = m_dir / "out" / "pandrel-tone.lv2" / "tone.ttl";
    const std::string strBefore = ReadText(ttl);
    EXPECT_EQ(Cli(strArgs, &strOut), 1);
    EXPECT_EQ(strOut, "pandrel: out/pandrel-tone.lv2: exists already (--force replaces it)\n");
    EXPECT_EQ(ReadText(ttl), strBefore);
    EXPECT_EQ(Cli(strArgs + " --force", &strOut), 0) << strOut;
    EXPECT_TRUE(fs::is_regular_file(ttl));
    // A project that cannot be read leaves no bundle behind.
    EXPECT_EQ(
        Cli("preset nothing.pnd --name Other --dir out --bundle '" PANDREL_LV2_BUNDLE "'", &strOut),
        1);
    EXPECT_EQ(strOut.rfind("pandrel: nothing.pnd: ", 0), 0u) << strOut;
    EXPECT_FALSE(fs::exists(m_dir / "out" / "pandrel-other.lv2"));
}
} // namespace

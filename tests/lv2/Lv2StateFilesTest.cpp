// State as files through lilv, as hosts save and load it: the waves beside
// state.ttl named by content, no absolute path in it, a pad change saved
// again writes almost nothing, a missing or damaged wave fails the restore and
// leaves the old project playing, and a state of the single-chunk form restores.
#include "apps/lv2/Lv2Plugin.h"
#include "lv2/Lv2StateMeasure.h"
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
constexpr uint8_t kNoteOn = 0x90;

std::string Scratch(const std::string& strName) {
    const fs::path dir =
        fs::temp_directory_path() / ("pandrel-lv2-state-" + std::to_string(getpid())) / strName;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

std::string ReadText(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Waves(const std::string& strDir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(strDir))
        if (e.path().extension() == ".wav") names.push_back(e.path().string());
    return names;
}

std::string Base64(const std::vector<uint8_t>& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string s;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = uint32_t{bytes[i]} << 16 |
                           (i + 1 < bytes.size() ? uint32_t{bytes[i + 1]} << 8 : 0) |
                           (i + 2 < bytes.size() ? uint32_t{bytes[i + 2]} : 0);
        s += kDigits[n >> 18 & 63];
        s += kDigits[n >> 12 & 63];
        s += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
        s += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return s;
}

class Lv2StateFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string strError;
        const std::string strLibrary = PANDREL_LV2_BUNDLE "/pandrel.so";
        if (!CLv2TestProject::State(strLibrary, false, &s_demo, &strError) ||
            !CLv2TestProject::BinState(strLibrary, 2, 1.0, 0.6f, &s_two, &strError))
            ADD_FAILURE() << strError;
    }
    void SetUp() override {
        ASSERT_FALSE(s_two.empty());
        ASSERT_TRUE(m_host.Instantiate());
    }
    CLv2Plugin* Plugin() {
        return static_cast<CLv2Plugin*>(lilv_instance_get_handle(m_host.Instance()));
    }
    // Saves the two-entry project as a state directory.
    std::string SaveTwo(const std::string& strName) {
        const std::string strDir = Scratch(strName);
        EXPECT_TRUE(m_host.Restore(s_two));
        EXPECT_TRUE(m_host.SaveStateDirectory(strDir));
        return strDir;
    }
    // Restores the state directory over the demo project and expects it refused:
    // the message names the cause and the demo's kick still plays as before.
    void ExpectRefused(const std::string& strDir, const std::string& strCause) {
        ASSERT_TRUE(m_host.Instantiate());
        ASSERT_TRUE(m_host.Restore(s_demo));
        const std::vector<CLv2TestHost::Note> kick = {{0, kNoteOn, CLv2TestProject::kKickKey, 100}};
        const auto before = m_host.Render(kick, 8);
        testing::internal::CaptureStderr();
        ASSERT_TRUE(m_host.RestoreStateFile(strDir + "/state.ttl"));
        const std::string strLog = testing::internal::GetCapturedStderr();
        EXPECT_NE(strLog.find("cannot restore the state"), std::string::npos) << strLog;
        EXPECT_NE(strLog.find(strCause), std::string::npos) << strLog;
        EXPECT_EQ(m_host.Render(kick, 8), before);
    }
    static std::vector<uint8_t> s_demo, s_two;
    CLv2TestHost m_host{PANDREL_LV2_BUNDLE};
};
std::vector<uint8_t> Lv2StateFiles::s_demo, Lv2StateFiles::s_two;

TEST_F(Lv2StateFiles, WavesLieBesideTheStateAsWavFilesNamedByContent) {
    const std::string strDir = SaveTwo("beside");
    const auto waves = Waves(strDir);
    ASSERT_EQ(waves.size(), 2u);
    for (const std::string& strWave : waves) {
        const std::string strName = fs::path(strWave).filename().string();
        EXPECT_EQ(strName.size(), std::string("wave-0123456789abcdef.wav").size()) << strName;
        const std::string strBytes = ReadText(strWave);
        ASSERT_GT(strBytes.size(), 44u);
        EXPECT_EQ(strBytes.substr(0, 4), "RIFF");
        EXPECT_EQ(strBytes.substr(8, 8), "WAVEfmt ");
    }
    EXPECT_EQ(Plugin()->LastSave().nNew, 2);
    const std::string strTtl = ReadText(strDir + "/state.ttl");
    EXPECT_EQ(strTtl.find(strDir), std::string::npos) << "an absolute path in the state";
    EXPECT_EQ(strTtl.find("file:"), std::string::npos) << "an absolute path in the state";
    EXPECT_NE(strTtl.find(fs::path(waves[0]).filename().string()), std::string::npos);
    EXPECT_NE(strTtl.find("urn:pandrel:lv2#project"), std::string::npos);
    EXPECT_EQ(strTtl.find("urn:pandrel:lv2#state>"), std::string::npos);

    // Saved again unchanged: nothing written; into a new directory: linked, not written.
    ASSERT_TRUE(m_host.SaveStateDirectory(strDir));
    EXPECT_EQ(Plugin()->LastSave().nKept, 2);
    const std::string strOther = Scratch("beside-again");
    ASSERT_TRUE(m_host.SaveStateDirectory(strOther));
    EXPECT_EQ(Plugin()->LastSave().nLinked, 2);
    EXPECT_EQ(Plugin()->LastSave().nNewBytes, 0u);
}

TEST_F(Lv2StateFiles, APadChangeSavedAgainWritesLittleAndRestoresTheSameRender) {
    const auto fig = CLv2StateMeasure::Run(2, 2.0, Scratch("measure"));
    ASSERT_TRUE(fig.strError.empty()) << fig.strError;
    // The sample data as float, each file's 46-byte header and the small structure.
    EXPECT_LE(fig.llStateBytes, fig.llSampleBytes + 32 * 1024);
    EXPECT_LT(fig.llSameDirBytes, 64u * 1024);
    EXPECT_LT(fig.llNewDirBytes, 64u * 1024);
    EXPECT_TRUE(fig.bRestoredSounds);
    EXPECT_TRUE(fig.bSameRender);
    EXPECT_LT(fig.dRestoreSeconds, 2.0);
}

TEST_F(Lv2StateFiles, AMissingWaveFailsTheRestoreAndTheOldProjectPlays) {
    const std::string strDir = SaveTwo("missing");
    const auto waves = Waves(strDir);
    ASSERT_EQ(waves.size(), 2u);
    fs::remove(waves[1]);
    ExpectRefused(strDir, fs::path(waves[1]).filename().string());
}

TEST_F(Lv2StateFiles, ADamagedWaveFailsTheRestoreAndTheOldProjectPlays) {
    const std::string strDir = SaveTwo("damaged");
    const auto waves = Waves(strDir);
    ASSERT_EQ(waves.size(), 2u);
    {
        // One sample changed, the size kept.
        std::fstream f(waves[0], std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(1000);
        f.put('\x7f');
    }
    ExpectRefused(strDir, "damaged");
    // A file cut short is refused for its size.
    const std::string strShort = SaveTwo("short");
    const auto shortWaves = Waves(strShort);
    ASSERT_FALSE(shortWaves.empty());
    fs::resize_file(shortWaves[0], 100);
    ExpectRefused(strShort, "100 bytes");
}

TEST_F(Lv2StateFiles, AStateOfTheSingleChunkFormRestores) {
    // As older versions saved it: the whole stream as one base64 chunk under #state.
    const std::string strDir = Scratch("chunk");
    std::ofstream(strDir + "/state.ttl")
        << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
           "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
           "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
           "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n"
           "<> a pset:Preset ;\n  lv2:appliesTo <urn:pandrel:lv2> ;\n"
           "  state:state [\n    <urn:pandrel:lv2#state> \""
        << Base64(s_demo) << "\"^^xsd:base64Binary\n  ] .\n";
    ASSERT_TRUE(m_host.RestoreStateFile(strDir + "/state.ttl"));
    const std::vector<CLv2TestHost::Note> kick = {{0, kNoteOn, CLv2TestProject::kKickKey, 100}};
    const auto restored = m_host.Render(kick, 8);
    CLv2TestHost direct{PANDREL_LV2_BUNDLE};
    ASSERT_TRUE(direct.Instantiate());
    ASSERT_TRUE(direct.Restore(s_demo));
    const auto expected = direct.Render(kick, 8);
    EXPECT_NE(std::count(expected[0].begin(), expected[0].end(), 0.0f),
              static_cast<long>(expected[0].size()));
    EXPECT_EQ(restored, expected);
}
} // namespace

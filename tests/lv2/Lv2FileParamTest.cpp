// The plug-in's file parameters through a lilv host with a worker: the
// description declares them, a project file and an audio file load and sound,
// failed loads say why in the log and leave the old project playing,
// patch:Get answers the current values, and the audio thread allocates
// nothing to schedule a load or to answer.
#include "apps/cli/DemoLoop.h"
#include "apps/cli/DemoProject.h"
#include "apps/hostkit/InstrumentHost.h"
#include "apps/hostkit/WavWriter.h"
#include "apps/lv2/Lv2Plugin.h"
#include "interfaces/IVudivuVizezud.h"
#include "lv2/Lv2TestHost.h"
#include "lv2/Lv2TestProject.h"
#include "support/AllocCounter.h"
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/patch/patch.h>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using Notified = std::vector<std::pair<std::string, std::string>>;
constexpr const char* kProject = "urn:pandrel:lv2#projectFile";
constexpr const char* kAudio = "urn:pandrel:lv2#audioFile";
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kPad1Key = 60, kPad2Key = 62; // the default key map's first pads

size_t FirstSound(const std::array<std::vector<float>, 2>& mix) {
    for (size_t i = 0; i < mix[0].size(); ++i)
        if (mix[0][i] != 0.0f || mix[1][i] != 0.0f) return i;
    return SIZE_MAX;
}

// The value the plug-in last told for a property, or "(none)".
std::string Told(const Notified& sets, const std::string& strProperty) {
    std::string str = "(none)";
    for (const auto& [strKey, strValue] : sets)
        if (strKey == strProperty) str = strValue;
    return str;
}

std::string Errors(const std::vector<CLv2TestWorker::Line>& lines) {
    std::string str;
    for (const auto& line : lines)
        if (line.bError) str += line.strText;
    return str;
}

std::string Notes(const std::vector<CLv2TestWorker::Line>& lines) {
    std::string str;
    for (const auto& line : lines)
        if (!line.bError) str += line.strText;
    return str;
}

bool WriteTone(const std::string& strPath) {
    constexpr size_t kFrames = 22050;
    std::vector<float> samples(2 * kFrames);
    for (size_t f = 0; f < kFrames; ++f)
        samples[2 * f] = samples[2 * f + 1] = static_cast<float>(
            0.5 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(f) / 44100.0));
    std::string strError;
    return CWavWriter(WavSampleFormat::Pcm16, 2, 44100)
        .Write(strPath, samples.data(), kFrames, &strError);
}

// The demo project written as a project file by the instrument itself.
bool WriteDemoProject(const std::string& strPath, const std::string& strLoop,
                      std::string* pstrError) {
    CInstrumentModule module;
    if (!module.Load(PANDREL_LV2_BUNDLE "/pandrel.so", pstrError)) return false;
    CInstrumentHost host;
    if (!host.Open(module, CInstrumentHost::Options{}, CTempoMap(), pstrError)) return false;
    if (FAILED(CDemoProject::Build(host.Control(), strLoop, pstrError))) return false;
    if (FAILED(host.Control()->SaveProject("demo", strPath.c_str())))
        return *pstrError = "cannot save " + strPath, false;
    return true;
}

class Lv2FileParams : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = fs::temp_directory_path() / ("pandrel-lv2-files-" + std::to_string(getpid()));
        fs::create_directories(s_dir);
        std::string strError;
        if (!CDemoLoop().Write(Path("loop.wav"), &strError)) ADD_FAILURE() << strError;
        if (!WriteTone(Path("tone.wav"))) ADD_FAILURE() << "cannot write tone.wav";
        if (!WriteDemoProject(Path("demo.pnd"), Path("loop.wav"), &strError))
            ADD_FAILURE() << strError;
        std::ofstream(Path("notes.pnd")) << "a text file, not a project\n";
        std::ofstream(Path("notes.wav")) << "a text file, not audio\n";
        if (!CLv2TestProject::State(PANDREL_LV2_BUNDLE "/pandrel.so", false, &s_state, &strError))
            ADD_FAILURE() << strError;
    }
    static void TearDownTestSuite() { fs::remove_all(s_dir); }
    static std::string Path(const char* pszName) { return (s_dir / pszName).string(); }

    void SetUp() override {
        ASSERT_NE(m_host.Plugin(), nullptr);
        ASSERT_TRUE(m_host.Instantiate());
    }
    // A block that carries the queued patch messages (the worker runs after
    // it), and the next, in which the plug-in tells hosts the outcome.
    void Exchange() { m_host.Render({}, 2); }

    static fs::path s_dir;
    static std::vector<uint8_t> s_state;
    CLv2TestHost m_host{PANDREL_LV2_BUNDLE};
    const std::vector<CLv2TestHost::Note> m_groove = {
        {0, kNoteOn, CLv2TestProject::kGrooveKey, 110},
        {37, kNoteOn, CLv2TestProject::kKickKey, 90}};
};
fs::path Lv2FileParams::s_dir;
std::vector<uint8_t> Lv2FileParams::s_state;

TEST_F(Lv2FileParams, DescriptionDeclaresTheParametersAndTheNotifyPort) {
    LilvWorld* pWorld = lilv_world_new();
    LilvNode* pBundle = lilv_new_uri(pWorld, "file://" PANDREL_LV2_BUNDLE "/");
    lilv_world_load_bundle(pWorld, pBundle);
    LilvNode* pUri = lilv_new_uri(pWorld, "urn:pandrel:lv2");
    const LilvPlugin* pPlugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(pWorld), pUri);
    ASSERT_NE(pPlugin, nullptr);
    LilvNode* pWritable = lilv_new_uri(pWorld, LV2_PATCH__writable);
    LilvNode* pRange = lilv_new_uri(pWorld, "http://www.w3.org/2000/01/rdf-schema#range");
    LilvNode* pLabel = lilv_new_uri(pWorld, "http://www.w3.org/2000/01/rdf-schema#label");
    LilvNodes* pParams = lilv_plugin_get_value(pPlugin, pWritable);
    std::vector<std::string> params;
    LILV_FOREACH(nodes, i, pParams) {
        const LilvNode* pParam = lilv_nodes_get(pParams, i);
        params.emplace_back(lilv_node_as_uri(pParam));
        LilvNode* pType = lilv_world_get(pWorld, pParam, pRange, nullptr);
        LilvNode* pName = lilv_world_get(pWorld, pParam, pLabel, nullptr);
        EXPECT_TRUE(pType != nullptr && lilv_node_as_uri(pType) == std::string(LV2_ATOM__Path))
            << params.back();
        EXPECT_TRUE(pName != nullptr && *lilv_node_as_string(pName) != '\0') << params.back();
        lilv_node_free(pType);
        lilv_node_free(pName);
    }
    std::sort(params.begin(), params.end());
    EXPECT_EQ(params, (std::vector<std::string>{kAudio, kProject}));
    // Both atom ports speak patch messages; the notify output is the last port.
    LilvNode* pMessage = lilv_new_uri(pWorld, LV2_PATCH__Message);
    LilvNode* pOutput = lilv_new_uri(pWorld, LV2_CORE__OutputPort);
    const LilvPort* pIn = lilv_plugin_get_port_by_index(pPlugin, 0);
    const LilvPort* pNotify = lilv_plugin_get_port_by_index(pPlugin, CLv2TestHost::kNotifyPort);
    EXPECT_EQ(lilv_plugin_get_num_ports(pPlugin), CLv2TestHost::kNotifyPort + 1);
    ASSERT_NE(pNotify, nullptr);
    EXPECT_TRUE(lilv_port_supports_event(pPlugin, pIn, pMessage));
    EXPECT_TRUE(lilv_port_supports_event(pPlugin, pNotify, pMessage));
    EXPECT_TRUE(lilv_port_is_a(pPlugin, pNotify, pOutput));
    for (LilvNode* p : {pMessage, pOutput, pWritable, pRange, pLabel, pUri, pBundle})
        lilv_node_free(p);
    lilv_nodes_free(pParams);
    lilv_world_free(pWorld);
}

TEST_F(Lv2FileParams, ProjectFileLoadsAndPlaysAsItsState) {
    EXPECT_EQ(FirstSound(m_host.Render(m_groove, 8)), SIZE_MAX) << "a new instance sounds";
    m_host.SetFile(kProject, Path("demo.pnd"));
    Exchange();
    const auto log = m_host.Worker().TakeLog();
    EXPECT_EQ(Errors(log), "");
    EXPECT_NE(Notes(log).find("loaded the project " + Path("demo.pnd")), std::string::npos);
    const Notified told = m_host.TakeNotified();
    EXPECT_EQ(Told(told, kProject), Path("demo.pnd"));
    EXPECT_EQ(Told(told, kAudio), "");
    const auto loaded = m_host.Render(m_groove, 16);
    ASSERT_NE(FirstSound(loaded), SIZE_MAX);

    CLv2TestHost restored{PANDREL_LV2_BUNDLE};
    ASSERT_TRUE(restored.Instantiate());
    ASSERT_TRUE(restored.Restore(s_state));
    const auto ref = restored.Render(m_groove, 16);
    EXPECT_EQ(loaded[0], ref[0]);
    EXPECT_EQ(loaded[1], ref[1]);
}

TEST_F(Lv2FileParams, AudioFileGoesToTheFirstEmptyPadAndSounds) {
    EXPECT_EQ(FirstSound(m_host.Render({{0, kNoteOn, kPad1Key, 100}}, 4)), SIZE_MAX);
    m_host.SetFile(kAudio, Path("loop.wav"));
    Exchange();
    auto log = m_host.Worker().TakeLog();
    EXPECT_EQ(Errors(log), "");
    EXPECT_NE(Notes(log).find("on pad 1, played by MIDI key 60"), std::string::npos) << Notes(log);
    EXPECT_EQ(Told(m_host.TakeNotified(), kAudio), Path("loop.wav"));
    EXPECT_LT(FirstSound(m_host.Render({{0, kNoteOn, kPad1Key, 100}}, 4)), 4u);

    // The next file takes the next pad; pad 1 keeps the loop.
    m_host.SetFile(kAudio, Path("tone.wav"));
    Exchange();
    log = m_host.Worker().TakeLog();
    EXPECT_NE(Notes(log).find("on pad 2, played by MIDI key 62"), std::string::npos) << Notes(log);
    EXPECT_LT(FirstSound(m_host.Render({{0, kNoteOn, kPad2Key, 100}}, 4)), 4u);

    // A file the Loop Bin holds already takes no pad of its own.
    m_host.SetFile(kAudio, Path("loop.wav"));
    Exchange();
    log = m_host.Worker().TakeLog();
    EXPECT_NE(Notes(log).find("is already file 1 of the Loop Bin"), std::string::npos)
        << Notes(log);
    EXPECT_EQ(FirstSound(m_host.Render({{0, kNoteOn, 64, 100}}, 4)), SIZE_MAX);
    EXPECT_EQ(Told(m_host.TakeNotified(), kAudio), Path("loop.wav"));

    // A project replaces all of it, and the added file is no longer its value.
    m_host.SetFile(kProject, Path("demo.pnd"));
    Exchange();
    EXPECT_EQ(Told(m_host.TakeNotified(), kAudio), "");
}

TEST_F(Lv2FileParams, FailedLoadsSayWhyAndTheOldProjectPlaysOn) {
    m_host.SetFile(kProject, Path("demo.pnd"));
    Exchange();
    ASSERT_EQ(Errors(m_host.Worker().TakeLog()), "");
    m_host.TakeNotified();
    const auto before = m_host.Render(m_groove, 16);
    ASSERT_NE(FirstSound(before), SIZE_MAX);
    const struct {
        const char* pszProperty;
        std::string strPath, strWhy;
    } cases[] = {
        {kProject, Path("missing.pnd"), "No such file or directory"},
        {kProject, Path("notes.pnd"), "not a project file"},
        {kProject, s_dir.string(), "Is a directory"},
        {kAudio, Path("missing.wav"), "No such file or directory"},
        {kAudio, Path("notes.wav"), "not an audio file"},
    };
    for (const auto& c : cases) {
        m_host.SetFile(c.pszProperty, c.strPath);
        Exchange();
        const std::string strErrors = Errors(m_host.Worker().TakeLog());
        EXPECT_NE(strErrors.find("cannot load " + c.strPath + ": " + c.strWhy), std::string::npos)
            << "logged: " << strErrors;
        // Hosts are told the value that stands.
        const Notified told = m_host.TakeNotified();
        EXPECT_EQ(Told(told, c.pszProperty), c.pszProperty == kProject ? Path("demo.pnd") : "");
        const auto after = m_host.Render(m_groove, 16);
        EXPECT_EQ(after[0], before[0]) << c.strPath;
        EXPECT_EQ(after[1], before[1]) << c.strPath;
    }
}

TEST_F(Lv2FileParams, PathTooLongForTheRequestIsRefusedInWords) {
    const std::string strPath = "/" + std::string(5000, 'a') + ".pnd";
    m_host.SetFile(kProject, strPath);
    Exchange();
    EXPECT_EQ(m_host.Worker().Scheduled(), 1u);
    EXPECT_NE(Errors(m_host.Worker().TakeLog()).find("the path is longer than 4095 bytes"),
              std::string::npos);
    EXPECT_EQ(Told(m_host.TakeNotified(), kProject), "");
}

TEST_F(Lv2FileParams, PatchGetAnswersTheCurrentValues) {
    m_host.GetParams();
    Exchange();
    Notified told = m_host.TakeNotified();
    EXPECT_EQ(told, (Notified{{kProject, ""}, {kAudio, ""}}));

    m_host.SetFile(kProject, Path("demo.pnd"));
    Exchange();
    m_host.TakeNotified();
    m_host.GetParams(kProject);
    Exchange();
    EXPECT_EQ(m_host.TakeNotified(), (Notified{{kProject, Path("demo.pnd")}}));
    m_host.GetParams(kAudio);
    m_host.GetParams("urn:pandrel:lv2#noSuchParameter"); // not answered
    Exchange();
    EXPECT_EQ(m_host.TakeNotified(), (Notified{{kAudio, ""}}));
}

TEST_F(Lv2FileParams, AudioThreadAllocatesNothingToScheduleOrAnswer) {
    ASSERT_TRUE(m_host.Restore(s_state));
    m_host.Render({}, 1); // activates once so lazy set-up is done
    lilv_instance_activate(m_host.Instance());
    m_host.RunBlock({}, 0);
    m_host.Worker().SetAutomatic(false);
    m_host.SetFile(kAudio, Path("tone.wav"));
    m_host.GetParams();
    ScopedAllocCount scheduling;
    m_host.RunBlock(m_groove, 0);
    EXPECT_EQ(scheduling.Stop(), 0u);
    EXPECT_EQ(m_host.Worker().Scheduled(), 1u);
    m_host.Worker().DoWork(); // the worker thread's part, which may allocate
    ScopedAllocCount answering;
    for (int b = 0; b < 3; ++b) m_host.RunBlock(m_groove, 0);
    EXPECT_EQ(answering.Stop(), 0u);
    lilv_instance_deactivate(m_host.Instance());
    EXPECT_EQ(Told(m_host.TakeNotified(), kAudio), Path("tone.wav"));
}

TEST_F(Lv2FileParams, LoadWakesTheIdleGate) {
    auto skipped = [&] {
        return static_cast<const CLv2Plugin*>(lilv_instance_get_handle(m_host.Instance()))
            ->SkippedBlocks();
    };
    lilv_instance_activate(m_host.Instance());
    m_host.Worker().SetAutomatic(false);
    m_host.SetFile(kAudio, Path("tone.wav"));
    m_host.RunBlock({}, 0);
    // Idle again before the worker has loaded anything.
    for (int b = 0; b < 50 && skipped() == 0; ++b) m_host.RunBlock({}, 0);
    ASSERT_GT(skipped(), 0u);
    m_host.Worker().DoWork();
    m_host.RunBlock({}, 0); // the answer arrives after this block
    const uint64_t nBefore = skipped();
    m_host.RunBlock({}, 0);
    EXPECT_EQ(skipped(), nBefore) << "the block after a load was skipped unseen";
    lilv_instance_deactivate(m_host.Instance());
}

TEST_F(Lv2FileParams, WithoutAWorkerTheParametersAreRefusedAndSaySo) {
    m_host.OfferWorker(false);
    ASSERT_TRUE(m_host.Instantiate());
    EXPECT_NE(Notes(m_host.Worker().TakeLog()).find("offers no worker"), std::string::npos);
    m_host.SetFile(kProject, Path("demo.pnd"));
    Exchange();
    EXPECT_EQ(FirstSound(m_host.Render(m_groove, 8)), SIZE_MAX);
    EXPECT_EQ(Told(m_host.TakeNotified(), kProject), "");
}

// A patch:Set built by hand: the property's value atom and the value atom.
std::vector<uint8_t> PatchSet(CLv2TestHost& host, LV2_Atom property, uint32_t nPropertyBody,
                              LV2_Atom value, const std::string& strBody) {
    std::vector<uint8_t> bytes;
    auto put = [&](const void* p, size_t n) {
        bytes.insert(bytes.end(), static_cast<const uint8_t*>(p),
                     static_cast<const uint8_t*>(p) + n);
    };
    auto pad = [&] { bytes.resize((bytes.size() + 7) & ~size_t{7}); };
    const LV2_Atom header{0, host.MapUri(LV2_ATOM__Object)};
    put(&header, sizeof(header));
    const LV2_Atom_Object_Body body{0, host.MapUri(LV2_PATCH__Set)};
    put(&body, sizeof(body));
    const uint32_t keyProperty[2] = {host.MapUri(LV2_PATCH__property), 0};
    put(keyProperty, sizeof(keyProperty));
    put(&property, sizeof(property));
    put(&nPropertyBody, sizeof(nPropertyBody));
    pad();
    const uint32_t keyValue[2] = {host.MapUri(LV2_PATCH__value), 0};
    put(keyValue, sizeof(keyValue));
    put(&value, sizeof(value));
    put(strBody.data(), strBody.size());
    pad();
    const auto nSize = static_cast<uint32_t>(bytes.size() - sizeof(LV2_Atom));
    std::memcpy(bytes.data(), &nSize, sizeof(nSize));
    return bytes;
}

TEST_F(Lv2FileParams, MalformedPatchMessagesAreIgnored) {
    const LV2_URID urid = m_host.MapUri(LV2_ATOM__URID), path = m_host.MapUri(LV2_ATOM__Path),
                   project = m_host.MapUri(kProject);
    const std::string strPath = Path("demo.pnd") + std::string(1, '\0');
    const auto size = [](const std::string& str) { return static_cast<uint32_t>(str.size()); };
    // The value runs past the object; the property is no URID; the value is no path.
    m_host.SendAtom(PatchSet(m_host, {4, urid}, project, {100000, path}, strPath));
    m_host.SendAtom(PatchSet(m_host, {4, m_host.MapUri(LV2_ATOM__Int)}, project,
                             {size(strPath), path}, strPath));
    m_host.SendAtom(
        PatchSet(m_host, {4, urid}, project, {4, m_host.MapUri(LV2_ATOM__Int)}, "1234"));
    // An object cut short of its body.
    std::vector<uint8_t> cut(16, 0);
    const LV2_Atom cutHeader{4, m_host.MapUri(LV2_ATOM__Object)};
    std::memcpy(cut.data(), &cutHeader, sizeof(cutHeader));
    m_host.SendAtom(cut);
    Exchange();
    EXPECT_EQ(m_host.Worker().Scheduled(), 0u);
    // The same message whole loads, also without the NUL after the path.
    m_host.SendAtom(PatchSet(m_host, {4, urid}, project, {size(strPath) - 1, path}, strPath));
    Exchange();
    EXPECT_EQ(m_host.Worker().Scheduled(), 1u);
    EXPECT_EQ(Told(m_host.TakeNotified(), kProject), Path("demo.pnd"));
}
} // namespace

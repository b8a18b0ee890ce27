// Written projects, and a host stream, checked by an independent RIFF walker
// (tests/files/riff_walk.py, standard-library Python).
#include "ProjectScene.h"
#include <cstdlib>

using namespace fixture;

namespace {
int Walk(const std::string& path, int offset = 0) {
    const std::string cmd = "python3 " PANDREL_SOURCE_DIR "/tests/files/riff_walk.py '" + path +
                            "' " + std::to_string(offset) + " > /dev/null";
    return std::system(cmd.c_str());
}
bool HavePython() {
    return std::system("python3 -c 1 > /dev/null 2>&1") == 0;
}
} // namespace

TEST(RiffWalk, WrittenFormsHaveSoundStructure) {
    if (!HavePython()) GTEST_SKIP() << "python3 not found";
    FakeSynthContext ctx(44100);
    TempDir dir;
    TestControl empty(&ctx);
    ASSERT_EQ(static_cast<IVudivuVizezud&>(empty).SaveProject("e", dir.File("empty.pnd").c_str()),
              S_OK);
    EXPECT_EQ(Walk(dir.File("empty.pnd")), 0);
    TestControl scene(&ctx);
    BuildScene(scene, dir);
    ASSERT_EQ(static_cast<IVudivuVizezud&>(scene).SaveProject("s", dir.File("scene.pnd").c_str()),
              S_OK);
    EXPECT_EQ(Walk(dir.File("scene.pnd")), 0);
    // The walker itself rejects a broken pad byte and a size that lies.
    riff::Bytes b = ReadFile(dir.File("scene.pnd"));
    const size_t lbtr = FindChunk(b, "lbtr", 1);
    const uint32_t size = b[lbtr - 4] | (b[lbtr - 3] << 8);
    ASSERT_EQ(size % 2, 1u);
    b[lbtr + size] = 7;
    WriteFile(dir.File("badpad.pnd"), b);
    EXPECT_NE(Walk(dir.File("badpad.pnd")), 0);
    b = ReadFile(dir.File("scene.pnd"));
    Patch32(b, FindChunk(b, "keym") - 4, 10);
    WriteFile(dir.File("badsize.pnd"), b);
    EXPECT_NE(Walk(dir.File("badsize.pnd")), 0);
}

// Writes small projects as fuzzing seeds into fuzz/corpus (run by hand with
// --gtest_also_run_disabled_tests --gtest_filter=*Seeds*).
TEST(RiffWalk, DISABLED_WriteFuzzSeeds) {
    FakeSynthContext ctx(44100);
    TempDir dir;
    TestControl c(&ctx);
    IVudivuVizezud& api = c;
    const std::string corpus = PANDREL_SOURCE_DIR "/fuzz/corpus/";
    for (const char* d : {"projectfile", "projectstream", "versiontext"})
        std::filesystem::create_directories(corpus + d);
    api.SaveProject("e", (corpus + "projectfile/empty.pnd").c_str());
    WriteFile(dir.File("l.wav"), SlicedLoop(64, 4));
    WriteFile(dir.File("p.wav"), PlainWave(20));
    Load(c, dir.File("l.wav"));
    Load(c, dir.File("p.wav"));
    api.AssignFileToPad(0, 0);
    api.AddGrain(1, 0, 1, kTicksPerBeat);
    api.CopyGrain(0, 2, 1, 0, nullptr);
    api.SetPadTails(1, 1);
    api.SaveProject("s", (corpus + "projectfile/small.pnd").c_str());
    riff::Bytes form = ReadFile(corpus + "projectfile/small.pnd");
    riff::Bytes text;
    for (char ch : std::string("00000000000 "))
        text.insert(text.end(), {static_cast<uint8_t>(ch), 0});
    riff::Bytes state = text;
    state.insert(state.end(), form.begin(), form.end());
    WriteFile(corpus + "projectstream/small.state", state);
    WriteFile(corpus + "projectfile/small-state", state);
    WriteFile(corpus + "versiontext/zero", text);
    riff::Bytes neg;
    for (char ch : std::string("-12\t"))
        neg.insert(neg.end(), {static_cast<uint8_t>(ch), 0});
    WriteFile(corpus + "versiontext/negative", neg);
}

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
bool HavePython() { return std::system("python3 -c 1 > /dev/null 2>&1") == 0; }
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

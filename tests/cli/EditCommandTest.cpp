// `pandrel edit --snapshot`: the page drawn offscreen from the library's page
// class, after a full refresh of the project it was given.
#include "CliFixture.h"

TEST_F(CliTest, EditSnapshotDrawsThePageOfAProject) {
    ASSERT_EQ(Run("demo -o demo.wav").nStatus, 0);
    Result r = Run("edit demo.pnd --snapshot page.png");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "wrote page.png\n");
    const std::string png = Slurp(m_dir + "/page.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // Width and height in the header: the page's 600 x 553.
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
               (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
    };
    EXPECT_EQ(be32(16), 600u);
    EXPECT_EQ(be32(20), 553u);
}

TEST_F(CliTest, EditFailuresAreOneLineNamingTheFile) {
    ExpectOneLineError(Run("edit missing.pnd --snapshot page.png"), "missing.pnd");
    EXPECT_FALSE(Exists("page.png"));
    ExpectOneLineError(Run("edit --snapshot nowhere/page.png"), "nowhere/page.png");
    ExpectOneLineError(Run("edit a.pnd b.pnd --snapshot page.png"), "unexpected argument 'b.pnd'");
}

TEST_F(CliTest, EditSnapshotAtScaleTwoIsTwiceThePageSize) {
    ASSERT_EQ(Run("demo -o demo.wav").nStatus, 0);
    Result r = Run("edit demo.pnd --snapshot page2.png --scale 2");
    ASSERT_EQ(r.nStatus, 0) << r.strErr;
    const std::string png = Slurp(m_dir + "/page2.png");
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
               (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
    };
    EXPECT_EQ(be32(16), 1200u);
    EXPECT_EQ(be32(20), 1106u);
    ExpectOneLineError(Run("edit demo.pnd --snapshot page4.png --scale 4"),
                       "--scale must be a number from 1 to 3, not '4'");
    ExpectOneLineError(Run("edit demo.pnd --snapshot page4.png --scale big"), "--scale");
}

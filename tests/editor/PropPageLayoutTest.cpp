// Every control of the page at the place the layout gives it, the page's
// message texts word for word, and the help's lookups.
#include "PropPageFixture.h"
#include "editor/PageHelp.h"
#include "editor/PageLayout.h"
#include "platform/registry/Registry.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {
struct Expected {
    UINT id;
    LONG x, y, w, h;
};
// The layout table, written out again: left, top, width, height.
constexpr Expected kLayout[] = {
    {1161, 10, 29, 15, 14},   {1162, 31, 29, 15, 14},   {1165, 50, 27, 20, 19},
    {1132, 71, 27, 20, 19},   {1133, 92, 27, 20, 19},   {1092, 113, 27, 21, 19},
    {1144, 98, 52, 15, 14},   {1126, 115, 52, 15, 14},  {1141, 554, 82, 34, 12},
    {1142, 554, 99, 34, 12},  {1140, 554, 121, 34, 12}, {1139, 554, 138, 34, 12},
    {1138, 554, 155, 34, 12}, {1125, 500, 176, 9, 9},   {1166, 548, 176, 9, 9},
    {1137, 500, 190, 9, 9},   {1172, 504, 216, 34, 12}, {1173, 554, 216, 34, 12},
    {1167, 15, 397, 17, 17},  {1134, 43, 399, 30, 12},  {1168, 15, 435, 17, 17},
    {1135, 43, 438, 30, 12},  {1169, 15, 474, 17, 17},  {1136, 43, 477, 30, 12},
    {1127, 567, 535, 10, 12}, {1128, 556, 535, 10, 12}, {1129, 583, 519, 12, 10},
    {1130, 583, 508, 12, 10},
};
} // namespace

TEST_F(PropPageTest, EveryControlSitsAtItsPlace) {
    for (const Expected& e : kLayout) {
        const CWnd* c = page->Control(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->GetRectInParent(), RectXYWH(e.x, e.y, e.w, e.h)) << e.id;
        EXPECT_EQ(c->GetDlgCtrlID(), e.id);
    }
    // Combo boxes: 60 pixels wide at their left and top.
    for (const Expected& e : {Expected{1143, 534, 22, 60, 0}, Expected{1170, 534, 40, 60, 0},
                              Expected{1171, 534, 58, 60, 0}, Expected{1174, 21, 515, 60, 0}}) {
        const RECT r = page->Control(e.id)->GetRectInParent();
        EXPECT_EQ(r.left, e.x) << e.id;
        EXPECT_EQ(r.top, e.y) << e.id;
        EXPECT_EQ(r.Width(), 60) << e.id;
    }
}

TEST_F(PropPageTest, PadCellControlsSitInTheirCells) {
    // Pad 16 is in column 3, row 3: x = 138 + 267, y = 43 + 171; its mute is 1040.
    EXPECT_EQ(page->Control(1040)->GetRectInParent(), RectXYWH(405 + 19, 214 + 1, 16, 15));
    EXPECT_EQ(page->Control(1039), nullptr);
    EXPECT_EQ(page->Control(1088)->GetRectInParent(), RectXYWH(405 + 2, 215, 15, 14));
    EXPECT_EQ(page->Control(1093)->GetRectInParent(), RectXYWH(138 + 47, 43 - 37, 17, 17));
    EXPECT_EQ(page->Control(1114)->GetRectInParent(),
              RectXYWH(138 + 89 + 65, 43 + 57 - 17, 17, 17));
    EXPECT_EQ(page->Control(1160)->GetRectInParent(), RectXYWH(405 + 36, 215, 16, 15));
    EXPECT_EQ(page->Control(1072)->GetRectInParent(), RectXYWH(405 + 70, 215, 16, 15));
}

TEST(PageMessages, TextsAreThoseOfTheStringTable) {
    const std::pair<UINT, const wchar_t*> texts[] = {
        {6, L"Any grains sourced from this file will be deleted from the Pad Editor.  OK to "
            L"proceed?"},
        {7, L"Please select a file in the Loop Bin."},
        {8, L"The Loop Bin is full.  If possible, delete one or more entries before loading "
            L"additional files."},
        {9, L"There was an error loading the file.  The file may be too large or have an "
            L"invalid format."},
        {10, L"Error saving file!  Save aborted!"},
        {11, L"Error loading file!  The file may be corrupted."},
        {12, L"Are you sure you want to clear the contents of this project?"},
        {13, L"Important!:  Be sure to patch Pandrel into one or more Halcyra audio tracks and "
             L"start the audio engine."},
    };
    for (const auto& [id, text] : texts) EXPECT_EQ(CStringTable::Load(id), text) << id;
}

class PageHelpTest : public PropPageTest {
protected:
    void SetUp() override {
        dir =
            std::filesystem::temp_directory_path() / ("pandrel-help-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir / "Pandrel");
        ::setenv("PANDREL_REGISTRY", (dir / "registry").c_str(), 1);
        CPageHelp::SetOpener([this](const std::string& p) {
            opened.push_back(p);
            return true;
        });
        PropPageTest::SetUp();
    }
    void TearDown() override {
        PropPageTest::TearDown();
        CPageHelp::SetOpener({});
        ::unsetenv("PANDREL_REGISTRY");
        std::filesystem::remove_all(dir);
    }
    void SetInstallDirectory(const std::string& value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE,
                                  "Software\\Vantrel Music Software\\Shared DXi", 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "InstallDirectory", 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }
    std::filesystem::path dir;
    std::vector<std::string> opened;
};

TEST_F(PageHelpTest, TheDesignsHelpFileComesFirst) {
    SetInstallDirectory(dir.string());
    EXPECT_EQ(CPageHelp::DesignHelpPath(), dir.string() + "\\Pandrel\\Pandrel.chm");
    std::ofstream(dir / "Pandrel" / "Pandrel.chm") << "help";
    Screen().Press(VK_F1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], (dir / "Pandrel" / "Pandrel.chm").string());
}

TEST_F(PageHelpTest, WithoutTheValueThePathStartsEmpty) {
    EXPECT_EQ(CPageHelp::DesignHelpPath(), "\\Pandrel\\Pandrel.chm");
}

TEST_F(PageHelpTest, WithoutAHelpFileTheManualOrAMessage) {
    page->Help(nullptr);
    bool manual = false;
    for (const std::string& m : CPageHelp::ManualCandidates())
        manual = manual || std::filesystem::is_regular_file(m);
    if (manual) {
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_NE(opened[0].find("manual"), std::string::npos);
    } else {
        EXPECT_TRUE(opened.empty());
        EXPECT_TRUE(Asked(CStringTable::Load(IDS_HELP_MISSING)));
    }
}

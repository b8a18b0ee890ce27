// The layer-drawn modal services with a person at the display: a display whose
// "person" acts between waits, so the message box, the menu and the file
// dialog are driven through their own windows.
#include "Recorder.h"
#include "UiFixture.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/X11Keys.h"
#include <filesystem>
#include <fstream>
#include <functional>

namespace {
// Each wait for input runs the next action; with none left the display is gone.
class CPersonDisplay : public COffscreenBackend {
public:
    std::deque<std::function<void()>> actions;
    bool WaitEvents(int) override {
        if (actions.empty()) return false;
        auto a = std::move(actions.front());
        actions.pop_front();
        a();
        return true;
    }
    bool IsInteractive() const override { return true; }
};

class Modal : public ::testing::Test {
protected:
    void SetUp() override {
        auto b = std::make_unique<CPersonDisplay>();
        screen = b.get();
        CWindowManager::Instance().SetBackend(std::move(b));
        page.CreateTopLevel(L"page", {600, 400});
        button.Create(&page, RectXYWH(0, 0, 40, 20), 7);
        CWindowManager::Instance().Pump();
    }
    void TearDown() override {
        button.DestroyWindow();
        page.DestroyWindow();
        CWindowManager::Instance().SetBackend(nullptr);
    }
    // The first child of the top-level that is neither the page's button nor absent.
    CWnd* Dialog() {
        for (CWnd* c : page.Children())
            if (c != &button) return c;
        return nullptr;
    }
    POINT CentreOf(CWnd* w) {
        RECT r = w->GetWindowRect();
        return page.ScreenToClient({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    CPersonDisplay* screen = nullptr;
    CRecorder page, button;
};
} // namespace

TEST_F(Modal, MessageBoxKeepsThePageFromInputAndAnswersItsButton) {
    screen->actions.push_back([&] {
        screen->Click({20, 10}); // the page's own control is blocked while the box is up
        EXPECT_EQ(button.Count(WM_LBUTTONDOWN), 0);
        CWnd* box = Dialog();
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(box->Children().size(), 2u);
        CWnd* yes = box->GetDlgItem(IDYES);
        ASSERT_NE(yes, nullptr);
        screen->Click(CentreOf(yes));
    });
    EXPECT_EQ(MessageBox(&page, L"Are you sure you want to clear the contents of this project?",
                         L"Pandrel", MB_YESNO),
              IDYES);
    EXPECT_EQ(Dialog(), nullptr);
    screen->Click({20, 10});
    EXPECT_EQ(button.Count(WM_LBUTTONDOWN), 1);
    // Escape-free: closing the display answers No.
    EXPECT_EQ(MessageBox(&page, L"Delete?", L"Pandrel", MB_YESNO), IDNO);
}

TEST_F(Modal, MenuReturnsTheClickedCommandOrNothingForAClickOutside) {
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING, 32770, L"Open Audio File");
    menu.AppendMenu(MF_STRING, 32773, L"Clear Pad");
    screen->actions.push_back([&] {
        CWnd* m = Dialog();
        ASSERT_NE(m, nullptr);
        RECT r = m->GetWindowRect();
        screen->MoveTo(page.ScreenToClient({r.left + 30, r.top + 1 + 20 + 10})); // the second row
        screen->Click(page.ScreenToClient({r.left + 30, r.top + 1 + 20 + 10}));
    });
    POINT at = page.ClientToScreen({100, 100});
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, at.x, at.y, &page), 32773u);
    screen->actions.push_back([&] { screen->Click({500, 350}); });
    EXPECT_EQ(menu.TrackPopupMenu(TPM_RETURNCMD, at.x, at.y, &page), 0u);
    // A menu near the edge is moved inside the window.
    screen->actions.push_back([&] {
        ASSERT_NE(Dialog(), nullptr);
        RECT r = Dialog()->GetRectInParent();
        EXPECT_LE(r.right, 600);
        EXPECT_LE(r.bottom, 400);
    });
    POINT corner = page.ClientToScreen({590, 395});
    menu.TrackPopupMenu(TPM_RETURNCMD, corner.x, corner.y, &page);
}

TEST_F(Modal, FileDialogChoosesATypedNameAndOpensOnlyExistingFiles) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("pandrel-ui-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "Loop.wav") << "x";
    std::wstring path = (dir / "Loop.wav").wstring();
    auto type = [&](const std::wstring& name) {
        return [&, name] {
            screen->Press(VK_HOME);
            for (int i = 0; i < 40; ++i) screen->Press(VK_DELETE);
            screen->Type(name);
            screen->Press(VK_RETURN, L'\r');
            CWnd* dlg = Dialog();
            ASSERT_NE(dlg, nullptr);
            screen->Click(CentreOf(dlg->GetDlgItem(IDOK)));
        };
    };
    // A missing file is refused and the dialog comes back; then an existing one.
    screen->actions.push_back(type(dir.wstring() + L"/missing.wav"));
    screen->actions.push_back(type(path));
    CFileDialog open(TRUE, nullptr, nullptr, OFN_HIDEREADONLY, L"Wave Files (*.wav)|*.wav||",
                     &page);
    ASSERT_EQ(open.DoModal(), IDOK);
    EXPECT_EQ(open.GetPathName(), path);
    // Saving over it asks first; No brings the dialog back, Cancel ends it.
    screen->actions.push_back(type(path));
    screen->actions.push_back([&] {
        CWnd* box = Dialog();
        ASSERT_NE(box, nullptr);
        screen->Click(CentreOf(box->GetDlgItem(IDNO)));
    });
    screen->actions.push_back([&] { screen->Click(CentreOf(Dialog()->GetDlgItem(IDCANCEL))); });
    CFileDialog save(FALSE, nullptr, nullptr, OFN_OVERWRITEPROMPT, L"Pnd Files (*.pnd)|*.pnd||",
                     &page);
    EXPECT_EQ(save.DoModal(), IDCANCEL);
    fs::remove_all(dir);
}

TEST(X11Keys, MapsKeySymbolsToKeysAndCharacters) {
    EXPECT_EQ(VirtualKeyFromKeysym('a'), static_cast<UINT>('A'));
    EXPECT_EQ(VirtualKeyFromKeysym('Z'), static_cast<UINT>('Z'));
    EXPECT_EQ(VirtualKeyFromKeysym(0xFF0D), VK_RETURN);  // Return
    EXPECT_EQ(VirtualKeyFromKeysym(0xFFAB), VK_ADD);     // keypad +
    EXPECT_EQ(VirtualKeyFromKeysym(0xFFE1), VK_SHIFT);   // Shift_L
    EXPECT_EQ(VirtualKeyFromKeysym(0xFFE4), VK_CONTROL); // Control_R
    EXPECT_EQ(VirtualKeyFromKeysym(0xFFBE), VK_F1);
    EXPECT_EQ(VirtualKeyFromKeysym(0xFE03), 0u); // a level shift does nothing
    EXPECT_EQ(CharFromKeysym('z', 0), L'z');
    EXPECT_EQ(CharFromKeysym('z', MK_CONTROL), 0); // Ctrl+Z types nothing
    EXPECT_EQ(CharFromKeysym(0xFFAD, 0), L'-');
    EXPECT_EQ(CharFromKeysym(0xFF52, 0), 0); // Up types nothing
}

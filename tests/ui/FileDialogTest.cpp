// The layer's file dialog worked from the keyboard alone by a "person" acting
// between the display's waits: the two lists, Tab, the arrows, Return,
// Backspace, Escape, typed paths and patterns, the folder it remembers, and
// the file a save dialog proposes.
#include "platform/ui/FileDialog.h"
#include "UiFixture.h"
#include "platform/ui/FileDialogWindow.h"
#include "platform/ui/Messages.h"
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
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

class FileDialogKeys : public ::testing::Test {
protected:
    void SetUp() override {
        auto b = std::make_unique<CPersonDisplay>();
        screen = b.get();
        CWindowManager::Instance().SetBackend(std::move(b));
        page.CreateTopLevel(L"page", {600, 500});
        dir = fs::temp_directory_path() / ("pandrel-dialog-" + std::to_string(::getpid()));
        fs::create_directories(dir / "drums" / "deep");
        fs::create_directories(dir / "bass");
        for (const char* f : {"B.wav", "a.WAV", "notes.txt", "drums/Kick Loop.wav"})
            std::ofstream(dir / f) << "x";
    }
    void TearDown() override {
        page.DestroyWindow();
        CWindowManager::Instance().SetBackend(nullptr);
        fs::remove_all(dir);
    }
    std::wstring NameField() {
        CWnd* name = Dialog() != nullptr ? Dialog()->GetDlgItem(1001) : nullptr;
        return name != nullptr ? name->GetWindowText() : L"(no field)";
    }
    CFileDialogWindow* Dialog() {
        for (CWnd* c : page.Children())
            if (auto* d = dynamic_cast<CFileDialogWindow*>(c)) return d;
        return nullptr;
    }
    void Keys(std::initializer_list<UINT> keys) {
        for (UINT k : keys) screen->Press(k, k == VK_RETURN ? L'\r' : k == VK_BACK ? L'\b' : 0);
    }
    // Opens a wave dialog starting in start ("" for the remembered folder).
    int Open(const fs::path& start, std::wstring& chosen) {
        const std::wstring name = start.empty() ? L"" : (start / "x.wav").wstring();
        CFileDialog dlg(TRUE, nullptr, name.empty() ? nullptr : name.c_str(), OFN_HIDEREADONLY,
                        L"Wave Files (*.wav)|*.wav||", &page);
        const int r = dlg.DoModal();
        chosen = dlg.GetPathName();
        return r;
    }

    CPersonDisplay* screen = nullptr;
    CWnd page;
    fs::path dir;
};
} // namespace

TEST_F(FileDialogKeys, ListsFoldersAndFilteredFilesAndWalksThemWithKeys) {
    std::wstring chosen;
    screen->actions.push_back([&] {
        CFileDialogWindow* d = Dialog();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->Folders(), (std::vector<std::wstring>{L"..", L"bass", L"drums"}));
        // The filter lets through .wav in any case, nothing else.
        EXPECT_EQ(d->Files(), (std::vector<std::wstring>{L"B.wav", L"a.WAV"}));
        // Tab into the folders ("..", then down twice to drums) and Return.
        Keys({VK_TAB, VK_DOWN, VK_DOWN, VK_RETURN});
        EXPECT_EQ(d->Directory(), dir / "drums");
        EXPECT_EQ(d->Folders(), (std::vector<std::wstring>{L"..", L"deep"}));
        EXPECT_EQ(d->Files(), std::vector<std::wstring>{L"Kick Loop.wav"});
        // Backspace goes up; Shift+Tab from the folders reaches the field, and
        // an arrow from there goes into the files; Return takes one.
        Keys({VK_BACK});
        EXPECT_EQ(d->Directory(), dir);
        screen->Press(VK_TAB, 0, MK_SHIFT);
        Keys({VK_DOWN, VK_DOWN, VK_UP, VK_DOWN, VK_RETURN});
    });
    ASSERT_EQ(Open(dir, chosen), IDOK);
    EXPECT_EQ(chosen, (dir / "a.WAV").wstring());
}

TEST_F(FileDialogKeys, TypedPathsOpenFoldersSetTheFilterAndChooseFiles) {
    std::wstring chosen;
    screen->actions.push_back([&] {
        CFileDialogWindow* d = Dialog();
        ASSERT_NE(d, nullptr);
        // A folder typed in full opens it; a pattern becomes the filter.
        screen->Type((dir / "drums").wstring());
        Keys({VK_RETURN});
        EXPECT_EQ(d->Directory(), dir / "drums");
        screen->Type(L"../*.txt");
        Keys({VK_RETURN});
        EXPECT_EQ(d->Directory(), dir);
        EXPECT_EQ(d->Files(), std::vector<std::wstring>{L"notes.txt"});
        // Backspace in a field with text edits the text, not the folder.
        screen->Type(L"notes.txq");
        Keys({VK_BACK});
        EXPECT_EQ(d->Directory(), dir);
        screen->Type(L"t");
        Keys({VK_RETURN});
    });
    ASSERT_EQ(Open(dir, chosen), IDOK);
    EXPECT_EQ(chosen, (dir / "notes.txt").wstring());
}

TEST_F(FileDialogKeys, EscapeCancelsAndTheNextDialogStartsWhereAFileWasChosen) {
    std::wstring chosen;
    screen->actions.push_back([&] {
        Keys({VK_TAB, VK_DOWN, VK_DOWN, VK_RETURN, VK_TAB, VK_RETURN});
    });
    ASSERT_EQ(Open(dir, chosen), IDOK);
    EXPECT_EQ(chosen, (dir / "drums" / "Kick Loop.wav").wstring());
    screen->actions.push_back([&] {
        ASSERT_NE(Dialog(), nullptr);
        EXPECT_EQ(Dialog()->Directory(), dir / "drums");
        Keys({VK_ESCAPE});
    });
    EXPECT_EQ(Open({}, chosen), IDCANCEL);
    EXPECT_EQ(Dialog(), nullptr);
    // An unreadable or missing folder typed in leaves the dialog where it was.
    screen->actions.push_back([&] {
        screen->Type((dir / "gone").wstring() + L"/");
        Keys({VK_RETURN});
    });
    screen->actions.push_back([&] {
        ASSERT_NE(Dialog(), nullptr);
        EXPECT_EQ(Dialog()->Directory(), dir / "drums");
        Keys({VK_ESCAPE});
    });
    EXPECT_EQ(Open({}, chosen), IDCANCEL);
}

TEST_F(FileDialogKeys, ASaveDialogProposesTheGivenFileAndAsksBeforeReplacingIt) {
    CDialogScript& script = CWindowManager::Instance().Script();
    const std::wstring existing = (dir / "drums" / "Kick Loop.wav").wstring();
    screen->actions.push_back([&] {
        ASSERT_NE(Dialog(), nullptr);
        EXPECT_EQ(Dialog()->Directory(), dir / "drums");
        EXPECT_EQ(NameField(), L"Kick Loop.wav");
        script.Push(IDNO); // do not replace it
        Keys({VK_RETURN});
    });
    screen->actions.push_back([&] {
        // Back in the dialog with the name kept; typing replaces it whole.
        EXPECT_EQ(NameField(), L"Kick Loop.wav");
        screen->Type(L"new.wav");
        Keys({VK_RETURN});
    });
    CFileDialog dlg(FALSE, nullptr, existing.c_str(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    L"Wave Files (*.wav)|*.wav||", &page);
    ASSERT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetPathName(), (dir / "drums" / "new.wav").wstring());
    ASSERT_EQ(script.Asked().size(), 2u);
    EXPECT_EQ(script.Asked()[1], L"Kick Loop.wav already exists.\nDo you want to replace it?");
    EXPECT_EQ(script.Proposed(), std::vector<std::wstring>{existing});
    script.Clear();
    // A path ending in '/' gives the folder with an empty field.
    screen->actions.push_back([&] {
        EXPECT_EQ(Dialog()->Directory(), dir / "bass");
        EXPECT_EQ(NameField(), L"");
        Keys({VK_ESCAPE});
    });
    const std::wstring folder = (dir / "bass").wstring() + L"/";
    CFileDialog again(FALSE, nullptr, folder.c_str(), OFN_OVERWRITEPROMPT,
                      L"Wave Files (*.wav)|*.wav||", &page);
    EXPECT_EQ(again.DoModal(), IDCANCEL);
    script.Clear();
}

// The page as a COM object, the project commands of its top bar and its timer.
#include "PropPageFixture.h"
#include "editor/PageLayout.h"
#include "platform/com/TaskMem.h"
#include "platform/ui/Bitmap.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include "resources/StringTable.h"
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {
// An object that answers nothing but IUnknown.
struct Bystander : IUnknown {
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = riid == IID_IUnknown ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
};

constexpr POINT kPad3{139 + 2 * 89 + 40, 6 + 20}; // in pad 3's quarter, off its image
} // namespace

TEST_F(PropPageTest, AnswersThePageInterfacesAndRefusesAggregation) {
    void* pv = nullptr;
    EXPECT_EQ(page->QueryInterface(IID_IPropertyPageDisplay, &pv), S_OK);
    static_cast<IUnknown*>(pv)->Release();
    EXPECT_EQ(page->QueryInterface(IID_IVudivuVizezud, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    HRESULT hr = S_OK;
    Bystander outer;
    EXPECT_EQ(CVudivuVizezudPropPage::CreateInstance(&outer, &hr), nullptr);
    EXPECT_EQ(hr, CLASS_E_NOAGGREGATION);
    const RECTL rc{0, 0, 600, 553};
    EXPECT_EQ(page->Activate(0, &rc, FALSE), E_UNEXPECTED);
}

TEST_F(PropPageTest, PageInfoNamesTheCaptionAndTheBackgroundSize) {
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(std::wstring(info.pszTitle), L"Pandrel");
    EXPECT_EQ(info.size.cx, 600);
    EXPECT_EQ(info.size.cy, 553);
    CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(page->GetPageInfo(nullptr), E_POINTER);
}

TEST_F(PropPageTest, AttachesToTheFirstObjectThatAnswersTheControlInterface) {
    Bystander other;
    FakeControl second;
    IUnknown* objects[] = {&other, &second, &control};
    ASSERT_EQ(page->SetObjects(3, objects), S_OK);
    EXPECT_EQ(State().Control(), &second);
    // Attaching reads everything afresh and forgets the selections.
    EXPECT_GT(second.Count("GetClickAudition"), 0);
    EXPECT_EQ(State().m_nSelectedFile, -1);
    IUnknown* none[] = {&other};
    ASSERT_EQ(page->SetObjects(1, none), S_OK);
    EXPECT_EQ(State().Control(), nullptr);
    EXPECT_EQ(page->SetObjects(1, nullptr), E_POINTER);
}

TEST_F(PropPageTest, ClearAnsweredNoChangesNothing) {
    control.files = {"loop.wav"};
    page->RefreshAll();
    Screen().Click({30, 72}); // the first Loop Bin entry
    Screen().Click(kPad3);
    ASSERT_EQ(State().m_nSelectedFile, 0);
    ASSERT_EQ(State().m_nCurrentPad, 2);
    Wm().Script().Push(IDNO);
    ClickControl(IDC_CLEAR_PROJECT);
    EXPECT_TRUE(Asked(CStringTable::Load(IDS_CLEAR_PROJECT)));
    EXPECT_EQ(control.Count("ClearProject"), 0);
    EXPECT_EQ(control.Count("RequestRefresh"), 0);
    EXPECT_EQ(State().m_nSelectedFile, 0);
    EXPECT_EQ(State().m_nCurrentPad, 2);
}

TEST_F(PropPageTest, ClearAnsweredYesMakesPadOneCurrentWithNoFileSelected) {
    control.files = {"loop.wav"};
    control.pads[4] = {{}, {}};
    page->RefreshAll();
    Screen().Click({30, 72});
    Screen().Click(kPad3);
    Screen().Press(VK_DOWN); // selects grain 0 of pad 5
    ASSERT_FALSE(State().m_grains.IsEmpty());
    Wm().Script().Push(IDYES);
    ClickControl(IDC_CLEAR_PROJECT);
    EXPECT_EQ(control.Count("ClearProject"), 1);
    EXPECT_TRUE(control.Called("RequestRefresh(1)"));
    EXPECT_EQ(State().m_nSelectedFile, -1);
    EXPECT_EQ(State().m_nCurrentPad, 0);
    EXPECT_TRUE(State().m_grains.IsEmpty());
    EXPECT_TRUE(State().m_slices.IsEmpty());
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
}

TEST_F(PropPageTest, TimerRebuildsNothingWhileTheRequestIsZeroOrTwo) {
    const int reads = control.Count("GetClickAudition");
    control.calls.clear();
    Screen().Advance(200);
    EXPECT_EQ(control.Count("TakeRefreshRequest"), 1);
    // The pad images are painted again: their lit state is read at paint.
    EXPECT_EQ(control.Count("GetPadActive"), 16);
    control.nRefresh = 2;
    Screen().Advance(200);
    control.nRefresh = 0;
    Screen().Advance(200);
    EXPECT_EQ(control.Count("TakeRefreshRequest"), 3);
    EXPECT_EQ(control.Count("GetClickAudition"), 0);
    control.nRefresh = 1;
    Screen().Advance(200);
    EXPECT_EQ(control.Count("GetClickAudition"), 1);
    EXPECT_GT(reads, 0);
    // The request was taken: the next tick rebuilds nothing.
    Screen().Advance(200);
    EXPECT_EQ(control.Count("GetClickAudition"), 1);
}

TEST_F(PropPageTest, StopStopsEveryPreviewAndAuditionAndPopsPlayOut) {
    control.files = {"loop.wav"};
    page->RefreshAll();
    Screen().Click({30, 72});
    ClickControl(IDC_PLAY);
    EXPECT_TRUE(control.Called("StartFilePreview(0,-1)"));
    control.calls.clear();
    ClickControl(IDC_STOP);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"StopFilePreview(-1)", "StopAudition(-1)",
                                                       "RequestRefresh(2)"}));
    EXPECT_EQ(page->Control(IDC_PLAY) != nullptr &&
                  static_cast<CBitmapToggleCtrl*>(page->Control(IDC_PLAY))->m_nState == 0,
              true);
}

TEST_F(PropPageTest, PlaySwitchedOffStopsAndAsksForTheStopRefresh) {
    ClickControl(IDC_PLAY); // no file selected: nothing to preview
    EXPECT_EQ(control.Count("StartFilePreview"), 0);
    ClickControl(IDC_PLAY);
    EXPECT_TRUE(control.Called("StopFilePreview(-1)"));
    EXPECT_TRUE(control.Called("StopAudition(-1)"));
    EXPECT_TRUE(control.Called("RequestRefresh(2)"));
}

TEST_F(PropPageTest, AuditionSwitchWritesItsState) {
    auto* t = static_cast<CBitmapToggleCtrl*>(page->Control(IDC_AUDITION));
    ASSERT_EQ(t->m_nState, 1); // read from the engine
    ClickControl(IDC_AUDITION);
    EXPECT_TRUE(control.Called("SetClickAudition(0)"));
    ClickControl(IDC_AUDITION);
    EXPECT_TRUE(control.Called("SetClickAudition(1)"));
}

TEST_F(PropPageTest, AFailedProjectLoadShowsItsMessageAndTheTogglePopsBack) {
    Wm().Script().Push(IDOK, L"/tmp/nothing-here.pnd");
    ClickControl(IDC_OPEN_PROJECT);
    EXPECT_TRUE(control.Called("LoadProject(/tmp/nothing-here.pnd)"));
    EXPECT_TRUE(Asked(CStringTable::Load(IDS_PROJECT_LOAD_ERROR)));
    EXPECT_TRUE(control.Called("RequestRefresh(1)"));
    EXPECT_EQ(static_cast<CBitmapToggleCtrl*>(page->Control(IDC_OPEN_PROJECT))->m_nState, 0);
    EXPECT_EQ(CWnd::GetFocus(), page->Control(IDC_PLAY));
}

TEST_F(PropPageTest, ACancelledSaveDialogSavesNothing) {
    Wm().Script().Push(IDCANCEL);
    ClickControl(IDC_SAVE_PROJECT);
    EXPECT_EQ(control.Count("SaveProject"), 0);
    EXPECT_EQ(static_cast<CBitmapToggleCtrl*>(page->Control(IDC_SAVE_PROJECT))->m_nState, 0);
}

// The Save dialog starts from the project's own file: the one the host
// loaded, then the last one opened or saved on the page (with the extension
// the save adds); a failed load keeps it, a cleared project keeps its folder.
TEST_F(PropPageTest, TheSaveDialogProposesTheProjectsOwnFile) {
    auto proposed = [&] {
        Screen().Advance(600); // no double-click on the toggle
        Wm().Script().Push(IDCANCEL);
        ClickControl(IDC_SAVE_PROJECT);
        return Wm().Script().Proposed().back();
    };
    auto open = [&](const std::wstring& path) {
        Screen().Advance(600);
        Wm().Script().Push(IDOK, path);
        Wm().Script().Push(IDOK); // the load error's message, should there be one
        ClickControl(IDC_OPEN_PROJECT);
        Wm().Script().Clear();
    };
    EXPECT_EQ(proposed(), L"");
    EXPECT_EQ(page->SetProjectPath("/music/beats/groove.pnd"), S_OK);
    EXPECT_EQ(proposed(), L"/music/beats/groove.pnd");
    page->SetProjectPath("my.pnd"); // relative to where the host runs
    EXPECT_EQ(proposed(), (std::filesystem::current_path() / "my.pnd").wstring());

    control.hrLoadProject = S_OK;
    open(L"/songs/set.pnd");
    EXPECT_EQ(proposed(), L"/songs/set.pnd");
    control.hrLoadProject = E_FAIL;
    open(L"/songs/broken.pnd");
    EXPECT_TRUE(control.Called("LoadProject(/songs/broken.pnd)"));
    EXPECT_EQ(proposed(), L"/songs/set.pnd");
    EXPECT_EQ(control.Count("SaveProject"), 0);

    Wm().Script().Push(IDOK, L"/songs/take2");
    ClickControl(IDC_SAVE_PROJECT);
    EXPECT_TRUE(control.Called("SaveProject(/songs/take2)"));
    EXPECT_EQ(proposed(), L"/songs/take2.pnd");
    Screen().Advance(600);
    Wm().Script().Push(IDOK, L"/songs/TAKE3.PND");
    ClickControl(IDC_SAVE_PROJECT);
    EXPECT_EQ(proposed(), L"/songs/TAKE3.PND");

    Wm().Script().Push(IDYES);
    ClickControl(IDC_CLEAR_PROJECT);
    EXPECT_EQ(proposed(), L"/songs/");
    page->SetProjectPath(nullptr);
    EXPECT_EQ(proposed(), L"");
}

TEST_F(PropPageTest, SnapshotShowsTheSkinWhereNothingCovers) {
    const std::string path = ::testing::TempDir() + "page-snapshot.png";
    ASSERT_EQ(page->SavePicture(path.c_str()), S_OK);
    CBitmap picture;
    ASSERT_TRUE(picture.LoadPng(path));
    EXPECT_EQ(picture.GetSize(), (SIZE{600, 553}));
    // A point of the Slice Inspector's panel, where no control or region lies.
    const CBitmap* bg = CSkin::Get(IDB_BACKGROUND);
    EXPECT_EQ(picture.GetPixel(60, 365), bg->GetPixel(60, 365));
    std::remove(path.c_str());
    EXPECT_EQ(page->SavePicture(nullptr), E_POINTER);
}

// A drop whose files all fail to load must not be reported to the drop source
// as copied (the page's own answer, as a host's drag source sees it), and a
// failed load onto a pad is undone.
TEST_F(PropPageTest, ADropThatNothingTakesIsNotReportedAsCopied) {
    const CDropData files{{CF_HDROP}, {L"/tmp/a.wav", L"/tmp/b.wav"}};
    for (POINT pt : {POINT{300, 100}, POINT{40, 120}, POINT{300, 450}}) {
        DWORD effect = DROPEFFECT_NONE;
        ASSERT_EQ(page->DragEnter(files, 0, pt, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY)); // files are welcome in general
        effect = DROPEFFECT_COPY;
        ASSERT_EQ(page->Drop(files, 0, pt, &effect), S_OK);
        EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << pt.x << "," << pt.y;
    }
    Wm().Pump();
    // The pad grid and the Pad Editor tried the first file only, and undid it.
    EXPECT_EQ(control.Count("Checkpoint()"), 2);
    EXPECT_EQ(control.Count("Undo()"), 2);
}

// The save adds ".pnd" to a name without it: a file of that name is not
// replaced without the question the dialog asks for the name it was given.
TEST_F(PropPageTest, SavingANameWithoutItsExtensionAsksBeforeReplacingTheProject) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("pandrel-save-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "beat.pnd") << "kept";
    const std::wstring typed = (dir / "beat").wstring();
    Wm().Script().Push(IDOK, typed);
    Wm().Script().Push(IDNO);     // keep beat.pnd
    Wm().Script().Push(IDCANCEL); // the dialog came back
    ClickControl(IDC_SAVE_PROJECT);
    EXPECT_TRUE(Asked(L"beat.pnd already exists.\nDo you want to replace it?"));
    EXPECT_EQ(control.Count("SaveProject"), 0);
    EXPECT_EQ(Wm().Script().Proposed().back(), typed);

    Screen().Advance(600);
    Wm().Script().Push(IDOK, typed);
    Wm().Script().Push(IDYES);
    ClickControl(IDC_SAVE_PROJECT);
    EXPECT_EQ(control.Count("SaveProject"), 1);
    // A new name is not asked about.
    Screen().Advance(600);
    Wm().Script().Push(IDOK, (dir / "other").wstring());
    ClickControl(IDC_SAVE_PROJECT);
    EXPECT_EQ(control.Count("SaveProject"), 2);
    std::filesystem::remove_all(dir);
}

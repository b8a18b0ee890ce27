// The Loop Bin list, the slice view and the page's file loads: clicks, drags
// to the Pad Editor, deleting, the file dialog's modes and files dropped from
// the desktop, on the offscreen display with a recording control interface.
#include "PadEditorFixture.h"
#include "editor/BitmapToggleCtrl.h"
#include "editor/LoopBinList.h"
#include "editor/MiddleBand.h"
#include "editor/PadGrid.h"
#include "editor/PageTools.h"
#include "editor/SliceView.h"
#include "platform/ui/Bitmap.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"

namespace {
constexpr LONG kSliceWidth = 30;

// Loop Bin entries with paths; loads that fail for a path holding "bad",
// fill the bin for one holding "full" and correct the output format for one
// holding "float"; slices of 30 pixels with peaks; grains cut from (1, 5).
class BinControl : public PadControl {
public:
    std::vector<std::string> paths;
    // (low, high) = (-0.5, 0.5) in every column and channel.
    std::vector<float> peaks = [] {
        std::vector<float> v(kSliceWidth * 4);
        for (size_t i = 0; i < v.size(); ++i) v[i] = i % 2 == 0 ? -0.5f : 0.5f;
        return v;
    }();
    DWORD nChannels = 1;

    HRESULT GetFileName(LONG n, BOOL bPath, char* psz) override {
        if (bPath && n >= 0 && size_t(n) < paths.size()) {
            std::strncpy(psz, paths[size_t(n)].c_str(), 259);
            return S_OK;
        }
        return PadControl::GetFileName(n, bPath, psz);
    }
    HRESULT LoadFileToBin(const char* name, const char* path, LONG* pn, LONG* ps) override {
        calls.push_back("LoadFileToBin(" + std::string(name) + "," + path + "," +
                        std::to_string(*pn) + ")");
        return Load(name, path, pn, ps);
    }
    HRESULT LoadFileToPad(LONG pad, const char* name, const char* path, LONG* pn,
                          LONG* ps) override {
        calls.push_back("LoadFileToPad(" + std::to_string(pad) + "," + name + ")");
        return Load(name, path, pn, ps);
    }
    HRESULT DeleteFile(LONG n) override {
        calls.push_back("DeleteFile(" + std::to_string(n) + ")");
        if (n < 0 || size_t(n) >= files.size()) return S_FALSE;
        files.erase(files.begin() + n);
        return S_OK;
    }
    HRESULT GetFileSlices(LONG nFile, GrainSummary** pp, LONG* pn) override {
        const HRESULT hr = PadControl::GetFileSlices(nFile, pp, pn);
        for (LONG i = 0; i < *pn; ++i) {
            (*pp)[i].pPeaks = peaks.data();
            (*pp)[i].nPeakCount = kSliceWidth;
            (*pp)[i].nChannels = nChannels;
        }
        return hr;
    }
    HRESULT GetGrainSource(LONG, LONG, LONG* pFile, LONG* pSlice) override {
        *pFile = 1;
        *pSlice = 5;
        return S_OK;
    }

private:
    HRESULT Load(const char* name, const char* path, LONG* pn, LONG* ps) {
        const std::string p = path;
        *ps = 0;
        if (p.find("bad") != std::string::npos) return *pn = -1, E_INVALIDARG;
        if (p.find("full") != std::string::npos) return *pn = -1, *ps = 1, S_FALSE;
        files.push_back(name);
        paths.push_back(p);
        *pn = LONG(files.size()) - 1;
        if (p.find("float") != std::string::npos) return *ps = 2, S_FALSE;
        return S_OK;
    }
};

std::wstring Text(UINT id) { return CStringTable::Load(id); }
} // namespace

class LoopBinTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        OpenPage(&bin, &page);
    }
    void TearDown() override {
        ClosePage(page);
        Wm().Script().Clear();
        UiTest::TearDown();
    }
    static CWindowManager& Wm() { return CWindowManager::Instance(); }
    CPadEditor& Editor() { return page->PadEditor(); }
    CEditorState& State() { return page->State(); }
    void Reload() {
        page->RefreshAll();
        Wm().Pump();
    }
    void Down(POINT pt, UINT mods = 0) { Screen().ButtonDown(pt, 1, mods); }
    void Move(POINT pt, UINT mods = 0) { Screen().MoveTo(pt, mods); }
    // Releases, then lets time pass so that the next press is no double-click.
    void Up(POINT pt, UINT mods = 0) {
        Screen().ButtonUp(pt, 1, mods);
        Screen().Advance(600);
    }
    void Drag(POINT from, POINT to) {
        Down(from);
        Move({(from.x + to.x) / 2, (from.y + to.y) / 2});
        Move(to);
        Up(to);
    }
    // The calls other than reads made since the last Calls().
    std::vector<std::string> Calls() {
        std::vector<std::string> out;
        for (size_t i = m_nSeen; i < bin.calls.size(); ++i) {
            const std::string& c = bin.calls[i];
            if (c.rfind("Get", 0) != 0 && c.rfind("TakeRefresh", 0) != 0 &&
                c.rfind("StopAudition", 0) != 0 && c.rfind("RequestRefresh", 0) != 0)
                out.push_back(c);
        }
        m_nSeen = bin.calls.size();
        return out;
    }
    // The middle of Loop Bin line i and of drawn slice i.
    static POINT Line(int i) { return {40, 69 + 15 * i + 7}; }
    static POINT Slice(int i) { return {45 + kSliceWidth * i + 10, 300}; }
    COLORREF At(POINT pt) { return Wm().BackBuffer(page)->GetDevicePixel(pt.x, pt.y); }
    void Click(POINT pt, UINT mods = 0) {
        Down(pt, mods);
        Up(pt, mods);
    }
    void ClickControl(UINT nID) {
        const RECT r = page->Control(nID)->GetRectInParent();
        Click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        Wm().Pump();
    }
    void SetFiles(std::vector<std::string> names) {
        bin.files = names;
        bin.paths.clear();
        for (const std::string& n : names) bin.paths.push_back("/loops/" + n);
        Reload();
    }
    std::vector<std::string> Loads() {
        std::vector<std::string> out;
        for (const std::string& c : Calls())
            if (c.rfind("Load", 0) == 0 || c == "Checkpoint()" || c == "Undo()") out.push_back(c);
        return out;
    }
    // Drops show their messages once the source has its answer.
    DWORD Drop(const std::vector<std::wstring>& files, POINT pt) {
        const DWORD effect = Screen().DropFiles(files, pt);
        Screen().Advance(100);
        return effect;
    }
    bool Asked(UINT id) const {
        for (const std::wstring& a : Wm().Script().Asked())
            if (a == Text(id)) return true;
        return false;
    }

    BinControl bin;
    CVudivuVizezudPropPage* page = nullptr;
    size_t m_nSeen = 0;
};

TEST_F(LoopBinTest, NamesLoseTheirExtensionAndAShortNameIsAnEmptyLine) {
    EXPECT_EQ(CLoopBinList::LineText(L"Funk 92.wav"), L"Funk 92");
    EXPECT_EQ(CLoopBinList::LineText(L"ab"), L"");
    EXPECT_EQ(CLoopBinList::LineText(L".wav"), L"");
    SetFiles({"ab", "Broken Beat.wav"});
    State().m_nSelectedFile = 1;
    Reload();
    // The short name's line is the list's colour all along; the other line,
    // selected, shows its text on colour 8.
    int nText = 0, nSelectedText = 0;
    for (LONG x = 14; x < 119; ++x) {
        for (LONG y = 69; y < 84; ++y) nText += At({x, y}) != CPageTools::Colour(1);
        for (LONG y = 84; y < 99; ++y) nSelectedText += At({x, y}) != CPageTools::Colour(8);
    }
    EXPECT_EQ(nText, 0);
    EXPECT_GT(nSelectedText, 10);
}

TEST_F(LoopBinTest, AClickSelectsAFilePreviewsItWhilePlayIsOnAndDragsItToARow) {
    SetFiles({"One.wav", "Two.wav"});
    State().m_slices.Add(0, 2);
    Down(Line(1));
    EXPECT_EQ(State().m_nSelectedFile, 1);
    EXPECT_TRUE(State().m_slices.IsEmpty());
    EXPECT_EQ(State().m_binDrag.kind, BinDrag::Kind::File);
    Up(Line(1));
    EXPECT_EQ(State().m_binDrag.kind, BinDrag::Kind::None);
    // Below the last entry nothing changes.
    Click(Line(5));
    EXPECT_EQ(State().m_nSelectedFile, 1);
    EXPECT_EQ(Calls(), std::vector<std::string>{});

    auto* play = dynamic_cast<CBitmapToggleCtrl*>(page->Control(IDC_PLAY));
    ASSERT_NE(play, nullptr);
    play->m_nState = 1;
    Click(Line(0));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"StopFilePreview(-1)", "StartFilePreview(0,-1)"}));
    play->m_nState = 0;

    Drag(Line(1), {300, Editor().RowTop(4) + 4});
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Checkpoint()", "AssignFileToPad(4,1)"}));

    // Onto a pad cell of the grid: the pad takes the file and becomes current.
    const RECT cell = CPadGrid::FrameRect(6);
    Drag(Line(0), {(cell.left + cell.right) / 2, cell.bottom - 6});
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Checkpoint()", "AssignFileToPad(6,0)"}));
    EXPECT_EQ(State().m_nCurrentPad, 6);
    EXPECT_EQ(State().m_binDrag.kind, BinDrag::Kind::None);
}

TEST_F(LoopBinTest, DeletingAsksAndSelectsTheEntryBefore) {
    SetFiles({"One.wav", "Two.wav"});
    // Nothing selected: the message, and the toggle pops back.
    ClickControl(IDC_DELETE_FILE);
    EXPECT_TRUE(Asked(IDS_SELECT_FILE));
    EXPECT_EQ(bin.Count("DeleteFile"), 0);
    EXPECT_EQ(dynamic_cast<CBitmapToggleCtrl*>(page->Control(IDC_DELETE_FILE))->m_nState, 0);
    // No keeps everything.
    Click(Line(1));
    Wm().Script().Push(IDNO);
    ClickControl(IDC_DELETE_FILE);
    EXPECT_TRUE(Asked(IDS_DELETE_FILE));
    EXPECT_EQ(bin.files.size(), 2u);
    EXPECT_EQ(State().m_nSelectedFile, 1);
    // Yes deletes; the first entry is selected, then deleting the only file
    // leaves none selected.
    State().m_grains.Add(0, 0);
    Wm().Script().Push(IDYES);
    ClickControl(IDC_DELETE_FILE);
    EXPECT_EQ(bin.files, std::vector<std::string>{"One.wav"});
    EXPECT_EQ(State().m_nSelectedFile, 0);
    EXPECT_TRUE(State().m_grains.IsEmpty());
    Wm().Script().Push(IDYES);
    ClickControl(IDC_DELETE_FILE);
    EXPECT_TRUE(bin.files.empty());
    EXPECT_EQ(State().m_nSelectedFile, -1);
    EXPECT_TRUE(bin.Called("RequestRefresh(1)"));
}

TEST_F(LoopBinTest, DropsStopAtTheFirstFileThatFails) {
    SetFiles({});
    Calls();
    // Three files on the list, the second failing: the first loads and is
    // selected, the message for the second shows, the third is not tried.
    // The message waits until the drop has been answered.
    EXPECT_EQ(Screen().DropFiles({L"/l/A.wav", L"/l/bad.wav", L"/l/C.wav"}, Line(2)),
              DROPEFFECT_COPY);
    EXPECT_FALSE(Asked(IDS_LOAD_ERROR));
    Screen().Advance(100);
    EXPECT_EQ(Loads(), (std::vector<std::string>{"LoadFileToBin(A.wav,/l/A.wav,-1)",
                                                 "LoadFileToBin(bad.wav,/l/bad.wav,-1)"}));
    EXPECT_TRUE(Asked(IDS_LOAD_ERROR));
    EXPECT_EQ(State().m_nSelectedFile, 0);
    EXPECT_TRUE(bin.Called("RequestRefresh(1)"));
    // A full bin names itself; nothing loaded is no copy for the source.
    Wm().Script().Clear();
    EXPECT_EQ(Drop({L"/l/full.wav", L"/l/D.wav"}, Line(0)), DROPEFFECT_NONE);
    EXPECT_TRUE(Asked(IDS_BIN_FULL));
    EXPECT_EQ(Loads(), std::vector<std::string>{"LoadFileToBin(full.wav,/l/full.wav,-1)"});

    // On a pad cell: the pad becomes current, each file is one undo step and
    // the failing one is undone.
    Wm().Script().Clear();
    const POINT pad7 = {138 + 89 * 3 + 20, 43 + 57 * 1 - 20};
    Drop({L"/l/E.wav", L"/l/bad.wav", L"/l/F.wav"}, pad7);
    EXPECT_EQ(State().m_nCurrentPad, 7);
    EXPECT_EQ(Loads(),
              (std::vector<std::string>{"Checkpoint()", "LoadFileToPad(7,E.wav)", "Checkpoint()",
                                        "LoadFileToPad(7,bad.wav)", "Undo()"}));
    EXPECT_TRUE(Asked(IDS_LOAD_ERROR));
    // On a Pad Editor row; elsewhere nothing is taken.
    Drop({L"/l/G.wav"}, {300, Editor().RowTop(9) + 4});
    EXPECT_EQ(State().m_nCurrentPad, 9);
    EXPECT_EQ(Loads(), (std::vector<std::string>{"Checkpoint()", "LoadFileToPad(9,G.wav)"}));
    EXPECT_EQ(Drop({L"/l/H.wav"}, {590, 5}), DROPEFFECT_NONE);
    EXPECT_EQ(Loads(), std::vector<std::string>{});
}

// The engine reports a load that had to correct its output format as done
// (the entry is in the bin): it stays loaded, the patch message shows and the
// rest of the drop goes on. A path longer than the engine's 260 bytes is
// refused rather than cut to another file's name.
TEST_F(LoopBinTest, AFormatCorrectionKeepsTheLoadAndOverlongPathsAreRefused) {
    SetFiles({});
    Calls();
    Drop({L"/l/float.wav", L"/l/B.wav"}, {300, Editor().RowTop(2) + 4});
    EXPECT_EQ(Loads(), (std::vector<std::string>{"Checkpoint()", "LoadFileToPad(2,float.wav)",
                                                 "Checkpoint()", "LoadFileToPad(2,B.wav)"}));
    EXPECT_TRUE(Asked(IDS_PATCH_AUDIO));
    EXPECT_EQ(State().m_nSelectedFile, 1);
    Wm().Script().Clear();
    const std::wstring longPath = L"/l/" + std::wstring(300, L'x') + L".wav";
    Drop({longPath}, Line(0));
    EXPECT_EQ(Loads(), std::vector<std::string>{});
    EXPECT_TRUE(Asked(IDS_LOAD_ERROR));
}

TEST_F(LoopBinTest, TheFileDialogLoadsIntoTheBinOrOntoThePad) {
    SetFiles({});
    Calls();
    Wm().Script().Push(IDOK, L"/l/Loop.wav");
    ClickControl(IDC_LOAD_FILES);
    EXPECT_EQ(Wm().Script().Asked().front(), L"Wave Files (*.wav)|*.wav||");
    EXPECT_EQ(Loads(), std::vector<std::string>{"LoadFileToBin(Loop.wav,/l/Loop.wav,-1)"});
    EXPECT_EQ(State().m_nSelectedFile, 0);
    EXPECT_EQ(dynamic_cast<CBitmapToggleCtrl*>(page->Control(IDC_LOAD_FILES))->m_nState, 0);
    // A pad's open toggle: that pad, one undo step, undone on failure, and
    // no file selected after it.
    Wm().Script().Push(IDOK, L"/l/bad.wav");
    ClickControl(IDC_PAD_OPEN + 5);
    EXPECT_EQ(State().m_nCurrentPad, 5);
    EXPECT_EQ(Loads(),
              (std::vector<std::string>{"Checkpoint()", "LoadFileToPad(5,bad.wav)", "Undo()"}));
    EXPECT_EQ(State().m_nSelectedFile, -1);
    EXPECT_TRUE(Asked(IDS_LOAD_ERROR));
    Wm().Script().Push(IDOK, L"/l/Two.wav");
    EXPECT_TRUE(page->OpenPadAudioFile());
    EXPECT_EQ(Loads(), (std::vector<std::string>{"Checkpoint()", "LoadFileToPad(5,Two.wav)"}));
    EXPECT_EQ(State().m_nSelectedFile, 1);
    // Cancel loads nothing but still asks for a refresh.
    Wm().Script().Push(IDCANCEL);
    ClickControl(IDC_LOAD_FILES);
    EXPECT_EQ(Loads(), std::vector<std::string>{});
    EXPECT_TRUE(bin.Called("RequestRefresh(1)"));
}

TEST_F(LoopBinTest, ThePathLineKeepsTheEndOfALongPath) {
    const std::wstring p99(99, L'a');
    EXPECT_EQ(CSliceView::PathLine(p99), p99);
    std::wstring p100 = std::wstring(99, L'b') + L"z";
    const std::wstring shown = CSliceView::PathLine(p100);
    EXPECT_EQ(shown.size(), 100u);
    EXPECT_EQ(shown.substr(0, 3), L"...");
    EXPECT_EQ(shown.substr(3), p100.substr(3));
    const std::wstring p250 = L"/" + std::wstring(240, L'd') + L"/end.wav";
    EXPECT_EQ(CSliceView::PathLine(p250), L"..." + p250.substr(p250.size() - 97));
}

TEST_F(LoopBinTest, SlicesAreDrawnSideBySideFilledWhenSelected) {
    SetFiles({"Loop.wav"});
    State().m_nSelectedFile = 0;
    State().m_slices.Add(0, 1);
    Reload();
    const std::vector<EventPlotInfo>& plot = page->Band().Slices().Plot();
    // Eight slices of 30 pixels from x 45 fit the 544-pixel view.
    ASSERT_EQ(plot.size(), 8u);
    EXPECT_EQ(plot[2].rc, (RECT{105, 260, 135, 327}));
    EXPECT_EQ(plot[2].nStart, 2 * PadControl::kSliceStep);
    // Mono peaks of +-0.5 reach 0.45 x 67 / 2 above and below the centre 293.
    EXPECT_EQ(At({50, 293 - 15}), CPageTools::Colour(6));
    EXPECT_EQ(At({50, 293 - 18}), CPageTools::Colour(1));
    EXPECT_EQ(At({80, 293 + 15}), CPageTools::Colour(7)); // slice 1 is selected
    EXPECT_EQ(At({80, 293 + 20}), CPageTools::Colour(4));
    // The dotted left edge: white and black by turns.
    EXPECT_EQ(At({75, 260}), CPageTools::Colour(2));
    EXPECT_EQ(At({75, 261}), CPageTools::Colour(0));
    // Stereo: two centre lines, each channel half as tall.
    bin.nChannels = 2;
    Reload();
    EXPECT_EQ(At({50, 260 + 16 - 8}), CPageTools::Colour(6));
    EXPECT_EQ(At({50, 260 + 16 - 10}), CPageTools::Colour(1));
    EXPECT_EQ(At({50, 260 + 50 + 8}), CPageTools::Colour(6));
    // No file selected: no slices to hit.
    State().m_nSelectedFile = -1;
    Reload();
    EXPECT_TRUE(page->Band().Slices().Plot().empty());
}

TEST_F(LoopBinTest, SliceClicksShiftAndADragToAPadEditorRow) {
    SetFiles({"Loop.wav", "Other.wav"});
    bin.pads[3] = {{0, kTicksPerBeat}};
    State().m_nSelectedFile = 0;
    Reload();
    Click(Slice(1));
    EXPECT_EQ(State().m_slices.Items(), (std::vector<EventSelectionInfo>{{0, 1}}));
    Click(Slice(3), MK_SHIFT);
    EXPECT_EQ(State().m_slices.Items(), (std::vector<EventSelectionInfo>{{0, 1}, {0, 3}}));
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"StartFilePreview(0,1)", "StartFilePreview(0,3)"}));
    // Past the last slice nothing is hit and nothing changes.
    Click({560, 300});
    EXPECT_EQ(State().m_slices.Count(), 2);
    Click(Slice(2));
    EXPECT_EQ(State().m_slices.Items(), (std::vector<EventSelectionInfo>{{0, 2}}));
    Calls();

    // Over pad 4's grain the view shows its source (file 1, slice 5) and
    // sounds it; at the release the earlier selection is back and the grain
    // takes the dragged slice.
    Down(Slice(2));
    Move({300, 450});
    Move({CPadEditor::kGrainLeft + 5, Editor().RowTop(3) + 4});
    EXPECT_EQ(State().m_nSelectedFile, 1);
    EXPECT_EQ(State().m_slices.Items(), (std::vector<EventSelectionInfo>{{1, 5}}));
    Move({CPadEditor::kGrainLeft + 6, Editor().RowTop(3) + 4});
    Up({CPadEditor::kGrainLeft + 6, Editor().RowTop(3) + 4});
    EXPECT_EQ(State().m_nSelectedFile, 0);
    EXPECT_EQ(State().m_slices.Items(), (std::vector<EventSelectionInfo>{{0, 2}}));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"StartFilePreview(0,2)", "StartAudition(3,0)",
                                                 "Checkpoint()", "SetGrainSource(3,0,0,2)",
                                                 "StartAudition(3,0)"}));
    // Dropped on an empty row the slice becomes a grain there; Escape ends a
    // drag with the selection of before.
    Drag(Slice(2), {CPadEditor::kGrainLeft + 2, Editor().RowTop(8) + 4});
    EXPECT_EQ(bin.Count("AddGrain(0,2,8,"), 1);
    Down(Slice(4));
    Move({CPadEditor::kGrainLeft + 5, Editor().RowTop(3) + 4});
    EXPECT_EQ(State().m_nSelectedFile, 1);
    Screen().Press(VK_ESCAPE);
    EXPECT_EQ(State().m_nSelectedFile, 0);
    EXPECT_EQ(State().m_slices.Items(), (std::vector<EventSelectionInfo>{{0, 4}}));
    Up({CPadEditor::kGrainLeft + 5, Editor().RowTop(3) + 4});
    EXPECT_EQ(bin.Count("SetGrainSource"), 1);
}

// Faults found by working the page as a producer does: a file, a slice or a
// grain pressed again right after its first click still drags, and saving
// the project keeps what is selected.
#include "PadEditorFixture.h"
#include "editor/PageLayout.h"
#include "editor/PageTools.h"
#include "platform/ui/Bitmap.h"
#include "resources/ResourceIds.h"

namespace {
constexpr LONGLONG kBeat = kTicksPerBeat;
constexpr LONG kSliceWidth = 30;

// File 0's slices drawn 30 pixels wide, so the slice view can be clicked.
class WideSlices : public PadControl {
public:
    HRESULT GetFileSlices(LONG nFile, GrainSummary** pp, LONG* pn) override {
        const HRESULT hr = PadControl::GetFileSlices(nFile, pp, pn);
        for (LONG i = 0; i < *pn; ++i) (*pp)[i].nPeakCount = kSliceWidth;
        return hr;
    }
};
} // namespace

class WalkThroughTest : public PadEditorTest {
protected:
    void SetUp() override {
        PadEditorTest::SetUp();
        slices.files = {"Beat.wav", "Funk.wav"};
        OpenPage(&slices, &page);
    }
    // A click, then a press 100 ms later at the same place dragged to `to`:
    // the window manager reports the second press as a double-click.
    void ClickThenDrag(POINT from, POINT to) {
        Screen().ButtonDown(from, 1, 0);
        Screen().ButtonUp(from, 1, 0);
        Screen().Advance(100);
        Screen().ButtonDown(from, 1, 0);
        Screen().MoveTo({(from.x + to.x) / 2, (from.y + to.y) / 2}, 0);
        Screen().MoveTo(to, 0);
        Screen().ButtonUp(to, 1, 0);
        Screen().Advance(600);
        Wm().Pump();
    }
    bool Called(const std::string& call) const { return slices.Called(call); }
    static POINT Line(int i) { return {40, kLoopBinRect.top + 15 * i + 7}; }
    static POINT Slice(int i) { return {45 + kSliceWidth * i + 10, 300}; }

    WideSlices slices;
};

TEST_F(WalkThroughTest, AFileSliceOrGrainPressedAgainAtOnceStillDrags) {
    // A Loop Bin file onto row 3, and onto pad 6's cell in the grid.
    ClickThenDrag(Line(0), {300, Editor().RowTop(2) + 4});
    EXPECT_TRUE(Called("AssignFileToPad(2,0)"));
    EXPECT_EQ(State().m_binDrag.kind, BinDrag::Kind::None);
    ClickThenDrag(Line(0), {250, 85});
    EXPECT_TRUE(Called("AssignFileToPad(5,0)"));
    // A slice onto an empty place of row 8.
    State().m_nSelectedFile = 0;
    page->RefreshAll();
    Wm().Pump();
    ClickThenDrag(Slice(2), {Editor().XOfTick(2 * kBeat) + 1, Editor().RowTop(7) + 4});
    EXPECT_EQ(slices.Count("AddGrain(0,2,7,"), 1);
    // A grain onto row 10, after the first click selected it.
    slices.pads[4].push_back({kBeat, 2 * kBeat});
    page->RefreshAll();
    Wm().Pump();
    const POINT grain{Editor().XOfTick(kBeat) + 3, Editor().RowTop(4) + 4};
    ClickThenDrag(grain, {grain.x, Editor().RowTop(9) + 4});
    EXPECT_EQ(slices.Count("MoveGrain(4,0,9,"), 1);
    // The label's double-click keeps its meaning: every grain of the pad.
    slices.pads[11] = {{0, kBeat}, {kBeat, 2 * kBeat}};
    page->RefreshAll();
    Wm().Pump();
    const POINT label{120, Editor().RowTop(11) + 4};
    ClickThenDrag(label, label);
    EXPECT_EQ(State().m_grains.Count(), 2);
    EXPECT_EQ(State().m_nCurrentPad, 11);
}

TEST_F(WalkThroughTest, SavingKeepsTheSelectedFileSlicesAndGrainsOpeningClearsThem) {
    slices.pads[1].push_back({0, kBeat});
    State().m_nSelectedFile = 1;
    State().m_slices.Add(1, 3);
    State().m_grains.Add(1, 0);
    Wm().Script().Push(IDOK, L"/tmp/walk.pnd");
    const RECT save = page->Control(IDC_SAVE_PROJECT)->GetRectInParent();
    Screen().Click({(save.left + save.right) / 2, (save.top + save.bottom) / 2});
    Wm().Pump();
    ASSERT_TRUE(Called("SaveProject(/tmp/walk.pnd)"));
    EXPECT_EQ(State().m_nSelectedFile, 1);
    EXPECT_TRUE(State().m_slices.Contains(1, 3));
    EXPECT_TRUE(State().m_grains.Contains(1, 0));
    EXPECT_FALSE(State().m_bDirty);
    // A cancelled save changes nothing either; an opened project (even one
    // that fails to load) starts with nothing selected.
    Screen().Advance(600);
    Wm().Script().Push(IDCANCEL);
    Screen().Click({(save.left + save.right) / 2, (save.top + save.bottom) / 2});
    Wm().Pump();
    EXPECT_EQ(State().m_nSelectedFile, 1);
    Screen().Advance(600);
    Wm().Script().Push(IDOK, L"/tmp/other.pnd");
    const RECT open = page->Control(IDC_OPEN_PROJECT)->GetRectInParent();
    Screen().Click({(open.left + open.right) / 2, (open.top + open.bottom) / 2});
    Wm().Pump();
    EXPECT_TRUE(Called("LoadProject(/tmp/other.pnd)"));
    EXPECT_EQ(State().m_nSelectedFile, -1);
    EXPECT_TRUE(State().m_slices.IsEmpty());
    EXPECT_TRUE(State().m_grains.IsEmpty());
}

// At the tallest rows "Pad 10" shows both digits: its text ends further right
// than "Pad 9" and before the label's edge, where a clipped text would end.
TEST_F(WalkThroughTest, TallRowsKeepEveryLabelWhole) {
    for (int i = 0; i < 5; ++i) Editor().ZoomRows(true);
    ASSERT_EQ(Editor().RowHeight(), CPadEditor::kMaxRowHeight);
    slices.pads[9].push_back({0, kBeat});
    page->RefreshAll();
    ASSERT_TRUE(Editor().ScrollIntoView(9, 0));
    Wm().Pump();
    const CBitmap* b = Wm().BackBuffer(page);
    auto textEnd = [&](int nPad) {
        LONG right = -1;
        const LONG top = Editor().RowTop(nPad);
        for (LONG y = top + 1; y < top + Editor().RowHeight(); ++y)
            for (LONG x = kPadEditorRect.left; x < CPadEditor::kGrainLeft - 3; ++x)
                if (b->GetDevicePixel(x, y) != CPageTools::Colour(1)) right = std::max(right, x);
        return right;
    };
    const LONG nine = textEnd(8), ten = textEnd(9);
    ASSERT_GT(nine, kPadEditorRect.left);
    EXPECT_GT(ten, nine);
    EXPECT_LT(ten, CPadEditor::kGrainLeft - 2);
}

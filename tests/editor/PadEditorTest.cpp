// The Pad Editor driven by injected input: grain drags (still, Shift, Ctrl,
// past the first and last row, snapped), pad-length drags, double-clicks,
// drops of Loop Bin files and slices, zoom limits, the wheel and Escape.
#include "PadEditorFixture.h"
#include "platform/ui/Messages.h"

namespace {
constexpr LONGLONG kBeat = kTicksPerBeat;
const std::string kTrue = "1";
} // namespace

class PadEditorDragTest : public PadEditorTest {
protected:
    void SetUp() override {
        PadEditorTest::SetUp();
        for (int p : {0, 2, 13, 15}) control.pads[size_t(p)] = {{kBeat, 2 * kBeat}};
        Open();
        Calls();
    }
};

TEST_F(PadEditorDragTest, AReleaseWithinFourPixelsLeavesTheGrainSelectedInPlace) {
    const POINT at = On(2, 0);
    Down(at);
    Move({at.x + 4, at.y - 4});
    Up({at.x + 4, at.y + 4});
    EXPECT_EQ(Calls(), std::vector<std::string>{"StartAudition(2,0)"});
    ASSERT_EQ(State().m_grains.Count(), 1);
    EXPECT_EQ(State().m_grains[0], (EventSelectionInfo{2, 0}));
    EXPECT_EQ(State().m_nCurrentPad, 2);
    EXPECT_EQ(Editor().HoverRow(), -1);
}

TEST_F(PadEditorDragTest, AGrainMovesToTheRowAndSnappedBeatUnderThePointerInOneBatch) {
    const POINT at = On(0, 0);
    // Two rows down and a beat (54 pixels) and a little to the right.
    Drag(at, {at.x + 56, at.y + 20});
    EXPECT_EQ(Calls(), (std::vector<std::string>{"StartAudition(0,0)", "Checkpoint()",
                                                 "MoveGrain(0,0,2,125829120,1)",
                                                 "CommitGrainEdits()", "RequestRefresh(1)"}));
    EXPECT_TRUE(State().m_grains.IsEmpty());
    EXPECT_EQ(State().m_nCurrentPad, 2);
    EXPECT_TRUE(State().m_bDirty);
}

TEST_F(PadEditorDragTest, GrainsPushedPastTheFirstOrLastRowLandOnIt) {
    // Pads 1 and 3 selected; pad 3's grain dragged to row 1 takes pad 1's to -2.
    Down(On(0, 0));
    Up(On(0, 0));
    Down(On(2, 0), MK_SHIFT);
    Up(On(2, 0), MK_SHIFT);
    Calls();
    const POINT at = On(2, 0);
    Drag(at, {at.x, Editor().RowTop(0) + 4}, MK_SHIFT);
    auto calls = Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MoveGrain(0,0,0,-1,1)"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MoveGrain(2,0,0,-1,1)"), calls.end());

    // Pads 14 and 16; pad 14's grain dragged to row 16 takes pad 16's to 18.
    control.pads[0].clear();
    Reload();
    Down(On(13, 0));
    Up(On(13, 0));
    Down(On(15, 0), MK_SHIFT);
    Up(On(15, 0), MK_SHIFT);
    Calls();
    const POINT from = On(13, 0);
    Drag(from, {from.x, Editor().RowTop(15) + 4}, MK_SHIFT);
    calls = Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MoveGrain(13,0,15,-1,1)"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MoveGrain(15,0,15,-1,1)"), calls.end());
}

TEST_F(PadEditorDragTest, ShiftKeepsEveryGrainsTimeAndCtrlCopies) {
    const POINT at = On(0, 0);
    Drag(at, {at.x + 80, at.y + 10}, MK_SHIFT);
    EXPECT_EQ(Calls()[2], "MoveGrain(0,0,1,-1,1)");
    EXPECT_EQ(control.pads[1][0].nStart, kBeat);

    const POINT from = On(2, 0);
    Drag(from, {from.x + 54, from.y + 10}, MK_CONTROL);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"StartAudition(2,0)", "Checkpoint()",
                                                 "CopyGrain(2,0,3,125829120)", "CommitGrainEdits()",
                                                 "RequestRefresh(1)"}));
    EXPECT_EQ(control.pads[2].size(), 1u); // the original stays
    EXPECT_EQ(control.pads[3].size(), 1u);
}

// The grain starts at beat 1 and the pointer goes 37 pixels (0.685 beat at
// 54 pixels a beat) right of where it was pressed.
TEST_F(PadEditorDragTest, SnapNoneOnePerBeatAndTwelfths) {
    struct {
        int nSnap;
        LONGLONG nStart;
    } const cases[] = {{0, kBeat + 43108124}, {1, 2 * kBeat}, {6, kBeat + 8 * (kBeat / 12)}};
    for (const auto& c : cases) {
        control.pads[0] = {{kBeat, 2 * kBeat}};
        Reload();
        State().m_nSnap = c.nSnap;
        const POINT at = On(0, 0);
        Drag(at, {at.x + 37, at.y});
        EXPECT_EQ(Calls()[2], "MoveGrain(0,0,0," + std::to_string(c.nStart) + ",1)") << c.nSnap;
        EXPECT_EQ(control.pads[0][0].nStart, c.nStart);
    }
    // The snap combo sets the index.
    State().m_nSnap = 6;
    EXPECT_EQ(Editor().Snap(kBeat / 12 + 1000), kBeat / 12);
}

TEST_F(PadEditorDragTest, AFailedMoveIsUndoneAfterTheBatchIsClosed) {
    control.bFailEdits = true;
    const POINT at = On(0, 0);
    Drag(at, {at.x + 54, at.y});
    const auto calls = Calls();
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(calls[calls.size() - 3], "CommitGrainEdits()");
    EXPECT_EQ(calls[calls.size() - 2], "Undo()");
}

TEST_F(PadEditorDragTest, NoGrainIsMovedBeforeTickZero) {
    // Pad 3's grain is at beat 1 and pad 1's at half a beat; both go a beat left.
    control.pads[0] = {{kBeat / 2, kBeat}};
    Reload();
    Down(On(0, 0));
    Up(On(0, 0));
    Down(On(2, 0), MK_SHIFT);
    Up(On(2, 0), MK_SHIFT);
    Calls();
    const POINT at = On(2, 0);
    Drag(at, {at.x - 54, at.y});
    const auto calls = Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MoveGrain(2,0,2,0,1)"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MoveGrain(0,0,0,0,1)"), calls.end());
}

TEST_F(PadEditorDragTest, EscapeEndsADragWithNothingChanged) {
    const POINT at = On(0, 0);
    Down(at);
    Move({at.x + 60, at.y + 30});
    EXPECT_EQ(Editor().HoverRow(), 3);
    EXPECT_TRUE(Editor().IsDragging());
    Screen().Press(VK_ESCAPE);
    EXPECT_FALSE(Editor().IsDragging());
    EXPECT_EQ(Editor().HoverRow(), -1);
    Up({at.x + 60, at.y + 30});
    EXPECT_EQ(Calls(), std::vector<std::string>{"StartAudition(0,0)"});
    EXPECT_EQ(control.pads[0].size(), 1u);

    // A pad-length drag, and a Loop Bin file drag over a row.
    const POINT handle{Editor().XOfTick(4 * kBeat) + 5, Editor().RowTop(0) + 5};
    Down(handle);
    Move({handle.x + 100, handle.y});
    Screen().Press(VK_ESCAPE);
    Up({handle.x + 100, handle.y});
    State().m_binDrag = {BinDrag::Kind::File, 0};
    Move({200, Editor().RowTop(5) + 3});
    Screen().Press(VK_ESCAPE);
    Up({200, Editor().RowTop(5) + 3});
    EXPECT_EQ(Calls(), std::vector<std::string>{});
    EXPECT_EQ(State().m_binDrag.kind, BinDrag::Kind::None);
}

TEST_F(PadEditorDragTest, APadLengthHandleSetsTheSnappedLengthAndAClickChangesNothing) {
    const POINT handle{Editor().XOfTick(4 * kBeat) + 5, Editor().RowTop(2) + 5};
    Down(handle);
    Up(handle);
    EXPECT_EQ(Calls(), std::vector<std::string>{});
    Drag(handle, {handle.x + 55, handle.y + 30});
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Checkpoint()", "SetPadLength(1,2,314572800)",
                                                 "RequestRefresh(1)"}));
    // Rows without grains have no handle to take.
    Down({Editor().XOfTick(4 * kBeat) + 5, Editor().RowTop(5) + 5});
    Up({Editor().XOfTick(4 * kBeat) + 60, Editor().RowTop(5) + 5});
    EXPECT_EQ(Calls(), std::vector<std::string>{});
}

TEST_F(PadEditorDragTest, ADoubleClickOnALabelSelectsEveryGrainOfItsPad) {
    control.pads[13].push_back({3 * kBeat, 4 * kBeat});
    Reload();
    const POINT label{120, Editor().RowTop(13) + 4};
    Screen().Click(Win(label));
    Screen().Click(Win(label));
    EXPECT_EQ(State().m_nCurrentPad, 13);
    ASSERT_EQ(State().m_grains.Count(), 2);
    EXPECT_EQ(State().m_grains[1], (EventSelectionInfo{13, 1}));
    // A press on an empty part of the grain area empties it; with Shift not.
    Screen().Advance(600);
    Down({500, Editor().RowTop(13) + 4}, MK_SHIFT);
    Up({500, Editor().RowTop(13) + 4}, MK_SHIFT);
    EXPECT_EQ(State().m_grains.Count(), 2);
    Down({500, Editor().RowTop(13) + 4});
    Up({500, Editor().RowTop(13) + 4});
    EXPECT_TRUE(State().m_grains.IsEmpty());
}

TEST_F(PadEditorDragTest, LoopBinFilesAndSlicesDropOnRowsAndGrains) {
    // A file on row 5 replaces its grains; a failed one is undone.
    State().m_binDrag = {BinDrag::Kind::File, 3};
    const POINT row5{300, Editor().RowTop(5) + 4};
    Move(row5);
    EXPECT_EQ(Editor().HoverRow(), 5);
    Up(row5);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Checkpoint()", "AssignFileToPad(5,3)",
                                                 "RequestRefresh(1)"}));
    EXPECT_EQ(State().m_nCurrentPad, 5);
    control.bFailEdits = true;
    State().m_binDrag = {BinDrag::Kind::File, 3};
    Up(row5);
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"Checkpoint()", "AssignFileToPad(5,3)", "Undo()"}));
    control.bFailEdits = false;

    // Slices 3 and 1 (1.5 and 0.5 beats into the file): over the label column
    // at their own starts, in the grain area from the pointer's snapped beat on.
    State().m_slices.Add(0, 3);
    State().m_slices.Add(0, 1);
    State().m_binDrag = {BinDrag::Kind::Slices, 0};
    Up({110, Editor().RowTop(6) + 4});
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Checkpoint()", "AddGrain(0,3,6,94371840)",
                                                 "AddGrain(0,1,6,31457280)", "RequestRefresh(1)"}));
    State().m_binDrag = {BinDrag::Kind::Slices, 0};
    Up({CPadEditor::kGrainLeft + 2 * 54 + 2, Editor().RowTop(7) + 4});
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"Checkpoint()", "AddGrain(0,3,7,188743680)",
                                        "AddGrain(0,1,7,125829120)", "RequestRefresh(1)"}));

    // On a grain: it takes the first selected slice and becomes the selection.
    Reload();
    State().m_binDrag = {BinDrag::Kind::Slices, 0};
    Move(On(2, 0));
    Up(On(2, 0));
    EXPECT_EQ(Calls(), (std::vector<std::string>{"Checkpoint()", "SetGrainSource(2,0,0,3)",
                                                 "StartAudition(2,0)", "RequestRefresh(1)"}));
    ASSERT_EQ(State().m_grains.Count(), 1);
    EXPECT_EQ(State().m_grains[0], (EventSelectionInfo{2, 0}));
    EXPECT_EQ(State().m_binDrag.kind, BinDrag::Kind::None);
}

TEST_F(PadEditorDragTest, ZoomStopsAtTwentyAndTwoHundredPixelsPerBeatAndRowsTenToThirty) {
    for (int i = 0; i < 8; ++i) page->SendMessage(WM_COMMAND, MAKEWPARAM(1127, BN_CLICKED), 0);
    EXPECT_EQ(Editor().PixelsPerBeat(), 200.0);
    for (int i = 0; i < 12; ++i) page->SendMessage(WM_COMMAND, MAKEWPARAM(1128, BN_CLICKED), 0);
    EXPECT_EQ(Editor().PixelsPerBeat(), 20.0);
    for (int i = 0; i < 6; ++i) page->SendMessage(WM_COMMAND, MAKEWPARAM(1129, BN_CLICKED), 0);
    EXPECT_EQ(Editor().RowHeight(), 30);
    for (int i = 0; i < 6; ++i) page->SendMessage(WM_COMMAND, MAKEWPARAM(1130, BN_CLICKED), 0);
    EXPECT_EQ(Editor().RowHeight(), 10);
    // Ctrl and the wheel keep to the same limits.
    for (int i = 0; i < 10; ++i) Screen().Wheel(Win({300, 400}), 120, MK_CONTROL);
    EXPECT_EQ(Editor().PixelsPerBeat(), 200.0);
    for (int i = 0; i < 10; ++i) Screen().Wheel(Win({300, 400}), -120, MK_CONTROL);
    EXPECT_EQ(Editor().PixelsPerBeat(), 20.0);
}

TEST_F(PadEditorDragTest, CtrlWheelKeepsTheTickUnderThePointerInPlace) {
    control.pads[0] = {{30 * kBeat, 31 * kBeat}};
    Reload();
    Screen().Wheel(Win({300, 400}), -3 * 120, MK_SHIFT); // scrolled into the song
    ASSERT_GT(Editor().Horizontal().Position(), 100);
    for (LONG x : {150L, 311L, 560L}) {
        const LONGLONG t = Editor().TickAt(x);
        const double before = Editor().PixelsPerBeat();
        Screen().Wheel(Win({x, 400}), 120, MK_CONTROL);
        EXPECT_NEAR(Editor().PixelsPerBeat(), before * 1.5, 1e-9);
        EXPECT_NEAR(Editor().XOfTick(t), x, 1) << x;
        Screen().Wheel(Win({x, 400}), -120, MK_CONTROL);
        EXPECT_NEAR(Editor().XOfTick(t), x, 1) << x;
    }
}

TEST_F(PadEditorDragTest, TheWheelScrollsRowsAndShiftScrollsTime) {
    for (int i = 0; i < 4; ++i) Editor().ZoomRows(true);
    Screen().Wheel(Win({300, 400}), -120);
    EXPECT_EQ(Editor().Vertical().Position(), 60);
    Screen().Wheel(Win({300, 400}), 5 * 120);
    EXPECT_EQ(Editor().Vertical().Position(), 0);
    control.pads[0] = {{30 * kBeat, 31 * kBeat}};
    Reload();
    Screen().Wheel(Win({300, 400}), -120, MK_SHIFT);
    EXPECT_EQ(Editor().Horizontal().Position(), 54);
    // Sideways turns scroll time too, right for positive.
    Screen().Wheel(Win({300, 400}), 120, 0, true);
    EXPECT_EQ(Editor().Horizontal().Position(), 108);
    // Outside the panel the wheel does nothing here.
    Screen().Wheel(Win({300, 100}), 120, MK_SHIFT);
    EXPECT_EQ(Editor().Horizontal().Position(), 108);
}

TEST_F(PadEditorDragTest, TheKeyboardsGrainStepsScrollTheGrainIntoView) {
    control.pads[0].push_back({40 * kBeat, 41 * kBeat});
    Reload();
    Down(On(0, 0));
    Up(On(0, 0));
    Screen().Press(VK_RIGHT);
    ASSERT_EQ(State().m_grains[0], (EventSelectionInfo{0, 1}));
    const LONG x = Editor().XOfTick(40 * kBeat);
    EXPECT_GE(x, CPadEditor::kGrainLeft);
    EXPECT_LT(Editor().XOfTick(41 * kBeat), kPadEditorRect.right + 1);
    Screen().Press(VK_DOWN);
    ASSERT_EQ(State().m_grains[0], (EventSelectionInfo{2, 0}));
    EXPECT_GE(Editor().XOfTick(kBeat), CPadEditor::kGrainLeft);
    EXPECT_EQ(Editor().Horizontal().Position(), 54);
}

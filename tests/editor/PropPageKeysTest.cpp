// The page's keyboard: grain navigation, Delete, undo and redo, the keypad's
// pitch steps, keys that reach the page through a control's callback, and
// Tab between the edits and combo boxes.
#include "PropPageFixture.h"
#include "editor/PadEditor.h"
#include "editor/PageLayout.h"
#include "platform/ui/ComboBox.h"
#include "resources/ComboLists.h"

namespace {
constexpr UINT kZ = 'Z';
}

class PropPageKeys : public PropPageTest {
protected:
    void SetUp() override {
        PropPageTest::SetUp();
        control.pads[2] = {{0, 100, 0}, {200, 300, 24}, {400, 500, -3}};
        control.pads[6] = {{0, 100, 5}};
        page->RefreshAll();
    }
    bool Selected(LONG nPad, LONG nGrain) const {
        return State().m_grains.Count() == 1 && State().m_grains.Contains(nPad, nGrain);
    }
};

TEST_F(PropPageKeys, DownAndUpSelectTheFirstGrainOfTheNearestPadWithGrains) {
    Screen().Press(VK_DOWN);
    EXPECT_TRUE(Selected(2, 0));
    EXPECT_TRUE(control.Called("StartAudition(2,0)"));
    Screen().Press(VK_DOWN);
    EXPECT_TRUE(Selected(6, 0));
    Screen().Press(VK_DOWN); // no pad below has grains
    EXPECT_TRUE(Selected(6, 0));
    Screen().Press(VK_UP);
    EXPECT_TRUE(Selected(2, 0));
}

TEST_F(PropPageKeys, LeftOnTheFirstGrainKeepsItAndSoundsItAgain) {
    Screen().Press(VK_DOWN);
    Screen().Press(VK_LEFT);
    EXPECT_TRUE(Selected(2, 0));
    EXPECT_EQ(control.Count("StartAudition(2,0)"), 2);
}

TEST_F(PropPageKeys, RightStepsToTheLastGrainAndStaysThere) {
    Screen().Press(VK_DOWN);
    Screen().Press(VK_RIGHT);
    EXPECT_TRUE(Selected(2, 1));
    Screen().Press(VK_RIGHT);
    Screen().Press(VK_RIGHT);
    EXPECT_TRUE(Selected(2, 2));
    EXPECT_EQ(control.Count("StartAudition(2,2)"), 2);
}

TEST_F(PropPageKeys, LeftAndRightWithoutASelectionDoNothing) {
    Screen().Press(VK_LEFT);
    Screen().Press(VK_RIGHT);
    EXPECT_EQ(control.Count("StartAudition"), 0);
    EXPECT_TRUE(State().m_grains.IsEmpty());
}

TEST_F(PropPageKeys, DeleteRemovesTheSelectedGrainsInOneUndoStep) {
    Screen().Press(VK_DOWN);
    control.calls.clear();
    Screen().Press(VK_DELETE);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"Checkpoint()", "RemoveGrain(2,0,1)",
                                                       "CommitGrainEdits()", "RequestRefresh(1)"}));
    EXPECT_TRUE(State().m_grains.IsEmpty());
    EXPECT_EQ(page->IsPageDirty(), S_OK);
    // Nothing selected: no empty undo step.
    control.calls.clear();
    Screen().Press(VK_DELETE);
    EXPECT_TRUE(control.calls.empty());
}

TEST_F(PropPageKeys, UndoWithNothingToUndoStillEmptiesTheSelections) {
    Screen().Press(VK_DOWN);
    Screen().Press(kZ, L'z', MK_CONTROL);
    EXPECT_EQ(control.Count("Undo()"), 1);
    EXPECT_EQ(control.nProjectChanges, 0);
    EXPECT_TRUE(State().m_grains.IsEmpty());
    EXPECT_TRUE(State().m_slices.IsEmpty());
    EXPECT_TRUE(control.Called("RequestRefresh(1)"));
    Screen().Press(kZ, L'Z', MK_CONTROL | MK_SHIFT);
    EXPECT_EQ(control.Count("Redo()"), 1);
    // Z alone is no command.
    Screen().Press(kZ, L'z');
    EXPECT_EQ(control.Count("Undo()"), 1);
}

TEST_F(PropPageKeys, UndoDuringADragDoesNothing) {
    // A press on the Pad Editor's horizontal thumb drags it until the release.
    const RECT thumb = page->PadEditor().Horizontal().Thumb();
    const POINT at{thumb.left + 2, (thumb.top + thumb.bottom) / 2};
    Screen().ButtonDown(at);
    Screen().Press(kZ, L'z', MK_CONTROL);
    Screen().Press(kZ, L'Z', MK_CONTROL | MK_SHIFT);
    EXPECT_EQ(control.Count("Undo()"), 0);
    EXPECT_EQ(control.Count("Redo()"), 0);
    Screen().ButtonUp(at);
    Screen().Press(kZ, L'z', MK_CONTROL);
    EXPECT_EQ(control.Count("Undo()"), 1);
}

TEST_F(PropPageKeys, KeypadStepsThePitchWithinTwoOctavesAndSoundsTheGrain) {
    Screen().Press(VK_DOWN);
    Screen().Press(VK_RIGHT); // grain 1, pitch 24
    control.calls.clear();
    Screen().Press(VK_ADD);
    EXPECT_EQ(control.calls.back(), "StartAudition(2,1)");
    EXPECT_TRUE(control.Called("SetGrainPitch(2,1,24)"));
    Screen().Press(VK_SUBTRACT);
    EXPECT_EQ(control.pads[2][1].nPitch, 23);
    EXPECT_EQ(page->Control(IDC_PITCH_EDIT)->GetWindowText(), L"23");
}

TEST_F(PropPageKeys, KeysOfAFocusedToggleReachThePageAndItsCharactersAreSwallowed) {
    ClickControl(IDC_AUDITION); // a toggle takes the focus when pressed
    auto* toggle = static_cast<CBitmapToggleCtrl*>(page->Control(IDC_AUDITION));
    ASSERT_EQ(CWnd::GetFocus(), toggle);
    const int state = toggle->m_nState;
    Screen().Press(VK_DOWN);
    EXPECT_TRUE(Selected(2, 0));
    Screen().Press(VK_SPACE, L' '); // claimed by the page: the toggle keeps its state
    EXPECT_EQ(toggle->m_nState, state);
}

TEST_F(PropPageKeys, EditsKeepTheirOwnTyping) {
    ClickControl(IDC_PITCH_EDIT);
    Screen().Press(VK_DOWN);
    EXPECT_EQ(control.Count("StartAudition"), 0);
}

// Tab and Shift+Tab walk the edits and combo boxes in the order the page
// makes them (Pad Settings top to bottom, then the Slice Settings), round at
// the ends; the box left behind commits what was typed into it.
TEST_F(PropPageKeys, TabCommitsTheBoxAndMovesToTheNextShiftTabToTheOneBefore) {
    constexpr UINT kKeyHigh = 1138, kKeyLow = 1139, kKeyUnity = 1140;
    auto focused = [&] { return CWnd::GetFocus(); };
    control.keyRanges[0] = {0, 60, 62, 60, 0, 127}; // C5 to D5
    page->RefreshAll();
    page->Control(kKeyLow)->SetFocus();
    Screen().Type(L"E5");
    Screen().Press(VK_TAB);
    EXPECT_EQ(control.keyRanges[0].nLowKey, 64);
    EXPECT_EQ(control.Count("Checkpoint"), 1);
    ASSERT_EQ(focused(), page->Control(kKeyHigh));
    Screen().Type(L"G5"); // the box took the focus with its text selected
    Screen().Press(VK_TAB, 0, MK_SHIFT);
    EXPECT_EQ(control.keyRanges[0].nHighKey, 67);
    EXPECT_EQ(page->Control(kKeyHigh)->GetWindowText(), L"G5");
    EXPECT_EQ(focused(), page->Control(kKeyLow));
    Screen().Press(VK_TAB, 0, MK_SHIFT); // passing a box unchanged commits nothing
    EXPECT_EQ(focused(), page->Control(kKeyUnity));
    EXPECT_EQ(control.Count("Checkpoint"), 2);

    // Past the toggles, statics and knobs between them; round at the ends.
    page->Control(kKeyHigh)->SetFocus();
    Screen().Press(VK_TAB);
    EXPECT_EQ(focused(), page->Control(IDC_PITCH_EDIT));
    page->Control(IDC_PAN_EDIT)->SetFocus();
    Screen().Press(VK_TAB);
    EXPECT_EQ(focused(), page->Control(IDC_SNAP));
    Screen().Press(VK_TAB);
    EXPECT_EQ(focused(), page->Control(IDC_PAD_OUTPUT));
    Screen().Press(VK_TAB, 0, MK_SHIFT);
    EXPECT_EQ(focused(), page->Control(IDC_SNAP));
}

TEST_F(PropPageKeys, TabFromAComboClosesItsListAndCommitsItsEntry) {
    auto* output = static_cast<CComboBox*>(page->Control(IDC_PAD_OUTPUT));
    output->SetFocus(); // its text selected whole
    output->ShowDropDown(true);
    Screen().Type(L"Chan 3");
    Screen().Press(VK_TAB);
    EXPECT_FALSE(output->GetDroppedState());
    EXPECT_EQ(control.settings[0].nOutput, 3);
    EXPECT_EQ(CWnd::GetFocus(), page->Control(IDC_PAD_MIDI_IN));
    // With the page itself holding the focus, Tab leaves it there.
    page->SetFocus();
    Screen().Press(VK_TAB);
    EXPECT_EQ(CWnd::GetFocus(), page);
}

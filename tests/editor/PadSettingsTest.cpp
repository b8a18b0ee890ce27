// The pad cells' toggles, knobs and menu and the Pad Settings' edits, combos
// and check boxes, as a producer uses them: each writes the engine, takes an
// undo step and marks the project changed.
#include "PropPageFixture.h"
#include "editor/PadGrid.h"
#include "resources/ComboLists.h"

class PadSettingsTest : public PropPageTest {
protected:
    std::wstring Text(UINT nID) { return page->Control(nID)->GetWindowText(); }
    int Toggle(UINT nID) { return page->Control(nID) ? ToggleOf(nID)->m_nState : -1; }
    CBitmapToggleCtrl* ToggleOf(UINT nID) {
        return dynamic_cast<CBitmapToggleCtrl*>(page->Control(nID));
    }
    POINT Centre(UINT nID) {
        const RECT r = page->Control(nID)->GetRectInParent();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // Types text into the edit or combo box and commits it with Return.
    void Enter(UINT nID, const std::wstring& text) {
        page->SetFocus(); // the edit selects its whole text as it takes the focus
        page->Control(nID)->SetFocus();
        Screen().Type(text);
        Screen().Press(VK_RETURN);
        Wm().Pump();
    }
    void DragKnob(UINT nID, LONG dy) {
        const POINT at = Centre(nID);
        Screen().ButtonDown(at);
        Screen().MoveTo({at.x, at.y - dy});
        Screen().ButtonUp(at);
        Screen().Advance(1000); // the next press is no double-click
    }
    void RightClick(POINT pt) {
        Screen().ButtonDown(pt, 3);
        Screen().ButtonUp(pt, 3);
        Screen().Advance(1000);
    }
    const FakeControl::PadSettings& Pad(int p) const { return control.settings[size_t(p)]; }
};

TEST_F(PadSettingsTest, ShiftAppliesSyncedAndLoopingToEveryPadAndEachClickIsOneUndoStep) {
    ClickControl(IDC_PAD_SYNCED + 5);
    EXPECT_EQ(State().m_nCurrentPad, 5);
    EXPECT_TRUE(Pad(5).bSynced && Pad(5).bLooping); // synced pads loop
    EXPECT_FALSE(Pad(4).bSynced || Pad(4).bLooping);
    EXPECT_EQ(Toggle(IDC_PAD_LOOPING + 5), 1);
    EXPECT_TRUE(State().m_bDirty);

    control.calls.clear();
    Screen().Click(Centre(IDC_PAD_SYNCED + 2), MK_SHIFT);
    for (int p = 0; p < kPadCount; ++p) {
        EXPECT_TRUE(Pad(p).bSynced && Pad(p).bLooping) << p;
        EXPECT_EQ(Toggle(IDC_PAD_SYNCED + UINT(p)), 1);
        EXPECT_EQ(Toggle(IDC_PAD_LOOPING + UINT(p)), 1);
    }
    EXPECT_EQ(control.Count("Checkpoint()"), 1);
    EXPECT_EQ(control.Count("RequestRefresh"), 0); // plain settings ask for no full refresh

    // Pad 2's synced toggle is on now, so its looping toggle turns off: both off everywhere.
    Screen().Click(Centre(IDC_PAD_LOOPING + 9), MK_SHIFT);
    for (int p = 0; p < kPadCount; ++p) {
        EXPECT_FALSE(Pad(p).bSynced || Pad(p).bLooping) << p;
        EXPECT_EQ(Toggle(IDC_PAD_SYNCED + UINT(p)), 0);
    }
}

TEST_F(PadSettingsTest, MuteAndSoloWriteTheirOwnPadAndPadSixteensMuteIsTen40) {
    ClickControl(1040);
    EXPECT_TRUE(Pad(15).bMute);
    EXPECT_EQ(State().m_nCurrentPad, 15);
    ClickControl(PadMuteId(0));
    ClickControl(IDC_PAD_SOLO + 3);
    EXPECT_TRUE(Pad(0).bMute && Pad(3).bSolo);
    EXPECT_FALSE(Pad(14).bMute || Pad(0).bSolo);
    ClickControl(1040);
    EXPECT_FALSE(Pad(15).bMute);
    // Pressed, then released outside: the toggle shows its earlier state and
    // the engine holds it too.
    Screen().ButtonDown(Centre(IDC_PAD_SOLO + 7));
    EXPECT_TRUE(Pad(7).bSolo);
    Screen().MoveTo({300, 300});
    Screen().ButtonUp({300, 300});
    EXPECT_FALSE(Pad(7).bSolo);
    EXPECT_EQ(Toggle(IDC_PAD_SOLO + 7), 0);
}

TEST_F(PadSettingsTest, VolumeAndPanKnobsMapTheirRangeAndShowDecibelsAndSides) {
    DragKnob(IDC_PAD_VOLUME + 3, 300);
    EXPECT_EQ(State().m_nCurrentPad, 3);
    EXPECT_FLOAT_EQ(Pad(3).fVolume, 2.0f);
    EXPECT_EQ(Text(IDC_VOLUME_TEXT), L"6.0");
    EXPECT_EQ(control.Count("Checkpoint()"), 1); // the whole drag is one step
    DragKnob(IDC_PAD_VOLUME + 3, -300);
    EXPECT_EQ(Pad(3).fVolume, 0.0f);
    EXPECT_EQ(Text(IDC_VOLUME_TEXT), L"-Inf");
    EXPECT_EQ(control.Count("Checkpoint()"), 2);

    DragKnob(IDC_PAD_PAN + 3, -20);
    EXPECT_FLOAT_EQ(Pad(3).fPan, 0.3f);
    EXPECT_EQ(Text(IDC_PAN_TEXT), L"40L");
    // Ctrl with a double-click brings the knob back to the middle.
    Screen().Click(Centre(IDC_PAD_PAN + 3), MK_CONTROL);
    Screen().Click(Centre(IDC_PAD_PAN + 3), MK_CONTROL);
    EXPECT_EQ(Pad(3).fPan, 0.5f);
    EXPECT_EQ(Text(IDC_PAN_TEXT), L"C");
    // The wheel turns five steps a notch; each notch is a step of its own.
    const int steps = control.Count("Checkpoint()");
    Screen().Wheel(Centre(IDC_PAD_PAN + 3), 2 * WHEEL_DELTA);
    EXPECT_FLOAT_EQ(Pad(3).fPan, 0.6f);
    EXPECT_EQ(Text(IDC_PAN_TEXT), L"20R");
    EXPECT_EQ(control.Count("Checkpoint()"), steps + 1);
    // Pressing a knob without turning it changes nothing.
    Screen().Click(Centre(IDC_PAD_VOLUME + 7));
    EXPECT_EQ(control.Count("SetPadVolume(7"), 0);
}

TEST_F(PadSettingsTest, KeyEndsPushEachOtherAndTheUnityKeyMovesNeither) {
    control.keyRanges[0] = {0, 60, 62, 60, 0, 127}; // C5 to D5
    page->RefreshAll();
    Enter(1139, L"E5"); // Key Low above Key High
    EXPECT_EQ(control.keyRanges[0].nLowKey, 64);
    EXPECT_EQ(control.keyRanges[0].nHighKey, 64);
    EXPECT_EQ(Text(1138), L"E5");
    Enter(1138, L"C4"); // Key High below Key Low
    EXPECT_EQ(control.keyRanges[0].nLowKey, 48);
    EXPECT_EQ(Text(1139), L"C4");
    Enter(1140, L"G9");
    EXPECT_EQ(control.keyRanges[0].nRootKey, 115);
    EXPECT_EQ(control.keyRanges[0].nLowKey, 48);
    EXPECT_EQ(control.keyRanges[0].nHighKey, 48);
    // Velocities clamp and push likewise; a text without a note or number changes nothing.
    Enter(1141, L"200");
    EXPECT_EQ(control.keyRanges[0].nLowVelocity, 127);
    EXPECT_EQ(control.keyRanges[0].nHighVelocity, 127);
    control.calls.clear();
    Enter(1139, L"H2");
    Enter(1142, L"loud");
    EXPECT_EQ(control.Count("SetPadKeyRange"), 0);
    EXPECT_EQ(control.Count("Checkpoint"), 0);
    EXPECT_EQ(Text(1139), L"C4");
    EXPECT_EQ(Text(1142), L"127");
}

TEST_F(PadSettingsTest, EditsCommitWhenTheyLoseTheFocusAndAnUntouchedEditChangesNothing) {
    page->Control(1139)->SetFocus();
    page->Control(1140)->SetFocus(); // leaving without typing
    EXPECT_EQ(control.Count("Checkpoint"), 0);
    EXPECT_FALSE(State().m_bDirty);
    Screen().Type(L"A4");
    Screen().Click({300, 545}); // the page takes the focus
    EXPECT_EQ(control.keyRanges[0].nRootKey, 57);
    EXPECT_TRUE(State().m_bDirty);
}

TEST_F(PadSettingsTest, CombosTakeOnlyEntriesOfTheirLists) {
    Enter(IDC_PAD_OUTPUT, L"Chan 3");
    EXPECT_EQ(Pad(0).nOutput, 3);
    Enter(IDC_PAD_MIDI_IN, L"Ch. 10");
    EXPECT_EQ(Pad(0).nChannel, 9);
    Enter(IDC_PAD_ROOT, L"C");
    EXPECT_EQ(Pad(0).nRoot, 3);
    Enter(IDC_PAD_OUTPUT, L"Chan 17");
    EXPECT_EQ(Pad(0).nOutput, 3);
    EXPECT_EQ(Text(IDC_PAD_OUTPUT), L"Chan 3");
    Enter(IDC_PAD_MIDI_IN, L"Omni");
    EXPECT_EQ(Pad(0).nChannel, -1);
}

TEST_F(PadSettingsTest, RootShowsThePadKeyNumberedFromA) {
    control.settings[2].nRoot = 3; // a loop rooted at C, as the loader sets it
    control.settings[3].nRoot = 0;
    page->SelectPad(2);
    EXPECT_EQ(Text(IDC_PAD_ROOT), L"C");
    page->SelectPad(3);
    EXPECT_EQ(Text(IDC_PAD_ROOT), L"A");
    page->SelectPad(4); // no root
    EXPECT_EQ(Text(IDC_PAD_ROOT), L"None");
}

TEST_F(PadSettingsTest, CheckBoxesWriteTheCurrentPadOrWithShiftEveryPad) {
    page->SelectPad(6);
    ClickControl(IDC_LATCH);
    EXPECT_TRUE(Pad(6).bLatch);
    EXPECT_FALSE(Pad(5).bLatch);
    Screen().Click(Centre(IDC_TAILS), MK_SHIFT);
    for (int p = 0; p < kPadCount; ++p) EXPECT_TRUE(Pad(p).bTails) << p;
    ClickControl(IDC_PITCH_MARKERS);
    EXPECT_TRUE(Pad(6).bMarkers);
    EXPECT_FALSE(Pad(7).bMarkers);
}

TEST_F(PadSettingsTest, PadMenuChecksItsStateAndClearPadSwitchesAnEmptyPadOff) {
    const POINT pad7 = {CPadGrid::ImageRect(7).left + 5, CPadGrid::ImageRect(7).top + 5};
    control.settings[7] = {TRUE, TRUE, TRUE, TRUE};
    Wm().Script().Push(ID_PAD_CLEAR);
    RightClick(pad7);
    EXPECT_EQ(State().m_nCurrentPad, 7);
    EXPECT_TRUE(Asked(L"Open Audio File|\u2713Looping|\u2713Synced Playback|Clear Pad"));
    EXPECT_FALSE(Pad(7).bMute || Pad(7).bSolo || Pad(7).bSynced || Pad(7).bLooping);
    EXPECT_TRUE(control.Called("Checkpoint()"));
    EXPECT_TRUE(control.Called("CommitGrainEdits()"));
    EXPECT_EQ(control.Count("RemoveGrain"), 0);
    EXPECT_TRUE(State().m_bDirty);

    control.pads[7].resize(2);
    Wm().Script().Push(ID_PAD_SYNCED); // on: looping comes with it
    RightClick(pad7);
    EXPECT_TRUE(Pad(7).bSynced && Pad(7).bLooping);
    EXPECT_TRUE(control.Called("RequestRefresh(1)"));
    Wm().Script().Push(ID_PAD_LOOPING); // off: synced goes with it
    RightClick(pad7);
    EXPECT_FALSE(Pad(7).bSynced || Pad(7).bLooping);
    Wm().Script().Push(ID_PAD_CLEAR);
    RightClick(pad7);
    EXPECT_TRUE(control.Called("RemoveGrain(7,0,1)"));
    EXPECT_TRUE(control.Called("RemoveGrain(7,1,1)"));
}

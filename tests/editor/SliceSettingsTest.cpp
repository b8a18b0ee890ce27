// The Slice Settings: pitch, gain and pan of the one selected grain, from the
// knobs and the edits; and the texts and mappings behind them.
#include "PropPageFixture.h"
#include "editor/ValueText.h"

class SliceSettingsTest : public PropPageTest {
protected:
    void SetUp() override {
        PropPageTest::SetUp();
        control.pads[2].resize(3);
    }
    void Select(std::initializer_list<LONG> grains) {
        page->State().m_grains.Clear();
        for (LONG g : grains) page->State().m_grains.Add(2, g);
        page->RefreshAll();
    }
    std::wstring Text(UINT nID) { return page->Control(nID)->GetWindowText(); }
    void Enter(UINT nID, const std::wstring& text) {
        page->SetFocus(); // the edit selects its whole text as it takes the focus
        page->Control(nID)->SetFocus();
        Screen().Type(text);
        Screen().Press(VK_RETURN);
        Wm().Pump();
    }
    void DragKnob(UINT nID, LONG dy) {
        const RECT r = page->Control(nID)->GetRectInParent();
        const POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        Screen().ButtonDown(at);
        Screen().MoveTo({at.x, at.y - dy});
        Screen().ButtonUp(at);
        Screen().Advance(1000); // the next press is no double-click
    }
    FakeControl::Grain& Grain(size_t i) { return control.pads[2][i]; }
};

TEST_F(SliceSettingsTest, TypedValuesReachTheOneSelectedGrain) {
    Select({1});
    Enter(IDC_GAIN_EDIT, L"-80");
    EXPECT_EQ(Grain(1).fGain, 0.0f);
    EXPECT_EQ(Text(IDC_GAIN_EDIT), L"-Inf");
    Enter(IDC_GAIN_EDIT, L"6");
    EXPECT_NEAR(Grain(1).fGain, 1.995f, 0.001f);
    Enter(IDC_PAN_EDIT, L"30L");
    EXPECT_FLOAT_EQ(Grain(1).fPan, 0.35f);
    EXPECT_EQ(Text(IDC_PAN_EDIT), L"30L");
    Enter(IDC_PITCH_EDIT, L"-30");
    EXPECT_EQ(Grain(1).nPitch, -24);
    EXPECT_TRUE(State().m_bDirty);
    // No number: nothing written, the edit shows the grain's value again.
    control.calls.clear();
    Enter(IDC_PAN_EDIT, L"left");
    EXPECT_EQ(control.Count("SetGrainPan"), 0);
    EXPECT_EQ(Text(IDC_PAN_EDIT), L"30L");
    EXPECT_EQ(Grain(0).fGain, 1.0f);
}

TEST_F(SliceSettingsTest, KnobsTurnTheGrainAndAWholeDragIsOneUndoStep) {
    Select({0});
    DragKnob(IDC_GAIN_KNOB, 300);
    EXPECT_EQ(Grain(0).fGain, 2.0f);
    EXPECT_EQ(Text(IDC_GAIN_EDIT), L"6.0");
    DragKnob(IDC_PITCH_KNOB, 25); // 0.75 of the way: +12
    EXPECT_EQ(Grain(0).nPitch, 12);
    EXPECT_EQ(Text(IDC_PITCH_EDIT), L"12");
    EXPECT_EQ(control.Count("Checkpoint()"), 2);
}

TEST_F(SliceSettingsTest, WithTwoGrainsSelectedTheEditsShowZeroAndTheKnobsWriteNothing) {
    Grain(0).fGain = 0.5f;
    Select({0, 2});
    EXPECT_EQ(Text(IDC_PITCH_EDIT), L"0");
    EXPECT_EQ(Text(IDC_GAIN_EDIT), L"0");
    EXPECT_EQ(Text(IDC_PAN_EDIT), L"0");
    DragKnob(IDC_GAIN_KNOB, 30);
    DragKnob(IDC_PAN_KNOB, -30);
    Enter(IDC_PITCH_EDIT, L"5");
    EXPECT_EQ(control.Count("SetGrain"), 0);
    EXPECT_EQ(control.Count("Checkpoint"), 0);
    EXPECT_EQ(Text(IDC_GAIN_EDIT), L"0");
    EXPECT_EQ(Text(IDC_PITCH_EDIT), L"0");
    EXPECT_EQ(Grain(0).fGain, 0.5f);
    EXPECT_FALSE(State().m_bDirty);
}

TEST(ValueText, KnobPositionsAndTypedTextsMapOntoTheirRanges) {
    EXPECT_EQ(CValueText::Gain(CValueText::GainFromKnob(100)), L"6.0");
    EXPECT_EQ(CValueText::Gain(CValueText::GainFromKnob(0)), L"-Inf");
    EXPECT_EQ(CValueText::Pan(CValueText::PanFromKnob(50)), L"C");
    EXPECT_EQ(CValueText::Pan(0.0f), L"100L");
    EXPECT_EQ(CValueText::PitchFromKnob(0), -24);
    EXPECT_EQ(CValueText::PitchFromKnob(50), 0);
    EXPECT_EQ(CValueText::PitchFromKnob(100), 24);
    float f = -1.0f;
    EXPECT_TRUE(CValueText::ReadPan(L" 30l ", &f));
    EXPECT_FLOAT_EQ(f, 0.35f);
    EXPECT_TRUE(CValueText::ReadPan(L"15c", &f));
    EXPECT_EQ(f, 0.5f);
    EXPECT_TRUE(CValueText::ReadPan(L"-400", &f));
    EXPECT_EQ(f, 0.0f);
    EXPECT_FALSE(CValueText::ReadPan(L"R", &f));
    EXPECT_TRUE(CValueText::ReadGain(L"-Inf", &f));
    EXPECT_EQ(f, 0.0f);
    EXPECT_TRUE(CValueText::ReadGain(L"1e300", &f));
    EXPECT_EQ(f, 2.0f);
    EXPECT_FALSE(CValueText::ReadGain(L"nan", &f));
    EXPECT_FALSE(CValueText::ReadGain(L"", &f));
    LONG n = 0;
    EXPECT_TRUE(CValueText::ReadNumber(L"99999999999999999999", &n));
    EXPECT_EQ(n, 1000000);
}

// The key map editor in the page's middle band: the tab shows it, drags are
// written to the engine step by step and shown in the Pad Settings edits, and
// it is drawn at the page's scale.
#include "PropPageFixture.h"
#include "editor/MiddleBand.h"
#include "editor/PageTools.h"
#include "platform/ui/Bitmap.h"

namespace {
constexpr LONG kWhiteY = 305; // below the black keys, above the octave numbers
constexpr LONG kBlackY = 280;
constexpr LONG kStripY = CKeyMapEditor::kKeyboard.top - 3;
} // namespace

class KeyMapPageTest : public PropPageTest {
protected:
    void SetUp() override {
        PropPageTest::SetUp();
        control.keyRanges[0] = {0, 55, 65, 60, 0, 127}; // G4 to F5 around C5
        page->RefreshAll();
        Wm().Pump();
    }
    void ChooseKeyMap() {
        Screen().Click({16, 260});
        ASSERT_EQ(State().m_view, BandView::KeyMap);
    }
    CKeyMapEditor& Keys() { return page->Band().KeyMap(); }
    LONG Mid(LONG nKey) {
        const RECT r = Keys().KeyRect(nKey);
        return (r.left + r.right) / 2;
    }
    std::wstring Text(UINT nID) { return page->Control(nID)->GetWindowText(); }
    // Both corners of page pixel (x, y) on the page's surface, which must agree.
    COLORREF Pixel(LONG x, LONG y) {
        const CBitmap* b = Wm().BackBuffer(page);
        double s = 1.0;
        page->GetScale(&s);
        const int px = static_cast<int>(x * s), py = static_cast<int>(y * s);
        const int last = static_cast<int>(s) - 1;
        const COLORREF c = b->GetDevicePixel(px, py);
        EXPECT_EQ(b->GetDevicePixel(px + last, py + last), c) << x << "," << y;
        return c;
    }
    void ExpectKeysDrawn() {
        const COLORREF* own = CKeyMapEditor::kPalette;
        EXPECT_EQ(Pixel(Mid(60), kWhiteY), CPageTools::Colour(6)); // unity
        EXPECT_EQ(Pixel(Mid(62), kWhiteY), own[2]);                // in range
        EXPECT_EQ(Pixel(Mid(61), kBlackY), own[3]);
        EXPECT_EQ(Pixel(Mid(50), kWhiteY), own[4]); // outside
        EXPECT_EQ(Pixel(Mid(49), kBlackY), own[1]);
        EXPECT_EQ(Pixel(Keys().KeyRect(62).left, kWhiteY), own[0]); // outline
        EXPECT_EQ(Pixel(Keys().KeyRect(55).left, kStripY), own[6]); // low marker
        EXPECT_EQ(Pixel(Keys().KeyRect(65).right - 1, kStripY), own[6]);
        EXPECT_NE(Pixel(Keys().KeyRect(58).left, kStripY), own[6]);
    }
};

TEST_F(KeyMapPageTest, TheKeyboardIsDrawnAtScaleOneAndTwo) {
    ASSERT_EQ(page->SetScale(1.0), S_OK);
    Wm().Pump();
    EXPECT_NE(Pixel(Mid(60), kWhiteY), CPageTools::Colour(6)); // the slice view
    ChooseKeyMap();
    Wm().Pump();
    ExpectKeysDrawn();
    ASSERT_EQ(page->SetScale(2.0), S_OK);
    Wm().Pump();
    ExpectKeysDrawn();
}

TEST_F(KeyMapPageTest, ShiftDraggingTheUnityKeyMovesTheWholeRange) {
    ChooseKeyMap();
    Screen().ButtonDown({Mid(60), kWhiteY});
    // The key at slot position - 0.5 is D#5, three keys up.
    const LONG x =
        CKeyMapEditor::kKeyboard.left + static_cast<LONG>(74 * CKeyMapEditor::SlotWidth());
    Screen().MoveTo({x, kWhiteY}, MK_SHIFT);
    const PadKeyRange& r = control.keyRanges[0];
    EXPECT_EQ(r.nLowKey, 58);
    EXPECT_EQ(r.nHighKey, 68);
    EXPECT_EQ(r.nRootKey, 63);
    EXPECT_TRUE(control.Called("SetPadKeyRange(0,58,68,63)"));
    EXPECT_EQ(Text(1140), L"D#5");
    EXPECT_EQ(Text(1139), L"A#4");
    EXPECT_EQ(Text(1138), L"G#5");
    // Without Shift only the unity key follows.
    Screen().MoveTo({Mid(60), kWhiteY});
    EXPECT_EQ(r.nRootKey, 60);
    EXPECT_EQ(Text(1140), L"C5");
    Screen().ButtonUp({Mid(60), kWhiteY});
    // Each changing step was written once; the edits wrote nothing back, and
    // after the release the pointer changes nothing.
    EXPECT_EQ(control.Count("SetPadKeyRange"), 2);
    Screen().MoveTo({Mid(50), kWhiteY}, MK_SHIFT);
    EXPECT_EQ(control.Count("SetPadKeyRange"), 2);
    EXPECT_EQ(r.nRootKey, 60);
}

TEST_F(KeyMapPageTest, DraggingAnotherKeyLeftScrollsTheKeyboardRightWithinItsEnds) {
    ChooseKeyMap();
    const LONG before = Keys().KeyRect(60).left;
    Screen().ButtonDown({200, kWhiteY});
    Screen().MoveTo({150, kWhiteY});
    EXPECT_EQ(Keys().Scroll(), 50.0);
    EXPECT_EQ(Keys().KeyRect(60).left, before - 50);
    Wm().Pump();
    EXPECT_EQ(Pixel(Mid(60), kWhiteY), CPageTools::Colour(6));
    Screen().MoveTo({100, kWhiteY}, MK_SHIFT); // Shift holds the keyboard
    EXPECT_EQ(Keys().Scroll(), 50.0);
    Screen().ButtonUp({100, kWhiteY});
    Screen().ButtonDown({560, kWhiteY});
    Screen().MoveTo({5, kWhiteY});
    Screen().ButtonUp({5, kWhiteY});
    EXPECT_EQ(Keys().Scroll(), CKeyMapEditor::MaxScroll());
    Screen().ButtonDown({100, kWhiteY});
    Screen().MoveTo({595, kWhiteY});
    Screen().ButtonUp({595, kWhiteY});
    EXPECT_EQ(Keys().Scroll(), 0.0);
    EXPECT_EQ(control.Count("SetPadKeyRange"), 0);
}

TEST_F(KeyMapPageTest, TheKeyboardFollowsTheCurrentPadAndRefreshes) {
    ChooseKeyMap();
    page->SelectPad(3); // D#5 alone
    Wm().Pump();
    EXPECT_EQ(Pixel(Mid(63), kBlackY), CPageTools::Colour(7));
    control.keyRanges[3] = {3, 48, 72, 50, 0, 127};
    control.nRefresh = 1;
    Screen().Advance(CVudivuVizezudPropPage::kRefreshMs);
    Wm().Pump();
    EXPECT_EQ(Pixel(Mid(50), kWhiteY), CPageTools::Colour(6));
    EXPECT_EQ(Pixel(Mid(63), kBlackY), CKeyMapEditor::kPalette[3]);
}

TEST_F(KeyMapPageTest, ADragIsOneUndoStepThatMarksTheProjectChanged) {
    ChooseKeyMap();
    Screen().ButtonDown({Mid(60), kWhiteY});
    Screen().MoveTo({Mid(62), kWhiteY});
    Screen().MoveTo({Mid(64), kWhiteY});
    EXPECT_EQ(control.Count("Checkpoint"), 1);
    EXPECT_EQ(page->IsPageDirty(), S_OK); // closing now asks to save
    Screen().ButtonUp({Mid(64), kWhiteY});
    EXPECT_EQ(control.Count("SetPadKeyRange"), 2);
    // A scroll drag changes nothing of the project.
    Screen().ButtonDown({200, kWhiteY});
    Screen().MoveTo({150, kWhiteY});
    Screen().ButtonUp({150, kWhiteY});
    EXPECT_EQ(control.Count("Checkpoint"), 1);
}

TEST_F(KeyMapPageTest, ChoosingAPadScrollsItsRangeIntoView) {
    ChooseKeyMap();
    control.keyRanges[5] = {5, 96, 100, 98, 0, 127}; // C8 to E8, right of the view
    page->SelectPad(5);
    const RECT area = CKeyMapEditor::kKeyboard;
    EXPECT_GE(Keys().KeyRect(96).left, area.left);
    EXPECT_LE(Keys().KeyRect(100).right, area.right);
    control.keyRanges[6] = {6, 0, 127, 60, 0, 127}; // wider than the keyboard
    page->SelectPad(6);
    const RECT unity = Keys().KeyRect(60);
    EXPECT_NEAR((unity.left + unity.right) / 2, (area.left + area.right) / 2, 2);
    control.keyRanges[7] = {7, 0, 4, 2, 0, 127}; // the left end: no scroll below 0
    page->SelectPad(7);
    EXPECT_EQ(Keys().Scroll(), 0.0);
}

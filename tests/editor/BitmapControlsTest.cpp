// The skinned controls driven through the offscreen display with injected
// pointer and key events, on the real skin.
#include "../ui/Recorder.h"
#include "../ui/UiFixture.h"
#include "editor/BitmapKnobCtrl.h"
#include "editor/BitmapToggleCtrl.h"
#include "editor/FxComboBox.h"
#include "editor/FxEdit.h"
#include "editor/PlugInFilterControl.h"
#include "editor/ZoomButton.h"
#include "platform/ui/ResourceBitmaps.h"
#include "resources/Cursors.h"
#include "resources/ResourceIds.h"
#include "resources/Skin.h"
#include <gtest/gtest.h>

namespace {
class Controls : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        CResourceBitmaps::SetLoader(&CSkin::Get);
        page.CreateTopLevel(L"page", {300, 200});
    }
    void TearDown() override {
        page.DestroyWindow();
        UiTest::TearDown();
    }
    int Commands(UINT id) const {
        int n = 0;
        for (const auto& m : page.log)
            n += m.msg == WM_COMMAND && LOWORD(m.wParam) == id && HIWORD(m.wParam) == BN_CLICKED;
        return n;
    }
    // Do the control's pixels equal the given picture's region?
    bool Shows(const CWnd& w, const CBitmap& pic, int sx = 0) {
        CBitmap* buf = CWindowManager::Instance().BackBuffer(&page);
        RECT r = w.GetRectInParent();
        for (int y = 0; y < r.Height(); ++y)
            for (int x = 0; x < r.Width(); ++x)
                if (buf->GetPixel(r.left + x, r.top + y) != pic.GetPixel(sx + x, y)) return false;
        return true;
    }
    CRecorder page;
};

// A callback that claims the messages it is told to.
struct Claimer : CPlugInFilterCallback {
    UINT claim = 0;
    std::vector<UINT> seen;
    BOOL FilterMessage(CWnd*, UINT msg, WPARAM, LPARAM, LRESULT* r) override {
        seen.push_back(msg);
        if (msg != claim) return FALSE;
        *r = 42;
        return TRUE;
    }
};
} // namespace

TEST_F(Controls, TogglePressedAndReleasedOutsideEndsInItsEarlierState) {
    CPlugInFilterControl<CBitmapToggleCtrl> t;
    t.Create(&page, RectXYWH(10, 10, 16, 15), 1024);
    t.Load(IDB_MUTE_OFF, IDB_MUTE_ON, 0, 0, FALSE, TRUE);
    Screen().ButtonDown({15, 15});
    EXPECT_EQ(t.m_nState, 1);
    EXPECT_EQ(Commands(1024), 1); // told at the press
    EXPECT_EQ(CWnd::GetFocus(), &t);
    EXPECT_TRUE(Shows(t, *CSkin::Get(IDB_MUTE_ON)));
    Screen().MoveTo({60, 60});
    EXPECT_EQ(t.m_nState, 0);
    Screen().MoveTo({12, 12}); // back inside, pressed again
    EXPECT_EQ(t.m_nState, 1);
    Screen().MoveTo({60, 60});
    EXPECT_EQ(Commands(1024), 1);
    Screen().ButtonUp({60, 60});
    EXPECT_EQ(t.m_nState, 0);
    // Told once more, so the parent can undo what it did at the press.
    EXPECT_EQ(Commands(1024), 2);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_TRUE(Shows(t, *CSkin::Get(IDB_MUTE_OFF)));
    // Released inside, the press stands and nothing more is told.
    Screen().ButtonDown({15, 15});
    Screen().ButtonUp({15, 15});
    EXPECT_EQ(t.m_nState, 1);
    EXPECT_EQ(Commands(1024), 3);
}

TEST_F(Controls, ToggleLosingThePointerToADialogKeepsItsState) {
    CBitmapToggleCtrl t;
    CRecorder dialog;
    t.Create(&page, RectXYWH(10, 10, 15, 14), 1161);
    t.Load(IDB_OPEN_UP, IDB_OPEN_DOWN, 0, 0, FALSE, TRUE);
    dialog.Create(&page, RectXYWH(100, 100, 50, 50), 1);
    Screen().ButtonDown({15, 15});
    dialog.SetCapture(); // as a modal box does
    CWnd::ReleaseCapture();
    Screen().ButtonUp({120, 120});
    Screen().MoveTo({60, 60});
    Screen().MoveTo({15, 15});
    EXPECT_EQ(t.m_nState, 1);
}

TEST_F(Controls, ToggleCountsDoubleClicksAsPressesAndSpaceDoesNotNotify) {
    CBitmapToggleCtrl t;
    t.Create(&page, RectXYWH(10, 10, 16, 15), 1041);
    t.Load(IDB_SYNCED_OFF, IDB_SYNCED_ON, 0, 0, FALSE, FALSE);
    Screen().Click({15, 15});
    Screen().Advance(50);
    Screen().Click({15, 15});             // the second press arrives as a double-click
    EXPECT_EQ(page.Count(WM_COMMAND), 2); // told at each release
    EXPECT_EQ(t.m_nState, 0);
    t.SetFocus();
    Screen().Press(VK_SPACE, L' ');
    EXPECT_EQ(t.m_nState, 1);
    EXPECT_EQ(page.Count(WM_COMMAND), 2);
}

TEST_F(Controls, KnobDraggedFarUpStopsAtTheTopAndKeepsThePointerInPlace) {
    CPlugInFilterControl<CBitmapKnobCtrl> k;
    k.Create(&page, RectXYWH(40, 150, 17, 17), 1093);
    k.Initialize(IDB_KNOB, 17, 17, 0.5f, TRUE, CCursors::Load(L"DRAGCOPY"));
    k.SetPosition(0.0f);
    Screen().ButtonDown({48, 158});
    EXPECT_EQ(CWnd::GetCapture(), &k);
    EXPECT_EQ(Screen().Cursor(), CCursors::Load(L"DRAGCOPY"));
    Screen().MoveTo({48, 158 - 300});
    EXPECT_EQ(k.GetValue(), 100);
    const auto* vs = page.Last(WM_VSCROLL);
    ASSERT_NE(vs, nullptr);
    EXPECT_EQ(LOWORD(vs->wParam), SB_THUMBTRACK);
    EXPECT_EQ(HIWORD(vs->wParam), 100);
    EXPECT_EQ(reinterpret_cast<CWnd*>(vs->lParam), &k);
    // Put back at the press point, so the next move counts from there.
    EXPECT_EQ(GetCursorPos(), k.ClientToScreen({8, 8}));
    Screen().MoveTo({48, 168});
    EXPECT_EQ(k.GetValue(), 90);
    Screen().ButtonUp({48, 168});
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    EXPECT_EQ(Screen().Cursor(), CCursor::Arrow());
    Screen().MoveTo({48, 100}); // no drag without the button
    EXPECT_EQ(k.GetValue(), 90);
}

TEST_F(Controls, KnobFramesFollowTheValue) {
    CBitmapKnobCtrl k;
    k.Create(&page, RectXYWH(40, 40, 17, 17), 1167);
    k.Initialize(IDB_KNOB, 17, 17, 0.5f, FALSE, nullptr);
    const CBitmap& strip = *CSkin::Get(IDB_KNOB);
    k.SetPosition(1.0f);
    EXPECT_EQ(k.Frame(), 63);
    EXPECT_TRUE(Shows(k, strip, 63 * 17));
    k.SetPosition(0.5f);
    EXPECT_EQ(k.Frame(), 31);
    EXPECT_TRUE(Shows(k, strip, 31 * 17));
    k.SetPosition(1.7f);
    EXPECT_EQ(k.GetValue(), 100);
    k.SetPosition(-0.2f);
    EXPECT_EQ(k.GetValue(), 0);
    k.SetPosition(0.256f);
    EXPECT_EQ(k.GetValue(), 26); // nearest, not truncated
}

TEST_F(Controls, KnobDoubleClickRestoresTheDefaultAndIgnoresKeys) {
    CBitmapKnobCtrl k;
    k.Create(&page, RectXYWH(40, 40, 17, 17), 1168);
    k.Initialize(IDB_KNOB, 17, 17, 0.25f, FALSE, nullptr);
    k.SetPosition(0.9f);
    Screen().Click({45, 45});
    Screen().Click({45, 45});
    EXPECT_EQ(k.GetValue(), 25);
    EXPECT_EQ(HIWORD(page.Last(WM_VSCROLL)->wParam), 25);
    k.SetFocus();
    Screen().Press(VK_UP);
    Screen().Press(VK_SPACE, L' ');
    EXPECT_EQ(k.GetValue(), 25);
}

TEST_F(Controls, TheCallbackSeesMessagesFirstAndTheControlOnlyWhatItDeclines) {
    CPlugInFilterControl<CBitmapToggleCtrl> t;
    Claimer c;
    t.m_pCallback = &c;
    t.Create(&page, RectXYWH(10, 10, 16, 15), 1145);
    t.Load(IDB_SOLO_OFF, IDB_SOLO_ON, 0, 0, FALSE, TRUE);
    c.claim = WM_LBUTTONDOWN;
    Screen().Click({15, 15});
    EXPECT_EQ(t.m_nState, 0);
    EXPECT_EQ(t.SendMessage(WM_LBUTTONDOWN, 0, 0), 42);
    ASSERT_GE(c.seen.size(), 2u);
    c.claim = 0;
    Screen().Advance(1000);
    Screen().Click({15, 15});
    EXPECT_EQ(t.m_nState, 1);
}

TEST_F(Controls, ZoomButtonsCountQuickClicksPlainBitmapButtonsDoNot) {
    CZoomButton zoom;
    CBitmapButton plain;
    zoom.Create(&page, RectXYWH(10, 10, 10, 12), 1127);
    zoom.LoadBitmaps(IDB_ZOOM_H_IN_UP, IDB_ZOOM_H_IN_DOWN);
    plain.Create(&page, RectXYWH(40, 10, 20, 19), 1133);
    plain.LoadBitmaps(IDB_STOP);
    for (int i = 0; i < 2; ++i) Screen().Click({14, 15});
    EXPECT_EQ(Commands(1127), 2);
    Screen().Advance(1000);
    for (int i = 0; i < 2; ++i) Screen().Click({45, 15});
    EXPECT_EQ(Commands(1133), 1);
    // A press released outside does not click.
    Screen().Advance(1000);
    Screen().ButtonDown({14, 15});
    EXPECT_TRUE(zoom.IsPressed());
    EXPECT_TRUE(Shows(zoom, *CSkin::Get(IDB_ZOOM_H_IN_DOWN)));
    Screen().MoveTo({100, 100});
    Screen().ButtonUp({100, 100});
    EXPECT_EQ(Commands(1127), 2);
}

TEST_F(Controls, ReturnInEditAndComboPostsTheRegisteredMessageWithTheId) {
    CFxEdit edit;
    CFxComboBox combo;
    edit.Create(&page, RectXYWH(10, 10, 34, 12), 1134);
    combo.Create(&page, RectXYWH(10, 40, 60, 14), 1174);
    UINT editMsg = RegisterWindowMessage(L"vudivuvizezud_edit_return_key");
    UINT comboMsg = RegisterWindowMessage(L"vudivuvizezud_combo_return_key");
    Screen().Click({15, 15});
    Screen().Type(L"12");
    Screen().KeyDown(VK_RETURN, L'\r');
    EXPECT_EQ(page.Count(editMsg), 0); // at the release, not the press
    Screen().KeyUp(VK_RETURN);
    ASSERT_EQ(page.Count(editMsg), 1);
    EXPECT_EQ(page.Last(editMsg)->wParam, 1134u);
    EXPECT_EQ(edit.GetWindowText(), L"12"); // Return types nothing
    Screen().Click({15, 45});
    Screen().Press(VK_RETURN, L'\r');
    ASSERT_EQ(page.Count(comboMsg), 1);
    EXPECT_EQ(page.Last(comboMsg)->wParam, 1174u);
}

// The window layer's own behaviour that the page relies on: capture, focus,
// timers, invalidation and double-buffered painting, posting, double-clicks,
// modifiers, confinement and shell drops, through the offscreen display.
#include "Recorder.h"
#include "UiFixture.h"
#include "platform/ui/Bitmap.h"

namespace {
struct Page {
    CRecorder top, left, right;
    Page() {
        top.CreateTopLevel(L"page", {200, 100});
        left.Create(&top, RectXYWH(10, 10, 50, 40), 101);
        right.Create(&top, RectXYWH(100, 10, 50, 40), 102);
        left.fill = RGB(0, 200, 0);
        right.fill = RGB(0, 0, 200);
        CWindowManager::Instance().Pump();
    }
};
} // namespace

using Windows = UiTest;

TEST_F(Windows, CaptureKeepsThePointerUntilReleased) {
    Page p;
    Screen().ButtonDown({20, 20});
    p.left.SetCapture();
    Screen().MoveTo({150, 90}); // over the right child and beyond the left one
    ASSERT_NE(p.left.Last(WM_MOUSEMOVE), nullptr);
    EXPECT_EQ(PointFromLParam(p.left.Last(WM_MOUSEMOVE)->lParam), (POINT{140, 80}));
    EXPECT_EQ(p.right.Count(WM_MOUSEMOVE), 0);
    Screen().ButtonUp({150, 90});
    EXPECT_EQ(p.left.Count(WM_LBUTTONUP), 1);
    CWnd::ReleaseCapture();
    EXPECT_EQ(p.left.Count(WM_CAPTURECHANGED), 1);
    Screen().MoveTo({110, 20});
    EXPECT_EQ(p.right.Count(WM_MOUSEMOVE), 1);
    // A captured window that goes away leaves no capture behind.
    p.right.SetCapture();
    p.right.DestroyWindow();
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
}

TEST_F(Windows, FocusMovesWithNotificationsAndKeysFollowIt) {
    Page p;
    p.left.SetFocus();
    p.right.SetFocus();
    EXPECT_EQ(p.left.Count(WM_KILLFOCUS), 1);
    EXPECT_EQ(reinterpret_cast<CWnd*>(p.left.Last(WM_KILLFOCUS)->wParam), &p.right);
    EXPECT_EQ(reinterpret_cast<CWnd*>(p.right.Last(WM_SETFOCUS)->wParam), &p.left);
    Screen().Press('A', L'a');
    EXPECT_EQ(p.right.Count(WM_KEYDOWN), 1);
    EXPECT_EQ(p.right.Last(WM_CHAR)->wParam, static_cast<WPARAM>(L'a'));
    EXPECT_EQ(p.right.Count(WM_KEYUP), 1);
    EXPECT_EQ(p.left.Count(WM_KEYDOWN), 0);
    p.right.DestroyWindow();
    EXPECT_EQ(CWnd::GetFocus(), nullptr);
}

TEST_F(Windows, TimersFireOncePerPeriodOnTheControlledClock) {
    Page p;
    p.top.SetTimer(1, 200);
    Screen().Advance(199);
    EXPECT_EQ(p.top.Count(WM_TIMER), 0);
    Screen().Advance(1);
    EXPECT_EQ(p.top.Count(WM_TIMER), 1);
    Screen().Advance(1000);
    EXPECT_EQ(p.top.Count(WM_TIMER), 6);
    EXPECT_EQ(p.top.Last(WM_TIMER)->wParam, 1u);
    // Setting the same id again restarts its period.
    Screen().Advance(100);
    p.top.SetTimer(1, 200);
    Screen().Advance(150);
    EXPECT_EQ(p.top.Count(WM_TIMER), 6);
    EXPECT_TRUE(p.top.KillTimer(1));
    EXPECT_FALSE(p.top.KillTimer(1));
    Screen().Advance(1000);
    EXPECT_EQ(p.top.Count(WM_TIMER), 6);
    // A timer whose window is destroyed dies with it.
    p.left.SetTimer(7, 10);
    p.left.DestroyWindow();
    Screen().Advance(100);
}

TEST_F(Windows, InvalidationRepaintsOnlyWhatChangedAndPresentsOnce) {
    Page p;
    CBitmap* buffer = CWindowManager::Instance().BackBuffer(&p.top);
    EXPECT_EQ(buffer->GetPixel(15, 15), RGB(0, 200, 0));
    EXPECT_EQ(buffer->GetPixel(5, 5), RGB(200, 0, 0));
    p.top.paints.clear();
    p.left.paints.clear();
    p.right.paints.clear();
    Screen().Presented().clear();

    RECT part{5, 5, 20, 15};
    p.left.InvalidateRect(&part);
    CWindowManager::Instance().Pump();
    EXPECT_TRUE(p.top.paints.empty());
    EXPECT_TRUE(p.right.paints.empty());
    ASSERT_EQ(p.left.paints.size(), 1u);
    EXPECT_EQ(p.left.paints[0], part);
    ASSERT_EQ(Screen().Presented().size(), 1u);
    EXPECT_EQ(Screen().Presented()[0], part.Offset(10, 10)); // top-level pixels

    // The parent paints around its children, never over them.
    p.top.fill = RGB(255, 255, 0);
    p.top.Invalidate();
    CWindowManager::Instance().Pump();
    EXPECT_EQ(buffer->GetPixel(5, 5), RGB(255, 255, 0));
    EXPECT_EQ(buffer->GetPixel(15, 15), RGB(0, 200, 0));
    EXPECT_TRUE(p.left.paints.size() == 1u);

    // Nothing invalid, nothing painted; validated areas are not painted either.
    Screen().Presented().clear();
    p.right.Invalidate();
    p.right.ValidateRect(nullptr);
    CWindowManager::Instance().Pump();
    EXPECT_TRUE(Screen().Presented().empty());
    EXPECT_TRUE(p.right.paints.empty());
}

TEST_F(Windows, PostedMessagesWaitForThePumpAndDieWithTheirWindow) {
    Page p;
    p.left.PostMessage(WM_USER + 1, 5, 6);
    EXPECT_EQ(p.left.Count(WM_USER + 1), 0);
    CWindowManager::Instance().Pump();
    EXPECT_EQ(p.left.Count(WM_USER + 1), 1);
    EXPECT_EQ(p.left.SendMessage(WM_USER + 2), 0);
    EXPECT_EQ(p.left.Count(WM_USER + 2), 1);
    {
        CRecorder gone;
        gone.Create(&p.top, RectXYWH(0, 0, 5, 5), 9);
        gone.PostMessage(WM_USER + 3);
    }
    CWindowManager::Instance().Pump(); // the message to the destroyed window is dropped
    UINT a = RegisterWindowMessage(L"vudivuvizezud_edit_return_key");
    UINT b = RegisterWindowMessage(L"vudivuvizezud_combo_return_key");
    EXPECT_GE(a, 0xC000u);
    EXPECT_NE(a, b);
    EXPECT_EQ(a, RegisterWindowMessage(L"vudivuvizezud_edit_return_key"));
}

TEST_F(Windows, DoubleClicksNeedSpeedNearnessAndTheSameWindow) {
    Page p;
    Screen().Click({20, 20});
    Screen().Advance(100);
    Screen().Click({22, 21});
    EXPECT_EQ(p.left.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(p.left.Count(WM_LBUTTONDBLCLK), 1);
    Screen().Click({22, 21}); // a third press starts over
    EXPECT_EQ(p.left.Count(WM_LBUTTONDOWN), 2);
    Screen().Advance(600);
    Screen().Click({22, 21});
    EXPECT_EQ(p.left.Count(WM_LBUTTONDOWN), 3);
    Screen().Click({30, 21}); // too far
    EXPECT_EQ(p.left.Count(WM_LBUTTONDOWN), 4);
    EXPECT_EQ(p.left.Count(WM_LBUTTONDBLCLK), 1);
}

TEST_F(Windows, ModifiersReachKeyStateAndMouseFlags) {
    Page p;
    Screen().KeyDown(VK_SHIFT);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
    Screen().ButtonDown({20, 20}, 1, MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(p.left.Last(WM_LBUTTONDOWN)->wParam,
              static_cast<WPARAM>(MK_LBUTTON | MK_SHIFT | MK_CONTROL));
    Screen().ButtonUp({20, 20});
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(Windows, ConfinedPointerStaysInItsRectangle) {
    Page p;
    RECT screenRect = p.left.GetWindowRect();
    EXPECT_EQ(screenRect, RectXYWH(110, 60, 50, 40));
    ClipCursor(&screenRect);
    EXPECT_TRUE(Screen().IsConfined());
    p.left.SetCapture();
    Screen().MoveTo({190, 95});
    EXPECT_EQ(PointFromLParam(p.left.Last(WM_MOUSEMOVE)->lParam), (POINT{49, 39}));
    ClipCursor(nullptr);
    Screen().MoveTo({190, 95});
    EXPECT_EQ(PointFromLParam(p.left.Last(WM_MOUSEMOVE)->lParam), (POINT{180, 85}));
}

namespace {
struct Target : IDropTarget {
    int enters = 0, drops = 0;
    std::vector<std::wstring> files;
    POINT at{};
    HRESULT DragEnter(const CDropData& d, DWORD, POINT, DWORD* e) override {
        ++enters;
        *e = d.HasFormat(CF_HDROP) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
        return S_OK;
    }
    HRESULT DragOver(DWORD, POINT, DWORD* e) override { return *e = DROPEFFECT_COPY, S_OK; }
    HRESULT DragLeave() override { return S_OK; }
    HRESULT Drop(const CDropData& d, DWORD, POINT pt, DWORD* e) override {
        ++drops;
        files = d.files;
        at = pt;
        *e = DROPEFFECT_COPY;
        return S_OK;
    }
};
} // namespace

TEST_F(Windows, ShellDropsReachTheRegisteredTargetWithScreenPoints) {
    Page p;
    Target t;
    RegisterDragDrop(&p.top, &t);
    // A drop over a child finds the target of its top-level.
    EXPECT_EQ(Screen().DropFiles({L"/a.wav", L"/b c.wav"}, {20, 20}), DROPEFFECT_COPY);
    EXPECT_EQ(t.enters, 1);
    EXPECT_EQ(t.files, (std::vector<std::wstring>{L"/a.wav", L"/b c.wav"}));
    EXPECT_EQ(t.at, (POINT{120, 70}));
    RevokeDragDrop(&p.top);
    EXPECT_EQ(Screen().DropFiles({L"/a.wav"}, {20, 20}), DROPEFFECT_NONE);
    EXPECT_EQ(t.drops, 1);
}

TEST_F(Windows, OverlappingWindowsKeepTheirPixelsAndUncoveredOnesRepaint) {
    Page p;
    CBitmap* buffer = CWindowManager::Instance().BackBuffer(&p.top);
    {
        CRecorder popup; // a drop list or a menu over the left child
        popup.fill = RGB(255, 255, 255);
        popup.Create(&p.top, RectXYWH(30, 20, 60, 20), 0);
        CWindowManager::Instance().Pump();
        EXPECT_EQ(buffer->GetPixel(35, 25), RGB(255, 255, 255));
        p.left.Invalidate(); // the window below repaints around the popup
        CWindowManager::Instance().Pump();
        EXPECT_EQ(buffer->GetPixel(35, 25), RGB(255, 255, 255));
        EXPECT_EQ(buffer->GetPixel(15, 15), RGB(0, 200, 0));
    }
    // The popup is gone: the window it covered draws that part again.
    CWindowManager::Instance().Pump();
    EXPECT_EQ(buffer->GetPixel(35, 25), RGB(0, 200, 0));
    EXPECT_EQ(buffer->GetPixel(80, 25), RGB(200, 0, 0));
}

TEST_F(Windows, PointerInputGoesToTheTopmostVisibleEnabledChild) {
    Page p;
    CRecorder over;
    over.Create(&p.top, RectXYWH(20, 20, 20, 20), 103); // above part of the left child
    Screen().Click({25, 25});
    EXPECT_EQ(over.Count(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(PointFromLParam(over.Last(WM_LBUTTONDOWN)->lParam), (POINT{5, 5}));
    over.ShowWindow(false);
    Screen().Advance(1000);
    Screen().Click({25, 25});
    EXPECT_EQ(p.left.Count(WM_LBUTTONDOWN), 1);
    p.left.EnableWindow(false); // a disabled child lets its parent have the click
    Screen().Advance(1000);
    Screen().Click({25, 25});
    EXPECT_EQ(p.top.Count(WM_LBUTTONDOWN), 1);
}

namespace {
struct SelfKilling : CRecorder {
    void OnTimer(UINT_PTR id) override {
        KillTimer(id);
        SetTimer(id + 1, 50);
    }
};
struct FocusBouncer : CRecorder {
    CWnd* pTo = nullptr;
    void OnKillFocus(CWnd*) override {
        if (pTo) std::exchange(pTo, nullptr)->SetFocus();
    }
};
} // namespace

TEST_F(Windows, HandlersMayChangeTimersAndFocusWhileTheyRun) {
    Page p;
    SelfKilling t;
    t.Create(&p.top, RectXYWH(0, 0, 5, 5), 1);
    t.SetTimer(1, 100);
    Screen().Advance(100);
    EXPECT_EQ(t.Count(WM_TIMER), 1);
    Screen().Advance(50); // the new timer, once: it kills itself too
    EXPECT_EQ(t.Count(WM_TIMER), 2);
    EXPECT_EQ(t.Last(WM_TIMER)->wParam, 2u);

    FocusBouncer b;
    b.Create(&p.top, RectXYWH(0, 0, 5, 5), 2);
    b.SetFocus();
    b.pTo = &p.right;
    p.left.SetFocus(); // the loser sends the focus elsewhere while losing it
    EXPECT_EQ(CWnd::GetFocus(), &p.right);
    EXPECT_EQ(p.left.Count(WM_SETFOCUS), 0);
    EXPECT_EQ(p.right.Count(WM_SETFOCUS), 1);
}

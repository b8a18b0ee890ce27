// The one window manager of the process: it keeps the windows, routes input
// from the backend, queues posted messages, owns capture, focus, timers,
// invalidation and double-buffered painting, modifier state, registered
// messages, the cursor and modal loops. UI thread only.
#pragma once
#include "platform/ui/Backend.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Cursor.h"
#include "platform/ui/DialogScript.h"
#include "platform/ui/DropTarget.h"
#include "platform/ui/Messages.h"
#include "platform/ui/UiTypes.h"
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CWnd;

class CWindowManager {
public:
    static CWindowManager& Instance();
    // Replaces the backend; every window must have been destroyed.
    void SetBackend(std::unique_ptr<IUiBackend> pBackend);
    IUiBackend* Backend() const { return m_pBackend.get(); }
    uint64_t Now() const { return m_pBackend ? m_pBackend->NowMs() : 0; }

    // Window bookkeeping (called by CWnd). dHostScale is the host's factor for
    // the window (0: none); the window's scale is resolved from it (UiScale.h).
    bool AddTopLevel(CWnd* pTop, const std::wstring& title, SIZE size, uintptr_t nativeParent,
                     double dHostScale = 0.0);
    // The scale a top-level is drawn at (1 for an unknown window).
    double ScaleOf(const CWnd* pTop) const;
    // Draws the top-level at the scale resolved from dHostScale from now on:
    // a new back buffer and native size, everything painted again.
    void SetTopLevelScale(CWnd* pTop, double dHostScale);
    void ForgetWindow(CWnd* pWnd);
    void ShowTopLevel(CWnd* pTop, bool bShow);
    POINT ClientOrigin(CWnd* pTop) const;
    const std::vector<CWnd*>& TopLevels() const { return m_tops; }
    CBitmap* BackBuffer(CWnd* pTop);

    // Messages.
    void Post(CWnd* pWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Dispatches posted messages until none is left, then paints.
    void Pump();
    void PaintInvalid();
    void PaintTopLevel(CWnd* pTop);
    UINT RegisterWindowMessage(const std::wstring& name);

    // Capture, focus, cursor, pointer.
    CWnd* SetCapture(CWnd* pWnd);
    void ReleaseCapture();
    CWnd* Capture() const { return m_pCapture; }
    CWnd* SetFocus(CWnd* pWnd);
    CWnd* Focus() const { return m_pFocus; }
    HCURSOR SetCursor(HCURSOR h);
    HCURSOR Cursor() const { return m_pCursor; }
    void ClipCursor(const RECT* pScreen);
    const RECT* CursorClip() const { return m_bClip ? &m_clip : nullptr; }
    void SetCursorPos(POINT screen);
    POINT GetCursorPos() const { return m_pointer; }
    bool IsKeyDown(UINT vk) const;

    // Timers: WM_TIMER with the id every period, measured on the backend clock.
    void SetTimer(CWnd* pWnd, UINT_PTR nID, UINT nMs);
    bool KillTimer(CWnd* pWnd, UINT_PTR nID);
    // The due time of the next timer, or UINT64_MAX.
    uint64_t NextTimerDue() const;
    void FireDueTimers();

    // Input from the backend. Points are client pixels of the top-level;
    // button 1 is the left, 3 the right; mods carries MK_SHIFT and MK_CONTROL.
    void MouseButton(CWnd* pTop, int button, bool bDown, POINT pt, UINT mods);
    void MouseMove(CWnd* pTop, POINT pt, UINT mods);
    // A wheel turn of nDelta (WHEEL_DELTA a notch) to the window under pt.
    void MouseWheel(CWnd* pTop, POINT pt, int nDelta, bool bHorizontal, UINT mods);
    void Key(UINT vk, bool bDown, wchar_t ch, UINT mods);
    void ExposeArea(CWnd* pTop, const RECT& rc);
    void CloseRequest(CWnd* pTop);
    // Shell drops; pt in screen pixels. Answers the effect.
    DWORD DragEnter(CWnd* pTop, const CDropData& data, POINT pt);
    DWORD DragOver(CWnd* pTop, POINT pt);
    void DragLeave();
    DWORD Drop(CWnd* pTop, const CDropData& data, POINT pt);

    // Loops. Run returns when pMain is destroyed or the display is gone.
    void Run(CWnd* pMain);
    // Runs until EndModal; nDefault answers when the loop ends otherwise.
    int RunModal(CWnd* pDialog, int nDefault = IDCANCEL);
    void EndModal(CWnd* pDialog, int nResult);
    CWnd* ModalWindow() const { return m_modal.empty() ? nullptr : m_modal.back().pWnd; }
    CDialogScript& Script() { return m_script; }

private:
    struct TopLevel {
        CWnd* pWnd;
        double scale = 1.0;
        CBitmap buffer; // page size x scale
        std::vector<RECT> present;
    };
    struct Posted {
        CWnd* pWnd;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Timer {
        CWnd* pWnd;
        UINT_PTR nID;
        UINT nMs;
        uint64_t due;
    };
    struct Modal {
        CWnd* pWnd;
        bool bDone;
        int nResult;
    };
    TopLevel* Find(const CWnd* pTop);
    const TopLevel* Find(const CWnd* pTop) const;
    void PaintTree(TopLevel& top, CWnd* pWnd, const std::vector<RECT>& occluders);
    static bool NeedsPaint(const CWnd* pWnd);
    CWnd* MouseTarget(CWnd* pTop, POINT pt, POINT& local);
    bool InputAllowed(CWnd* pTop) const;
    bool TargetAllowed(CWnd* pTarget) const;
    UINT MouseFlags(UINT mods) const;
    IDropTarget* DropTargetAt(CWnd* pTop, POINT screen);

    std::unique_ptr<IUiBackend> m_pBackend;
    std::vector<CWnd*> m_tops;
    std::deque<std::unique_ptr<TopLevel>> m_topData;
    std::deque<Posted> m_queue;
    std::vector<Timer> m_timers;
    std::vector<Modal> m_modal;
    std::map<std::wstring, UINT> m_registered;
    CWnd* m_pCapture = nullptr;
    CWnd* m_pFocus = nullptr;
    HCURSOR m_pCursor = CCursor::Arrow();
    bool m_bClip = false;
    RECT m_clip{};
    POINT m_pointer{};
    UINT m_mods = 0;
    UINT m_buttons = 0;
    // Double-click detection: the last press.
    CWnd* m_pLastPress = nullptr;
    int m_nLastButton = 0;
    uint64_t m_nLastPressTime = 0;
    POINT m_lastPressPt{};
    bool m_bLastWasDouble = false;
    IDropTarget* m_pDragTarget = nullptr;
    CDialogScript m_script;
};

// Win32-style conveniences over the window manager.
short GetKeyState(int vk); // high bit set while the key is down
UINT RegisterWindowMessage(const wchar_t* pszName);
HCURSOR SetCursor(HCURSOR h);
void ClipCursor(const RECT* pScreen);
void SetCursorPos(int x, int y);
POINT GetCursorPos();
void RegisterDragDrop(CWnd* pWnd, IDropTarget* pTarget);
void RevokeDragDrop(CWnd* pWnd);

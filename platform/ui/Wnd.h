// A window: a top-level window or a child at a rectangle of its parent's client
// area, with a message procedure and one handler per message. UI thread only.
#pragma once
#include "platform/ui/Messages.h"
#include "platform/ui/UiTypes.h"
#include <string>
#include <vector>

class CDC;
class CFont;
class IDropTarget;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // A child at rc (parent client pixels) with dialog id nID.
    bool Create(CWnd* pParent, const RECT& rc, UINT nID, bool bVisible = true);
    // A top-level window of the given client size (page pixels); with
    // nativeParent it is embedded in that native window instead (a plug-in
    // host's frame). dHostScale: the host's scale factor, 0 for none (then
    // PANDREL_UI_SCALE, the display's, or 1: UiScale.h).
    bool CreateTopLevel(const std::wstring& title, SIZE size, uintptr_t nativeParent = 0,
                        double dHostScale = 0.0);
    void DestroyWindow();
    bool IsWindow() const { return m_bCreated; }

    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    UINT GetDlgCtrlID() const { return m_nID; }
    CWnd* GetParent() const { return m_pParent; }
    CWnd* GetTopLevel();
    bool IsTopLevel() const { return m_bCreated && !m_pParent; }
    CWnd* GetDlgItem(UINT nID) const;
    const std::vector<CWnd*>& Children() const { return m_children; }
    // The deepest visible, enabled child under pt (client pixels), or this.
    CWnd* ChildFromPoint(POINT pt);
    bool IsChildOf(const CWnd* pAncestor) const;
    // Tab stops: the children that Tab and Shift+Tab move the focus between,
    // in creation order (edits and combo boxes are tab stops from the start).
    void SetTabStop(bool bTabStop) { m_bTabStop = bTabStop; }
    bool IsTabStop() const { return m_bTabStop; }
    // The visible, enabled tab stop among the children after pCtl (before it
    // with bPrevious), going round at the end; from the first (the last) when
    // pCtl is no child. Null when there is none.
    CWnd* GetNextDlgTabItem(const CWnd* pCtl, bool bPrevious = false) const;

    RECT GetClientRect() const { return {0, 0, m_rect.Width(), m_rect.Height()}; }
    RECT GetRectInParent() const { return m_rect; }
    RECT GetWindowRect() const; // screen pixels
    void MoveWindow(const RECT& rc, bool bRepaint = true);
    POINT ClientToScreen(POINT pt) const;
    POINT ScreenToClient(POINT pt) const;
    POINT OffsetInTopLevel() const;

    void ShowWindow(bool bShow);
    bool IsWindowVisible() const;
    void EnableWindow(bool bEnable) { m_bEnabled = bEnable; }
    bool IsWindowEnabled() const { return m_bEnabled; }

    void Invalidate(bool bAllChildren = false);
    void InvalidateRect(const RECT* pRect);
    void ValidateRect(const RECT* pRect);
    // Paints what is invalid at once instead of at the next turn of the loop.
    void UpdateWindow();
    const std::vector<RECT>& UpdateRects() const { return m_update; }
    void TakeUpdateRects(std::vector<RECT>& out) { out.swap(m_update), m_update.clear(); }

    CWnd* SetCapture();
    CWnd* SetFocus();
    UINT_PTR SetTimer(UINT_PTR nID, UINT nElapseMs);
    bool KillTimer(UINT_PTR nID);

    void SetFont(CFont* pFont, bool bRedraw = true);
    CFont* GetFont() const { return m_pFont; }
    virtual void SetWindowText(const std::wstring& text);
    virtual std::wstring GetWindowText() const { return m_strText; }
    void SetDropTarget(IDropTarget* p) { m_pDropTarget = p; }
    IDropTarget* GetDropTarget() const { return m_pDropTarget; }

    static CWnd* GetCapture();
    static void ReleaseCapture();
    static CWnd* GetFocus();

protected:
    virtual void OnPaint(CDC& dc);
    virtual void OnLButtonDown(UINT, POINT) {}
    virtual void OnLButtonUp(UINT, POINT) {}
    virtual void OnLButtonDblClk(UINT, POINT) {}
    virtual void OnRButtonDown(UINT, POINT) {}
    virtual void OnRButtonUp(UINT, POINT) {}
    virtual void OnMouseMove(UINT, POINT) {}
    // Wheel turns, pt in screen pixels; FALSE passes the turn to the parent.
    virtual BOOL OnMouseWheel(UINT, short, POINT) { return FALSE; }
    virtual BOOL OnMouseHWheel(UINT, short, POINT) { return FALSE; }
    virtual void OnKeyDown(UINT, UINT, UINT) {}
    virtual void OnKeyUp(UINT, UINT, UINT) {}
    virtual void OnChar(UINT, UINT, UINT) {}
    virtual void OnTimer(UINT_PTR) {}
    virtual void OnSetFocus(CWnd*) {}
    virtual void OnKillFocus(CWnd*) {}
    virtual void OnCaptureChanged(CWnd*) {}
    virtual BOOL OnCommand(WPARAM, LPARAM) { return FALSE; }
    virtual void OnVScroll(UINT, UINT, CWnd*) {}
    virtual void OnClose() { DestroyWindow(); }
    virtual void OnDestroy() {}

    std::wstring m_strText;

private:
    void Detach();
    void Uncover();

    CWnd* m_pParent = nullptr;
    std::vector<CWnd*> m_children;
    RECT m_rect{};
    UINT m_nID = 0;
    bool m_bCreated = false;
    bool m_bVisible = true;
    bool m_bEnabled = true;
    bool m_bTabStop = false;
    CFont* m_pFont = nullptr;
    IDropTarget* m_pDropTarget = nullptr;
    std::vector<RECT> m_update;
};

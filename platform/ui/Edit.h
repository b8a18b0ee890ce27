// A single-line edit box: caret, typing, selection; tells its parent of
// changes and of losing the focus. A tab stop: Tab and Shift+Tab ask the
// parent to move the focus on. UI thread.
#pragma once
#include "platform/ui/TextField.h"
#include "platform/ui/Wnd.h"

class CEdit : public CWnd {
public:
    CEdit() { SetTabStop(true); }
    void SetWindowText(const std::wstring& text) override;
    std::wstring GetWindowText() const override { return m_field.Text(); }
    void SetSel(int start, int end);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const std::wstring& s);
    void SetColors(COLORREF text, COLORREF bk) { m_text = text, m_bk = bk, Invalidate(); }

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    void OnLButtonUp(UINT nFlags, POINT pt) override;
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRep, UINT nFlags) override;
    void OnSetFocus(CWnd*) override;
    void OnKillFocus(CWnd*) override;
    void Notify(int nCode);

    CTextField m_field;
    bool m_bSelecting = false;
    COLORREF m_text = RGB(0, 0, 0), m_bk = RGB(255, 255, 255);
};

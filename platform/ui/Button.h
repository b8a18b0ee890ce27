// A push button: pressed while the left button is held over it, clicked (a
// BN_CLICKED command to the parent) when released over it. UI thread.
#pragma once
#include "platform/ui/Wnd.h"

constexpr int BN_DOUBLECLICKED = 5;

class CButton : public CWnd {
public:
    bool IsPressed() const { return m_bPressed; }
    void SetColors(COLORREF text, COLORREF face) { m_text = text, m_face = face, Invalidate(); }

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    void OnLButtonUp(UINT nFlags, POINT pt) override;
    // A second quick click notifies BN_DOUBLECLICKED rather than clicking again.
    void OnLButtonDblClk(UINT nFlags, POINT pt) override;
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    void OnSetFocus(CWnd*) override { Invalidate(); }
    void OnKillFocus(CWnd*) override { Invalidate(); }
    void OnCaptureChanged(CWnd*) override;
    void Notify(int nCode);

    bool m_bPressed = false;
    bool m_bTracking = false;
    COLORREF m_text = RGB(255, 255, 255), m_face = RGB(91, 99, 120);
};

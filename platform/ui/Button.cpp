#include "platform/ui/Button.h"
#include "platform/ui/DC.h"

void CButton::Notify(int nCode) {
    if (CWnd* p = GetParent())
        p->PostMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), nCode),
                       reinterpret_cast<LPARAM>(this));
}

void CButton::OnPaint(CDC& dc) {
    RECT rc = GetClientRect();
    CBrush face(m_bPressed ? RGB(GetRValue(m_face) * 3 / 4, GetGValue(m_face) * 3 / 4,
                                 GetBValue(m_face) * 3 / 4)
                           : m_face);
    CPen rim(PS_SOLID, GetFocus() == this ? 2 : 1, m_text);
    dc.SelectObject(&face);
    dc.SelectObject(&rim);
    dc.RoundRect(rc.left, rc.top, rc.right, rc.bottom, 6, 6);
    dc.SelectObject(GetFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_text);
    dc.DrawText(GetWindowText(), rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CButton::OnLButtonDown(UINT, POINT) {
    SetCapture();
    SetFocus();
    m_bTracking = m_bPressed = true;
    Invalidate();
}

void CButton::OnMouseMove(UINT, POINT pt) {
    if (!m_bTracking) return;
    bool inside = GetClientRect().Contains(pt);
    if (inside != m_bPressed) m_bPressed = inside, Invalidate();
}

void CButton::OnLButtonUp(UINT, POINT pt) {
    if (!m_bTracking) return;
    m_bTracking = false;
    bool clicked = GetClientRect().Contains(pt);
    m_bPressed = false;
    ReleaseCapture();
    Invalidate();
    if (clicked) Notify(BN_CLICKED);
}

void CButton::OnLButtonDblClk(UINT, POINT) { Notify(BN_DOUBLECLICKED); }

void CButton::OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar == VK_SPACE || nChar == VK_RETURN) Notify(BN_CLICKED);
}

void CButton::OnCaptureChanged(CWnd*) {
    // Losing the capture to someone else ends the press without a click.
    if (m_bTracking && GetCapture() != this) m_bTracking = m_bPressed = false, Invalidate();
}

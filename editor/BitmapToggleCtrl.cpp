#include "editor/BitmapToggleCtrl.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"

bool CBitmapToggleCtrl::Load(UINT nUp, UINT nDown, UINT nFocus, UINT nDisabled, BOOL bFocusRect,
                             BOOL bNotifyOnPress) {
    m_bFocusRect = bFocusRect;
    m_bNotifyOnPress = bNotifyOnPress;
    return LoadBitmaps(nUp, nDown, nFocus, nDisabled);
}

void CBitmapToggleCtrl::OnPaint(CDC& dc) {
    RECT rc = GetClientRect();
    // The state picks the picture; the press itself shows only through the state.
    if (const CBitmap* b = BitmapForState(m_nState == 1))
        dc.DrawBitmap(*b, 0, 0, rc.Width(), rc.Height(), 0, 0);
    if (m_bFocusRect && GetFocus() == this) dc.DrawFocusRect(rc.Inflate(-1, -1));
}

void CBitmapToggleCtrl::OnLButtonDown(UINT, POINT) {
    m_nStateAtPress = m_nState;
    m_bTrackingToggle = true;
    m_nState = m_nState ? 0 : 1;
    // The capture lets the release outside the control end the tracking.
    SetCapture();
    Invalidate();
    if (m_bNotifyOnPress) {
        Notify(BN_CLICKED);
        SetFocus();
    }
}

void CBitmapToggleCtrl::OnMouseMove(UINT, POINT pt) {
    if (!m_bTrackingToggle) return;
    int state = GetClientRect().Contains(pt) ? !m_nStateAtPress : m_nStateAtPress;
    if (state != m_nState) {
        m_nState = state;
        Invalidate();
    }
}

void CBitmapToggleCtrl::OnLButtonUp(UINT, POINT pt) {
    if (!m_bTrackingToggle) return;
    OnMouseMove(0, pt);
    m_bTrackingToggle = false;
    if (GetCapture() == this) ReleaseCapture();
    // A parent told at the press has acted on the new state; released outside,
    // the toggle is back in its earlier state, and the parent is told again so
    // that what it changed agrees with what the toggle shows.
    if (!m_bNotifyOnPress || m_nState == m_nStateAtPress) Notify(BN_CLICKED);
}

void CBitmapToggleCtrl::OnCaptureChanged(CWnd* pNew) {
    // A modal dialog opened by the press takes the pointer: the state stays as
    // it is, and moves after the dialog no longer flip it.
    if (pNew != this) m_bTrackingToggle = false;
}

void CBitmapToggleCtrl::OnLButtonDblClk(UINT nFlags, POINT pt) { OnLButtonDown(nFlags, pt); }

void CBitmapToggleCtrl::OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar != VK_SPACE) return;
    m_nState = m_nState ? 0 : 1;
    Invalidate();
}

#include "editor/BitmapKnobCtrl.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "platform/ui/ResourceBitmaps.h"
#include "platform/ui/WindowManager.h"
#include <algorithm>
#include <cmath>

bool CBitmapKnobCtrl::Initialize(UINT nFilmstrip, int nFrameWidth, int nFrameHeight, float fDefault,
                                 BOOL bShowCursor, HCURSOR hCursor) {
    m_pStrip = CResourceBitmaps::Load(nFilmstrip);
    m_nFrameWidth = nFrameWidth;
    m_nFrameHeight = nFrameHeight;
    m_fDefault = fDefault;
    m_hCursor = bShowCursor ? hCursor : nullptr;
    Invalidate();
    return m_pStrip != nullptr;
}

void CBitmapKnobCtrl::SetPosition(float fPos) {
    m_nValue = std::clamp(static_cast<int>(std::lround(fPos * 100.0)), 0, 100);
    Invalidate();
    UpdateWindow();
}

void CBitmapKnobCtrl::OnPaint(CDC& dc) {
    // A frame beyond the strip draws nothing: the copy is limited to the strip.
    if (m_pStrip)
        dc.DrawBitmap(*m_pStrip, 0, 0, m_nFrameWidth, m_nFrameHeight, Frame() * m_nFrameWidth, 0);
}

void CBitmapKnobCtrl::Report(int nCode) {
    if (CWnd* p = GetParent())
        p->SendMessage(WM_VSCROLL, MAKEWPARAM(nCode, m_nValue), reinterpret_cast<LPARAM>(this));
}

void CBitmapKnobCtrl::OnLButtonDown(UINT, POINT pt) {
    SetCapture();
    m_bDragging = true;
    m_ptPress = ClientToScreen(pt);
    ::SetCursor(m_hCursor ? m_hCursor : CCursor::Arrow());
    Report();
    Invalidate();
}

void CBitmapKnobCtrl::OnMouseMove(UINT, POINT pt) {
    if (!m_bDragging || GetCapture() != this) return;
    POINT screen = ClientToScreen(pt);
    if (screen.y == m_ptPress.y) return;
    m_nValue = std::clamp(m_nValue - (screen.y - m_ptPress.y), 0, 100);
    Invalidate();
    // Back to the press point, so the drag never runs out of screen.
    ::SetCursorPos(m_ptPress.x, m_ptPress.y);
    Report();
}

void CBitmapKnobCtrl::OnLButtonUp(UINT, POINT) {
    if (!m_bDragging) return;
    m_bDragging = false;
    if (GetCapture() == this) ReleaseCapture();
    ::SetCursor(CCursor::Arrow());
    Report(kEndTrack);
}

void CBitmapKnobCtrl::OnLButtonDblClk(UINT, POINT) {
    m_nValue = std::clamp(static_cast<int>(std::lround(m_fDefault * 100.0)), 0, 100);
    Invalidate();
    Report();
    Report(kEndTrack);
}

// Each notch is a turn of its own; a knob at its end still answers the turn.
BOOL CBitmapKnobCtrl::OnMouseWheel(UINT nFlags, short zDelta, POINT) {
    const int step = (nFlags & MK_SHIFT) ? 1 : 5;
    m_nWheelRest += zDelta * step;
    const int turn = m_nWheelRest / WHEEL_DELTA;
    m_nWheelRest -= turn * WHEEL_DELTA;
    if (turn == 0) return TRUE;
    m_nValue = std::clamp(m_nValue + turn, 0, 100);
    Invalidate();
    Report();
    Report(kEndTrack);
    return TRUE;
}

void CBitmapKnobCtrl::OnCaptureChanged(CWnd* pNew) {
    // Whoever takes the pointer away ends the drag; no later move may turn the knob.
    if (pNew != this) m_bDragging = false;
}

#include "platform/ui/BitmapButton.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "platform/ui/ResourceBitmaps.h"

bool CBitmapButton::LoadBitmaps(UINT nUp, UINT nDown, UINT nFocus, UINT nDisabled) {
    m_pUp = CResourceBitmaps::Load(nUp);
    m_pDown = CResourceBitmaps::Load(nDown);
    m_pFocus = CResourceBitmaps::Load(nFocus);
    m_pDisabled = CResourceBitmaps::Load(nDisabled);
    Invalidate();
    return m_pUp != nullptr;
}

void CBitmapButton::SizeToContent() {
    if (!m_pUp) return;
    RECT r = GetRectInParent();
    MoveWindow(RectXYWH(r.left, r.top, m_pUp->Width(), m_pUp->Height()));
}

const CBitmap* CBitmapButton::BitmapForState(bool bDown) const {
    if (!IsWindowEnabled() && m_pDisabled) return m_pDisabled;
    if (bDown && m_pDown) return m_pDown;
    if (GetFocus() == this && m_pFocus) return m_pFocus;
    return m_pUp;
}

void CBitmapButton::OnPaint(CDC& dc) {
    if (const CBitmap* b = BitmapForState(m_bPressed)) {
        RECT rc = GetClientRect();
        dc.DrawBitmap(*b, 0, 0, rc.Width(), rc.Height(), 0, 0);
    }
}

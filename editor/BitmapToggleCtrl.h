// A two-state button drawn from bitmaps: each press inverts its state; it can
// tell its parent at the press or at the release. UI thread.
#pragma once
#include "platform/ui/BitmapButton.h"

class CBitmapToggleCtrl : public CBitmapButton {
public:
    // Ids of the up, down, focused (or 0) and disabled (or 0) pictures.
    bool Load(UINT nUp, UINT nDown, UINT nFocus, UINT nDisabled, BOOL bFocusRect,
              BOOL bNotifyOnPress);

    // 0 or 1; the page writes it directly and redraws the control.
    int m_nState = 0;

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnMouseMove(UINT nFlags, POINT pt) override;
    void OnLButtonUp(UINT nFlags, POINT pt) override;
    void OnLButtonDblClk(UINT nFlags, POINT pt) override;
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    void OnCaptureChanged(CWnd* pNew) override;

private:
    int m_nStateAtPress = 0;
    bool m_bTrackingToggle = false;
    BOOL m_bFocusRect = FALSE;
    BOOL m_bNotifyOnPress = FALSE;
};

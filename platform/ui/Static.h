// A static text: a line of text on a filled background. UI thread.
#pragma once
#include "platform/ui/DC.h"
#include "platform/ui/Wnd.h"

class CStatic : public CWnd {
public:
    void SetColors(COLORREF text, COLORREF bk) { m_text = text, m_bk = bk, Invalidate(); }
    void SetAlignment(UINT nFormat) { m_nFormat = nFormat, Invalidate(); }

protected:
    void OnPaint(CDC& dc) override {
        RECT rc = GetClientRect();
        dc.FillSolidRect(rc, m_bk);
        dc.SelectObject(GetFont());
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(m_text);
        dc.DrawText(GetWindowText(), rc.Inflate(-1, 0), m_nFormat | DT_VCENTER | DT_SINGLELINE);
    }

private:
    COLORREF m_text = RGB(0, 0, 0), m_bk = RGB(255, 255, 255);
    UINT m_nFormat = DT_CENTER;
};

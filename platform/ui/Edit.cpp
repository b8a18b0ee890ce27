#include "platform/ui/Edit.h"
#include "platform/ui/DC.h"
#include "platform/ui/WindowManager.h"

void CEdit::Notify(int nCode) {
    if (CWnd* p = GetParent())
        p->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), nCode),
                       reinterpret_cast<LPARAM>(this));
}

void CEdit::SetWindowText(const std::wstring& text) {
    m_field.SetText(text);
    Invalidate();
}

void CEdit::SetSel(int start, int end) {
    // -1 as the end means the end of the text, as the platform's edits take it.
    size_t n = m_field.Text().size();
    m_field.SetSel(start < 0 ? n : static_cast<size_t>(start),
                   end < 0 ? n : static_cast<size_t>(end));
    Invalidate();
}

void CEdit::GetSel(int& start, int& end) const {
    start = static_cast<int>(m_field.SelStart());
    end = static_cast<int>(m_field.SelEnd());
}

void CEdit::ReplaceSel(const std::wstring& s) {
    m_field.ReplaceSel(s);
    Invalidate();
}

void CEdit::OnPaint(CDC& dc) {
    dc.SelectObject(GetFont());
    m_field.Paint(dc, GetClientRect(), GetFocus() == this, m_text, m_bk);
}

void CEdit::OnLButtonDown(UINT nFlags, POINT pt) {
    if (GetFocus() != this) SetFocus();
    m_field.ClickAt(pt.x, GetFont(), nFlags & MK_SHIFT);
    m_bSelecting = true;
    SetCapture();
    Invalidate();
}

void CEdit::OnMouseMove(UINT, POINT pt) {
    if (!m_bSelecting) return;
    m_field.ClickAt(pt.x, GetFont(), true);
    Invalidate();
}

void CEdit::OnLButtonUp(UINT, POINT) {
    if (!m_bSelecting) return;
    m_bSelecting = false;
    if (GetCapture() == this) ReleaseCapture();
}

void CEdit::OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar == VK_TAB) {
        if (CWnd* p = GetParent()) p->SendMessage(WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0);
        return;
    }
    bool changed = m_field.KeyDown(nChar, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
    Invalidate();
    if (changed) Notify(EN_CHANGE);
}

void CEdit::OnChar(UINT nChar, UINT, UINT) {
    if (GetKeyState(VK_CONTROL) < 0) return; // Ctrl shortcuts type nothing
    if (m_field.Char(static_cast<wchar_t>(nChar))) {
        Invalidate();
        Notify(EN_CHANGE);
    }
}

void CEdit::OnSetFocus(CWnd*) {
    m_field.SelectAll();
    Invalidate();
}

void CEdit::OnKillFocus(CWnd*) {
    m_field.SetSel(m_field.Caret(), m_field.Caret());
    Invalidate();
    Notify(EN_KILLFOCUS);
}

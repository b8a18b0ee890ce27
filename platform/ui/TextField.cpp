#include "platform/ui/TextField.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/DC.h"
#include "platform/ui/Font.h"
#include "platform/ui/Messages.h"
#include <algorithm>

namespace {
constexpr int kPadding = 2;

// Width of text in the font, measured on a scratch context.
int Width(const std::wstring& s, const CFont* pFont) {
    static CBitmap scratch;
    if (!scratch.IsCreated()) scratch.Create(1, 1);
    CDC dc(scratch);
    dc.SelectObject(const_cast<CFont*>(pFont));
    return dc.GetTextExtent(s).cx;
}
} // namespace

void CTextField::SetText(const std::wstring& text) {
    m_text = text;
    m_caret = m_anchor = m_text.size();
    m_nScroll = 0;
}

void CTextField::SetSel(size_t start, size_t end) {
    m_anchor = std::min(start, m_text.size());
    m_caret = std::min(end, m_text.size());
}

void CTextField::ReplaceSel(const std::wstring& s) {
    size_t a = SelStart(), b = SelEnd();
    m_text.replace(a, b - a, s);
    m_caret = m_anchor = a + s.size();
}

bool CTextField::KeyDown(UINT vk, bool bShift, bool bCtrl) {
    size_t n = m_text.size();
    auto move = [&](size_t to) {
        m_caret = to;
        if (!bShift) m_anchor = to;
    };
    switch (vk) {
    case VK_LEFT:
        if (!bShift && SelStart() != SelEnd())
            move(SelStart());
        else
            move(m_caret > 0 ? m_caret - 1 : 0);
        return false;
    case VK_RIGHT:
        if (!bShift && SelStart() != SelEnd())
            move(SelEnd());
        else
            move(std::min(n, m_caret + 1));
        return false;
    case VK_HOME: move(0); return false;
    case VK_END: move(n); return false;
    case VK_DELETE:
        if (SelStart() == SelEnd()) {
            if (m_caret >= n) return false;
            m_anchor = m_caret + 1;
        }
        ReplaceSel(L"");
        return true;
    case 'A':
        if (bCtrl) SelectAll();
        return false;
    default: return false;
    }
}

bool CTextField::Char(wchar_t ch) {
    if (ch == 8) {
        if (SelStart() == SelEnd()) {
            if (m_caret == 0) return false;
            m_anchor = m_caret - 1;
        }
        ReplaceSel(L"");
        return true;
    }
    if (ch < 32 || ch == 127) return false; // Return, Escape, Tab and control keys type nothing
    ReplaceSel(std::wstring(1, ch));
    return true;
}

size_t CTextField::IndexAt(int x, const CFont* pFont) const {
    int target = x - kPadding + m_nScroll;
    size_t best = 0;
    int bestDist = std::abs(target);
    for (size_t i = 1; i <= m_text.size(); ++i) {
        int d = std::abs(Width(m_text.substr(0, i), pFont) - target);
        if (d < bestDist) best = i, bestDist = d;
    }
    return best;
}

void CTextField::ClickAt(int x, const CFont* pFont, bool bExtend) {
    m_caret = IndexAt(x, pFont);
    if (!bExtend) m_anchor = m_caret;
}

void CTextField::Paint(CDC& dc, const RECT& rc, bool bFocused, COLORREF text, COLORREF bk) {
    dc.FillSolidRect(rc, bk);
    const CFont* font = dc.GetCurrentFont();
    // Keep the caret in view.
    int caretX = Width(m_text.substr(0, m_caret), font);
    int room = rc.Width() - 2 * kPadding - 1;
    if (caretX - m_nScroll > room) m_nScroll = caretX - room;
    if (caretX < m_nScroll) m_nScroll = caretX;
    int saved = dc.SaveDC();
    dc.IntersectClipRect(rc);
    int x0 = rc.left + kPadding - m_nScroll;
    int y = rc.top + (rc.Height() - font->Height()) / 2;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(text);
    dc.TextOut(x0, y, m_text);
    if (bFocused && SelStart() != SelEnd()) {
        // The selection inverts: background colour on the text colour.
        int a = Width(m_text.substr(0, SelStart()), font),
            b = Width(m_text.substr(0, SelEnd()), font);
        dc.FillSolidRect({x0 + a, y, x0 + b, y + font->Height()}, text);
        dc.SetTextColor(bk);
        dc.TextOut(x0 + a, y, m_text.substr(SelStart(), SelEnd() - SelStart()));
    }
    if (bFocused) dc.FillSolidRect({x0 + caretX, y, x0 + caretX + 1, y + font->Height()}, text);
    dc.RestoreDC(saved);
}

// The single-line text model shared by the edit box and the combo box: text,
// caret, selection, typing, and its drawing with a caret. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <string>

class CDC;
class CFont;

class CTextField {
public:
    const std::wstring& Text() const { return m_text; }
    void SetText(const std::wstring& text);
    void SetSel(size_t start, size_t end);
    void SelectAll() { SetSel(0, m_text.size()); }
    size_t SelStart() const { return std::min(m_caret, m_anchor); }
    size_t SelEnd() const { return std::max(m_caret, m_anchor); }
    size_t Caret() const { return m_caret; }
    void ReplaceSel(const std::wstring& s);

    // Editing keys (arrows, Home, End, Delete, Ctrl+A); true when the text changed.
    bool KeyDown(UINT vk, bool bShift, bool bCtrl);
    // Typed characters and Backspace; true when the text changed.
    bool Char(wchar_t ch);
    // Places the caret at x (field pixels); with bExtend the selection grows.
    void ClickAt(int x, const CFont* pFont, bool bExtend);

    void Paint(CDC& dc, const RECT& rc, bool bFocused, COLORREF text, COLORREF bk);

private:
    size_t IndexAt(int x, const CFont* pFont) const;

    std::wstring m_text;
    size_t m_caret = 0, m_anchor = 0;
    int m_nScroll = 0; // pixels of text hidden at the left
};

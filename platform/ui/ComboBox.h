// A drop-down combo box: an editable text with a list that drops below it.
// Tells its parent of a new selection, of the list closing and of losing the
// focus. A tab stop: Tab and Shift+Tab ask the parent to move the focus on.
// UI thread.
#pragma once
#include "platform/ui/TextField.h"
#include "platform/ui/Wnd.h"
#include <memory>
#include <vector>

constexpr int CB_ERR = -1;

class CComboDropList;

class CComboBox : public CWnd {
public:
    CComboBox();
    ~CComboBox() override;
    int AddString(const std::wstring& s);
    void ResetContent();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    int GetCurSel() const { return m_nCurSel; }
    // Selects entry i (CB_ERR for none) and shows its text.
    int SetCurSel(int i);
    std::wstring GetLBText(int i) const;
    // The index of the first entry from nStart + 1 on equal to s (ignoring case), or CB_ERR.
    int FindStringExact(int nStart, const std::wstring& s) const;
    void SetWindowText(const std::wstring& text) override;
    std::wstring GetWindowText() const override { return m_field.Text(); }
    void ShowDropDown(bool bShow);
    bool GetDroppedState() const;
    void SetColors(COLORREF text, COLORREF bk) { m_text = text, m_bk = bk, Invalidate(); }
    COLORREF TextColor() const { return m_text; }
    COLORREF BkColor() const { return m_bk; }

    // Called by the drop list: a click on entry i (CB_ERR: outside).
    void ListChose(int i);

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    void OnChar(UINT nChar, UINT nRep, UINT nFlags) override;
    void OnSetFocus(CWnd*) override;
    void OnKillFocus(CWnd* pNew) override;
    void OnDestroy() override;
    void Notify(int nCode);

    std::vector<std::wstring> m_items;
    int m_nCurSel = CB_ERR;
    CTextField m_field;
    std::unique_ptr<CComboDropList> m_pList;
    COLORREF m_text = RGB(0, 0, 0), m_bk = RGB(255, 255, 255);

    static constexpr int kButtonWidth = 12;
};

#include "platform/ui/ComboBox.h"
#include "platform/ui/DC.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowManager.h"
#include <cwctype>

// The dropped list: a child of the top-level, above everything, holding the
// mouse capture while it is open so that a click elsewhere closes it.
class CComboDropList : public CWnd {
public:
    explicit CComboDropList(CComboBox* pOwner) : m_pOwner(pOwner) {}
    int m_nHot = CB_ERR;
    int RowHeight() const { return (m_pOwner->GetFont() ? m_pOwner->GetFont()->Height() : 14) + 2; }

protected:
    void OnPaint(CDC& dc) override {
        RECT rc = GetClientRect();
        dc.FillSolidRect(rc, m_pOwner->BkColor());
        dc.SelectObject(m_pOwner->GetFont());
        dc.SetBkMode(TRANSPARENT);
        int h = RowHeight();
        for (int i = 0; i < m_pOwner->GetCount(); ++i) {
            RECT row = RectXYWH(0, i * h, rc.Width(), h);
            bool hot = i == m_nHot;
            if (hot) dc.FillSolidRect(row, m_pOwner->TextColor());
            dc.SetTextColor(hot ? m_pOwner->BkColor() : m_pOwner->TextColor());
            dc.DrawText(m_pOwner->GetLBText(i), row.Inflate(-3, 0),
                        DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        }
        CPen rim(PS_SOLID, 1, m_pOwner->TextColor());
        CBrush none;
        dc.SelectObject(&rim);
        dc.SelectObject(&none);
        dc.Rectangle(rc);
    }
    void OnMouseMove(UINT, POINT pt) override {
        int hot = GetClientRect().Contains(pt) ? pt.y / RowHeight() : CB_ERR;
        if (hot != m_nHot) m_nHot = hot, Invalidate();
    }
    void OnLButtonUp(UINT, POINT pt) override {
        // The release that ends the opening click stays inside the combo: ignore it.
        if (!m_bArmed) {
            m_bArmed = true;
            if (!GetClientRect().Contains(pt)) return;
        }
        m_pOwner->ListChose(GetClientRect().Contains(pt) ? pt.y / RowHeight() : CB_ERR);
    }
    void OnLButtonDown(UINT, POINT pt) override {
        m_bArmed = true;
        if (!GetClientRect().Contains(pt)) m_pOwner->ListChose(CB_ERR);
    }

private:
    CComboBox* m_pOwner;
    bool m_bArmed = false;
};

CComboBox::CComboBox() { SetTabStop(true); }
CComboBox::~CComboBox() { OnDestroy(); }

void CComboBox::Notify(int nCode) {
    if (CWnd* p = GetParent())
        p->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), nCode),
                       reinterpret_cast<LPARAM>(this));
}

int CComboBox::AddString(const std::wstring& s) {
    m_items.push_back(s);
    return GetCount() - 1;
}

void CComboBox::ResetContent() {
    m_items.clear();
    m_nCurSel = CB_ERR;
    m_field.SetText(L"");
    Invalidate();
}

int CComboBox::SetCurSel(int i) {
    if (i < 0 || i >= GetCount()) {
        m_nCurSel = CB_ERR;
        m_field.SetText(L"");
        Invalidate();
        return CB_ERR;
    }
    m_nCurSel = i;
    m_field.SetText(m_items[i]);
    Invalidate();
    return i;
}

std::wstring CComboBox::GetLBText(int i) const {
    return (i >= 0 && i < GetCount()) ? m_items[i] : L"";
}

int CComboBox::FindStringExact(int nStart, const std::wstring& s) const {
    auto same = [](const std::wstring& a, const std::wstring& b) {
        if (a.size() != b.size()) return false;
        for (size_t k = 0; k < a.size(); ++k)
            if (std::towlower(a[k]) != std::towlower(b[k])) return false;
        return true;
    };
    int n = GetCount();
    // The search starts after nStart and wraps round, as the platform's does.
    for (int k = 0; k < n; ++k) {
        int i = ((nStart < 0 ? -1 : nStart) + 1 + k) % n;
        if (same(m_items[i], s)) return i;
    }
    return CB_ERR;
}

void CComboBox::SetWindowText(const std::wstring& text) {
    m_field.SetText(text);
    Invalidate();
}

bool CComboBox::GetDroppedState() const { return m_pList && m_pList->IsWindow(); }

void CComboBox::ShowDropDown(bool bShow) {
    if (bShow == GetDroppedState()) return;
    if (!bShow) {
        if (GetCapture() == m_pList.get()) ReleaseCapture();
        m_pList->DestroyWindow();
        Notify(CBN_CLOSEUP);
        return;
    }
    CWnd* top = GetTopLevel();
    m_pList = std::make_unique<CComboDropList>(this);
    RECT me = GetRectInParent();
    POINT o = GetParent() ? GetParent()->OffsetInTopLevel() : POINT{};
    int h = std::max(1, GetCount()) * m_pList->RowHeight() + 2;
    int y = o.y + me.bottom;
    // Drop upward when the list would leave the window.
    if (y + h > top->GetClientRect().bottom && o.y + me.top - h >= 0) y = o.y + me.top - h;
    m_pList->Create(top, RectXYWH(o.x + me.left, y, me.Width(), h), 0);
    m_pList->m_nHot = m_nCurSel;
    m_pList->SetCapture();
}

void CComboBox::ListChose(int i) {
    bool chose = i >= 0 && i < GetCount();
    if (chose) SetCurSel(i);
    ShowDropDown(false);
    if (chose) Notify(CBN_SELCHANGE);
}

void CComboBox::OnPaint(CDC& dc) {
    RECT rc = GetClientRect();
    dc.SelectObject(GetFont());
    m_field.Paint(dc, {0, 0, rc.right - kButtonWidth, rc.bottom}, GetFocus() == this, m_text, m_bk);
    RECT btn{rc.right - kButtonWidth, 0, rc.right, rc.bottom};
    dc.FillSolidRect(btn, m_bk);
    CPen pen(PS_SOLID, 1, m_text);
    CBrush fill(m_text);
    dc.SelectObject(&pen);
    dc.SelectObject(&fill);
    int cx = btn.left + kButtonWidth / 2, cy = rc.bottom / 2;
    POINT tri[3] = {{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}};
    dc.Polygon(tri, 3);
}

void CComboBox::OnLButtonDown(UINT nFlags, POINT pt) {
    if (GetFocus() != this) SetFocus();
    if (pt.x >= GetClientRect().right - kButtonWidth)
        ShowDropDown(!GetDroppedState());
    else
        m_field.ClickAt(pt.x, GetFont(), nFlags & MK_SHIFT);
    Invalidate();
}

void CComboBox::OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar == VK_TAB) { // the focus moves on; losing it closes the list
        if (CWnd* p = GetParent()) p->SendMessage(WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0);
        return;
    }
    if (nChar == VK_F4) return ShowDropDown(!GetDroppedState());
    if ((nChar == VK_RETURN || nChar == VK_ESCAPE) && GetDroppedState()) return ShowDropDown(false);
    if ((nChar == VK_UP || nChar == VK_DOWN) && GetCount() > 0) {
        int i = m_nCurSel < 0
                    ? 0
                    : std::clamp(m_nCurSel + (nChar == VK_UP ? -1 : 1), 0, GetCount() - 1);
        SetCurSel(i);
        Notify(CBN_SELCHANGE);
        return;
    }
    m_field.KeyDown(nChar, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
    Invalidate();
}

void CComboBox::OnChar(UINT nChar, UINT, UINT) {
    if (GetKeyState(VK_CONTROL) < 0) return;
    if (m_field.Char(static_cast<wchar_t>(nChar))) Invalidate();
}

void CComboBox::OnSetFocus(CWnd*) {
    m_field.SelectAll();
    Invalidate();
}

void CComboBox::OnKillFocus(CWnd*) {
    if (GetDroppedState()) ShowDropDown(false);
    Invalidate();
    Notify(CBN_KILLFOCUS);
}

void CComboBox::OnDestroy() {
    if (m_pList) m_pList->DestroyWindow();
}

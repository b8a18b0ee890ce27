#include "platform/ui/Menu.h"
#include "platform/ui/DC.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/Wnd.h"
#include <algorithm>

namespace {
constexpr int kRow = 20, kSep = 7, kWidth = 160;

CFont& MenuFont() {
    static CFont f;
    if (!f.IsCreated()) f.CreateFont(14, L"Arial");
    return f;
}

class CMenuWindow : public CWnd {
public:
    explicit CMenuWindow(const std::vector<CMenu::Item>& items) : m_items(items) {}
    static int RowHeight(const CMenu::Item& it) { return (it.nFlags & MF_SEPARATOR) ? kSep : kRow; }
    int Height() const {
        int h = 2;
        for (const auto& it : m_items) h += RowHeight(it);
        return h;
    }

protected:
    int ItemAt(POINT pt) const {
        if (!GetClientRect().Contains(pt)) return -1;
        int y = 1;
        for (size_t i = 0; i < m_items.size(); ++i) {
            int h = RowHeight(m_items[i]);
            if (pt.y >= y && pt.y < y + h)
                return (m_items[i].nFlags & MF_SEPARATOR) ? -1 : static_cast<int>(i);
            y += h;
        }
        return -1;
    }
    void OnPaint(CDC& dc) override {
        RECT rc = GetClientRect();
        CBrush face(RGB(50, 58, 71));
        CPen rim(PS_SOLID, 1, RGB(124, 144, 173));
        dc.SelectObject(&face);
        dc.SelectObject(&rim);
        dc.Rectangle(rc);
        dc.SelectObject(&MenuFont());
        dc.SetBkMode(TRANSPARENT);
        int y = 1;
        for (size_t i = 0; i < m_items.size(); ++i) {
            const auto& it = m_items[i];
            int h = RowHeight(it);
            if (it.nFlags & MF_SEPARATOR) {
                dc.FillSolidRect({6, y + 3, rc.right - 6, y + 4}, RGB(91, 99, 120));
            } else {
                bool hot = static_cast<int>(i) == m_nHot;
                if (hot) dc.FillSolidRect({1, y, rc.right - 1, y + h}, RGB(90, 128, 88));
                dc.SetTextColor(hot ? RGB(255, 255, 255) : RGB(206, 255, 202));
                if (it.nFlags & MF_CHECKED) {
                    // The check mark is drawn: the menu font has no glyph for it.
                    CPen mark(PS_SOLID, 2, hot ? RGB(255, 255, 255) : RGB(152, 214, 147));
                    dc.SelectObject(&mark);
                    dc.MoveTo(7, y + 10);
                    dc.LineTo(10, y + 13);
                    dc.LineTo(16, y + 6);
                    dc.SelectObject(&rim);
                }
                dc.TextOut(22, y + 3, it.text);
            }
            y += h;
        }
    }
    void OnMouseMove(UINT, POINT pt) override {
        int hot = ItemAt(pt);
        if (hot != m_nHot) m_nHot = hot, Invalidate();
    }
    void OnLButtonUp(UINT, POINT pt) override {
        int i = ItemAt(pt);
        if (i >= 0)
            CWindowManager::Instance().EndModal(this, static_cast<int>(m_items[i].nID));
        else if (!GetClientRect().Contains(pt) && m_bPressedOutside)
            CWindowManager::Instance().EndModal(this, 0);
    }
    void OnLButtonDown(UINT, POINT pt) override {
        m_bPressedOutside = !GetClientRect().Contains(pt);
        if (m_bPressedOutside) CWindowManager::Instance().EndModal(this, 0);
    }
    void OnRButtonDown(UINT f, POINT pt) override { OnLButtonDown(f, pt); }
    void OnKeyDown(UINT nChar, UINT, UINT) override {
        if (nChar == VK_ESCAPE) CWindowManager::Instance().EndModal(this, 0);
    }

private:
    const std::vector<CMenu::Item>& m_items;
    int m_nHot = -1;
    bool m_bPressedOutside = false;
};
} // namespace

bool CMenu::AppendMenu(UINT nFlags, UINT nID, const std::wstring& text) {
    m_items.push_back({nID, text, nFlags});
    return true;
}

int CMenu::CheckMenuItem(UINT nID, UINT nCheck) {
    for (Item& it : m_items)
        if (it.nID == nID && !(it.nFlags & MF_SEPARATOR)) {
            int old = (it.nFlags & MF_CHECKED) ? MF_CHECKED : 0;
            it.nFlags = (it.nFlags & ~MF_CHECKED) | (nCheck & MF_CHECKED);
            return old;
        }
    return -1;
}

UINT CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pOwner) {
    CWindowManager& wm = CWindowManager::Instance();
    std::wstring asked;
    for (const Item& it : m_items) {
        if (it.nFlags & MF_SEPARATOR) continue;
        if (!asked.empty()) asked += L"|";
        asked += ((it.nFlags & MF_CHECKED) ? L"\u2713" : L"") + it.text;
    }
    wm.Script().Record(asked);
    UINT cmd = 0;
    if (auto a = wm.Script().Take()) {
        cmd = static_cast<UINT>(a->nResult);
    } else if (pOwner && wm.Backend() && wm.Backend()->IsInteractive()) {
        CWnd* top = pOwner->GetTopLevel();
        CMenuWindow menu(m_items);
        POINT pt = top->ScreenToClient({x, y});
        RECT area = top->GetClientRect();
        int h = menu.Height();
        pt.x = std::clamp<LONG>(pt.x, 0, std::max<LONG>(0, area.right - kWidth));
        pt.y = std::clamp<LONG>(pt.y, 0, std::max<LONG>(0, area.bottom - h));
        menu.Create(top, RectXYWH(pt.x, pt.y, kWidth, h), 0);
        menu.SetCapture();
        cmd = static_cast<UINT>(std::max(0, wm.RunModal(&menu, 0)));
        menu.DestroyWindow();
    }
    if (nFlags & TPM_RETURNCMD) return cmd;
    if (cmd && pOwner) pOwner->PostMessage(WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
    return cmd ? TRUE : FALSE;
}

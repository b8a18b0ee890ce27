#include "platform/ui/MessageBox.h"
#include "platform/ui/Button.h"
#include "platform/ui/DC.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/Wnd.h"
#include <vector>

namespace {
constexpr int kWidth = 320, kMargin = 14, kButtonW = 64, kButtonH = 22;

CFont& BoxFont() {
    static CFont f;
    if (!f.IsCreated()) f.CreateFont(14, L"Arial");
    return f;
}

// Greedy word wrap to the width in the box's font.
std::vector<std::wstring> Wrap(const std::wstring& text, int width) {
    CBitmap scratch;
    scratch.Create(1, 1);
    CDC dc(scratch);
    dc.SelectObject(&BoxFont());
    std::vector<std::wstring> lines;
    std::wstring line, word;
    auto flush = [&] {
        if (word.empty()) return;
        std::wstring tryLine = line.empty() ? word : line + L" " + word;
        if (!line.empty() && dc.GetTextExtent(tryLine).cx > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = tryLine;
        }
        word.clear();
    };
    for (wchar_t c : text) {
        if (c == L' ')
            flush();
        else if (c == L'\n')
            flush(), lines.push_back(line), line.clear();
        else
            word += c;
    }
    flush();
    if (!line.empty()) lines.push_back(line);
    return lines;
}

class CMessageBoxWindow : public CWnd {
public:
    CMessageBoxWindow(std::vector<std::wstring> lines, std::wstring caption, bool yesNo)
        : m_lines(std::move(lines)), m_caption(std::move(caption)), m_bYesNo(yesNo) {}
    void Build() {
        int y = Height() - kButtonH - 10;
        m_first.Create(this,
                       RectXYWH(kWidth - kMargin - (m_bYesNo ? 2 * kButtonW + 8 : kButtonW), y,
                                kButtonW, kButtonH),
                       m_bYesNo ? IDYES : IDOK);
        m_first.SetWindowText(m_bYesNo ? L"Yes" : L"OK");
        m_first.SetFont(&BoxFont());
        if (m_bYesNo) {
            m_second.Create(this, RectXYWH(kWidth - kMargin - kButtonW, y, kButtonW, kButtonH),
                            IDNO);
            m_second.SetWindowText(L"No");
            m_second.SetFont(&BoxFont());
        }
        m_first.SetFocus();
    }
    int Height() const { return 34 + static_cast<int>(m_lines.size()) * 17 + kButtonH + 22; }

protected:
    void OnPaint(CDC& dc) override {
        RECT rc = GetClientRect();
        CBrush face(RGB(50, 58, 71));
        CPen rim(PS_SOLID, 1, RGB(124, 144, 173));
        dc.SelectObject(&face);
        dc.SelectObject(&rim);
        dc.Rectangle(rc);
        dc.FillSolidRect({1, 1, rc.right - 1, 24}, RGB(91, 99, 120));
        dc.SelectObject(&BoxFont());
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(RGB(255, 255, 255));
        dc.TextOut(kMargin, 5, m_caption);
        dc.SetTextColor(RGB(206, 255, 202));
        for (size_t i = 0; i < m_lines.size(); ++i)
            dc.TextOut(kMargin, 34 + static_cast<int>(i) * 17, m_lines[i]);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        if (HIWORD(wParam) == BN_CLICKED) CWindowManager::Instance().EndModal(this, LOWORD(wParam));
        return TRUE;
    }

private:
    std::vector<std::wstring> m_lines;
    std::wstring m_caption;
    bool m_bYesNo;
    CButton m_first, m_second;
};
} // namespace

int MessageBox(CWnd* pOwner, const std::wstring& text, const std::wstring& caption, UINT nType) {
    CWindowManager& wm = CWindowManager::Instance();
    bool yesNo = (nType & 0x0F) == MB_YESNO;
    wm.Script().Record(text);
    if (auto a = wm.Script().Take()) return a->nResult;
    CWnd* top = pOwner ? pOwner->GetTopLevel()
                       : (wm.TopLevels().empty() ? nullptr : wm.TopLevels().front());
    if (!top || !wm.Backend() || !wm.Backend()->IsInteractive()) return yesNo ? IDNO : IDOK;
    CWnd* oldFocus = wm.Focus();
    CMessageBoxWindow box(Wrap(text, kWidth - 2 * kMargin), caption, yesNo);
    RECT area = top->GetClientRect();
    int h = box.Height();
    box.Create(top, RectXYWH((area.Width() - kWidth) / 2, (area.Height() - h) / 3, kWidth, h), 0);
    box.Build();
    int result = wm.RunModal(&box);
    box.DestroyWindow();
    if (oldFocus && oldFocus->IsWindow()) wm.SetFocus(oldFocus);
    if (result == IDCANCEL) result = yesNo ? IDNO : IDOK;
    return result;
}

#include "platform/ui/FileDialogWindow.h"
#include "platform/ui/DC.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowManager.h"
#include <algorithm>

namespace fs = std::filesystem;

namespace {
constexpr int kRow = 16;
constexpr COLORREF kFace = RGB(50, 58, 71), kWell = RGB(37, 43, 52), kText = RGB(160, 172, 191),
                   kHot = RGB(90, 128, 88), kLight = RGB(206, 255, 202);
CFont& DialogFont() {
    static CFont f;
    if (!f.IsCreated()) f.CreateFont(14, L"Arial");
    return f;
}
} // namespace

CFileDialogWindow::CFileDialogWindow(fs::path dir, std::wstring patterns, std::wstring okText)
    : m_dir(std::move(dir)), m_strPatterns(std::move(patterns)), m_strOk(std::move(okText)) {}

void CFileDialogWindow::Build() {
    RECT rc = GetClientRect();
    m_name.Create(this, {10, rc.bottom - 60, rc.right - 10, rc.bottom - 42}, 1001);
    m_name.SetFont(&DialogFont());
    m_name.SetColors(kText, kWell);
    m_ok.Create(this, RectXYWH(rc.right - 150, rc.bottom - 32, 66, 22), IDOK);
    m_ok.SetWindowText(m_strOk);
    m_cancel.Create(this, RectXYWH(rc.right - 76, rc.bottom - 32, 66, 22), IDCANCEL);
    m_cancel.SetWindowText(L"Cancel");
    m_ok.SetFont(&DialogFont());
    m_cancel.SetFont(&DialogFont());
    Load();
    m_name.SetFocus();
}

void CFileDialogWindow::Load() {
    m_entries.clear();
    std::error_code ec;
    if (m_dir.has_parent_path() && m_dir != m_dir.root_path()) m_entries.push_back({L"..", true});
    std::vector<Entry> dirs, files;
    for (fs::directory_iterator it(m_dir, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::wstring name = it->path().filename().wstring();
        if (name.empty() || name[0] == L'.') continue;
        if (it->is_directory(ec))
            dirs.push_back({name, true});
        else if (CFileDialog::Matches(name, m_strPatterns))
            files.push_back({name, false});
    }
    auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
    std::sort(dirs.begin(), dirs.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    m_entries.insert(m_entries.end(), dirs.begin(), dirs.end());
    m_entries.insert(m_entries.end(), files.begin(), files.end());
    m_nSel = -1;
    m_nTop = 0;
    Invalidate(true);
}

RECT CFileDialogWindow::ListRect() const {
    RECT rc = GetClientRect();
    return {10, 30, rc.right - 10, rc.bottom - 68};
}

int CFileDialogWindow::EntryAt(POINT pt) const {
    RECT lr = ListRect();
    if (!lr.Contains(pt)) return -1;
    int i = m_nTop + (pt.y - lr.top - 2) / kRow;
    return i < static_cast<int>(m_entries.size()) ? i : -1;
}

void CFileDialogWindow::OnPaint(CDC& dc) {
    RECT rc = GetClientRect();
    CBrush face(kFace);
    CPen rim(PS_SOLID, 1, RGB(124, 144, 173));
    dc.SelectObject(&face);
    dc.SelectObject(&rim);
    dc.Rectangle(rc);
    dc.SelectObject(&DialogFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kLight);
    dc.DrawText(m_dir.wstring(), {10, 8, rc.right - 10, 24}, DT_LEFT | DT_SINGLELINE);
    RECT lr = ListRect();
    dc.FillSolidRect(lr, kWell);
    int saved = dc.SaveDC();
    dc.IntersectClipRect(lr);
    int rows = (lr.Height() - 4) / kRow;
    for (int k = 0; k < rows && m_nTop + k < static_cast<int>(m_entries.size()); ++k) {
        const Entry& e = m_entries[m_nTop + k];
        RECT row = RectXYWH(lr.left, lr.top + 2 + k * kRow, lr.Width(), kRow);
        if (m_nTop + k == m_nSel) dc.FillSolidRect(row, kHot);
        dc.SetTextColor(e.bDir ? kLight : kText);
        dc.TextOut(row.left + 6, row.top + 1, e.bDir ? e.name + L"/" : e.name);
    }
    dc.RestoreDC(saved);
}

void CFileDialogWindow::OnLButtonDown(UINT, POINT pt) {
    int i = EntryAt(pt);
    if (i < 0) return;
    m_nSel = i;
    if (!m_entries[i].bDir) m_name.SetWindowText(m_entries[i].name);
    Invalidate();
}

void CFileDialogWindow::OnLButtonDblClk(UINT, POINT pt) {
    int i = EntryAt(pt);
    if (i < 0) return;
    if (m_entries[i].bDir) {
        m_dir = m_entries[i].name == L".." ? m_dir.parent_path() : m_dir / m_entries[i].name;
        Load();
    } else {
        m_name.SetWindowText(m_entries[i].name);
        Accept();
    }
}

void CFileDialogWindow::OnKeyDown(UINT nChar, UINT, UINT) {
    if (nChar == VK_ESCAPE) CWindowManager::Instance().EndModal(this, IDCANCEL);
    int rows = (ListRect().Height() - 4) / kRow;
    if (nChar == VK_DOWN || nChar == VK_UP) {
        m_nTop = std::clamp(m_nTop + (nChar == VK_DOWN ? 1 : -1), 0,
                            std::max(0, static_cast<int>(m_entries.size()) - rows));
        Invalidate();
    }
}

void CFileDialogWindow::Accept() {
    std::wstring name = m_name.GetWindowText();
    if (name.empty()) return;
    fs::path p = fs::path(name).is_absolute() ? fs::path(name) : m_dir / name;
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
        m_dir = fs::canonical(p, ec);
        m_name.SetWindowText(L"");
        Load();
        return;
    }
    m_chosen = p;
    CWindowManager::Instance().EndModal(this, IDOK);
}

BOOL CFileDialogWindow::OnCommand(WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    if (LOWORD(wParam) == IDOK)
        Accept();
    else if (LOWORD(wParam) == IDCANCEL)
        CWindowManager::Instance().EndModal(this, IDCANCEL);
    return TRUE;
}

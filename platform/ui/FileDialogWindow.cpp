#include "platform/ui/FileDialogWindow.h"
#include "platform/ui/DC.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/Font.h"
#include "platform/ui/WindowManager.h"
#include <algorithm>
#include <cstdlib>

namespace fs = std::filesystem;

namespace {
constexpr int kRow = 16;
constexpr COLORREF kFace = RGB(50, 58, 71), kWell = RGB(37, 43, 52), kText = RGB(160, 172, 191),
                   kHot = RGB(90, 128, 88), kLight = RGB(206, 255, 202), kRim = RGB(124, 144, 173);
CFont& DialogFont() {
    static CFont f;
    if (!f.IsCreated()) f.CreateFont(14, L"Arial");
    return f;
}
bool IsPattern(const std::wstring& s) { return s.find_first_of(L"*?") != std::wstring::npos; }
} // namespace

void CFileDialogWindow::CNameEdit::OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) {
    auto* dlg = static_cast<CFileDialogWindow*>(GetParent());
    const bool bEmpty = GetWindowText().empty();
    if (nChar == VK_BACK && !bEmpty) return CEdit::OnKeyDown(nChar, nRep, nFlags);
    if (dlg == nullptr || !dlg->HandleKey(nChar)) CEdit::OnKeyDown(nChar, nRep, nFlags);
}

int CFileDialogWindow::Pane::Rows() const { return std::max(1, (rc.Height() - 4) / kRow); }

int CFileDialogWindow::Pane::At(POINT pt) const {
    if (!rc.Contains(pt)) return -1;
    const int i = nTop + (pt.y - rc.top - 2) / kRow;
    return i < static_cast<int>(names.size()) ? i : -1;
}

void CFileDialogWindow::Pane::Select(int i) {
    const int n = static_cast<int>(names.size());
    nSel = n == 0 ? -1 : std::clamp(i, 0, n - 1);
    if (nSel < 0) return;
    if (nSel < nTop) nTop = nSel;
    if (nSel >= nTop + Rows()) nTop = nSel - Rows() + 1;
}

CFileDialogWindow::CFileDialogWindow(fs::path dir, std::wstring filterName, std::wstring patterns,
                                     std::wstring okText, std::wstring name)
    : m_dir(std::move(dir)), m_strFilterName(std::move(filterName)),
      m_strPatterns(std::move(patterns)), m_strOk(std::move(okText)),
      m_strStartName(std::move(name)) {}

void CFileDialogWindow::Build() {
    const RECT rc = GetClientRect();
    const LONG split = 10 + (rc.Width() - 20) * 2 / 5;
    m_folders.rc = {10, 30, split - 4, rc.bottom - 68};
    m_files.rc = {split + 4, 30, rc.right - 10, rc.bottom - 68};
    m_name.Create(this, {10, rc.bottom - 60, rc.right - 10, rc.bottom - 42}, 1001);
    m_name.SetFont(&DialogFont());
    m_name.SetColors(kText, kWell);
    m_ok.Create(this, RectXYWH(rc.right - 150, rc.bottom - 32, 66, 22), IDOK);
    m_ok.SetWindowText(m_strOk);
    m_cancel.Create(this, RectXYWH(rc.right - 76, rc.bottom - 32, 66, 22), IDCANCEL);
    m_cancel.SetWindowText(L"Cancel");
    m_ok.SetFont(&DialogFont());
    m_cancel.SetFont(&DialogFont());
    m_name.SetWindowText(m_strStartName);
    Load();
    FocusOn(Focus::Name); // the field selects its whole text
}

void CFileDialogWindow::Load() {
    m_folders = {{}, -1, 0, m_folders.rc};
    m_files = {{}, -1, 0, m_files.rc};
    if (m_dir.has_parent_path() && m_dir != m_dir.root_path()) m_folders.names.push_back(L"..");
    std::vector<std::wstring> dirs;
    std::error_code ec;
    for (fs::directory_iterator it(m_dir, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::wstring name = it->path().filename().wstring();
        if (name.empty() || name[0] == L'.') continue;
        std::error_code ecType;
        if (it->is_directory(ecType))
            dirs.push_back(name);
        else if (CFileDialog::Matches(name, m_strPatterns))
            m_files.names.push_back(name);
    }
    std::sort(dirs.begin(), dirs.end());
    std::sort(m_files.names.begin(), m_files.names.end());
    m_folders.names.insert(m_folders.names.end(), dirs.begin(), dirs.end());
    if (m_focus != Focus::Name) {
        m_folders.Select(0);
        m_files.Select(0);
    }
    Invalidate(true);
}

void CFileDialogWindow::Enter(const fs::path& dir) {
    std::error_code ec;
    fs::directory_iterator probe(dir, ec);
    if (ec) return; // unreadable: stay where we are
    fs::path canonical = fs::weakly_canonical(dir, ec);
    m_dir = ec ? dir : canonical;
    Load();
}

void CFileDialogWindow::Up() {
    if (m_dir.has_parent_path() && m_dir != m_dir.root_path()) Enter(m_dir.parent_path());
}

void CFileDialogWindow::FocusOn(Focus f) {
    m_focus = f;
    if (f == Focus::Name) {
        m_name.SetFocus();
    } else {
        Pane& p = f == Focus::Folders ? m_folders : m_files;
        if (p.nSel < 0) p.Select(0);
        SetFocus();
    }
    Invalidate();
}

bool CFileDialogWindow::HandleKey(UINT nChar) {
    const bool bShift = GetKeyState(VK_SHIFT) < 0;
    switch (nChar) {
    case VK_ESCAPE: CWindowManager::Instance().EndModal(this, IDCANCEL); return true;
    case VK_TAB: {
        // Name, folders, files and round again; Shift goes the other way.
        static constexpr Focus kOrder[] = {Focus::Name, Focus::Folders, Focus::Files};
        const int i = static_cast<int>(m_focus);
        FocusOn(kOrder[(i + (bShift ? 2 : 1)) % 3]);
        return true;
    }
    case VK_BACK: Up(); return true;
    case VK_HOME:
    case VK_END:
        if (m_focus == Focus::Name) return false; // the field's own keys
        [[fallthrough]];
    case VK_UP:
    case VK_DOWN: {
        if (m_focus == Focus::Name) {
            // From the field the arrows go into the files.
            if (m_files.names.empty()) return true;
            m_focus = Focus::Files;
            SetFocus();
            if (m_files.nSel < 0) {
                m_files.Select(0);
                m_name.SetWindowText(m_files.names[0]);
                Invalidate();
                return true;
            }
        }
        Pane& p = m_focus == Focus::Folders ? m_folders : m_files;
        if (nChar == VK_HOME || nChar == VK_END)
            p.Select(nChar == VK_HOME ? 0 : static_cast<int>(p.names.size()) - 1);
        else
            p.Select(p.nSel + (nChar == VK_UP ? -1 : 1));
        if (m_focus == Focus::Files && p.nSel >= 0) m_name.SetWindowText(p.names[size_t(p.nSel)]);
        Invalidate();
        return true;
    }
    case VK_RETURN:
        if (m_focus == Focus::Folders && m_folders.nSel >= 0)
            m_folders.names[size_t(m_folders.nSel)] == L".."
                ? Up()
                : Enter(m_dir / m_folders.names[size_t(m_folders.nSel)]);
        else if (m_focus == Focus::Files && m_files.nSel >= 0)
            Choose(m_files.names[size_t(m_files.nSel)]);
        else
            Accept();
        return true;
    default: return false;
    }
}

void CFileDialogWindow::OnKeyDown(UINT nChar, UINT, UINT) { HandleKey(nChar); }

void CFileDialogWindow::Accept() {
    std::wstring text = m_name.GetWindowText();
    if (text.empty()) return;
    if (text[0] == L'~' && (text.size() == 1 || text[1] == L'/')) {
        if (const char* home = std::getenv("HOME"))
            text = fs::path(home).wstring() + text.substr(1);
    }
    fs::path p = fs::path(text).is_absolute() ? fs::path(text) : m_dir / text;
    if (IsPattern(p.filename().wstring())) {
        // A pattern becomes the filter, in its folder.
        m_strPatterns = p.filename().wstring();
        m_strFilterName = m_strPatterns;
        m_name.SetWindowText(L"");
        Enter(p.parent_path());
        return;
    }
    std::error_code ec;
    if (fs::is_directory(p, ec)) {
        m_name.SetWindowText(L"");
        Enter(p);
        return;
    }
    m_chosen = p;
    CWindowManager::Instance().EndModal(this, IDOK);
}

void CFileDialogWindow::Choose(const std::wstring& name) {
    m_name.SetWindowText(name);
    m_chosen = m_dir / name;
    CWindowManager::Instance().EndModal(this, IDOK);
}

void CFileDialogWindow::PaintPane(CDC& dc, const Pane& pane, bool bFolders) const {
    const bool bFocused = m_focus == (bFolders ? Focus::Folders : Focus::Files);
    dc.FillSolidRect(pane.rc, kWell);
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(pane.rc);
    for (int k = 0; k < pane.Rows() && pane.nTop + k < static_cast<int>(pane.names.size()); ++k) {
        const int i = pane.nTop + k;
        const RECT row = RectXYWH(pane.rc.left, pane.rc.top + 2 + k * kRow, pane.rc.Width(), kRow);
        if (i == pane.nSel) {
            dc.FillSolidRect(row, bFocused ? kHot : kFace);
            if (bFocused) dc.DrawFocusRect(row);
        }
        dc.SetTextColor(bFolders ? kLight : kText);
        const std::wstring& name = pane.names[size_t(i)];
        dc.TextOut(row.left + 6, row.top + 1, bFolders && name != L".." ? name + L"/" : name);
    }
    dc.RestoreDC(saved);
}

void CFileDialogWindow::OnPaint(CDC& dc) {
    const RECT rc = GetClientRect();
    CBrush face(kFace);
    CPen rim(PS_SOLID, 1, kRim);
    dc.SelectObject(&face);
    dc.SelectObject(&rim);
    dc.Rectangle(rc);
    dc.SelectObject(&DialogFont());
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kLight);
    dc.DrawText(m_dir.wstring(), {10, 8, rc.right - 10, 24}, DT_LEFT | DT_SINGLELINE);
    PaintPane(dc, m_folders, true);
    PaintPane(dc, m_files, false);
    dc.SetTextColor(kText);
    dc.DrawText(m_strFilterName, {10, rc.bottom - 28, rc.right - 160, rc.bottom - 12},
                DT_LEFT | DT_SINGLELINE);
}

void CFileDialogWindow::OnLButtonDown(UINT, POINT pt) {
    for (Pane* p : {&m_folders, &m_files}) {
        const int i = p->At(pt);
        if (!p->rc.Contains(pt)) continue;
        m_focus = p == &m_folders ? Focus::Folders : Focus::Files;
        SetFocus();
        if (i >= 0) p->Select(i);
        if (i >= 0 && p == &m_files) m_name.SetWindowText(p->names[size_t(i)]);
        Invalidate();
    }
}

void CFileDialogWindow::OnLButtonDblClk(UINT, POINT pt) {
    if (const int i = m_folders.At(pt); i >= 0) {
        m_folders.names[size_t(i)] == L".." ? Up() : Enter(m_dir / m_folders.names[size_t(i)]);
    } else if (const int f = m_files.At(pt); f >= 0) {
        Choose(m_files.names[size_t(f)]);
    }
}

BOOL CFileDialogWindow::OnMouseWheel(UINT, short zDelta, POINT pt) {
    pt = ScreenToClient(pt);
    for (Pane* p : {&m_folders, &m_files}) {
        if (!p->rc.Contains(pt)) continue;
        const int most = std::max(0, static_cast<int>(p->names.size()) - p->Rows());
        p->nTop = std::clamp(p->nTop - 3 * zDelta / WHEEL_DELTA, 0, most);
        Invalidate();
        return TRUE;
    }
    return FALSE;
}

BOOL CFileDialogWindow::OnCommand(WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    if (LOWORD(wParam) == IDOK) {
        if (m_name.GetWindowText().empty() && m_focus == Focus::Files && m_files.nSel >= 0)
            Choose(m_files.names[size_t(m_files.nSel)]);
        else
            Accept();
    } else if (LOWORD(wParam) == IDCANCEL) {
        CWindowManager::Instance().EndModal(this, IDCANCEL);
    }
    return TRUE;
}

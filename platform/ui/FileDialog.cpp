#include "platform/ui/FileDialog.h"
#include "platform/ui/FileDialogWindow.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowManager.h"
#include "platform/ui/Wnd.h"
#include <cwctype>
#include <filesystem>

namespace fs = std::filesystem;

CFileDialog::CFileDialog(BOOL bOpen, const wchar_t* pszDefExt, const wchar_t* pszFileName,
                         DWORD dwFlags, const wchar_t* pszFilter, CWnd* pParent)
    : m_bOpen(bOpen), m_strDefExt(pszDefExt ? pszDefExt : L""),
      m_strFilter(pszFilter ? pszFilter : L""), m_strPath(pszFileName ? pszFileName : L""),
      m_dwFlags(dwFlags), m_pParent(pParent) {}

std::vector<std::pair<std::wstring, std::wstring>>
CFileDialog::ParseFilter(const std::wstring& filter) {
    std::vector<std::wstring> parts;
    size_t pos = 0;
    while (pos <= filter.size()) {
        size_t bar = filter.find(L'|', pos);
        std::wstring part =
            filter.substr(pos, bar == std::wstring::npos ? std::wstring::npos : bar - pos);
        if (part.empty()) break; // "||" ends the list
        parts.push_back(part);
        if (bar == std::wstring::npos) break;
        pos = bar + 1;
    }
    std::vector<std::pair<std::wstring, std::wstring>> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) out.emplace_back(parts[i], parts[i + 1]);
    return out;
}

bool CFileDialog::Matches(const std::wstring& name, const std::wstring& patterns) {
    auto lower = [](std::wstring s) {
        for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
        return s;
    };
    std::wstring n = lower(name);
    size_t pos = 0;
    while (pos <= patterns.size()) {
        size_t semi = patterns.find(L';', pos);
        std::wstring p = lower(
            patterns.substr(pos, semi == std::wstring::npos ? std::wstring::npos : semi - pos));
        if (p == L"*" || p == L"*.*") return true;
        // Only the "*.ext" form occurs in the editor's filters.
        if (p.size() > 1 && p[0] == L'*' && n.size() >= p.size() - 1 &&
            n.compare(n.size() - (p.size() - 1), p.size() - 1, p, 1) == 0)
            return true;
        if (semi == std::wstring::npos) break;
        pos = semi + 1;
    }
    return false;
}

std::wstring CFileDialog::GetFileName() const { return fs::path(m_strPath).filename().wstring(); }

int CFileDialog::DoModal() {
    CWindowManager& wm = CWindowManager::Instance();
    wm.Script().Record(m_strFilter);
    wm.Script().Propose(m_strPath);
    if (auto a = wm.Script().Take()) {
        if (a->nResult == IDOK) m_strPath = a->strPath;
        return a->nResult == IDOK ? IDOK : IDCANCEL;
    }
    CWnd* top = m_pParent ? m_pParent->GetTopLevel()
                          : (wm.TopLevels().empty() ? nullptr : wm.TopLevels().front());
    if (!top || !wm.Backend() || !wm.Backend()->IsInteractive()) return IDCANCEL;
    auto filters = ParseFilter(m_strFilter);
    std::wstring name = filters.empty() ? L"All Files (*.*)" : filters.front().first;
    std::wstring patterns = filters.empty() ? L"*" : filters.front().second;
    // A given file names the folder; else the one a file was last chosen in.
    std::error_code ec;
    fs::path start = m_strPath.empty() ? LastFolder() : fs::path(m_strPath).parent_path();
    if (start.empty() || !fs::is_directory(start, ec)) start = fs::current_path(ec);
    std::wstring field = fs::path(m_strPath).filename().wstring();
    for (;;) {
        CFileDialogWindow dlg(start, name, patterns, m_bOpen ? L"Open" : L"Save", field);
        RECT area = top->GetClientRect();
        int w = std::min<LONG>(420, area.Width()), h = std::min<LONG>(320, area.Height());
        dlg.Create(top, RectXYWH((area.Width() - w) / 2, (area.Height() - h) / 3, w, h), 0);
        dlg.Build();
        int r = wm.RunModal(&dlg);
        fs::path chosen = dlg.Chosen();
        start = dlg.Directory();
        if (dlg.Patterns() != patterns) name = patterns = dlg.Patterns();
        dlg.DestroyWindow();
        if (r != IDOK) return IDCANCEL;
        field = chosen.filename().wstring(); // shown again should the dialog come back
        bool exists = fs::exists(chosen, ec);
        if (m_bOpen && !exists) continue; // an open dialog takes only existing files
        if (!m_bOpen && exists && (m_dwFlags & OFN_OVERWRITEPROMPT) &&
            MessageBox(
                top, chosen.filename().wstring() + L" already exists.\nDo you want to replace it?",
                L"Save", MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            continue;
        m_strPath = chosen.wstring();
        LastFolder() = chosen.parent_path();
        return IDOK;
    }
}

fs::path& CFileDialog::LastFolder() {
    static fs::path last;
    return last;
}

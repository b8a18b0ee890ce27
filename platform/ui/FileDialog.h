// The open and save file dialog: a filter string of the form
// "Wave Files (*.wav)|*.wav||", one file chosen. Drawn by the layer over the
// owner's window, or answered by the dialog script in tests. A file name to
// start from gives the folder it opens in and the name in its field (a path
// ending in '/' only the folder); without one it opens in the folder a file
// was last chosen in. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class CWnd;

constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;

class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, const wchar_t* pszDefExt, const wchar_t* pszFileName,
                DWORD dwFlags, const wchar_t* pszFilter, CWnd* pParent);
    // IDOK with a file chosen, else IDCANCEL.
    int DoModal();
    std::wstring GetPathName() const { return m_strPath; }
    // The chosen file's name with its extension.
    std::wstring GetFileName() const;
    bool IsOpen() const { return m_bOpen; }
    DWORD Flags() const { return m_dwFlags; }

    // (description, pattern) pairs of a filter string; empty parts end it.
    static std::vector<std::pair<std::wstring, std::wstring>>
    ParseFilter(const std::wstring& filter);
    // True when name matches a pattern list such as "*.wav;*.aif" (case ignored).
    static bool Matches(const std::wstring& name, const std::wstring& patterns);

private:
    static std::filesystem::path& LastFolder();

    BOOL m_bOpen;
    std::wstring m_strDefExt, m_strFilter, m_strPath;
    DWORD m_dwFlags;
    CWnd* m_pParent;
};

// The window of the layer's file dialog: the folder's entries, a name field,
// and OK and Cancel. Used by CFileDialog. UI thread.
#pragma once
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Wnd.h"
#include <filesystem>
#include <string>
#include <vector>

class CFileDialogWindow : public CWnd {
public:
    CFileDialogWindow(std::filesystem::path dir, std::wstring patterns, std::wstring okText);
    void Build();
    std::filesystem::path Chosen() const { return m_chosen; }
    std::filesystem::path Directory() const { return m_dir; }

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnLButtonDblClk(UINT nFlags, POINT pt) override;
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    struct Entry {
        std::wstring name;
        bool bDir;
    };
    void Load();
    RECT ListRect() const;
    int EntryAt(POINT pt) const;
    void Accept();

    std::filesystem::path m_dir, m_chosen;
    std::wstring m_strPatterns, m_strOk;
    std::vector<Entry> m_entries;
    int m_nSel = -1, m_nTop = 0;
    CEdit m_name;
    CButton m_ok, m_cancel;
};

// The window of the layer's file dialog: the folder's subfolders and the files
// its filter lets through in two lists, a field for a name or a typed path,
// the filter, and OK and Cancel. Keys: Tab moves between the field and the
// lists, the arrows move in a list (from the field, in the files), Return
// opens a folder or takes the file, Backspace goes up a folder (in the field
// only while it is empty), Escape cancels. Used by CFileDialog. UI thread.
#pragma once
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/Wnd.h"
#include <filesystem>
#include <string>
#include <vector>

class CFileDialogWindow : public CWnd {
public:
    // name: the text the field starts with, selected.
    CFileDialogWindow(std::filesystem::path dir, std::wstring filterName, std::wstring patterns,
                      std::wstring okText, std::wstring name = {});
    void Build();
    std::filesystem::path Chosen() const { return m_chosen; }
    std::filesystem::path Directory() const { return m_dir; }
    std::wstring Patterns() const { return m_strPatterns; }

    // What the lists hold, for tests.
    const std::vector<std::wstring>& Folders() const { return m_folders.names; }
    const std::vector<std::wstring>& Files() const { return m_files.names; }

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnLButtonDblClk(UINT nFlags, POINT pt) override;
    void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    // The name field hands the dialog's keys to the dialog.
    class CNameEdit : public CEdit {
    protected:
        void OnKeyDown(UINT nChar, UINT nRep, UINT nFlags) override;
    };
    struct Pane {
        std::vector<std::wstring> names;
        int nSel = -1, nTop = 0;
        RECT rc{};
        int Rows() const;
        int At(POINT pt) const; // the entry under pt, or -1
        void Select(int i);     // and scrolls it into view
    };
    enum class Focus { Name, Folders, Files };

    void Load();
    // Moves to a folder, keeping the old one when it cannot be read.
    void Enter(const std::filesystem::path& dir);
    void Up();
    void FocusOn(Focus f);
    // The field's text: a folder to open, a pattern to filter by, or the file.
    void Accept();
    void Choose(const std::wstring& name);
    // A key the dialog handles wherever the focus is; false for the others.
    bool HandleKey(UINT nChar);
    void PaintPane(CDC& dc, const Pane& pane, bool bFolders) const;

    std::filesystem::path m_dir, m_chosen;
    std::wstring m_strFilterName, m_strPatterns, m_strOk, m_strStartName;
    Pane m_folders, m_files;
    Focus m_focus = Focus::Name;
    CNameEdit m_name;
    CButton m_ok, m_cancel;
};

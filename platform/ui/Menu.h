// A popup menu of commands with check marks, shown at the pointer; the chosen
// command goes to the owner as WM_COMMAND. Drawn by the layer, or answered by
// the dialog script in tests. UI thread.
#pragma once
#include "platform/ui/UiTypes.h"
#include <string>
#include <vector>

class CWnd;

constexpr UINT TPM_RETURNCMD = 0x0100;

class CMenu {
public:
    struct Item {
        UINT nID;
        std::wstring text;
        UINT nFlags;
    };
    bool CreatePopupMenu() {
        m_items.clear();
        return true;
    }
    bool AppendMenu(UINT nFlags, UINT nID = 0, const std::wstring& text = L"");
    // MF_CHECKED or 0; answers the previous state, or -1 for an unknown id.
    int CheckMenuItem(UINT nID, UINT nCheck);
    const std::vector<Item>& Items() const { return m_items; }

    // Shows the menu with its top left at the screen point. The command (0 when
    // dismissed) is posted to pOwner, or returned with TPM_RETURNCMD.
    UINT TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pOwner);

private:
    std::vector<Item> m_items;
};

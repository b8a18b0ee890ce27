#include "editor/FxComboBox.h"
#include "platform/ui/WindowManager.h"

void CFxComboBox::OnKeyUp(UINT nChar, UINT nRep, UINT nFlags) {
    if (nChar == VK_RETURN && GetParent()) {
        static const UINT msg = ::RegisterWindowMessage(L"vudivuvizezud_combo_return_key");
        GetParent()->PostMessage(msg, GetDlgCtrlID(), 0);
        return;
    }
    CComboBox::OnKeyUp(nChar, nRep, nFlags);
}

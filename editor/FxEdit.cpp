#include "editor/FxEdit.h"
#include "platform/ui/WindowManager.h"

void CFxEdit::OnKeyUp(UINT nChar, UINT nRep, UINT nFlags) {
    if (nChar == VK_RETURN && GetParent()) {
        static const UINT msg = ::RegisterWindowMessage(L"vudivuvizezud_edit_return_key");
        GetParent()->PostMessage(msg, GetDlgCtrlID(), 0);
        return;
    }
    CEdit::OnKeyUp(nChar, nRep, nFlags);
}

// An edit box that tells its parent when Return is released in it, with the
// registered message "vudivuvizezud_edit_return_key" and its id. UI thread.
#pragma once
#include "platform/ui/Edit.h"

class CFxEdit : public CEdit {
protected:
    void OnKeyUp(UINT nChar, UINT nRep, UINT nFlags) override;
};

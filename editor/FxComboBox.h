// A combo box that tells its parent when Return is released in it, with the
// registered message "vudivuvizezud_combo_return_key" and its id. UI thread.
#pragma once
#include "platform/ui/ComboBox.h"

class CFxComboBox : public CComboBox {
protected:
    void OnKeyUp(UINT nChar, UINT nRep, UINT nFlags) override;
};

// A push button drawn from up to four bitmaps: up, down, focused, disabled.
// UI thread.
#pragma once
#include "platform/ui/Button.h"

class CBitmap;

class CBitmapButton : public CButton {
public:
    // Resource ids of the pictures; 0 for none. False when the up bitmap is missing.
    bool LoadBitmaps(UINT nUp, UINT nDown = 0, UINT nFocus = 0, UINT nDisabled = 0);
    // Sizes the button to its up bitmap.
    void SizeToContent();

protected:
    void OnPaint(CDC& dc) override;
    // The picture for the state: disabled, down, focused or up.
    virtual const CBitmap* BitmapForState(bool bDown) const;

    const CBitmap* m_pUp = nullptr;
    const CBitmap* m_pDown = nullptr;
    const CBitmap* m_pFocus = nullptr;
    const CBitmap* m_pDisabled = nullptr;
};

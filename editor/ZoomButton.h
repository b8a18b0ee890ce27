// A bitmap push button that counts a double-click as one more press, so quick
// clicks each zoom. UI thread.
#pragma once
#include "platform/ui/BitmapButton.h"

class CZoomButton : public CBitmapButton {
protected:
    void OnLButtonDblClk(UINT nFlags, POINT pt) override { OnLButtonDown(nFlags, pt); }
};

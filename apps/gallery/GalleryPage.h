// The skin gallery: the page background with one of each control of the
// editor at its place and in each state, live, so the skin can be looked at
// and clicked. UI thread.
#pragma once
#include "editor/BitmapKnobCtrl.h"
#include "editor/BitmapToggleCtrl.h"
#include "editor/FxComboBox.h"
#include "editor/FxEdit.h"
#include "editor/PlugInFilterControl.h"
#include "editor/ZoomButton.h"
#include "platform/ui/Font.h"
#include "platform/ui/Static.h"
#include "platform/ui/Wnd.h"
#include <memory>
#include <vector>

class CGalleryPage : public CWnd {
public:
    CGalleryPage();
    ~CGalleryPage() override;
    // Creates the window (top-level, or inside nativeParent) and its controls.
    bool Open(uintptr_t nativeParent = 0);

protected:
    void OnPaint(CDC& dc) override;
    void OnLButtonDown(UINT nFlags, POINT pt) override;
    void OnRButtonDown(UINT nFlags, POINT pt) override;
    void OnVScroll(UINT nCode, UINT nPos, CWnd* pCtrl) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    using Toggle = CPlugInFilterControl<CBitmapToggleCtrl>;
    using Knob = CPlugInFilterControl<CBitmapKnobCtrl>;
    using Button = CPlugInFilterControl<CBitmapButton>;
    using Zoom = CPlugInFilterControl<CZoomButton>;
    using Edit = CPlugInFilterControl<CFxEdit>;
    using Combo = CPlugInFilterControl<CFxComboBox>;

    Toggle& AddToggle(UINT id, RECT rc, UINT up, UINT down, int state);
    Knob& AddKnob(UINT id, POINT at, float pos);
    void AddEdit(UINT id, RECT rc, const wchar_t* text);
    void AddCombo(UINT id, POINT at, int sel);
    CStatic& AddStatic(UINT id, RECT rc, const wchar_t* text);
    void PaintSwatches(CDC& dc);
    bool RunDialog(UINT id);

    std::vector<std::unique_ptr<CWnd>> m_controls;
    CFont m_font12, m_font14;
    bool m_bKeyMapTab = false;
    UINT m_nEditReturn = 0, m_nComboReturn = 0;
    CStatic* m_pStatus = nullptr;
};

// The page's child controls: every control of the layout table and of the 16
// pad cells, created at its place with its bitmaps, fonts and colours; the
// toggles, knobs and bitmap buttons pass their messages to the page's
// callback first. Owned by the page. UI thread.
#pragma once
#include "editor/BitmapKnobCtrl.h"
#include "editor/BitmapToggleCtrl.h"
#include "editor/PageLayout.h"
#include <map>
#include <memory>

class CPageTools;
class CPlugInFilterCallback;
class CWnd;

class CPageControls {
public:
    // Creates every control as a child of pPage; false when one cannot be made.
    bool Create(CWnd* pPage, CPlugInFilterCallback* pCallback, CPageTools& tools);
    // Destroys them (the page's window is going).
    void Destroy();

    CWnd* Get(UINT nID) const;
    // The toggle or knob of nID, or null for any other control.
    CBitmapToggleCtrl* Toggle(UINT nID) const;
    CBitmapKnobCtrl* Knob(UINT nID) const;
    // Whether nID is a toggle, knob or bitmap button (the controls with the callback).
    bool HasCallback(const CWnd* pCtrl) const;
    // Writes a toggle's state and redraws it; nothing for an unknown id.
    void SetToggle(UINT nID, BOOL bOn) const;

private:
    bool Add(CWnd* pPage, const PageCtrlInfo& info, CPlugInFilterCallback* pCallback,
             CPageTools& tools);

    std::map<UINT, std::unique_ptr<CWnd>> m_controls;
};

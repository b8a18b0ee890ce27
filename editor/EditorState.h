// What the page and its regions share: the control interface of the attached
// instrument, the current pad, the selected Loop Bin file, the middle band's
// view, the grain and slice selections, the drawing tools and the window to
// redraw. The model itself stays behind the control interface. UI thread.
#pragma once
#include "editor/EventSelection.h"
#include "editor/PageTools.h"
#include "interfaces/IVudivuVizezud.h"
#include "platform/com/ComPtr.h"
#include "platform/ui/UiTypes.h"
#include <functional>

class CWnd;

enum class BandView { Slices, KeyMap };

// A drag begun in the Loop Bin list (a whole file) or in the slice view (the
// slices of m_slices, all of the file nFile) and dropped on the pad grid or
// the Pad Editor. Its source starts it; the page ends it at the release and
// on Escape.
struct BinDrag {
    enum class Kind { None, File, Slices };
    Kind kind = Kind::None;
    LONG nFile = -1; // the Loop Bin file dragged, or whose slices are
};

class CEditorState {
public:
    // Null while no object is attached: then nothing is read or written.
    IVudivuVizezud* Control() const { return m_pControl.Get(); }
    // Redraws rc (page pixels) at the next paint; nothing without a window.
    void Redraw(const RECT& rc) const;
    // Makes the pad current through the page (which redraws what shows it).
    void SelectPad(int nPad);
    // After a change of the project made here: asks the engine for a full
    // refresh and marks the project as changed since it was opened or saved.
    void ProjectChanged();
    // Lays Loop Bin file nFile on the pad as one undo step (undone when it
    // fails); on success the pad becomes current. False when nothing changed.
    bool AssignFileToPad(int nPad, LONG nFile);
    // Before a pad or grain setting is changed here: an undo step for each
    // change, or one for a whole knob gesture (nGesture: the knob's id) until
    // EndGesture; marks the project changed without a full refresh.
    void SettingChanging(UINT nGesture = 0);
    void EndGesture() { m_nGesture = 0; }
    // Empties the grain and the slice selection.
    void ClearSelections() {
        m_grains.Clear();
        m_slices.Clear();
    }

    ComPtr<IVudivuVizezud> m_pControl;
    int m_nCurrentPad = 0;
    LONG m_nSelectedFile = -1;
    BandView m_view = BandView::Slices;
    int m_nSnap = 6; // the Pad Editor's snap: index into None, 1, 2, 3, 4, 8, 12, 16 per beat
    CEventSelection m_grains; // (pad, grain) of the Pad Editor
    CEventSelection m_slices; // (Loop Bin file, slice) of the slice view
    BinDrag m_binDrag;        // a Loop Bin file or slice drag in progress
    CPageTools m_tools;
    bool m_bDirty = false; // changed here since the project was opened, saved or cleared
    UINT m_nGesture = 0;   // the knob whose gesture took the last undo step, or 0
    CWnd* m_pWnd = nullptr;
    std::function<void(int)> m_onSelectPad; // the page's pad selection
    // Whether the page's play toggle is on: a Loop Bin click then previews the file.
    std::function<bool()> m_playOn;
    // The page's Pad Settings edits show a key range just written.
    std::function<void(const PadKeyRange&)> m_onKeyRangeChanged;
};

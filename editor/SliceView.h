// The slice view of the middle band: the selected Loop Bin file's path and its
// slices side by side as peak pictures, the selected ones filled. A click
// selects a slice (Shift adds it), sounds it and starts a slice drag; while
// the drag is over a Pad Editor grain the view shows that grain's source, and
// the selection of before comes back when the drag ends. UI thread.
#pragma once
#include "editor/EventSelection.h"
#include "editor/PadEditorPlot.h"
#include "platform/ui/UiTypes.h"
#include <string>
#include <vector>

class CDC;
class CEditorState;
class CPadEditor;
struct GrainSummary;

class CSliceView {
public:
    static constexpr size_t kPathLimit = 100; // longer paths show their end after "..."
    static constexpr LONG kSliceTop = 12;     // slices start this far below the view's top
    static constexpr LONG kSliceLeft = 8;     // and this far right of its left edge

    explicit CSliceView(CEditorState& state) : m_state(state) {}

    // The path as the view's top line shows it: a path of kPathLimit
    // characters or more as "..." and its last kPathLimit - 3 characters.
    static std::wstring PathLine(const std::wstring& path);
    // The grain of the Pad Editor under pt as (pad, grain), or (-1, -1).
    static EventSelectionInfo GrainAt(const CPadEditor& editor, POINT pt);

    // Paints into the band's view area (dc is clipped to the band) and keeps
    // where each slice went for the hit tests.
    void Paint(CDC& dc);
    // A press in the view: true when it hit a slice (a slice drag started).
    bool Press(UINT nFlags, POINT pt);
    // A slice drag moved; grain is the Pad Editor grain under the pointer.
    void DragOver(EventSelectionInfo grain);
    // The slice drag ended (released or cancelled): the selection of before
    // the first hover comes back.
    void EndDrag();

    // The slice whose drawn rectangle holds pt, or -1.
    LONG HitSlice(POINT pt) const;
    const std::vector<EventPlotInfo>& Plot() const { return m_plot; }

private:
    void PaintSlice(CDC& dc, const GrainSummary& s, const RECT& rc, bool bSelected) const;

    CEditorState& m_state;
    std::vector<EventPlotInfo> m_plot;  // the slices drawn at the last paint
    EventSelectionInfo m_hover{-1, -1}; // the grain the drag is over
    bool m_bSaved = false;              // a hover replaced the selection
    LONG m_nSavedFile = -1;
    CEventSelection m_savedSlices;
};

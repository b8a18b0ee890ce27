// The Pad Editor: a timeline with one row per pad on which every grain of
// every pad is drawn from its start to its end, under a ruler of beat
// numbers, with its two scroll bars. Grains are selected, moved and copied in
// time and between pads by dragging; pad lengths by their handles; Loop Bin
// files and slices dropped on it become grains. It holds view state only
// (zoom, row height, scroll offsets, where grains were drawn); grains are
// read through the control interface when a row is painted. UI thread.
#pragma once
#include "editor/EventSelection.h"
#include "editor/GrooveScroller.h"
#include "editor/PadEditorPlot.h"
#include "editor/PageLayout.h"
#include "editor/PageRegion.h"
#include <vector>

class CPadEditor : public CPageRegion {
public:
    static constexpr LONG kGrainLeft = 137; // x of tick 0 before scrolling
    static constexpr LONG kGrainTop = 361;  // y of row 0 before scrolling
    static constexpr double kBeatsPerTick = 1.5894571940104166e-8;
    static constexpr double kMinPixelsPerBeat = 20.0, kMaxPixelsPerBeat = 200.0;
    static constexpr int kMinRowHeight = 10, kMaxRowHeight = 30;
    static constexpr int kSnapCount = 8;
    // Divisions per beat of each snap index; 0 snaps nothing.
    static constexpr int kSnapDivisions[kSnapCount] = {0, 1, 2, 3, 4, 8, 12, 16};

    explicit CPadEditor(CEditorState& state);

    void Paint(CDC& dc, const RECT& damage) override;
    bool HitTest(POINT pt) const override;
    bool OnLButtonDown(UINT nFlags, POINT pt) override;
    bool OnMouseMove(UINT nFlags, POINT pt) override;
    bool OnLButtonUp(UINT nFlags, POINT pt) override;
    bool OnLButtonDblClk(UINT nFlags, POINT pt) override;
    void Refresh() override;

    // A wheel turn over the panel (nDelta 120 a notch, up positive): rows,
    // with Shift time, with Ctrl a zoom of time around the pointer. Not
    // during a drag. True when taken.
    bool OnMouseWheel(UINT nFlags, int nDelta, POINT pt);
    // The zoom buttons: time by 1.5 within 20..200 pixels per beat, rows by
    // 5 pixels within 10..30.
    void ZoomTime(bool bIn);
    void ZoomRows(bool bIn);
    // Ends a drag of the panel with nothing changed; false when there was none.
    bool CancelDrag();
    bool IsDragging() const { return m_drag.kind != DragKind::None; }
    // A Loop Bin file or slice drag (the state's m_binDrag) over the panel,
    // and its release there: true when the panel took the drop.
    void BinDragMove(POINT pt);
    bool BinDrop(POINT pt);
    // Leaves the drag's highlighting when a Loop Bin drag ends or is cancelled.
    void BinDragEnded();

    // x of tick t and the top of row r, in page pixels, as scrolled now.
    LONG XOfTick(LONGLONG t) const;
    LONG RowTop(int nRow) const { return kGrainTop + nRow * m_nRowHeight - m_vertical.Position(); }
    // The tick under x for an object grabbed nGrab pixels right of its left edge.
    LONGLONG TickAt(LONG x, LONG nGrab = 0) const;
    // t on the grid of the snap index; as it is with "None".
    LONGLONG Snap(LONGLONG t) const;
    // The row under pt (15 below the last), or -1 outside the rows.
    int RowAt(POINT pt) const;
    // Scrolls so that the pad's grain is in view; false when it has none such.
    bool ScrollIntoView(int nPad, LONG nGrain);
    // The label cell of a row (redrawn when the current pad changes).
    RECT RowRect(int nRow) const;

    double PixelsPerBeat() const { return m_dPixelsPerBeat; }
    int RowHeight() const { return m_nRowHeight; }
    int HoverRow() const { return m_nHoverRow; }
    const CPadEditorPlot& Plot() const { return m_plot; }
    CGrooveScroller& Horizontal() { return m_horizontal; }
    CGrooveScroller& Vertical() { return m_vertical; }

private:
    enum class DragKind { None, Grain, PadLength };
    // The panel's own drag, from the press to the release.
    struct Drag {
        DragKind kind = DragKind::None;
        POINT press{}, drawn{};
        LONG nGrabX = 0, nGrabY = 0;
        int nPad = -1;
        LONG nGrain = -1;
        LONGLONG nGrainStart = 0;
        UINT nFlags = 0; // MK_SHIFT and MK_CONTROL at the last pointer move
    };
    struct Shape {
        RECT rc;
        bool bTail;
    };

    static LONG GrainAreaWidth() { return kPadEditorRect.right - kGrainLeft; }
    RECT GrainArea() const;
    void UpdateContentWidth();
    void SetPixelsPerBeat(double dPixelsPerBeat, LONG xKeep);
    void PaintRuler(CDC& dc, const RECT& damage);
    void PaintRow(CDC& dc, int nRow);
    void PaintGrains(CDC& dc, int nPad);
    void PaintHandle(CDC& dc, int nPad, LONG x);
    void PaintDragShapes(CDC& dc);
    void PaintShape(CDC& dc, const RECT& rc, bool bTail, int fill, int dark, int light);
    // The pad whose length handle is under pt, or -1.
    int HitHandle(POINT pt) const;
    void StartGrainDrag(UINT nFlags, POINT pt, int nPad, int nRecord);
    void MoveGrainDrag(UINT nFlags, POINT pt);
    void DropGrains(UINT nFlags, POINT pt);
    void DropPadLength(POINT pt);
    void DropSlices(int nRow, POINT pt);
    void EndDrag();
    void SetHoverRow(int nRow);
    RECT DragShapesBounds() const;
    // Keeps the pointer in the grain area from press to release.
    void Confine(bool bOn) const;

    double m_dPixelsPerBeat = 54.0;
    int m_nRowHeight = 10;
    int m_nHoverRow = -1;
    EventSelectionInfo m_hoverGrain{-1, -1}; // the grain under a slice drag
    CGrooveScroller m_horizontal{{100, 537, 553, 545}, true};
    CGrooveScroller m_vertical{{585, 350, 593, 504}, false};
    CPadEditorPlot m_plot;
    std::array<LONGLONG, kPadCount> m_padLengths{};
    Drag m_drag;
    std::vector<Shape> m_dragShapes; // the selected grains as drawn at the press
};

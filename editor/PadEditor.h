// The Pad Editor: a timeline with one row per pad on which every grain of
// every pad is drawn from its start to its end, under a ruler of beat
// numbers, with its two scroll bars. It holds view state only (zoom, row
// height, scroll offsets); grains are read through the control interface at
// each paint. UI thread.
#pragma once
#include "editor/GrooveScroller.h"
#include "editor/PageLayout.h"
#include "editor/PageRegion.h"

class CPadEditor : public CPageRegion {
public:
    static constexpr LONG kGrainLeft = 137; // x of tick 0 before scrolling
    static constexpr LONG kGrainTop = 361;  // y of row 0 before scrolling
    static constexpr double kBeatsPerTick = 1.5894571940104166e-8;

    explicit CPadEditor(CEditorState& state);

    void Paint(CDC& dc, const RECT& damage) override;
    bool HitTest(POINT pt) const override;
    bool OnLButtonDown(UINT nFlags, POINT pt) override;
    bool OnMouseMove(UINT nFlags, POINT pt) override;
    bool OnLButtonUp(UINT nFlags, POINT pt) override;
    void Refresh() override;

    // x of tick t and the top of row r, in page pixels, as scrolled now.
    LONG XOfTick(LONGLONG t) const;
    LONG RowTop(int nRow) const { return kGrainTop + nRow * m_nRowHeight - m_vertical.Position(); }
    // Scrolls so that the pad's grain is in view; false when it has none such.
    bool ScrollIntoView(int nPad, LONG nGrain);
    // The label cell of a row (redrawn when the current pad changes).
    RECT RowRect(int nRow) const;

    double PixelsPerBeat() const { return m_dPixelsPerBeat; }
    int RowHeight() const { return m_nRowHeight; }
    CGrooveScroller& Horizontal() { return m_horizontal; }
    CGrooveScroller& Vertical() { return m_vertical; }

private:
    static LONG GrainAreaWidth() { return kPadEditorRect.right - kGrainLeft; }
    void UpdateContentWidth();
    void PaintRuler(CDC& dc);
    void PaintRows(CDC& dc);
    void PaintGrains(CDC& dc, int nPad);

    double m_dPixelsPerBeat = 54.0;
    int m_nRowHeight = 10;
    CGrooveScroller m_horizontal{{100, 537, 553, 545}, true};
    CGrooveScroller m_vertical{{585, 350, 593, 504}, false};
};

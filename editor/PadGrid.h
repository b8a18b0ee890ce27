// The 4 x 4 pad grid: each pad's image, lit while the pad sounds, and the
// frame of the current pad. A press selects the pad of that quarter; on a pad
// image it sounds the pad until the release. The right button opens the pad
// menu, whose command goes to the page. UI thread.
#pragma once
#include "editor/PageRegion.h"
#include "interfaces/PandrelConstants.h"
#include <array>

// The pad menu's commands.
constexpr UINT ID_PAD_OPEN_FILE = 32770;
constexpr UINT ID_PAD_LOOPING = 32771;
constexpr UINT ID_PAD_SYNCED = 32772;
constexpr UINT ID_PAD_CLEAR = 32773;

class CPadGrid : public CPageRegion {
public:
    explicit CPadGrid(CEditorState& state);

    void Paint(CDC& dc, const RECT& damage) override;
    bool HitTest(POINT pt) const override { return kHit.Contains(pt); }
    bool OnLButtonDown(UINT nFlags, POINT pt) override;
    bool OnLButtonDblClk(UINT nFlags, POINT pt) override { return OnLButtonDown(nFlags, pt); }
    bool OnLButtonUp(UINT nFlags, POINT pt) override;
    bool OnRButtonDown(UINT nFlags, POINT pt) override;

    // The pad whose quarter holds pt (pt inside the grid).
    static int PadAt(POINT pt);
    // The image cell of pad p and the quarter its frame outlines.
    static RECT ImageRect(int nPad);
    static RECT FrameRect(int nPad);
    // The timer's work: reads each pad's lit state and redraws the image
    // cells that show another one (nothing when nothing changed).
    void RedrawCells();
    // Redraws the frame of one pad.
    void RedrawFrame(int nPad) const;

private:
    static constexpr RECT kHit{139, 6, 496, 238};
    int m_nSounding = -1; // the pad a press on its image sounds until the release
    // The lit state each image cell was last painted with; -1: not painted yet.
    std::array<signed char, kPadCount> m_anShown;
};

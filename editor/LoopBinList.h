// The Loop Bin list in the upper left of the page: the loaded files, one per
// 15-pixel line, the selected one highlighted, with its vertical and
// horizontal scroll bars. A click selects a file, starts its drag to the pads
// and, while play is on, previews it. UI thread.
#pragma once
#include "editor/GrooveScroller.h"
#include "editor/PageRegion.h"
#include <string>

class CLoopBinList : public CPageRegion {
public:
    static constexpr int kLineHeight = 15;

    explicit CLoopBinList(CEditorState& state);

    // A file's name as its line shows it: without the extension (the last
    // four characters), so a name of fewer than four is an empty line.
    static std::wstring LineText(const std::wstring& name);

    void Paint(CDC& dc, const RECT& damage) override;
    bool HitTest(POINT pt) const override;
    bool OnLButtonDown(UINT nFlags, POINT pt) override;
    bool OnMouseMove(UINT nFlags, POINT pt) override;
    bool OnLButtonUp(UINT nFlags, POINT pt) override;
    void Refresh() override;

    CGrooveScroller& Vertical() { return m_vertical; }
    CGrooveScroller& Horizontal() { return m_horizontal; }

private:
    CGrooveScroller m_vertical{{124, 69, 132, 218}, false};
    CGrooveScroller m_horizontal{{14, 220, 119, 228}, true};
};

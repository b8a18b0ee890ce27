// Where the Pad Editor last drew each pad's grains: one record per grain in
// the pad's order, kept until the pad's row is painted again. Hit tests read
// these, so they answer for what is on screen. The arrays keep their storage
// from paint to paint. UI thread.
#pragma once
#include "interfaces/PandrelConstants.h"
#include "platform/ui/UiTypes.h"
#include <array>
#include <vector>

struct EventPlotInfo {
    LONG nIndex;     // the grain's index within its pad
    LONGLONG nStart; // its start tick
    RECT rc;         // as drawn: a tail-flagged grain is its 15-pixel tag
    BOOL bTail;      // drawn as a tag
};

class CPadEditorPlot {
public:
    // Empties the pad's records and notes its length for the hit estimate.
    void Begin(int nPad, LONGLONG nPadLength);
    void Add(int nPad, const EventPlotInfo& info) { Row(nPad).push_back(info); }
    void Clear();

    const std::vector<EventPlotInfo>& Records(int nPad) const {
        return m_rows[static_cast<size_t>(nPad)];
    }
    // The record of the pad's grain nGrain, or nullptr when it was not drawn.
    const EventPlotInfo* Find(int nPad, LONG nGrain) const;
    // The last record of the pad whose span holds x (the vertical position is
    // not looked at), starting the search where the tick at x estimates it;
    // -1 for none.
    int HitGrain(int nPad, LONG x, LONGLONG nTick) const;

private:
    std::vector<EventPlotInfo>& Row(int nPad) { return m_rows[static_cast<size_t>(nPad)]; }

    std::array<std::vector<EventPlotInfo>, kPadCount> m_rows;
    std::array<LONGLONG, kPadCount> m_lengths{};
};

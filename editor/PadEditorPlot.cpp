#include "editor/PadEditorPlot.h"
#include <algorithm>
#include <cmath>

void CPadEditorPlot::Begin(int nPad, LONGLONG nPadLength) {
    Row(nPad).clear();
    m_lengths[static_cast<size_t>(nPad)] = nPadLength;
}

void CPadEditorPlot::Clear() {
    for (auto& r : m_rows) r.clear();
}

const EventPlotInfo* CPadEditorPlot::Find(int nPad, LONG nGrain) const {
    const auto& r = Records(nPad);
    // Records follow the pad's order, so the index is nearly always its place.
    if (nGrain >= 0 && static_cast<size_t>(nGrain) < r.size() &&
        r[static_cast<size_t>(nGrain)].nIndex == nGrain)
        return &r[static_cast<size_t>(nGrain)];
    for (const EventPlotInfo& e : r)
        if (e.nIndex == nGrain) return &e;
    return nullptr;
}

int CPadEditorPlot::HitGrain(int nPad, LONG x, LONGLONG nTick) const {
    const auto& r = Records(nPad);
    const int n = static_cast<int>(r.size());
    if (n == 0) return -1;
    const LONGLONG length = m_lengths[static_cast<size_t>(nPad)];
    int i = 0;
    if (length > 0)
        i = static_cast<int>(std::clamp<double>(
            std::floor(static_cast<double>(nTick) / static_cast<double>(length) * n), 0, n - 1));
    // Right to the last record starting at or before x, then left to the
    // first (that is, latest) one whose span holds x.
    while (i > 0 && r[static_cast<size_t>(i)].rc.left > x) --i;
    while (i + 1 < n && r[static_cast<size_t>(i) + 1].rc.left <= x) ++i;
    for (; i >= 0; --i) {
        const RECT& rc = r[static_cast<size_t>(i)].rc;
        if (rc.left <= x && x < std::max(rc.right, rc.left + 1)) return i;
    }
    return -1;
}

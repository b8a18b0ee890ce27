// A selection of (row, index) pairs: grains as (pad, grain) in the Pad
// Editor, slices as (Loop Bin file, slice) in the slice view. UI thread.
#pragma once
#include "platform/com/Types.h"
#include <cstddef>
#include <vector>

struct EventSelectionInfo {
    LONG nRow;
    LONG nIndex;
    bool operator==(const EventSelectionInfo&) const = default;
};

class CEventSelection {
public:
    void Clear() { m_items.clear(); }
    // Adds the pair unless it is already selected.
    void Add(LONG nRow, LONG nIndex);
    bool Contains(LONG nRow, LONG nIndex) const;
    bool IsEmpty() const { return m_items.empty(); }
    int Count() const { return static_cast<int>(m_items.size()); }
    const EventSelectionInfo& operator[](int i) const {
        return m_items[static_cast<std::size_t>(i)];
    }
    const std::vector<EventSelectionInfo>& Items() const { return m_items; }

private:
    std::vector<EventSelectionInfo> m_items;
};

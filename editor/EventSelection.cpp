#include "editor/EventSelection.h"
#include <algorithm>

void CEventSelection::Add(LONG nRow, LONG nIndex) {
    if (!Contains(nRow, nIndex)) m_items.push_back({nRow, nIndex});
}

bool CEventSelection::Contains(LONG nRow, LONG nIndex) const {
    return std::find(m_items.begin(), m_items.end(), EventSelectionInfo{nRow, nIndex}) !=
           m_items.end();
}

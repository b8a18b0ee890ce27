#include "files/RetiredProject.h"
#include "engine/VudivuVizezud.h"

namespace {
constexpr size_t kTrackRoom = kPadCount + kLoopBinCapacity + size_t{kUndoSlots} * kPadCount;
constexpr size_t kHolderRoom = kPadCount + 1;
} // namespace

CRetiredProject::CRetiredProject() {
    m_tracks.reserve(kTrackRoom);
    m_holders.reserve(kHolderRoom);
    for (size_t i = 0; i < kHolderRoom; ++i)
        m_holders.push_back(std::make_unique<CGrooveTrack>(nullptr));
}

CRetiredProject::~CRetiredProject() {
    for (CGrooveTrack* p : m_tracks) delete p;
}

void CRetiredProject::Keep(CGrooveTrack* pTrack) {
    if (pTrack == nullptr) return;
    // Past the reserved room (not reached by one project) it is freed at once.
    if (m_tracks.size() == m_tracks.capacity()) {
        delete pTrack;
        return;
    }
    m_tracks.push_back(pTrack);
}

void CRetiredProject::TakeGrains(CGrooveTrack& track) {
    if (m_nHoldersUsed < m_holders.size()) track.SwapGrains(*m_holders[m_nHoldersUsed++]);
    track.Clear();
}

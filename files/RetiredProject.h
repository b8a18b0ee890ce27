// What a load or a clear takes out of the engine under its lock: the old pads,
// Loop Bin entries, undo snapshots and grains. They are held here and freed
// when the object goes, after the caller has left the lock, so that the time
// under the lock does not grow with the project. Made and destroyed on the
// loading thread outside the lock; filled under it without allocating.
#pragma once
#include "engine/GrooveTrack.h"
#include <memory>
#include <vector>

class CRetiredProject {
public:
    CRetiredProject();
    // Frees everything taken.
    ~CRetiredProject();
    CRetiredProject(const CRetiredProject&) = delete;
    CRetiredProject& operator=(const CRetiredProject&) = delete;

    // Takes ownership of the track (null ignored). Room for every pad, entry
    // and undo snapshot of one project is reserved, so this never allocates.
    void Keep(CGrooveTrack* pTrack);
    // Takes the track's grains and clears it (lengths 0, tempo 100), as
    // CGrooveTrack::Clear does but without freeing anything now.
    void TakeGrains(CGrooveTrack& track);

private:
    std::vector<CGrooveTrack*> m_tracks;
    // Empty tracks that receive grains: one per pad and the audition pad.
    std::vector<std::unique_ptr<CGrooveTrack>> m_holders;
    size_t m_nHoldersUsed = 0;
};

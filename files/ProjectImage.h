// A project outside the engine: the grain-audition switch, the key-map
// entries (pads by index), the Loop Bin entries and the 16 pads, all owned
// here until taken. A load reads a `pndl` form into an image without the
// engine lock (a form that fails halfway leaves the engine untouched) and
// installs it under the lock; a save copies the engine into one under the
// lock and writes it without. Built and used on one thread.
#pragma once
#include "engine/GrooveTrack.h"
#include "engine/KeyMap.h"
#include "interfaces/PandrelConstants.h"
#include "platform/mmio/Mmio.h"
#include <vector>

class CProjectImage {
public:
    explicit CProjectImage(CDXiSynthContext* pContext) : m_pContext(pContext), m_keys(pContext) {}
    ~CProjectImage();
    CProjectImage(const CProjectImage&) = delete;
    CProjectImage& operator=(const CProjectImage&) = delete;

    CDXiSynthContext* Context() const { return m_pContext; }
    BOOL GrainAudition() const { return m_bGrainAudition; }
    // Entries whose pTrack is null: the pad is named by nPad.
    const CKeyMap& Keys() const { return m_keys; }
    int EntryCount() const { return static_cast<int>(m_entries.size()); }
    CGrooveTrack* Entry(int i) const { return m_entries[static_cast<size_t>(i)].pTrack; }
    // Frames of the entry's wave as stored, before rate conversion.
    LONGLONG StoredFrames(int i) const { return m_entries[static_cast<size_t>(i)].nStoredFrames; }
    CGrooveTrack* Pad(int i) const { return m_apPads[i]; }

    // Ownership passes to the caller (null afterwards here).
    CGrooveTrack* TakeEntry(int i);
    CGrooveTrack* TakePad(int i);

    // Filling the image (the reader); tracks given here are owned here.
    void SetGrainAudition(BOOL b) { m_bGrainAudition = b; }
    CKeyMap& MutableKeys() { return m_keys; }
    void AddEntry(CGrooveTrack* pEntry, LONGLONG nStoredFrames) {
        m_entries.push_back({pEntry, nStoredFrames});
    }
    void SetPad(int i, CGrooveTrack* pPad) {
        delete m_apPads[i];
        m_apPads[i] = pPad;
    }

private:
    struct StagedEntry {
        CGrooveTrack* pTrack;
        LONGLONG nStoredFrames;
    };

    CDXiSynthContext* m_pContext;
    BOOL m_bGrainAudition = 0;
    CKeyMap m_keys;
    std::vector<StagedEntry> m_entries;
    CGrooveTrack* m_apPads[kPadCount] = {};
};

// Reads a form at the handle's position into pImage (empty on entry), with
// every wave converted to nOutputRate and every sample position rescaled by
// that conversion. S_OK; E_FAIL for a malformed or missing chunk, a short
// read or a value out of range; E_OUTOFMEMORY.
HRESULT ReadProject(HMMIO hmmio, DWORD nOutputRate, CProjectImage* pImage);

#include "files/ProjectImage.h"

CProjectImage::~CProjectImage() {
    for (StagedEntry& e : m_entries) delete e.pTrack;
    for (CGrooveTrack* p : m_apPads) delete p;
}

CGrooveTrack* CProjectImage::TakeEntry(int i) {
    CGrooveTrack* p = m_entries[static_cast<size_t>(i)].pTrack;
    m_entries[static_cast<size_t>(i)].pTrack = nullptr;
    return p;
}

CGrooveTrack* CProjectImage::TakePad(int i) {
    CGrooveTrack* p = m_apPads[i];
    m_apPads[i] = nullptr;
    return p;
}

// The reader's descriptive tables: INFO labels, key names, note values,
// segment types and stretch modes, as texts for display.
#include "files/AcidWave.h"

void CAcidWave::FillTables() {
    m_knownInfo = {{
        {mmioFOURCC('I', 'A', 'R', 'L'), "Archival Location:"},
        {mmioFOURCC('I', 'A', 'R', 'T'), "Artist:"},
        {mmioFOURCC('I', 'C', 'M', 'S'), "Commisioned:"},
        {mmioFOURCC('I', 'C', 'M', 'T'), "Comments:"},
        {mmioFOURCC('I', 'C', 'O', 'P'), "Copyright:"},
        {mmioFOURCC('I', 'C', 'R', 'D'), "Created:"},
        {mmioFOURCC('I', 'C', 'R', 'P'), "Cropped:"},
        {mmioFOURCC('I', 'D', 'I', 'M'), "Dimensions:"},
        {mmioFOURCC('I', 'D', 'P', 'I'), "Dots per Inch:"},
        {mmioFOURCC('I', 'E', 'N', 'G'), "Engineer:"},
        {mmioFOURCC('I', 'G', 'N', 'R'), "Genre:"},
        {mmioFOURCC('I', 'K', 'E', 'Y'), "Keywords:"},
        {mmioFOURCC('I', 'L', 'G', 'T'), "Lightness:"},
        {mmioFOURCC('I', 'M', 'E', 'D'), "Medium:"},
        {mmioFOURCC('I', 'N', 'A', 'M'), "Name/Title:"},
        {mmioFOURCC('I', 'P', 'L', 'T'), "Palette Setting:"},
        {mmioFOURCC('I', 'P', 'R', 'D'), "Product:"},
        {mmioFOURCC('I', 'S', 'B', 'J'), "Subject:"},
        {mmioFOURCC('I', 'S', 'F', 'T'), "Software:"},
        {mmioFOURCC('I', 'S', 'H', 'P'), "Sharpness:"},
        {mmioFOURCC('I', 'S', 'R', 'C'), "Source:"},
        {mmioFOURCC('I', 'S', 'R', 'F'), "Source Form:"},
        {mmioFOURCC('I', 'T', 'C', 'H'), "Technician:"},
    }};
    m_pszKeyNames = {"C", "C#", "D", "D#",           "E", "F", "F#", "G", "G#",
                     "A", "A#", "B", "Not Tranposed"};
    m_pszNoteValues = {"Whole Notes",       "Half Notes",      "Quarter Notes",
                       "Eighth Notes",      "Sixteenth Notes", "Thirty-Second Notes",
                       "Sixty-Fourth Notes"};
    m_pszSegmentTypes = {"Unknown (Value of 0 is undefined)", "Looping Segments",
                         "Non-Looping Segments", "Pitch Shift Segments"};
    m_pszStretchModes = {"Manual", "Disabled", "Auto"};
}

const char* CAcidWave::GetInfoLabel(FOURCC id) const {
    for (const KnownInfo& known : m_knownInfo)
        if (known.id == id) return known.pszLabel;
    return nullptr;
}

FOURCC CAcidWave::GetKnownInfoId(int nIndex) const {
    return nIndex >= 0 && nIndex < kMaxInfoItems ? m_knownInfo[static_cast<size_t>(nIndex)].id : 0;
}

namespace {
template <size_t N> const char* Slot(const std::array<const char*, N>& table, int nIndex) {
    return nIndex >= 0 && static_cast<size_t>(nIndex) < N ? table[static_cast<size_t>(nIndex)]
                                                          : nullptr;
}
} // namespace

const char* CAcidWave::GetKeyName(int nIndex) const { return Slot(m_pszKeyNames, nIndex); }
const char* CAcidWave::GetNoteValueName(int nUnit) const { return Slot(m_pszNoteValues, nUnit); }
const char* CAcidWave::GetSegmentTypeName(int nType) const {
    return Slot(m_pszSegmentTypes, nType);
}
const char* CAcidWave::GetStretchModeName(int nMode) const {
    return Slot(m_pszStretchModes, nMode);
}

// A Standard MIDI File (format 0 or 1) as a host plays it: its note events in
// song order at 960 MIDI ticks per quarter note, and its tempo map. Parsing
// is done by CSmfParser; this class rescales, merges and filters what it finds.
#pragma once
#include "apps/hostkit/TempoMap.h"
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct MidiNoteEvent {
    int64_t nTick = 0;    // 960 per quarter note
    bool bOn = false;     // a note-on with velocity 0 is a note-off
    uint8_t nChannel = 0; // 0..15
    uint8_t nKey = 0;
    uint8_t nVelocity = 0;
};

class CMidiSong {
public:
    // Larger files are refused before parsing.
    static constexpr size_t kMaxFileBytes = 64u << 20;

    // Reads a file. False with the cause in *pstrError (one line); the song
    // is then empty.
    bool Load(const std::string& strPath, std::string* pstrError);
    bool LoadFromMemory(const void* pData, size_t nBytes, std::string* pstrError);

    int Format() const { return m_nFormat; }
    int TrackCount() const { return m_nTracks; }
    int FileDivision() const { return m_nDivision; } // the file's ticks per quarter note
    const std::vector<MidiNoteEvent>& Events() const { return m_events; }
    const CTempoMap& Tempo() const { return m_tempo; }
    // The last event of any kind (end-of-track included), in MIDI ticks.
    int64_t LengthTicks() const { return m_nLengthTicks; }

private:
    void Clear();

    int m_nFormat = 0;
    int m_nTracks = 0;
    int m_nDivision = 0;
    int64_t m_nLengthTicks = 0;
    std::vector<MidiNoteEvent> m_events;
    CTempoMap m_tempo;
};

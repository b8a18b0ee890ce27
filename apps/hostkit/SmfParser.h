// Parses the bytes of a Standard MIDI File into its header and, per track, its
// events with absolute times in the file's own ticks. Every length is checked
// against the bytes present, so damaged or hostile files fail cleanly.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SmfEvent {
    uint64_t nTime = 0;  // file ticks from the song's start
    uint8_t nStatus = 0; // the status byte, running status resolved; 0xFF for meta events
    uint8_t nMetaType = 0;
    uint8_t nData1 = 0;
    uint8_t nData2 = 0;
    std::vector<uint8_t> meta; // meta events only: the body
};

class CSmfParser {
public:
    // Longest song taken, in file ticks; keeps every later conversion in range.
    static constexpr uint64_t kMaxTime = uint64_t{1} << 40;

    // False with the cause in *pstrError (one line).
    bool Parse(const uint8_t* p, size_t nBytes, std::string* pstrError);

    int Format() const { return m_nFormat; }
    // Ticks per quarter note; a negative value is an SMPTE division word.
    int Division() const { return m_nDivision; }
    const std::vector<std::vector<SmfEvent>>& Tracks() const { return m_tracks; }

private:
    bool ParseTrack(const uint8_t* p, size_t nBytes, std::string* pstrError);

    int m_nFormat = 0;
    int m_nDivision = 0;
    std::vector<std::vector<SmfEvent>> m_tracks;
};

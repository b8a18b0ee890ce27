#include "apps/hostkit/SmfParser.h"

namespace {
uint32_t Be32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

// A variable-length quantity of at most four bytes, from p[*pAt] on.
bool ReadVlq(const uint8_t* p, size_t nBytes, size_t* pAt, uint32_t* pValue) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        if (*pAt >= nBytes) return false;
        const uint8_t b = p[(*pAt)++];
        v = (v << 7) | (b & 0x7Fu);
        if ((b & 0x80) == 0) {
            *pValue = v;
            return true;
        }
    }
    return false;
}
} // namespace

bool CSmfParser::Parse(const uint8_t* p, size_t nBytes, std::string* pstrError) {
    m_tracks.clear();
    if (nBytes < 14 || Be32(p) != 0x4D546864) { // "MThd"
        *pstrError = "not a Standard MIDI File (no MThd header)";
        return false;
    }
    const uint32_t nHeader = Be32(p + 4);
    if (nHeader < 6 || nHeader > nBytes - 8) {
        *pstrError = "damaged MThd header";
        return false;
    }
    m_nFormat = Be16(p + 8);
    const int nDeclared = Be16(p + 10);
    m_nDivision = static_cast<int16_t>(Be16(p + 12));
    if (m_nDivision == 0) {
        *pstrError = "damaged MThd header (division 0)";
        return false;
    }
    size_t at = 8 + nHeader;
    while (at < nBytes) {
        // Some writers pad the end with a few stray bytes; they are not a chunk.
        if (nBytes - at < 8) break;
        const uint32_t nId = Be32(p + at);
        const uint32_t nLength = Be32(p + at + 4);
        if (nLength > nBytes - at - 8) {
            *pstrError = "truncated: track " + std::to_string(m_tracks.size() + 1) +
                         " runs past the end of the file";
            return false;
        }
        if (nId == 0x4D54726B) { // "MTrk"; chunks of other types are skipped
            if (!ParseTrack(p + at + 8, nLength, pstrError)) {
                *pstrError = "track " + std::to_string(m_tracks.size()) + ": " + *pstrError;
                return false;
            }
        }
        at += 8 + nLength;
    }
    if (m_tracks.empty()) {
        *pstrError = "no tracks";
        return false;
    }
    (void)nDeclared; // a wrong track count in the header is common and harmless
    return true;
}

bool CSmfParser::ParseTrack(const uint8_t* p, size_t nBytes, std::string* pstrError) {
    std::vector<SmfEvent>& track = m_tracks.emplace_back();
    uint64_t nTime = 0;
    uint8_t nRunning = 0;
    size_t at = 0;
    // A track without an end-of-track event ends with its chunk.
    while (at < nBytes) {
        uint32_t nDelta = 0;
        if (!ReadVlq(p, nBytes, &at, &nDelta)) {
            *pstrError = "damaged event time";
            return false;
        }
        nTime += nDelta;
        if (nTime > kMaxTime) {
            *pstrError = "song too long";
            return false;
        }
        if (at >= nBytes) {
            *pstrError = "event cut off at the end of the track";
            return false;
        }
        SmfEvent ev;
        ev.nTime = nTime;
        uint8_t nStatus = p[at];
        if (nStatus & 0x80) {
            ++at;
        } else if (nRunning != 0) {
            nStatus = nRunning; // running status: the data byte is read below
        } else {
            *pstrError = "data byte without a status byte";
            return false;
        }
        ev.nStatus = nStatus;
        if (nStatus == 0xFF || nStatus == 0xF0 || nStatus == 0xF7) {
            nRunning = 0; // meta and system exclusive events cancel running status
            if (nStatus == 0xFF) {
                if (at >= nBytes) {
                    *pstrError = "meta event cut off";
                    return false;
                }
                ev.nMetaType = p[at++];
            }
            uint32_t nLength = 0;
            if (!ReadVlq(p, nBytes, &at, &nLength) || nLength > nBytes - at) {
                *pstrError = "event length runs past the end of the track";
                return false;
            }
            if (nStatus == 0xFF) {
                ev.meta.assign(p + at, p + at + nLength);
                at += nLength;
                const bool bEnd = ev.nMetaType == 0x2F;
                track.push_back(std::move(ev));
                if (bEnd) break;
            } else {
                at += nLength; // system exclusive data is not kept
            }
            continue;
        }
        if (nStatus >= 0xF0) {
            *pstrError = "invalid status byte in a file";
            return false;
        }
        nRunning = nStatus;
        const int nData = (nStatus & 0xF0) == 0xC0 || (nStatus & 0xF0) == 0xD0 ? 1 : 2;
        if (nBytes - at < static_cast<size_t>(nData)) {
            *pstrError = "event cut off at the end of the track";
            return false;
        }
        ev.nData1 = p[at++] & 0x7F;
        if (nData == 2) ev.nData2 = p[at++] & 0x7F;
        track.push_back(std::move(ev));
    }
    return true;
}

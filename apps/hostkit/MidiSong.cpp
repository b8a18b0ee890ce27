#include "apps/hostkit/MidiSong.h"
#include "apps/hostkit/SmfParser.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {
// Ticks of the file's division to 960 per quarter note, rounded to nearest.
int64_t Rescale(uint64_t nTime, int nDivision) {
    return static_cast<int64_t>(
        (nTime * CTempoMap::kTicksPerQuarter + static_cast<uint64_t>(nDivision) / 2) /
        static_cast<uint64_t>(nDivision));
}
} // namespace

void CMidiSong::Clear() {
    m_nFormat = m_nTracks = m_nDivision = 0;
    m_nLengthTicks = 0;
    m_events.clear();
    m_tempo = CTempoMap();
}

bool CMidiSong::Load(const std::string& strPath, std::string* pstrError) {
    Clear();
    FILE* f = std::fopen(strPath.c_str(), "rb");
    if (f == nullptr) {
        *pstrError = std::strerror(errno);
        return false;
    }
    std::vector<unsigned char> bytes;
    unsigned char buf[65536];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) {
        bytes.insert(bytes.end(), buf, buf + n);
        if (bytes.size() > kMaxFileBytes) break;
    }
    const bool bReadError = std::ferror(f) != 0;
    const int nErr = errno;
    std::fclose(f);
    if (bReadError) {
        *pstrError = std::string("cannot read: ") + std::strerror(nErr);
        return false;
    }
    return LoadFromMemory(bytes.data(), bytes.size(), pstrError);
}

bool CMidiSong::LoadFromMemory(const void* pData, size_t nBytes, std::string* pstrError) {
    Clear();
    if (nBytes > kMaxFileBytes) {
        *pstrError = "larger than 64 MiB, not taken as a MIDI file";
        return false;
    }
    CSmfParser parser;
    if (!parser.Parse(static_cast<const uint8_t*>(pData), nBytes, pstrError)) return false;
    if (parser.Format() != 0 && parser.Format() != 1) {
        *pstrError = "MIDI file format " + std::to_string(parser.Format()) +
                     " is not supported (only 0 and 1)";
        return false;
    }
    if (parser.Division() < 0) {
        *pstrError = "MIDI files timed in SMPTE frames are not supported";
        return false;
    }
    m_nFormat = parser.Format();
    m_nTracks = static_cast<int>(parser.Tracks().size());
    m_nDivision = parser.Division();

    std::vector<CTempoMap::TempoEvent> tempos;
    for (const std::vector<SmfEvent>& track : parser.Tracks()) {
        for (const SmfEvent& e : track) {
            const int64_t nTick = Rescale(e.nTime, m_nDivision);
            m_nLengthTicks = std::max(m_nLengthTicks, nTick);
            if (e.nStatus == 0xFF) {
                if (e.nMetaType == 0x51 && e.meta.size() == 3) {
                    const uint32_t us =
                        (uint32_t{e.meta[0]} << 16) | (uint32_t{e.meta[1]} << 8) | e.meta[2];
                    tempos.push_back({nTick, static_cast<double>(us)}); // zero is ignored
                }
                continue;
            }
            const unsigned kind = e.nStatus & 0xF0u;
            if (kind != 0x80 && kind != 0x90) continue;
            MidiNoteEvent ev;
            ev.nTick = nTick;
            ev.nChannel = e.nStatus & 0x0F;
            ev.nKey = e.nData1;
            ev.nVelocity = e.nData2;
            ev.bOn = kind == 0x90 && ev.nVelocity > 0;
            m_events.push_back(ev);
        }
    }
    m_tempo.SetTempos(std::move(tempos));
    // Tracks merge in time order; at equal times, track order and then each
    // track's own order are kept.
    std::stable_sort(
        m_events.begin(), m_events.end(),
        [](const MidiNoteEvent& a, const MidiNoteEvent& b) { return a.nTick < b.nTick; });
    return true;
}

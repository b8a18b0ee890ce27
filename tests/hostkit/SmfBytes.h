// Builds Standard MIDI File bytes by hand for tests, independent of the
// library that reads them.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

class SmfBytes {
public:
    SmfBytes(int nFormat, int nDivision) : m_nFormat(nFormat), m_nDivision(nDivision) {}

    // Starts a new track; events are appended to the last one.
    SmfBytes& Track() {
        m_tracks.emplace_back();
        return *this;
    }
    SmfBytes& Event(uint32_t nDelta, std::initializer_list<uint8_t> bytes) {
        Vlq(m_tracks.back(), nDelta);
        m_tracks.back().insert(m_tracks.back().end(), bytes);
        return *this;
    }
    SmfBytes& Tempo(uint32_t nDelta, uint32_t nMicros) {
        return Event(nDelta, {0xFF, 0x51, 0x03, uint8_t(nMicros >> 16), uint8_t(nMicros >> 8),
                              uint8_t(nMicros)});
    }
    SmfBytes& End(uint32_t nDelta = 0) { return Event(nDelta, {0xFF, 0x2F, 0x00}); }

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> v = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
        Be16(v, m_nFormat);
        Be16(v, static_cast<int>(m_tracks.size()));
        Be16(v, m_nDivision);
        for (const auto& t : m_tracks) {
            v.insert(v.end(), {'M', 'T', 'r', 'k'});
            Be16(v, static_cast<int>(t.size() >> 16));
            Be16(v, static_cast<int>(t.size() & 0xFFFF));
            v.insert(v.end(), t.begin(), t.end());
        }
        return v;
    }

private:
    static void Be16(std::vector<uint8_t>& v, int x) {
        v.push_back(uint8_t(x >> 8));
        v.push_back(uint8_t(x));
    }
    static void Vlq(std::vector<uint8_t>& v, uint32_t x) {
        uint8_t tmp[5];
        int n = 0;
        do tmp[n++] = x & 0x7F, x >>= 7;
        while (x != 0);
        while (n > 1) v.push_back(tmp[--n] | 0x80);
        v.push_back(tmp[0]);
    }

    int m_nFormat;
    int m_nDivision;
    std::vector<std::vector<uint8_t>> m_tracks;
};

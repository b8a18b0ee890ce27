// MPEG layer III byte handling for the tests: an MP3 with its encoder header
// (the first frame, tagged "Xing" or "Info", that gives the frame count and
// the encoder's delay and padding) removed, as some encoders write them.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mp3 {
using Bytes = std::vector<uint8_t>;

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The bytes without the encoder header frame; empty when the first frame is
// not layer III or carries no such header.
inline Bytes WithoutEncoderHeader(const Bytes& b) {
    size_t at = 0;
    if (b.size() > 10 && std::memcmp(b.data(), "ID3", 3) == 0)
        at = 10 + ((size_t{b[6]} << 21) | (size_t{b[7]} << 14) | (size_t{b[8]} << 7) | b[9]);
    while (at + 4 < b.size() && !(b[at] == 0xFF && (b[at + 1] & 0xE0) == 0xE0)) ++at;
    if (at + 4 >= b.size() || ((b[at + 1] >> 1) & 3) != 1) return {};
    const int version = (b[at + 1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2; 2.5 is not handled
    if (version < 2) return {};
    const bool mpeg1 = version == 3;
    static const int kKbps1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kKbps2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int kRates1[] = {44100, 48000, 32000};
    const int nBitrate = b[at + 2] >> 4, nRate = (b[at + 2] >> 2) & 3;
    if (nBitrate == 0 || nBitrate == 15 || nRate == 3) return {};
    const int kbps = mpeg1 ? kKbps1[nBitrate] : kKbps2[nBitrate];
    const int rate = mpeg1 ? kRates1[nRate] : kRates1[nRate] / 2;
    const size_t len =
        static_cast<size_t>((mpeg1 ? 144 : 72) * kbps * 1000 / rate + ((b[at + 2] >> 1) & 1));
    if (at + len > b.size()) return {};
    const std::string frame(b.begin() + static_cast<long>(at),
                            b.begin() + static_cast<long>(at + len));
    if (frame.find("Xing") == std::string::npos && frame.find("Info") == std::string::npos)
        return {};
    Bytes out(b.begin(), b.begin() + static_cast<long>(at));
    out.insert(out.end(), b.begin() + static_cast<long>(at + len), b.end());
    return out;
}
} // namespace mp3

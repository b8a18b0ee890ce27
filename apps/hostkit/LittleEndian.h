// Little-endian field writes into a byte buffer, as RIFF headers store them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

inline void PutLe16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
inline void PutLe32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    PutLe16(v, at, x & 0xFFFF);
    PutLe16(v, at + 2, x >> 16);
}

// Builds RIFF files byte by byte for the reader tests: any chunks in any order,
// odd sizes padded, sizes that lie, plus bodies for `fmt `, `acid` and `strc`.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace riff {
using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, static_cast<uint16_t>(v));
    Put16(b, static_cast<uint16_t>(v >> 16));
}
inline void PutF32(Bytes& b, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    Put32(b, v);
}
inline void PutTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

struct Fmt {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    std::optional<uint16_t> blockAlign; // default channels x bits / 8
    std::optional<uint32_t> avgBytes;   // default rate x block align
    std::optional<uint16_t> extraSize;  // written when set (18-byte chunk)
    Bytes extension;                    // written after the extra size
};
inline Bytes FmtBody(const Fmt& f) {
    Bytes b;
    const uint16_t align = f.blockAlign.value_or(static_cast<uint16_t>(f.channels * f.bits / 8));
    Put16(b, f.tag);
    Put16(b, f.channels);
    Put32(b, f.rate);
    Put32(b, f.avgBytes.value_or(f.rate * align));
    Put16(b, align);
    Put16(b, f.bits);
    if (f.extraSize) Put16(b, *f.extraSize);
    b.insert(b.end(), f.extension.begin(), f.extension.end());
    return b;
}

// The 24-byte loop record: flags, root note, beats, meter 4/4, tempo.
inline Bytes AcidBody(uint32_t flags, int16_t rootNote, uint32_t beats, float tempo) {
    Bytes b;
    Put32(b, flags);
    Put16(b, static_cast<uint16_t>(rootNote));
    Put16(b, 0x8000);
    Put32(b, 0);
    Put32(b, beats);
    Put16(b, 4);
    Put16(b, 4);
    PutF32(b, tempo);
    return b;
}

struct Marker {
    uint32_t type = 0;
    uint32_t position = 0;
    uint32_t word16 = 1;
};
// A 28-byte header (count at 4, unit at 24) followed by 32-byte markers.
inline Bytes StrcBody(uint32_t count, uint32_t unit, const std::vector<Marker>& markers,
                      uint32_t word16 = 0x11, uint32_t word20 = 0x22) {
    Bytes b;
    Put32(b, 0x1C);
    Put32(b, count);
    Put32(b, 0x19);
    Put32(b, 0x41);
    Put32(b, word16);
    Put32(b, word20);
    Put32(b, unit);
    for (const Marker& m : markers) {
        Put32(b, m.type);
        Put32(b, 0);
        Put32(b, m.position);
        Put32(b, 0);
        Put32(b, m.word16);
        for (int i = 0; i < 3; ++i) Put32(b, 0);
    }
    return b;
}

// Frames of 16-bit samples: frame f, channel c holds f * 2 + c (mod 2^16).
inline Bytes Pcm16(uint32_t frames, uint16_t channels) {
    Bytes b;
    for (uint32_t f = 0; f < frames; ++f)
        for (uint16_t c = 0; c < channels; ++c) Put16(b, static_cast<uint16_t>(f * 2 + c));
    return b;
}

class RiffBuilder {
public:
    // A chunk; claimedSize, when set, is written instead of the body's size.
    RiffBuilder& Chunk(const char* id, const Bytes& body,
                       std::optional<uint32_t> claimedSize = {}) {
        PutTag(m_body, id);
        Put32(m_body, claimedSize.value_or(static_cast<uint32_t>(body.size())));
        m_body.insert(m_body.end(), body.begin(), body.end());
        if (body.size() % 2 == 1) m_body.push_back(0);
        return *this;
    }
    RiffBuilder& List(const char* type, const RiffBuilder& items) {
        Bytes body;
        PutTag(body, type);
        body.insert(body.end(), items.m_body.begin(), items.m_body.end());
        return Chunk("LIST", body);
    }
    RiffBuilder& Raw(const Bytes& bytes) {
        m_body.insert(m_body.end(), bytes.begin(), bytes.end());
        return *this;
    }
    Bytes Form(const char* type = "WAVE", std::optional<uint32_t> claimedSize = {}) const {
        Bytes b;
        PutTag(b, "RIFF");
        Put32(b, claimedSize.value_or(static_cast<uint32_t>(m_body.size() + 4)));
        PutTag(b, type);
        b.insert(b.end(), m_body.begin(), m_body.end());
        return b;
    }

private:
    Bytes m_body;
};

// A plain wave: `fmt ` and `data` of 16-bit ramp samples.
inline RiffBuilder Wave(uint32_t frames, uint16_t channels = 2, uint32_t rate = 44100) {
    RiffBuilder r;
    Fmt f;
    f.channels = channels;
    f.rate = rate;
    r.Chunk("fmt ", FmtBody(f)).Chunk("data", Pcm16(frames, channels));
    return r;
}

// A file in a per-process temporary folder, removed with the object.
class TempFile {
public:
    explicit TempFile(const Bytes& bytes, const std::string& name = "") {
        static int counter = 0;
        auto dir = std::filesystem::temp_directory_path() /
                   ("pandrel-files-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        m_path = (dir / (name.empty() ? "t" + std::to_string(counter++) + ".wav" : name)).string();
        FILE* f = std::fopen(m_path.c_str(), "wb");
        if (f != nullptr) {
            if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
    }
    ~TempFile() { std::remove(m_path.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* c_str() const { return m_path.c_str(); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};
} // namespace riff

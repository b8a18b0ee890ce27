// The records of the project form `pndl`: chunk identifiers, limits, and the
// little-endian byte layouts of the 64-byte track record, the 112-byte grain
// record and the 40-byte key-map record, with their conversions to and from
// the engine's objects. Plain functions; no state, no lock.
#pragma once
#include "engine/GrooveTrack.h"
#include "engine/PlayInfo.h"
#include "interfaces/PandrelConstants.h"
#include "platform/mmio/Mmio.h"
#include <cstdint>
#include <cstring>

constexpr FOURCC kFormProject = mmioFOURCC('p', 'n', 'd', 'l');
constexpr FOURCC kFormWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kChunkCommon = mmioFOURCC('c', 'o', 'm', 'n');
constexpr FOURCC kChunkKeyMap = mmioFOURCC('k', 'e', 'y', 'm');
constexpr FOURCC kChunkEntryTrack = mmioFOURCC('l', 'b', 't', 'r');
constexpr FOURCC kChunkEntryGrains = mmioFOURCC('l', 'b', 't', 'e');
constexpr FOURCC kChunkPadTrack = mmioFOURCC('p', 'd', 't', 'r');
constexpr FOURCC kChunkPadGrains = mmioFOURCC('p', 'e', 'v', 't');
constexpr FOURCC kChunkFormat = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kChunkData = mmioFOURCC('d', 'a', 't', 'a');

constexpr DWORD kProjectVersion = 1;
constexpr size_t kTrackRecordBytes = 64;
constexpr size_t kGrainRecordBytes = 112;
constexpr size_t kKeyMapRecordBytes = 40;
constexpr DWORD kWaveFormatBytes = 18;
// Names and paths: at most 259 bytes, so that they fit the 260-byte buffers.
constexpr DWORD kMaxTextBytes = 259;
constexpr ULONGLONG kMaxTrackSamples = 12288000;
constexpr DWORD kMinWaveRate = 11025;
constexpr DWORD kMaxWaveRate = 96000;
// Stored waves are never longer than the loader's longest loop.
constexpr double kMaxWaveSeconds = 128.0;

// Little-endian field access into a record buffer.
namespace rec {
template <typename T> inline void Put(uint8_t* p, size_t at, T v) {
    static_assert(sizeof(T) <= 8);
    uint64_t u = 0;
    std::memcpy(&u, &v, sizeof(T));
    for (size_t i = 0; i < sizeof(T); ++i) p[at + i] = static_cast<uint8_t>(u >> (8 * i));
}
template <typename T> inline T Get(const uint8_t* p, size_t at) {
    uint64_t u = 0;
    for (size_t i = 0; i < sizeof(T); ++i) u |= static_cast<uint64_t>(p[at + i]) << (8 * i);
    T v;
    std::memcpy(&v, &u, sizeof(T));
    return v;
}
} // namespace rec

// Track record: the pad or entry fields, read back by ApplyTrackRecord.
void EncodeTrackRecord(const CGrooveTrack& track, uint8_t out[kTrackRecordBytes]);
// False when a value lies outside its range (sample length, MIDI channel).
bool CheckTrackRecord(const uint8_t in[kTrackRecordBytes]);
// Sets the fields and recomputes the tempo.
void ApplyTrackRecord(const uint8_t in[kTrackRecordBytes], CGrooveTrack* pTrack);

// Grain record. Reserved bytes are written as 0.
void EncodeGrainRecord(const CGrooveEvent& grain, uint8_t out[kGrainRecordBytes]);
// Sets every stored field of pGrain (waves untouched).
void DecodeGrainRecord(const uint8_t in[kGrainRecordBytes], CGrooveEvent* pGrain);

// Key-map record; the pad reference is written as 0 and never read.
void EncodeKeyMapRecord(const TrackKeyInfoImp& entry, uint8_t out[kKeyMapRecordBytes]);
// False for a pad outside 0..15 or a key or velocity outside 0..127.
bool DecodeKeyMapRecord(const uint8_t in[kKeyMapRecordBytes], TrackKeyInfoImp* pEntry);

// A canonical text dump of everything a project stores: the grain-audition
// switch, the key map, every Loop Bin entry (with a hash of its sample data) and every pad with its
// grains (with hashes of the waves they play). Two engines hold the same project exactly when their
// dumps are equal, and a mismatch shows which line differs.
#pragma once
#include "engine/VudivuVizezud.h"
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace dump {
// FNV-1a over 64-bit words (the tail bytes one by one): waves run to many
// megabytes.
inline uint64_t Hash(const void* p, size_t n, uint64_t h = 1469598103934665603ULL) {
    const auto* b = static_cast<const uint8_t*>(p);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, b + i, 8);
        h = (h ^ w) * 1099511628211ULL;
    }
    for (; i < n; ++i) h = (h ^ b[i]) * 1099511628211ULL;
    return h;
}

// Doubles by their bits, so that "equal" means bit for bit.
inline uint64_t Bits(double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}
inline uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

inline void VLine(std::string& out, const char* fmt, va_list args) {
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    out += buffer;
    out += '\n';
}
inline void Line(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
inline void Line(std::string& out, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    VLine(out, fmt, args);
    va_end(args);
}

// Waves are shared by many grains: each is hashed once per dump.
using WaveCache = std::map<const CWaveMem*, std::string>;

inline std::string Wave(const CWaveMem* w, WaveCache& cache) {
    if (w == nullptr) return "none";
    auto known = cache.find(w);
    if (known != cache.end()) return known->second;
    char buffer[160];
    std::snprintf(
        buffer, sizeof buffer, "ch%u rate%u frames%" PRId64 " bytes%" PRId64 " data%016" PRIx64,
        w->m_wfx.nChannels, w->m_wfx.nSamplesPerSec, static_cast<int64_t>(w->m_nFrames),
        static_cast<int64_t>(w->m_nDataBytes),
        w->m_pData != nullptr ? Hash(w->m_pData, static_cast<size_t>(w->m_nDataBytes)) : 0);
    return cache[w] = buffer;
}

inline std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) {
        char b[16];
        std::snprintf(b, sizeof b, c < 128 && c >= 32 ? "%c" : "\\u%04x", static_cast<unsigned>(c));
        out += b;
    }
    return out;
}

// The tempo is derived from the two lengths; growing a pad rounds its sample
// length at the tempo it had, so the live tempo may sit within that rounding
// of the one a reload derives. The dump shows the derived tempo and whether
// the live one is that close.
inline std::string Tempo(const CGrooveTrack& t) {
    const CGrooveTrack* pt = &t;
    CGrooveTrack probe(pt->m_pContext);
    probe.m_nLenTicks = t.m_nLenTicks;
    probe.m_nLenSamples = t.m_nLenSamples;
    probe.RecomputeTempo();
    const double d = probe.m_dTempo > 0.0 ? probe.m_dTempo : 100.0;
    // A tempo that is not positive counts as 100 wherever it is used.
    const double live = std::isfinite(t.m_dTempo) && t.m_dTempo > 0.0 ? t.m_dTempo : 100.0;
    const double bound =
        std::abs(d) * 0.6 / static_cast<double>(std::max<LONGLONG>(1, t.m_nLenSamples)) + 1e-9;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%016" PRIx64 "%s", Bits(d),
                  std::abs(live - d) <= bound ? "" : " stale");
    if (std::abs(live - d) > bound)
        std::snprintf(buffer, sizeof buffer, "%016" PRIx64 " stale %.17g", Bits(d), t.m_dTempo);
    return buffer;
}

inline void Track(std::string& out, const char* kind, int i, const CGrooveTrack& t, bool bCommitted,
                  WaveCache& cache) {
    Line(out,
         "%s %d len %" PRId64 "/%" PRId64 " tempo %s loop%d sync%d mute%d solo%d latch%d tail%d "
         "follow%d key%d out%d ch%d vol%08x pan%08x",
         kind, i, static_cast<int64_t>(t.m_nLenTicks), static_cast<int64_t>(t.m_nLenSamples),
         Tempo(t).c_str(), t.m_bLooping, t.m_bSyncedPlayback, t.m_bMute, t.m_bSolo, t.m_bLatch,
         t.m_bTail, t.m_bFollowKey, t.m_nKey, t.m_nOutput, t.m_nMidiChannel, Bits(t.m_fVolume),
         Bits(t.m_fPan));
    Line(out, "  name '%s' path '%s'", Narrow(t.m_strName).c_str(), Narrow(t.m_strPath).c_str());
    for (int g = 0, n = 0; g < t.GetSize(); ++g) {
        const CGrooveEvent& e = *t.GetAt(g);
        if (bCommitted && e.m_bDeleteMark) continue;
        Line(out,
             "  grain %d src%d/%d start %" PRId64 "/%" PRId64 " len %" PRId64 "/%" PRId64
             " tail %" PRId64 " synced%d rate %016" PRIx64 " tr%d vol %016" PRIx64
             " pan %016" PRIx64 " usetail%d from %" PRId64 " peaks %d+%d mark%d",
             n++, e.m_nSourceIndex, e.m_nSliceIndex, static_cast<int64_t>(e.m_nStartTicks),
             static_cast<int64_t>(e.m_nStartSamples), static_cast<int64_t>(e.m_nLenTicks),
             static_cast<int64_t>(e.m_nLenSamples), static_cast<int64_t>(e.m_nTailSamples),
             e.m_bSynced, Bits(e.m_dRate), e.m_nTranspose, Bits(e.m_dVolume), Bits(e.m_dPan),
             e.m_bUseTail, static_cast<int64_t>(e.m_nSrcStart), e.m_nPeakFirst, e.m_nPeakCount,
             e.m_bDeleteMark);
        Line(out, "    fmt %016" PRIx64 " wave %s tailwave %s", Hash(&e.m_wfx, sizeof e.m_wfx),
             Wave(e.m_pWave, cache).c_str(), Wave(e.m_pTail, cache).c_str());
    }
}

// bCommitted: as the next commit leaves it, without grains marked for removal.
inline std::string Project(CVudivuVizezud& engine, bool bCommitted = false) {
    std::string out;
    WaveCache cache;
    Line(out, "audition %d", engine.GetGrainAudition());
    CKeyMap& keys = engine.KeyMap();
    Line(out, "keys %d", keys.GetCount());
    for (int i = 0; i < keys.GetCount(); ++i) {
        const TrackKeyInfoImp& k = keys.EntryAt(i);
        Line(out, "  key pad%d %d-%d root%d vel %d-%d bound%d", static_cast<int>(k.nPad), k.nLowKey,
             k.nHighKey, k.nRootKey, k.nLowVelocity, k.nHighVelocity,
             k.pTrack == engine.Pad(static_cast<int>(k.nPad)));
    }
    Line(out, "bin %d", engine.BinCount());
    for (int i = 0; i < engine.BinCount(); ++i) {
        const CGrooveTrack& e = *engine.BinEntry(i);
        Track(out, "entry", i, e, bCommitted, cache);
        const CWaveMem* w = e.m_pWave;
        // The overview is drawn, not stored: a load rebuilds it from the data at
        // the output rate, a file load from the file's, so only its size counts.
        Line(out, "  wave %s peaks %d", Wave(w, cache).c_str(),
             w != nullptr ? w->m_nPeakValues : -1);
    }
    for (int i = 0; i < kPadCount; ++i) Track(out, "pad", i, *engine.Pad(i), bCommitted, cache);
    return out;
}
} // namespace dump

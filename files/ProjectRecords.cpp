#include "files/ProjectRecords.h"
#include <algorithm>

using rec::Get;
using rec::Put;

void EncodeTrackRecord(const CGrooveTrack& t, uint8_t out[kTrackRecordBytes]) {
    std::memset(out, 0, kTrackRecordBytes);
    Put<int64_t>(out, 0, t.m_nLenSamples);
    Put<int64_t>(out, 8, t.m_nLenTicks);
    Put<int32_t>(out, 16, t.m_bLooping);
    Put<int32_t>(out, 20, t.m_bSyncedPlayback);
    Put<int32_t>(out, 24, t.m_bMute);
    Put<int32_t>(out, 28, t.m_bSolo);
    Put<int32_t>(out, 32, t.m_bLatch);
    Put<int32_t>(out, 36, t.m_bTail);
    Put<int32_t>(out, 40, t.m_bFollowKey);
    Put<int32_t>(out, 44, t.m_nKey);
    Put<int32_t>(out, 48, t.m_nOutput);
    Put<int32_t>(out, 52, t.m_nMidiChannel);
    Put<float>(out, 56, t.m_fVolume);
    Put<float>(out, 60, t.m_fPan);
}

bool CheckTrackRecord(const uint8_t in[kTrackRecordBytes]) {
    if (Get<uint64_t>(in, 0) > kMaxTrackSamples) return false;
    // A negative tick length cannot come from the writer and breaks the pad's
    // length arithmetic.
    const int64_t nTicks = Get<int64_t>(in, 8);
    if (nTicks < 0 || nTicks > kInfiniteTime) return false;
    const int32_t nChannel = Get<int32_t>(in, 52);
    return nChannel >= -1 && nChannel <= 15;
}

void ApplyTrackRecord(const uint8_t in[kTrackRecordBytes], CGrooveTrack* t) {
    t->m_nLenSamples = Get<int64_t>(in, 0);
    t->m_nLenTicks = Get<int64_t>(in, 8);
    t->m_bLooping = Get<int32_t>(in, 16);
    t->m_bSyncedPlayback = Get<int32_t>(in, 20);
    t->m_bMute = Get<int32_t>(in, 24);
    t->m_bSolo = Get<int32_t>(in, 28);
    t->m_bLatch = Get<int32_t>(in, 32);
    t->m_bTail = Get<int32_t>(in, 36);
    t->m_bFollowKey = Get<int32_t>(in, 40);
    t->m_nKey = Get<int32_t>(in, 44);
    t->m_nOutput = Get<int32_t>(in, 48);
    t->m_nMidiChannel = Get<int32_t>(in, 52);
    t->m_fVolume = Get<float>(in, 56);
    t->m_fPan = Get<float>(in, 60);
    t->RecomputeTempo();
}

void EncodeGrainRecord(const CGrooveEvent& g, uint8_t out[kGrainRecordBytes]) {
    std::memset(out, 0, kGrainRecordBytes);
    Put<int32_t>(out, 0, g.m_nSourceIndex);
    Put<int32_t>(out, 4, g.m_nSliceIndex);
    Put<int64_t>(out, 8, g.m_nStartTicks);
    Put<int64_t>(out, 16, g.m_nStartSamples);
    Put<int64_t>(out, 24, g.m_nLenTicks);
    Put<int64_t>(out, 32, g.m_nLenSamples);
    Put<int64_t>(out, 40, g.m_nTailSamples);
    Put<int32_t>(out, 48, g.m_bSynced);
    Put<double>(out, 56, g.m_dRate);
    Put<int32_t>(out, 64, g.m_nTranspose);
    Put<double>(out, 72, g.m_dVolume);
    Put<double>(out, 80, g.m_dPan);
    Put<int32_t>(out, 88, g.m_bUseTail);
    Put<int64_t>(out, 96, g.m_nSrcStart);
    Put<int32_t>(out, 104, g.m_nPeakFirst);
    Put<int32_t>(out, 108, g.m_nPeakCount);
}

void DecodeGrainRecord(const uint8_t in[kGrainRecordBytes], CGrooveEvent* g) {
    g->m_nSourceIndex = Get<int32_t>(in, 0);
    g->m_nSliceIndex = Get<int32_t>(in, 4);
    g->m_nStartTicks = Get<int64_t>(in, 8);
    g->m_nStartSamples = Get<int64_t>(in, 16);
    g->m_nLenTicks = Get<int64_t>(in, 24);
    g->m_nLenSamples = Get<int64_t>(in, 32);
    g->m_nTailSamples = Get<int64_t>(in, 40);
    g->m_bSynced = Get<int32_t>(in, 48);
    g->m_dRate = Get<double>(in, 56);
    g->m_nTranspose = Get<int32_t>(in, 64);
    g->m_dVolume = Get<double>(in, 72);
    g->m_dPan = Get<double>(in, 80);
    g->m_bUseTail = Get<int32_t>(in, 88);
    g->m_nSrcStart = Get<int64_t>(in, 96);
    g->m_nPeakFirst = Get<int32_t>(in, 104);
    g->m_nPeakCount = Get<int32_t>(in, 108);
}

void EncodeKeyMapRecord(const TrackKeyInfoImp& e, uint8_t out[kKeyMapRecordBytes]) {
    std::memset(out, 0, kKeyMapRecordBytes);
    Put<int32_t>(out, 0, static_cast<int32_t>(e.nPad));
    Put<int32_t>(out, 16, e.nLowKey);
    Put<int32_t>(out, 20, e.nHighKey);
    Put<int32_t>(out, 24, e.nRootKey);
    Put<int32_t>(out, 28, e.nLowVelocity);
    Put<int32_t>(out, 32, e.nHighVelocity);
}

bool DecodeKeyMapRecord(const uint8_t in[kKeyMapRecordBytes], TrackKeyInfoImp* e) {
    const int32_t nPad = Get<int32_t>(in, 0);
    const int32_t nLow = Get<int32_t>(in, 16), nHigh = Get<int32_t>(in, 20);
    const int32_t nLowVel = Get<int32_t>(in, 28), nHighVel = Get<int32_t>(in, 32);
    // Both bounds on every value: the key map stores an overwritten entry with
    // its keys swapped into order, so a one-sided check would let a low key
    // of 200 come back as a high key that no longer loads.
    auto midi = [](int32_t v) { return v >= 0 && v <= 127; };
    if (nPad < 0 || nPad >= kPadCount || !midi(nLow) || !midi(nHigh) || !midi(nLowVel) ||
        !midi(nHighVel))
        return false;
    *e = TrackKeyInfoImp{};
    e->nPad = static_cast<DWORD>(nPad);
    e->nLowKey = nLow;
    e->nHighKey = nHigh;
    // The root is kept as stored, held to the keyboard so that a wild value
    // cannot overflow the transposition (key - root).
    e->nRootKey = std::clamp<int32_t>(Get<int32_t>(in, 24), 0, 127);
    e->nLowVelocity = nLowVel;
    e->nHighVelocity = nHighVel;
    return true;
}

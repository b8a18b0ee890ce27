// The loop metadata: the `acid` chunk, the slice markers of `strc`, and
// slicing by beats when the markers give no slices.
#include "files/AcidWave.h"
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr FOURCC kStrc = mmioFOURCC('s', 't', 'r', 'c');

DWORD Dword(const uint8_t* p) {
    DWORD v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}
} // namespace

// Called with the stream at the body of `acid`. The body is a 24-byte record:
// a shorter one leaves the rest zero, a longer one is read no further.
MMRESULT CAcidWave::ReadAcid() {
    uint8_t body[kAcidBodyBytes] = {};
    if (!ReadChunkBody(m_ckAcid, body, std::min(m_ckAcid.cksize, kAcidBodyBytes)))
        return MMIOERR_CANNOTREAD;
    const DWORD flags = Dword(body);
    int16_t rootNote;
    std::memcpy(&rootNote, body + 4, sizeof(rootNote));
    m_bAcidRead = 1;
    m_nSliceUnit = kDefaultSliceUnit;
    m_bLooping = (flags & 1) == 0;
    m_bRootNote = (flags & 2) != 0;
    m_bStretch = (flags & 4) != 0;
    m_bDiskBased = (flags & 8) != 0;
    m_nKeyIndex = ((rootNote + 3) % 12 + 12) % 12; // 0..11 for negative notes too
    m_nBeats = Dword(body + 12);
    std::memcpy(&m_fTempo, body + 20, sizeof(m_fTempo));
    m_segments.assign(1, AcidSegment{0, m_nFrames});
    return mmioAscend(m_hmmio, &m_ckAcid, 0);
}

MMRESULT CAcidWave::ReadStrc() {
    m_ckStrc.ckid = kStrc;
    if (mmioDescend(m_hmmio, &m_ckStrc, &m_ckRiff, MMIO_FINDCHUNK) != 0) return 0;
    uint8_t header[kStrcHeaderBytes];
    if (!ReadChunkBody(m_ckStrc, header, kStrcHeaderBytes)) return MMIOERR_CANNOTREAD;
    m_bStrcRead = 1;
    m_nMarkers = Dword(header + 4);
    m_nStrcWord16 = Dword(header + 16);
    m_nStrcWord20 = Dword(header + 20);
    m_nSliceUnit = Dword(header + 24);
    // The count comes from the file: markers beyond the chunk are a short read.
    std::vector<DWORD> starts;
    for (DWORD i = 0; i < m_nMarkers; ++i) {
        uint8_t marker[kMarkerBytes];
        if (!ReadChunkBody(m_ckStrc, marker, kMarkerBytes)) return MMIOERR_CANNOTREAD;
        const DWORD type = Dword(marker);
        const DWORD position = Dword(marker + 8);
        if ((type == 0 || type == 2) && position != 0 && Dword(marker + 16) != 0)
            starts.push_back(position);
    }
    // Slices must tile the file with positive lengths: markers out of order are
    // sorted, repeated ones and those at or past the last frame dropped.
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    for (DWORD start : starts)
        if (start < m_nFrames) AppendSegment(m_segments, start);
    CloseSegments(m_segments, m_nFrames);
    return mmioAscend(m_hmmio, &m_ckStrc, 0);
}

void CAcidWave::SliceByBeats() { SliceByBeats(m_segments, m_nFrames, m_nBeats, m_nSliceUnit); }

void CAcidWave::SliceByBeats(std::vector<AcidSegment>& segments, DWORD nFrames, DWORD nBeats,
                             DWORD nSliceUnit) {
    if (segments.size() != 1) return;
    const double factor = std::pow(2.0, static_cast<double>(nSliceUnit) - 2.0);
    if (!(factor > 0.0)) return;
    // Written so that an infinite factor (or 0 beats times one) keeps one slice.
    const double slices = std::trunc(nBeats * factor + 0.5);
    if (!(slices >= 2.0 && slices <= kMaxBeatSlices)) return;
    const int n = static_cast<int>(slices);
    for (int i = 1; i < n; ++i) {
        const auto start = static_cast<DWORD>(std::trunc(nFrames * (static_cast<double>(i) / n)));
        if (start > segments.back().nStart)
            AppendSegment(segments, start); // fewer frames than slices: no empty ones
    }
    CloseSegments(segments, nFrames);
}

// Ends the previous segment at nStart and opens one there.
void CAcidWave::AppendSegment(std::vector<AcidSegment>& segments, DWORD nStart) {
    if (!segments.empty()) segments.back().nLength = nStart - segments.back().nStart;
    segments.push_back(AcidSegment{nStart, 0});
}

void CAcidWave::CloseSegments(std::vector<AcidSegment>& segments, DWORD nFrames) {
    if (!segments.empty()) segments.back().nLength = nFrames - segments.back().nStart;
}

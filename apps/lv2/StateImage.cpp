#include "apps/lv2/StateImage.h"
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr size_t kVersionTextBytes = 24; // the persistence version text before the form
constexpr size_t kFormStart = kVersionTextBytes;
constexpr size_t kFirstChunk = kFormStart + 12; // after "RIFF", its size and "pndl"
// A reference chunk: the wave's index among the references, its hash and its size.
constexpr char kRefId[4] = {'w', 'r', 'e', 'f'};
constexpr uint32_t kRefBytes = 20;

uint32_t Get32(const uint8_t* pb) {
    return uint32_t{pb[0]} | uint32_t{pb[1]} << 8 | uint32_t{pb[2]} << 16 | uint32_t{pb[3]} << 24;
}
uint64_t Get64(const uint8_t* pb) { return Get32(pb) | uint64_t{Get32(pb + 4)} << 32; }
void Put32(uint8_t* pb, uint32_t v) {
    for (int i = 0; i < 4; ++i) pb[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put64(uint8_t* pb, uint64_t v) {
    Put32(pb, static_cast<uint32_t>(v));
    Put32(pb + 4, static_cast<uint32_t>(v >> 32));
}
bool Is(const uint8_t* pb, const char* psz) { return std::memcmp(pb, psz, 4) == 0; }

// The project form's header at kFormStart, with its size; false when absent.
bool FormHeader(const std::vector<uint8_t>& bytes, size_t* pnEnd) {
    if (bytes.size() < kFirstChunk || !Is(&bytes[kFormStart], "RIFF") ||
        !Is(&bytes[kFormStart + 8], "pndl"))
        return false;
    *pnEnd = kFormStart + 8 + Get32(&bytes[kFormStart + 4]);
    return *pnEnd <= bytes.size() && *pnEnd >= kFirstChunk;
}

// Fixes the form's size after its chunks changed; false beyond RIFF's 4 GB.
bool PatchFormSize(std::vector<uint8_t>* pBytes, size_t nFormEnd) {
    const size_t nSize = nFormEnd - kFormStart - 8;
    if (nSize > UINT32_MAX) return false;
    Put32(&(*pBytes)[kFormStart + 4], static_cast<uint32_t>(nSize));
    return true;
}

uint64_t Mix(uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    return h ^ (h >> 33);
}
} // namespace

uint64_t CStateImage::Hash(const uint8_t* pb, size_t nBytes) {
    constexpr uint64_t kBasis = 0xcbf29ce484222325ull, kPrime = 0x100000001b3ull;
    uint64_t lanes[4] = {kBasis, kBasis ^ 1, kBasis ^ 2, kBasis ^ 3};
    size_t i = 0;
    // The shift folds high bits down, so a change anywhere in a word reaches every bit.
    for (; i + 32 <= nBytes; i += 32)
        for (size_t l = 0; l < 4; ++l) {
            const uint64_t h = (lanes[l] ^ Get64(pb + i + 8 * l)) * kPrime;
            lanes[l] = h ^ (h >> 29);
        }
    uint64_t h = kBasis;
    for (; i < nBytes; ++i) h = (h ^ pb[i]) * kPrime;
    for (uint64_t lane : lanes) h = Mix(h ^ lane) * kPrime;
    return Mix(h ^ nBytes);
}

std::string CStateImage::FileName(uint64_t llHash) {
    char name[32];
    std::snprintf(name, sizeof(name), "wave-%016llx.wav", static_cast<unsigned long long>(llHash));
    return name;
}

bool CStateImage::Split(const std::vector<uint8_t>& stream) {
    m_structure.clear();
    m_waves.clear();
    size_t nEnd = 0;
    if (!FormHeader(stream, &nEnd)) return false;
    m_structure.assign(stream.begin(), stream.begin() + kFirstChunk);
    size_t n = kFirstChunk;
    while (n < nEnd) {
        if (nEnd - n < 8) return false;
        const size_t nChunk = 8 + size_t{Get32(&stream[n + 4])};
        const size_t nNext = n + nChunk + (nChunk & 1);
        if (nChunk > nEnd - n || nNext > nEnd + 1) return false;
        if (Is(&stream[n], "RIFF") && nChunk >= 12 && Is(&stream[n + 8], "WAVE")) {
            const Wave wave{n, nChunk, Hash(&stream[n], nChunk)};
            uint8_t ref[8 + kRefBytes];
            std::memcpy(ref, kRefId, 4);
            Put32(ref + 4, kRefBytes);
            Put32(ref + 8, static_cast<uint32_t>(m_waves.size()));
            Put64(ref + 12, wave.llHash);
            Put64(ref + 20, wave.nBytes);
            m_structure.insert(m_structure.end(), ref, ref + sizeof(ref));
            m_waves.push_back(wave);
        } else {
            m_structure.insert(m_structure.end(), stream.begin() + static_cast<ptrdiff_t>(n),
                               stream.begin() + static_cast<ptrdiff_t>(std::min(nNext, nEnd)));
        }
        n = nNext;
    }
    const size_t nFormEnd = m_structure.size();
    // Whatever follows the form is kept as it is.
    if (nEnd < stream.size())
        m_structure.insert(m_structure.end(), stream.begin() + static_cast<ptrdiff_t>(nEnd),
                           stream.end());
    return PatchFormSize(&m_structure, nFormEnd);
}

bool CStateImage::Layout(const std::vector<uint8_t>& structure, std::vector<uint8_t>* pStream,
                         std::vector<Wave>* pWaves) {
    pStream->clear();
    pWaves->clear();
    size_t nEnd = 0;
    if (!FormHeader(structure, &nEnd)) return false;
    // Sized first: one allocation however large the waves.
    size_t nTotal = structure.size();
    for (int nPass = 0; nPass < 2; ++nPass) {
        if (nPass == 1) {
            pStream->reserve(nTotal);
            pStream->assign(structure.begin(), structure.begin() + kFirstChunk);
        }
        size_t n = kFirstChunk;
        while (n < nEnd) {
            if (nEnd - n < 8) return false;
            const size_t nChunk = 8 + size_t{Get32(&structure[n + 4])};
            const size_t nNext = n + nChunk + (nChunk & 1);
            if (nChunk > nEnd - n || nNext > nEnd + 1) return false;
            if (!Is(&structure[n], kRefId)) {
                if (nPass == 1)
                    pStream->insert(pStream->end(), structure.begin() + static_cast<ptrdiff_t>(n),
                                    structure.begin() +
                                        static_cast<ptrdiff_t>(std::min(nNext, nEnd)));
                n = nNext;
                continue;
            }
            if (nChunk != 8 + kRefBytes) return false;
            const uint8_t* pRef = &structure[n + 8];
            const uint64_t llBytes = Get64(pRef + 12);
            if (llBytes < 12 || llBytes - 8 > UINT32_MAX) return false;
            const size_t nBytes = static_cast<size_t>(llBytes), nPadded = nBytes + (nBytes & 1);
            if (nPass == 0) {
                if (Get32(pRef) != pWaves->size()) return false;
                pWaves->push_back({0, nBytes, Get64(pRef + 4)});
                nTotal += nPadded - nChunk;
            } else {
                (*pWaves)[Get32(pRef)].nOffset = pStream->size();
                pStream->resize(pStream->size() + nPadded, 0);
            }
            n = nNext;
        }
    }
    const size_t nFormEnd = pStream->size();
    if (nEnd < structure.size())
        pStream->insert(pStream->end(), structure.begin() + static_cast<ptrdiff_t>(nEnd),
                        structure.end());
    return PatchFormSize(pStream, nFormEnd);
}

#include "apps/slicer/LoopWavWriter.h"
#include "apps/hostkit/AtomicFile.h"
#include "apps/hostkit/LittleEndian.h"
#include <cstring>
#include <utility>

namespace {
constexpr size_t kStrcHeader = 28;
constexpr size_t kMarker = 32;
constexpr uint32_t kAcidLoopFlags = 0x4; // stretch; the one-shot bit clear
constexpr uint32_t kAcidRootValid = 0x2;
constexpr int16_t kDefaultRoot = 60;

void Append(std::vector<uint8_t>& v, const char* id, const std::vector<uint8_t>& body) {
    v.insert(v.end(), id, id + 4);
    const size_t at = v.size();
    v.resize(at + 4);
    PutLe32(v, at, static_cast<uint32_t>(body.size()));
    v.insert(v.end(), body.begin(), body.end());
    if (body.size() % 2) v.push_back(0);
}
} // namespace

std::vector<uint8_t> CLoopWavWriter::AcidChunk(const LoopMetadata& meta) {
    std::vector<uint8_t> v(24, 0);
    const bool bRoot = meta.nRootNote >= 0 && meta.nRootNote < 128;
    PutLe32(v, 0, kAcidLoopFlags | (bRoot ? kAcidRootValid : 0));
    PutLe16(v, 4, static_cast<uint32_t>(bRoot ? meta.nRootNote : kDefaultRoot));
    PutLe32(v, 12, meta.nBeats);
    PutLe16(v, 16, 4); // meter 4/4
    PutLe16(v, 18, 4);
    uint32_t nBits = 0;
    std::memcpy(&nBits, &meta.fTempo, 4);
    PutLe32(v, 20, nBits);
    return v;
}

// Every slice start is a marker, the one at frame 0 too; readers skip that
// one (its word at offset 16 is 0) and start the first slice there anyway.
std::vector<uint8_t> CLoopWavWriter::StrcChunk(const LoopMetadata& meta) {
    std::vector<uint8_t> v(kStrcHeader + kMarker * meta.starts.size(), 0);
    PutLe32(v, 4, static_cast<uint32_t>(meta.starts.size()));
    PutLe32(v, 24, meta.nSliceUnit);
    for (size_t i = 0; i < meta.starts.size(); ++i) {
        const size_t at = kStrcHeader + kMarker * i;
        PutLe32(v, at + 8, meta.starts[i]);
        PutLe32(v, at + 16, meta.starts[i]);
    }
    return v;
}

bool CLoopWavWriter::Encode(const CSliceSource& source, const LoopMetadata& meta,
                            std::vector<uint8_t>* pBytes, std::string* pstrError) {
    const bool bFloat = source.Format() == LoopSampleFormat::Float32;
    const uint32_t nBytes = source.Format() == LoopSampleFormat::Pcm16   ? 2
                            : source.Format() == LoopSampleFormat::Pcm24 ? 3
                                                                         : 4;
    const auto nChannels = static_cast<uint32_t>(source.Channels());
    const uint32_t nAlign = nBytes * nChannels;
    const uint64_t nDataBytes = static_cast<uint64_t>(source.Frames()) * nAlign;

    std::vector<uint8_t> fmt(bFloat ? 18 : 16, 0);
    PutLe16(fmt, 0, bFloat ? 3 : 1);
    PutLe16(fmt, 2, nChannels);
    PutLe32(fmt, 4, source.Rate());
    PutLe32(fmt, 8, source.Rate() * nAlign);
    PutLe16(fmt, 12, nAlign);
    PutLe16(fmt, 14, nBytes * 8);

    // Everything but the samples, which are written between its two parts.
    std::vector<uint8_t> head = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    Append(head, "fmt ", fmt);
    if (bFloat) {
        std::vector<uint8_t> fact(4, 0);
        PutLe32(fact, 0, static_cast<uint32_t>(source.Frames()));
        Append(head, "fact", fact);
    }
    head.insert(head.end(), {'d', 'a', 't', 'a', 0, 0, 0, 0});
    PutLe32(head, head.size() - 4, static_cast<uint32_t>(nDataBytes));
    std::vector<uint8_t> tail;
    if (nDataBytes % 2) tail.push_back(0);
    Append(tail, "acid", AcidChunk(meta));
    if (!meta.starts.empty()) Append(tail, "strc", StrcChunk(meta));
    const uint64_t nRiff = head.size() - 8 + nDataBytes + tail.size();
    if (nRiff > 0xFFFFFFFFu) {
        *pstrError = "the loop would pass the WAV format's 4 GiB limit";
        return false;
    }
    PutLe32(head, 4, static_cast<uint32_t>(nRiff));

    std::vector<uint8_t>& file = *pBytes;
    file = std::move(head);
    file.reserve(file.size() + static_cast<size_t>(nDataBytes) + tail.size());
    if (bFloat) {
        const auto* p = reinterpret_cast<const uint8_t*>(source.Floats().data());
        file.insert(file.end(), p, p + nDataBytes);
    } else {
        for (int32_t s : source.Integers()) {
            const auto u = static_cast<uint32_t>(s);
            for (uint32_t b = 0; b < nBytes; ++b)
                file.push_back(static_cast<uint8_t>(u >> (8 * b)));
        }
    }
    file.insert(file.end(), tail.begin(), tail.end());
    return true;
}

bool CLoopWavWriter::Write(const std::string& strPath, const CSliceSource& source,
                           const LoopMetadata& meta, std::string* pstrError) {
    std::vector<uint8_t> bytes;
    if (!Encode(source, meta, &bytes, pstrError)) return false;
    CAtomicFile file;
    if (!file.Open(strPath) || !file.Write(bytes.data(), bytes.size()) || !file.Commit()) {
        *pstrError = file.Error();
        return false;
    }
    return true;
}

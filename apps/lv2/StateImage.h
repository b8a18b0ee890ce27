// The instrument's state bytes taken apart for host state and put back
// together: the project form with each embedded RIFF WAVE subform replaced by
// a small reference chunk (the structure), and the subforms themselves, each a
// complete WAV file named by a hash of its bytes. Pure bytes; no files, no locks.
// Any thread; one image per caller.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CStateImage {
public:
    // A wave subform of the stream: where it lies in the bytes split, and its identity.
    struct Wave {
        size_t nOffset = 0; // in the stream (Split) or in the stream laid out (Layout)
        size_t nBytes = 0;  // the subform, header included: the whole WAV file
        uint64_t llHash = 0;
    };

    // 64-bit FNV-1a over little-endian 64-bit words in four interleaved lanes,
    // folded together, the tail bytewise: fast enough for hundreds of MB per save.
    static uint64_t Hash(const uint8_t* pb, size_t nBytes);
    // "wave-<16 hex digits>.wav"
    static std::string FileName(uint64_t llHash);

    // Takes the stream apart (the version text, then the project form). False
    // when the bytes are not laid out so; the stream is then kept whole.
    bool Split(const std::vector<uint8_t>& stream);
    // The structure stored in the state, and the waves in reference order.
    const std::vector<uint8_t>& Structure() const { return m_structure; }
    const std::vector<Wave>& Waves() const { return m_waves; }

    // From a stored structure: the stream with room for every wave, and where
    // each goes (reference order, index n is the n-th reference). False when
    // the structure is damaged.
    static bool Layout(const std::vector<uint8_t>& structure, std::vector<uint8_t>* pStream,
                       std::vector<Wave>* pWaves);

private:
    std::vector<uint8_t> m_structure;
    std::vector<Wave> m_waves;
};

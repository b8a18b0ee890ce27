// Storage of sample data: 16-byte aligned float blocks; large ones are mapped
// on their own, 2 MB aligned and marked for huge pages, so that touching them
// the first time costs one page fault per 2 MB instead of one per 4 KB.
#pragma once
#include "platform/com/Types.h"
#include <cstddef>

class CWaveMemBlock {
public:
    // Blocks of at least this many bytes are mapped; smaller ones come from
    // the heap.
    static constexpr size_t kMapBytes = size_t(4) << 20;

    CWaveMemBlock() = default;
    ~CWaveMemBlock() { Free(); }
    CWaveMemBlock(const CWaveMemBlock&) = delete;
    CWaveMemBlock& operator=(const CWaveMemBlock&) = delete;

    // Frees the old block and allocates nCount floats (none below 1); bZero
    // clears them (mapped blocks are zero already). False when out of memory.
    bool Allocate(LONGLONG nCount, bool bZero);
    void Free();
    // Exchanges the blocks of this and other.
    void Swap(CWaveMemBlock& other);

    float* Data() const { return m_pData; }
    bool Mapped() const { return m_nMapped != 0; }

private:
    float* m_pData = nullptr;
    size_t m_nMapped = 0; // bytes of the mapping; 0 for a heap block
};

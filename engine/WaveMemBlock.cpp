#include "engine/WaveMemBlock.h"
#include <cstdint>
#include <cstring>
#include <new>
#include <sys/mman.h>
#include <utility>

namespace {
constexpr std::align_val_t kHeapAlign{16};
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kPage = 4096;

size_t RoundUp(size_t n, size_t m) { return (n + m - 1) / m * m; }

// A zeroed mapping of nBytes (a multiple of the page size) starting on a huge
// page boundary: the slack of an over-sized mapping is returned at both ends.
void* MapAligned(size_t nBytes) {
    const size_t nAll = nBytes + kHugePage;
    void* p = mmap(nullptr, nAll, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const auto base = reinterpret_cast<uintptr_t>(p);
    const uintptr_t start = RoundUp(base, kHugePage);
    if (start > base) munmap(p, start - base);
    const size_t nTail = base + nAll - (start + nBytes);
    if (nTail > 0) munmap(reinterpret_cast<void*>(start + nBytes), nTail);
    // Only a hint: without transparent huge pages the block still works.
    madvise(reinterpret_cast<void*>(start), nBytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(start);
}
} // namespace

bool CWaveMemBlock::Allocate(LONGLONG nCount, bool bZero) {
    Free();
    if (nCount <= 0) return true;
    if (static_cast<unsigned long long>(nCount) > SIZE_MAX / sizeof(float) - kHugePage)
        return false;
    const size_t nBytes = static_cast<size_t>(nCount) * sizeof(float);
    if (nBytes >= kMapBytes) {
        const size_t nMapped = RoundUp(nBytes, kPage);
        m_pData = static_cast<float*>(MapAligned(nMapped));
        if (m_pData != nullptr) m_nMapped = nMapped;
        return m_pData != nullptr;
    }
    m_pData = static_cast<float*>(::operator new[](nBytes, kHeapAlign, std::nothrow));
    if (m_pData != nullptr && bZero) std::memset(m_pData, 0, nBytes);
    return m_pData != nullptr;
}

void CWaveMemBlock::Free() {
    if (m_pData == nullptr) return;
    if (m_nMapped != 0)
        munmap(m_pData, m_nMapped);
    else
        ::operator delete[](m_pData, kHeapAlign);
    m_pData = nullptr;
    m_nMapped = 0;
}

void CWaveMemBlock::Swap(CWaveMemBlock& other) {
    std::swap(m_pData, other.m_pData);
    std::swap(m_nMapped, other.m_nMapped);
}

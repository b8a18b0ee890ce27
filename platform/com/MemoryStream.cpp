// A stream over a growable memory block: writes past the end grow it (the gap
// is zero-filled), reads stop at the end.
#include "platform/com/StreamBase.h"
#include "platform/com/TaskMem.h"
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {
// Larger than any stream the instrument writes; keeps a wild seek-and-write
// from asking for an absurd block.
constexpr LONGLONG kMaxMemoryStream = LONGLONG(1) << 34;
// Blocks from this size up ask for huge pages: a stream of a large project
// then takes one page fault per 2 MB it fills instead of one per 4 KB.
constexpr LONGLONG kHugeBlock = LONGLONG(4) << 20;
constexpr uintptr_t kHugePage = uintptr_t(2) << 20;

// Marks the whole huge pages inside [p, p + n) for transparent huge pages;
// only a hint, so failure changes nothing.
void AdviseHugePages(void* p, LONGLONG n) {
    const auto begin = reinterpret_cast<uintptr_t>(p);
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (begin + static_cast<uintptr_t>(n)) & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

class CMemoryStream final : public CStreamBase {
public:
    ~CMemoryStream() override { std::free(m_pData); }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (pcbRead != nullptr) *pcbRead = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        const ULONG n =
            m_nPos >= m_nSize ? 0 : static_cast<ULONG>(std::min<LONGLONG>(cb, m_nSize - m_nPos));
        if (n > 0) std::memcpy(pv, m_pData + m_nPos, n);
        m_nPos += n;
        if (pcbRead != nullptr) *pcbRead = n;
        return S_OK;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten != nullptr) *pcbWritten = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        const LONGLONG nEnd = m_nPos + cb;
        if (nEnd > kMaxMemoryStream) return STG_E_MEDIUMFULL;
        if (nEnd > m_nSize) {
            if (!Reserve(nEnd)) return E_OUTOFMEMORY;
            // Only a gap left by a seek past the end needs zeros.
            if (m_nPos > m_nSize)
                std::memset(m_pData + m_nSize, 0, static_cast<size_t>(m_nPos - m_nSize));
            m_nSize = nEnd;
        }
        if (cb > 0) std::memcpy(m_pData + m_nPos, pv, cb);
        m_nPos = nEnd;
        if (pcbWritten != nullptr) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
        return SeekWithin(&m_nPos, m_nSize, dlibMove, dwOrigin, plibNewPosition);
    }
    HRESULT SetSize(ULARGE_INTEGER libNewSize) override {
        if (libNewSize.QuadPart > static_cast<ULONGLONG>(kMaxMemoryStream)) return STG_E_MEDIUMFULL;
        return Resize(static_cast<LONGLONG>(libNewSize.QuadPart)) ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT Stat(STATSTG* pstatstg, DWORD) override { return StatOfSize(pstatstg, m_nSize); }

private:
    // Room for nSize bytes. The block grows geometrically through realloc,
    // which moves a large block by remapping its pages rather than copying
    // them. False (nothing changed) when memory runs out.
    bool Reserve(LONGLONG nSize) {
        if (nSize <= m_nCapacity) return true;
        const LONGLONG nCapacity =
            std::min(kMaxMemoryStream, std::max({nSize, 2 * m_nCapacity, LONGLONG(4096)}));
        void* p = std::realloc(m_pData, static_cast<size_t>(nCapacity));
        if (p == nullptr) return false;
        if (nCapacity >= kHugeBlock) AdviseHugePages(p, nCapacity);
        m_pData = static_cast<unsigned char*>(p);
        m_nCapacity = nCapacity;
        return true;
    }
    // Sets the size; bytes added are zero.
    bool Resize(LONGLONG nSize) {
        if (!Reserve(nSize)) return false;
        if (nSize > m_nSize)
            std::memset(m_pData + m_nSize, 0, static_cast<size_t>(nSize - m_nSize));
        m_nSize = nSize;
        return true;
    }

    unsigned char* m_pData = nullptr;
    LONGLONG m_nSize = 0;
    LONGLONG m_nCapacity = 0;
    LONGLONG m_nPos = 0;
};
} // namespace

HRESULT CreateMemoryStream(IStream** ppstm) {
    if (ppstm == nullptr) return E_POINTER;
    *ppstm = new (std::nothrow) CMemoryStream();
    return *ppstm != nullptr ? S_OK : E_OUTOFMEMORY;
}

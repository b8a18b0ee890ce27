// A stream that keeps no bytes: it follows writes and seeks and reports, as its
// size, the furthest byte written. Saving through it measures a save exactly.
#include "platform/com/StreamBase.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace {
class CCountingStream final : public CStreamBase {
public:
    // Bytes never kept read as zeros, so a writer that reads back sees a
    // stream of the right length.
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (pcbRead != nullptr) *pcbRead = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        const ULONG n = static_cast<ULONG>(std::clamp<LONGLONG>(m_nSize - m_nPos, 0, cb));
        if (n > 0) std::memset(pv, 0, n);
        m_nPos += n;
        if (pcbRead != nullptr) *pcbRead = n;
        return S_OK;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten != nullptr) *pcbWritten = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        if (m_nPos > INT64_MAX - cb) return STG_E_MEDIUMFULL;
        m_nPos += cb;
        m_nSize = std::max(m_nSize, m_nPos);
        if (pcbWritten != nullptr) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
        return SeekWithin(&m_nPos, m_nSize, dlibMove, dwOrigin, plibNewPosition);
    }
    HRESULT SetSize(ULARGE_INTEGER libNewSize) override {
        if (libNewSize.QuadPart > static_cast<ULONGLONG>(INT64_MAX)) return STG_E_MEDIUMFULL;
        m_nSize = static_cast<LONGLONG>(libNewSize.QuadPart);
        return S_OK;
    }
    HRESULT Stat(STATSTG* pstatstg, DWORD) override { return StatOfSize(pstatstg, m_nSize); }

private:
    LONGLONG m_nSize = 0;
    LONGLONG m_nPos = 0;
};
} // namespace

HRESULT CreateCountingStream(IStream** ppstm) {
    if (ppstm == nullptr) return E_POINTER;
    *ppstm = new (std::nothrow) CCountingStream();
    return *ppstm != nullptr ? S_OK : E_OUTOFMEMORY;
}

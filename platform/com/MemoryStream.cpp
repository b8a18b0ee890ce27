// A stream over a growable memory block: writes past the end grow it (the gap
// is zero-filled), reads stop at the end.
#include "platform/com/StreamBase.h"
#include "platform/com/TaskMem.h"
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {
// Larger than any stream the instrument writes; keeps a wild seek-and-write
// from asking for an absurd block.
constexpr LONGLONG kMaxMemoryStream = LONGLONG(1) << 34;

class CMemoryStream final : public CStreamBase {
public:
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (pcbRead != nullptr) *pcbRead = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        const LONGLONG nSize = static_cast<LONGLONG>(m_data.size());
        const ULONG n =
            m_nPos >= nSize ? 0 : static_cast<ULONG>(std::min<LONGLONG>(cb, nSize - m_nPos));
        if (n > 0) std::memcpy(pv, m_data.data() + m_nPos, n);
        m_nPos += n;
        if (pcbRead != nullptr) *pcbRead = n;
        return S_OK;
    }
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
        if (pcbWritten != nullptr) *pcbWritten = 0;
        if (pv == nullptr && cb > 0) return STG_E_INVALIDPOINTER;
        const LONGLONG nEnd = m_nPos + cb;
        if (nEnd > kMaxMemoryStream) return STG_E_MEDIUMFULL;
        try {
            if (nEnd > static_cast<LONGLONG>(m_data.size()))
                m_data.resize(static_cast<size_t>(nEnd));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (cb > 0) std::memcpy(m_data.data() + m_nPos, pv, cb);
        m_nPos = nEnd;
        if (pcbWritten != nullptr) *pcbWritten = cb;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) override {
        const LONGLONG n =
            SeekTarget(dlibMove.QuadPart, dwOrigin, m_nPos, static_cast<LONGLONG>(m_data.size()));
        if (n < 0) return dwOrigin > STREAM_SEEK_END ? STG_E_INVALIDFUNCTION : STG_E_SEEKERROR;
        m_nPos = n;
        if (plibNewPosition != nullptr) plibNewPosition->QuadPart = static_cast<ULONGLONG>(n);
        return S_OK;
    }
    HRESULT SetSize(ULARGE_INTEGER libNewSize) override {
        if (libNewSize.QuadPart > static_cast<ULONGLONG>(kMaxMemoryStream)) return STG_E_MEDIUMFULL;
        try {
            m_data.resize(static_cast<size_t>(libNewSize.QuadPart));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    HRESULT Stat(STATSTG* pstatstg, DWORD) override {
        if (pstatstg == nullptr) return STG_E_INVALIDPOINTER;
        *pstatstg = STATSTG{};
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = m_data.size();
        pstatstg->grfMode = STGM_READWRITE;
        return S_OK;
    }

private:
    std::vector<unsigned char> m_data;
    LONGLONG m_nPos = 0;
};
} // namespace

HRESULT CreateMemoryStream(IStream** ppstm) {
    if (ppstm == nullptr) return E_POINTER;
    *ppstm = new (std::nothrow) CMemoryStream();
    return *ppstm != nullptr ? S_OK : E_OUTOFMEMORY;
}

// What the memory and file streams share: reference counting, the interface
// query, and the operations neither needs (copy, transactions, region locks,
// clones). A stream is used by one thread at a time; nothing here locks.
#pragma once
#include "platform/com/RefCounted.h"
#include "platform/com/Stream.h"

class CStreamBase : public CRefCounted<IStream> {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
            *ppv = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT Commit(DWORD) override { return S_OK; }
    HRESULT Revert() override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

protected:
    ~CStreamBase() override = default;

    // The position a seek asks for, or -1 when it would be negative or the
    // origin is unknown.
    static LONGLONG SeekTarget(LONGLONG nMove, DWORD dwOrigin, LONGLONG nPos, LONGLONG nSize) {
        LONGLONG nFrom;
        switch (dwOrigin) {
        case STREAM_SEEK_SET: nFrom = 0; break;
        case STREAM_SEEK_CUR: nFrom = nPos; break;
        case STREAM_SEEK_END: nFrom = nSize; break;
        default: return -1;
        }
        if (nMove > 0 && nFrom > INT64_MAX - nMove) return -1;
        const LONGLONG n = nFrom + nMove;
        return n < 0 ? -1 : n;
    }

    // Seek and Stat of a stream that keeps its position and size itself.
    static HRESULT SeekWithin(LONGLONG* pnPos, LONGLONG nSize, LARGE_INTEGER dlibMove,
                              DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) {
        const LONGLONG n = SeekTarget(dlibMove.QuadPart, dwOrigin, *pnPos, nSize);
        if (n < 0) return dwOrigin > STREAM_SEEK_END ? STG_E_INVALIDFUNCTION : STG_E_SEEKERROR;
        *pnPos = n;
        if (plibNewPosition != nullptr) plibNewPosition->QuadPart = static_cast<ULONGLONG>(n);
        return S_OK;
    }
    static HRESULT StatOfSize(STATSTG* pstatstg, LONGLONG nSize) {
        if (pstatstg == nullptr) return STG_E_INVALIDPOINTER;
        *pstatstg = STATSTG{};
        pstatstg->type = STGTY_STREAM;
        pstatstg->cbSize.QuadPart = static_cast<ULONGLONG>(nSize);
        pstatstg->grfMode = STGM_READWRITE;
        return S_OK;
    }
};

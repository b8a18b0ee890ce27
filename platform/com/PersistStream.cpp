#include "platform/com/PersistStream.h"
#include <cstdio>

void CPersistStream::FormatVersionText(LONG nVersion, unsigned char out[kVersionTextBytes]) {
    char text[32];
    std::snprintf(text, sizeof(text), "%011d ", static_cast<int>(nVersion));
    for (ULONG i = 0; i < kVersionTextBytes / 2; ++i) {
        out[2 * i] = static_cast<unsigned char>(text[i]);
        out[2 * i + 1] = 0;
    }
}

HRESULT CPersistStream::ReadVersionText(IStream* pStm, LONG* pnVersion) {
    if (pStm == nullptr || pnVersion == nullptr) return E_POINTER;
    auto next = [pStm](unsigned* pUnit) -> HRESULT {
        unsigned char b[2];
        ULONG n = 0;
        const HRESULT hr = pStm->Read(b, 2, &n);
        if (FAILED(hr)) return hr;
        if (n != 2) return VFW_E_INVALID_FILE_FORMAT;
        *pUnit = b[0] | (b[1] << 8u);
        return S_OK;
    };
    unsigned unit = 0;
    HRESULT hr = next(&unit);
    if (FAILED(hr)) return hr;
    const bool bNegative = unit == '-';
    if (bNegative && FAILED(hr = next(&unit))) return hr;
    // Unsigned arithmetic: an endless run of digits wraps instead of overflowing.
    uint32_t nValue = 0;
    while (unit >= '0' && unit <= '9') {
        nValue = nValue * 10u + (unit - '0');
        if (FAILED(hr = next(&unit))) return hr;
    }
    if (unit != ' ' && unit != '\t' && unit != '\r' && unit != '\n' && unit != 0)
        return VFW_E_INVALID_FILE_FORMAT;
    if (bNegative) nValue = 0u - nValue;
    *pnVersion = static_cast<LONG>(nValue);
    return S_OK;
}

HRESULT CPersistStream::IsDirty() { return m_bDirty ? S_OK : S_FALSE; }

HRESULT CPersistStream::Load(IStream* pStm) {
    LONG nVersion = 0;
    const HRESULT hr = ReadVersionText(pStm, &nVersion);
    if (FAILED(hr)) return hr;
    m_nFileVersion = nVersion;
    return ReadState(pStm);
}

HRESULT CPersistStream::Save(IStream* pStm, BOOL fClearDirty) {
    if (pStm == nullptr) return E_POINTER;
    unsigned char text[kVersionTextBytes];
    FormatVersionText(GetStateVersion(), text);
    ULONG nWritten = 0;
    HRESULT hr = pStm->Write(text, kVersionTextBytes, &nWritten);
    if (FAILED(hr)) return hr;
    if (nWritten != kVersionTextBytes) return STG_E_MEDIUMFULL;
    hr = WriteState(pStm);
    if (FAILED(hr)) return hr;
    m_bDirty = fClearDirty ? 0 : 1;
    return hr;
}

HRESULT CPersistStream::GetSizeMax(ULARGE_INTEGER* pcbSize) {
    if (pcbSize == nullptr) return E_POINTER;
    // A host sizes its stream from this, so an object that names no size of
    // its own is measured by writing its state into a stream that keeps nothing.
    LONGLONG nState = GetStateSizeMax();
    if (nState <= 0) {
        IStream* pCount = nullptr;
        HRESULT hr = CreateCountingStream(&pCount);
        if (FAILED(hr)) return hr;
        hr = WriteState(pCount);
        STATSTG st{};
        if (SUCCEEDED(hr)) hr = pCount->Stat(&st, STATFLAG_NONAME);
        pCount->Release();
        if (FAILED(hr)) return hr;
        nState = static_cast<LONGLONG>(st.cbSize.QuadPart);
    }
    pcbSize->QuadPart = static_cast<ULONGLONG>(nState + kVersionTextBytes);
    return S_OK;
}

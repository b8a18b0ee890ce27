// One buffer that crosses the engine boundary: an input or output media
// sample with its frame count, pin id and silent flag. Filled by the host
// framework for every buffer and used by the engine's Process, both under the
// object's lock on the streaming thread.
#pragma once
#include "interfaces/PinSample.h"
#include "platform/mfx/MfxSilentBuffer.h"
#include <cstring>

struct PinBuffer {
    LONG nFrames = 0; // the capacity, then the count to render
    DWORD dwPinId = 0;
    IPinSample* pSample = nullptr; // one reference, released by the framework
    BYTE* pData = nullptr;         // cached by GetData
    DWORD dwSilent = 0;            // the buffer holds silence and has not been written
    WORD wBlockAlign = 0;          // bytes per frame of the buffer's format

    // The buffer's memory; take it (again) before writing, also after a
    // SetSilent(TRUE). A buffer still flagged silent is zeroed first (frames x
    // block alignment bytes, at most the sample's size) and loses the flag,
    // also on the sample's silent-buffer extension, because the caller is
    // about to read or write real data. Null when the sample has no memory.
    BYTE* GetData() {
        if (pData == nullptr && pSample != nullptr) {
            BYTE* p = nullptr;
            if (SUCCEEDED(pSample->GetPointer(&p))) pData = p;
        }
        if (dwSilent != 0) {
            if (pData != nullptr) std::memset(pData, 0, ByteCount());
            SetSilent(0);
        }
        return pData;
    }
    float* GetFloats() { return reinterpret_cast<float*>(GetData()); }

    BOOL IsSilent() const { return dwSilent != 0; }
    // Sets the flag and hands it to the sample's silent-buffer extension.
    void SetSilent(BOOL bSilent) {
        dwSilent = bSilent ? 1 : 0;
        if (IMfxSilentBuffer* pExt = QuerySilentBuffer()) {
            pExt->SetSilentFlag(bSilent ? TRUE : FALSE);
            pExt->Release();
        }
    }
    // True when the sample carries the flag itself, so silence need not be written.
    bool HasSilentBuffer() const {
        IMfxSilentBuffer* pExt = QuerySilentBuffer();
        if (pExt == nullptr) return false;
        pExt->Release();
        return true;
    }
    // Bytes of nFrames frames, limited to the sample's memory.
    size_t ByteCount() const {
        if (nFrames <= 0 || pSample == nullptr) return 0;
        LONGLONG bytes = static_cast<LONGLONG>(nFrames) * wBlockAlign;
        LONGLONG size = pSample->GetSize();
        if (bytes > size) bytes = size > 0 ? size : 0;
        return static_cast<size_t>(bytes);
    }

private:
    IMfxSilentBuffer* QuerySilentBuffer() const {
        if (pSample == nullptr) return nullptr;
        void* pv = nullptr;
        if (FAILED(pSample->QueryInterface(IID_IMfxSilentBuffer, &pv))) return nullptr;
        return static_cast<IMfxSilentBuffer*>(pv);
    }
};

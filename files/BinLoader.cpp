#include "files/BinLoader.h"
#include "files/AcidWaveSource.h"
#include "platform/kernel/TextConvert.h"

HRESULT LoadFileToBinEntry(CVudivuVizezud* pEngine, const char* pszPath, LONG nIndex, LONG* pnIndex,
                           LONG* pnStatus, const char* pszName) {
    if (pEngine == nullptr || pszPath == nullptr || pnIndex == nullptr || pnStatus == nullptr)
        return E_POINTER;
    *pnStatus = 0;
    const bool bChanged = pEngine->EnsureOutputFormat();
    const std::wstring path = WideFromUtf8(pszPath);
    {
        CAutoLock lock(pEngine);
        const LONG nExisting = pEngine->FindBinEntry(path.c_str());
        if (nExisting >= 0) {
            *pnIndex = nExisting;
            *pnStatus = bChanged ? kLoadStatusFormatChanged : 0;
            return bChanged ? S_FALSE : S_OK;
        }
    }
    CAcidWaveSource file;
    if (FAILED(file.Load(pszPath))) return E_INVALIDARG;
    const std::wstring name = pszName != nullptr ? WideFromUtf8(pszName) : std::wstring();
    const HRESULT hr =
        pEngine->LoadSourceToBin(file.Source(), path.c_str(), nIndex, pnIndex, pnStatus,
                                 pszName != nullptr ? name.c_str() : nullptr);
    // The format was corrected by this call's first check, not the engine's second one.
    if (hr == S_OK && bChanged) {
        *pnStatus = kLoadStatusFormatChanged;
        return S_FALSE;
    }
    return hr;
}

#include "apps/lv2/StateStore.h"
#include "apps/lv2/Lv2Uris.h"
#include "apps/lv2/StateImage.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include <climits>
#include <lv2/atom/atom.h>

namespace {
constexpr uint32_t kFlags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

HRESULT SaveBytes(IPersistStream* pPersist, std::vector<uint8_t>* pBytes) {
    ComPtr<IStream> pStream;
    HRESULT hr = CreateMemoryStream(pStream.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = pPersist->Save(pStream.Get(), FALSE);
    ULARGE_INTEGER end{};
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return hr;
    pBytes->resize(static_cast<size_t>(end.QuadPart));
    ULONG cbRead = 0;
    hr = pStream->Read(pBytes->data(), static_cast<ULONG>(pBytes->size()), &cbRead);
    return SUCCEEDED(hr) && cbRead != pBytes->size() ? E_FAIL : hr;
}

HRESULT LoadBytes(IPersistStream* pPersist, const void* pData, size_t nSize) {
    if (nSize > ULONG_MAX) return E_OUTOFMEMORY;
    ComPtr<IStream> pStream;
    HRESULT hr = CreateMemoryStream(pStream.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = pStream->Write(pData, static_cast<ULONG>(nSize), nullptr);
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) hr = pPersist->Load(pStream.Get());
    return hr;
}
} // namespace

void CStateStore::Init(const LV2_URID_Map* pMap) {
    m_pMap = pMap;
    m_chunk = pMap->map(pMap->handle, LV2_ATOM__Chunk);
    m_path = pMap->map(pMap->handle, LV2_ATOM__Path);
    m_stateKey = pMap->map(pMap->handle, PANDREL_LV2_STATE_KEY);
    m_projectKey = pMap->map(pMap->handle, PANDREL_LV2_PROJECT_KEY);
}

LV2_URID CStateStore::WaveKey(size_t nIndex) const {
    const std::string strKey = PANDREL_LV2_WAVE_KEY_PREFIX + std::to_string(nIndex);
    return m_pMap->map(m_pMap->handle, strKey.c_str());
}

LV2_State_Status CStateStore::Save(IPersistStream* pPersist, LV2_State_Store_Function store,
                                   LV2_State_Handle handle, const LV2_Feature* const* features,
                                   std::string* pstrError) {
    std::vector<uint8_t> bytes;
    const HRESULT hr = SaveBytes(pPersist, &bytes);
    if (FAILED(hr))
        return *pstrError = "the instrument cannot save its state", LV2_STATE_ERR_UNKNOWN;
    const CWaveFiles::Features paths = CWaveFiles::Features::From(features);
    if (paths.pMake != nullptr && paths.pMap != nullptr) {
        const LV2_State_Status status = SaveFiles(bytes, store, handle, paths, pstrError);
        if (status != LV2_STATE_ERR_NO_PROPERTY) return status;
    }
    m_last = {};
    return store(handle, m_stateKey, bytes.data(), bytes.size(), m_chunk, kFlags);
}

LV2_State_Status CStateStore::SaveFiles(const std::vector<uint8_t>& stream,
                                        LV2_State_Store_Function store, LV2_State_Handle handle,
                                        const CWaveFiles::Features& features,
                                        std::string* pstrError) {
    CStateImage image;
    // Bytes not laid out as a project form are saved whole (the caller's fallback).
    if (!image.Split(stream)) return LV2_STATE_ERR_NO_PROPERTY;
    SaveCounts counts;
    std::vector<std::string> paths;
    for (const CStateImage::Wave& wave : image.Waves()) {
        std::string strStored;
        CWaveFiles::Written written = CWaveFiles::Written::New;
        if (!m_files.Write(features, &stream[wave.nOffset], wave.nBytes, wave.llHash, &strStored,
                           &written, pstrError))
            return LV2_STATE_ERR_UNKNOWN;
        counts.nKept += written == CWaveFiles::Written::Kept;
        counts.nLinked += written == CWaveFiles::Written::Linked;
        if (written == CWaveFiles::Written::New) {
            ++counts.nNew;
            counts.nNewBytes += wave.nBytes;
        }
        paths.push_back(std::move(strStored));
    }
    const std::vector<uint8_t>& structure = image.Structure();
    LV2_State_Status status =
        store(handle, m_projectKey, structure.data(), structure.size(), m_chunk, kFlags);
    for (size_t i = 0; i < paths.size() && status == LV2_STATE_SUCCESS; ++i)
        status = store(handle, WaveKey(i), paths[i].c_str(), paths[i].size() + 1, m_path, kFlags);
    m_last = counts;
    if (status != LV2_STATE_SUCCESS) *pstrError = "the host cannot store the state";
    return status;
}

LV2_State_Status CStateStore::Restore(IPersistStream* pPersist,
                                      LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                                      const LV2_Feature* const* features, std::string* pstrError) {
    size_t nSize = 0;
    uint32_t nType = 0, nFlags = 0;
    std::vector<uint8_t> stream;
    const void* pData = retrieve(handle, m_projectKey, &nSize, &nType, &nFlags);
    if (pData != nullptr && nType == m_chunk) {
        if (!ReadFiles(pData, nSize, retrieve, handle, CWaveFiles::Features::From(features),
                       &stream, pstrError))
            return LV2_STATE_ERR_UNKNOWN;
        pData = stream.data();
        nSize = stream.size();
    } else {
        // A state of older versions: the whole stream in one chunk.
        pData = retrieve(handle, m_stateKey, &nSize, &nType, &nFlags);
        if (pData == nullptr || nType != m_chunk) {
            *pstrError = "the state holds no project";
            return LV2_STATE_ERR_NO_PROPERTY;
        }
    }
    const HRESULT hr = LoadBytes(pPersist, pData, nSize);
    if (FAILED(hr)) *pstrError = "the instrument refuses the state's project";
    return SUCCEEDED(hr) ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

bool CStateStore::ReadFiles(const void* pStructure, size_t nSize,
                            LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                            const CWaveFiles::Features& features, std::vector<uint8_t>* pStream,
                            std::string* pstrError) {
    const auto* pb = static_cast<const uint8_t*>(pStructure);
    std::vector<CStateImage::Wave> waves;
    if (!CStateImage::Layout(std::vector<uint8_t>(pb, pb + nSize), pStream, &waves))
        return *pstrError = "the state's project structure is damaged", false;
    for (size_t i = 0; i < waves.size(); ++i) {
        size_t nPath = 0;
        uint32_t nType = 0, nFlags = 0;
        const auto* psz =
            static_cast<const char*>(retrieve(handle, WaveKey(i), &nPath, &nType, &nFlags));
        if (psz == nullptr || nType != m_path || nPath == 0 || psz[nPath - 1] != '\0')
            return *pstrError = "the state names no file for wave " + std::to_string(i), false;
        const CStateImage::Wave& wave = waves[i];
        if (!m_files.Read(features, psz, pStream->data() + wave.nOffset, wave.nBytes, wave.llHash,
                          pstrError))
            return false;
    }
    return true;
}

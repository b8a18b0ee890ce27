// Host state: the instrument's IPersistStream bytes as one atom:Chunk.
// State thread; takes the plug-in's lock, so it waits while a block renders.
#include "apps/lv2/Lv2Plugin.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Persist.h"
#include "platform/com/Stream.h"
#include <vector>

LV2_State_Status CLv2Plugin::Save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    std::lock_guard<std::mutex> guard(m_lock);
    ComPtr<IPersistStream> pPersist = Query<IPersistStream>(m_graph.Filter(), IID_IPersistStream);
    if (!pPersist) return LV2_STATE_ERR_UNKNOWN;
    ComPtr<IStream> pStream;
    HRESULT hr = CreateMemoryStream(pStream.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = pPersist->Save(pStream.Get(), FALSE);
    pPersist.Reset();
    std::vector<uint8_t> bytes;
    if (SUCCEEDED(hr)) {
        ULARGE_INTEGER end{};
        pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &end);
        pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
        bytes.resize(static_cast<size_t>(end.QuadPart));
        ULONG cbRead = 0;
        hr = pStream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &cbRead);
        if (cbRead != bytes.size()) hr = E_FAIL;
    }
    pStream.Reset();
    if (FAILED(hr)) return LV2_STATE_ERR_UNKNOWN;
    return store(handle, m_urid.stateKey, bytes.data(), bytes.size(), m_urid.atomChunk,
                 LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

LV2_State_Status CLv2Plugin::Restore(LV2_State_Retrieve_Function retrieve,
                                     LV2_State_Handle handle) {
    size_t nSize = 0;
    uint32_t nType = 0, nFlags = 0;
    const void* pData = retrieve(handle, m_urid.stateKey, &nSize, &nType, &nFlags);
    if (pData == nullptr || nType != m_urid.atomChunk) return LV2_STATE_ERR_NO_PROPERTY;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_graph.Filter() == nullptr) return LV2_STATE_ERR_UNKNOWN;
    m_idle.Invalidate(); // whatever the load leaves, the next block renders
    ComPtr<IPersistStream> pPersist = Query<IPersistStream>(m_graph.Filter(), IID_IPersistStream);
    if (!pPersist) return LV2_STATE_ERR_UNKNOWN;
    ComPtr<IStream> pStream;
    HRESULT hr = CreateMemoryStream(pStream.ReleaseAndGetAddressOf());
    if (SUCCEEDED(hr)) hr = pStream->Write(pData, static_cast<ULONG>(nSize), nullptr);
    if (SUCCEEDED(hr)) hr = pStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (SUCCEEDED(hr)) hr = pPersist->Load(pStream.Get());
    return SUCCEEDED(hr) ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

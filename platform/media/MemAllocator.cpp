#include "platform/media/MemAllocator.h"
#include <new>

CMemAllocator::CMemAllocator() = default;

CMemAllocator::~CMemAllocator() { FreeMemory(); }

HRESULT CMemAllocator::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (riid != IID_IUnknown && riid != IID_IMemAllocator) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IMemAllocator*>(this);
    AddRef();
    return S_OK;
}

HRESULT CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* pRequest,
                                     ALLOCATOR_PROPERTIES* pActual) {
    if (pRequest == nullptr || pActual == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_control);
    if (m_bCommitted) return VFW_E_ALREADY_COMMITTED;
    if (m_cOutstanding > 0) return VFW_E_BUFFERS_OUTSTANDING;
    const LONG align = pRequest->cbAlign;
    if (align <= 0 || (align & (align - 1)) != 0) return VFW_E_BADALIGN;
    if (pRequest->cBuffers < 0 || pRequest->cbBuffer < 0 || pRequest->cbPrefix < 0)
        return E_INVALIDARG;
    // Each buffer with its prefix starts on the alignment.
    LONGLONG size = static_cast<LONGLONG>(pRequest->cbBuffer) + pRequest->cbPrefix;
    size = (size + align - 1) / align * align;
    if (size > 0x7FFFFFFF) return E_INVALIDARG;
    FreeMemory();
    m_props = *pRequest;
    m_props.cbBuffer = static_cast<LONG>(size) - pRequest->cbPrefix;
    *pActual = m_props;
    return S_OK;
}

HRESULT CMemAllocator::GetProperties(ALLOCATOR_PROPERTIES* pProps) {
    if (pProps == nullptr) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_control);
    *pProps = m_props;
    return S_OK;
}

HRESULT CMemAllocator::Commit() {
    std::lock_guard<std::mutex> lock(m_control);
    if (m_bCommitted) return S_OK;
    if (m_props.cBuffers <= 0 || m_props.cbBuffer <= 0) return VFW_E_SIZENOTSET;
    if (m_samples.empty()) {
        const LONGLONG stride = static_cast<LONGLONG>(m_props.cbBuffer) + m_props.cbPrefix;
        m_pMemory.reset(new (
            std::nothrow) BYTE[static_cast<size_t>(stride * m_props.cBuffers + m_props.cbAlign)]());
        if (!m_pMemory) return E_OUTOFMEMORY;
        // The block itself is aligned by hand: new[] promises less than a large cbAlign.
        auto base = reinterpret_cast<uintptr_t>(m_pMemory.get());
        const auto align = static_cast<uintptr_t>(m_props.cbAlign);
        BYTE* p = reinterpret_cast<BYTE*>((base + align - 1) / align * align);
        for (LONG i = 0; i < m_props.cBuffers; ++i) {
            auto s = std::unique_ptr<CMediaSample>(new (std::nothrow) CMediaSample(
                this, p + i * stride + m_props.cbPrefix, m_props.cbBuffer));
            if (!s) {
                m_samples.clear();
                m_pMemory.reset();
                return E_OUTOFMEMORY;
            }
            m_samples.push_back(std::move(s));
        }
    }
    m_bCommitted = true;
    return S_OK;
}

HRESULT CMemAllocator::Decommit() {
    std::lock_guard<std::mutex> lock(m_control);
    m_bCommitted = false;
    if (m_cOutstanding == 0) FreeMemory();
    return S_OK;
}

void CMemAllocator::FreeMemory() {
    if (m_cOutstanding != 0) return;
    m_samples.clear();
    m_pMemory.reset();
}

HRESULT CMemAllocator::GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME*, REFERENCE_TIME*, DWORD) {
    if (ppBuffer == nullptr) return E_POINTER;
    *ppBuffer = nullptr;
    if (!m_bCommitted) return VFW_E_NOT_COMMITTED;
    for (auto& s : m_samples) {
        bool bFree = false;
        if (!s->m_bInUse.compare_exchange_strong(bFree, true)) continue;
        ++m_cOutstanding;
        AddRef(); // a buffer that is out keeps its allocator
        s->Reset();
        *ppBuffer = s.get();
        return S_OK;
    }
    return VFW_E_TIMEOUT;
}

HRESULT CMemAllocator::ReleaseBuffer(IMediaSample* pBuffer) {
    if (pBuffer == nullptr) return E_POINTER;
    static_cast<CMediaSample*>(pBuffer)->m_bInUse = false;
    --m_cOutstanding;
    Release();
    return S_OK;
}

HRESULT CreateMemoryAllocator(IMemAllocator** ppAllocator) {
    if (ppAllocator == nullptr) return E_POINTER;
    auto* p = new (std::nothrow) CMemAllocator();
    *ppAllocator = p;
    return p != nullptr ? S_OK : E_OUTOFMEMORY;
}

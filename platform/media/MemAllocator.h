// The default memory allocator: a fixed set of equal buffers whose count,
// size, alignment and prefix are agreed between two pins. Memory is taken at
// Commit; GetBuffer hands out a free buffer without waiting and without a
// lock (VFW_E_TIMEOUT when all are out), so the streaming thread never blocks
// on it. Properties and commit: control thread; buffers: any thread.
#pragma once
#include "platform/com/ClassFactory.h"
#include "platform/com/RefCounted.h"
#include "platform/media/MediaSample.h"
#include <memory>
#include <mutex>
#include <vector>

// {1E651CC0-B199-11D0-8212-00C04FC32C45}
constexpr CLSID CLSID_MemoryAllocator = {
    0x1E651CC0, 0xB199, 0x11D0, {0x82, 0x12, 0x00, 0xC0, 0x4F, 0xC3, 0x2C, 0x45}};

class CMemAllocator : public CRefCounted<CBaseObject, IMemAllocator> {
public:
    CMemAllocator();
    ~CMemAllocator() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;

    // VFW_E_ALREADY_COMMITTED while committed, VFW_E_BUFFERS_OUTSTANDING while
    // a buffer is out, VFW_E_BADALIGN for an alignment that is not a power of
    // 2, E_INVALIDARG for negative sizes.
    HRESULT SetProperties(ALLOCATOR_PROPERTIES* pRequest, ALLOCATOR_PROPERTIES* pActual) override;
    HRESULT GetProperties(ALLOCATOR_PROPERTIES* pProps) override;
    // VFW_E_SIZENOTSET before usable properties; E_OUTOFMEMORY.
    HRESULT Commit() override;
    // Buffers still out come back later; the memory goes when none is out.
    HRESULT Decommit() override;
    // VFW_E_NOT_COMMITTED, VFW_E_TIMEOUT when every buffer is out.
    HRESULT GetBuffer(IMediaSample** ppBuffer, REFERENCE_TIME* pStartTime, REFERENCE_TIME* pEndTime,
                      DWORD dwFlags) override;
    HRESULT ReleaseBuffer(IMediaSample* pBuffer) override;

    bool IsCommitted() const { return m_bCommitted.load(); }
    LONG OutstandingBuffers() const { return m_cOutstanding.load(); }

private:
    void FreeMemory();

    std::mutex m_control; // properties, commit and decommit (control thread)
    ALLOCATOR_PROPERTIES m_props{0, 0, 1, 0};
    std::atomic<bool> m_bCommitted{false};
    std::atomic<LONG> m_cOutstanding{0};
    std::unique_ptr<BYTE[]> m_pMemory;
    std::vector<std::unique_ptr<CMediaSample>> m_samples;
};

// A new default allocator with one reference.
HRESULT CreateMemoryAllocator(IMemAllocator** ppAllocator);

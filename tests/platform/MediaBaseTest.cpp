// The platform's media-filter base: allocator and samples, and the base
// pins' connection rules.
#include "hostlib/TestFilters.h"
#include "platform/media/FilterGraph.h"
#include "platform/media/MemAllocator.h"
#include "platform/mfx/MfxSilentBuffer.h"
#include <gtest/gtest.h>

TEST(MediaBaseTest, AllocatorHandsOutItsBuffersWithoutWaiting) {
    IMemAllocator* pAlloc = nullptr;
    ASSERT_EQ(CreateMemoryAllocator(&pAlloc), S_OK);
    IMediaSample* p1 = nullptr;
    EXPECT_EQ(pAlloc->GetBuffer(&p1, nullptr, nullptr, 0), VFW_E_NOT_COMMITTED);
    EXPECT_EQ(pAlloc->Commit(), VFW_E_SIZENOTSET);
    ALLOCATOR_PROPERTIES req{2, 1000, 3, 0}, actual{};
    EXPECT_EQ(pAlloc->SetProperties(&req, &actual), VFW_E_BADALIGN);
    req = {2, 1000, 64, 8};
    ASSERT_EQ(pAlloc->SetProperties(&req, &actual), S_OK);
    EXPECT_EQ(actual.cbBuffer, 1016); // buffer plus prefix rounded to the alignment
    ASSERT_EQ(pAlloc->Commit(), S_OK);
    EXPECT_EQ(pAlloc->SetProperties(&req, &actual), VFW_E_ALREADY_COMMITTED);

    IMediaSample* p2 = nullptr;
    IMediaSample* p3 = nullptr;
    ASSERT_EQ(pAlloc->GetBuffer(&p1, nullptr, nullptr, 0), S_OK);
    ASSERT_EQ(pAlloc->GetBuffer(&p2, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(pAlloc->GetBuffer(&p3, nullptr, nullptr, 0), VFW_E_TIMEOUT);
    BYTE* pData = nullptr;
    p1->GetPointer(&pData);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(pData - 8) % 64, 0u);
    EXPECT_EQ(p1->GetSize(), 1016);
    EXPECT_EQ(p1->SetActualDataLength(1017), E_INVALIDARG);
    REFERENCE_TIME start = 5, stop = 0;
    EXPECT_EQ(p1->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET);
    p1->SetTime(&start, nullptr);
    EXPECT_EQ(p1->GetTime(&start, &stop), VFW_S_NO_STOP_TIME);
    IMfxSilentBuffer* pSilent = nullptr;
    ASSERT_EQ(p1->QueryInterface(IID_IMfxSilentBuffer, reinterpret_cast<void**>(&pSilent)), S_OK);
    pSilent->SetSilentFlag(TRUE);
    pSilent->Release();

    // A returned buffer comes back fresh; one still out keeps the allocator.
    p1->Release();
    ASSERT_EQ(pAlloc->GetBuffer(&p3, nullptr, nullptr, 0), S_OK);
    BOOL bSilent = TRUE;
    p3->QueryInterface(IID_IMfxSilentBuffer, reinterpret_cast<void**>(&pSilent));
    pSilent->GetSilentFlag(&bSilent);
    pSilent->Release();
    EXPECT_FALSE(bSilent);
    EXPECT_EQ(p3->GetTime(&start, &stop), VFW_E_SAMPLE_TIME_NOT_SET);
    pAlloc->Decommit();
    pAlloc->Release();
    p3->SetActualDataLength(10); // the memory is still there
    p3->Release();
    p2->Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
}

TEST(MediaBaseTest, PinsConnectOnceWhileStoppedAndOnlyToTheOtherDirection) {
    auto* pGraph = new CFilterGraph();
    auto* pSource = new CTestSource();
    auto* pSink = new CTestSink();
    auto* pSource2 = new CTestSource();
    pGraph->AddFilter(pSource, L"a");
    pGraph->AddFilter(pSink, L"b");
    pGraph->AddFilter(pSource2, L"c");
    EXPECT_EQ(pSource->pin.Connect(&pSource2->pin, nullptr), VFW_E_INVALID_DIRECTION);
    const CMediaType mono = FloatType(1);
    EXPECT_EQ(pSource->pin.Connect(&pSink->pin, &mono),
              VFW_E_TYPE_NOT_ACCEPTED); // not a type it has
    EXPECT_FALSE(pSink->pin.IsConnected());
    pSource->pin.types.push_back(FloatType(1));
    // A partial type picks the first candidate that matches it.
    CMediaType partial;
    partial.majortype = MEDIATYPE_Audio;
    pSink->pin.accept = {FloatType(1)};
    ASSERT_EQ(pSource->pin.Connect(&pSink->pin, &partial), S_OK);
    EXPECT_TRUE(pSource->pin.CurrentMediaType() == FloatType(1));
    EXPECT_TRUE(pSink->pin.CurrentMediaType() == FloatType(1));
    EXPECT_EQ(pSource->pin.Connect(&pSink->pin, nullptr), VFW_E_ALREADY_CONNECTED);
    ASSERT_EQ(pGraph->Pause(), S_OK);
    EXPECT_EQ(pSource->pin.Disconnect(), VFW_E_NOT_STOPPED);
    pGraph->Stop();
    EXPECT_EQ(pSource->pin.Disconnect(), S_OK);
    EXPECT_EQ(pSource->pin.Disconnect(), S_FALSE);
    pGraph->Release();
    pSource->Release();
    pSink->Release();
    pSource2->Release();
    EXPECT_EQ(CBaseObject::ObjectsActive(), 0);
}

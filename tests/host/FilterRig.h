// A filter object made directly (as the class factory makes it), and a graph
// around it with the host kit's source and sinks.
#pragma once
#include "../hostlib/TestFilters.h"
#include "../hostlib/TestHostContext.h"
#include "host/Filter.h"
#include "platform/media/FilterGraph.h"
#include <gtest/gtest.h>

inline CFilter* NewFilter() {
    HRESULT hr = E_FAIL;
    auto* p = static_cast<CFilter*>(CFilter::CreateInstance(nullptr, &hr));
    EXPECT_EQ(hr, S_OK);
    p->NonDelegatingAddRef();
    return p;
}

struct FilterRig {
    FilterRig() : pFilter(NewFilter()) {
        pGraph->AddFilter(pFilter->AsBaseFilter(), L"Pandrel");
        pGraph->AddFilter(pSource, L"Source");
        pGraph->AddFilter(pSink, L"Sink");
        pGraph->AddFilter(pSink2, L"Sink 2");
    }
    ~FilterRig() {
        pGraph->Release(); // stops, disconnects and releases the filters
        pSource->Release();
        pSink->Release();
        pSink2->Release();
        pFilter->NonDelegatingRelease();
    }
    IPin* Input() { return pFilter->GetPin(0); }
    IPin* Output(int n) { return pFilter->GetPin(n + 1); } // 0: "Mix Output"
    CFilterOutputPin* OutputPin(int n) {
        return static_cast<CFilterOutputPin*>(pFilter->GetPin(n + 1));
    }
    HRESULT ConnectInput(const AM_MEDIA_TYPE* pmt = nullptr) {
        return pGraph->ConnectDirect(&pSource->pin, Input(), pmt);
    }
    HRESULT ConnectOutput(int n, CTestSink* pTo, const AM_MEDIA_TYPE* pmt = nullptr) {
        return pGraph->ConnectDirect(Output(n), &pTo->pin, pmt);
    }

    CFilter* pFilter;
    CFilterGraph* pGraph = new CFilterGraph();
    CTestSource* pSource = new CTestSource();
    CTestSink* pSink = new CTestSink();
    CTestSink* pSink2 = new CTestSink();
};

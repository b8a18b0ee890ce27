// The graph the hosts share: what it connects, and that every way out of Open
// and Close leaves no reference behind (the library may unload after Close).
#include "apps/hostkit/InstrumentGraph.h"
#include "apps/hostkit/HostContext.h"
#include "apps/hostkit/HostSink.h"
#include "platform/com/RefCounted.h"
#include <algorithm>
#include <gtest/gtest.h>

namespace {
// The count as it stands, without changing it.
template <class T> ULONG Refs(T* p) {
    p->AddRef();
    return p->Release();
}

bool Connected(CHostSink* pSink) {
    IPin* pPeer = nullptr;
    if (FAILED(pSink->Pin()->ConnectedTo(&pPeer))) return false;
    pPeer->Release();
    return true;
}

struct InstrumentGraphTest : ::testing::Test {
    void SetUp() override {
        std::string err;
        ASSERT_TRUE(module.Load(PANDREL_MODULE_PATH, &err)) << err;
    }
    // Sinks on the outputs listed (the one at nRefused of a rate the
    // instrument's outputs refuse); the test keeps a reference to each.
    CInstrumentGraph::SinkMaker Sinks(std::vector<int> outputs, int nRefused = -1) {
        return [this, outputs, nRefused](int n) {
            ++nAsked;
            CInstrumentGraph::Sink sink;
            if (std::find(outputs.begin(), outputs.end(), n) == outputs.end()) return sink;
            ComPtr<CHostSink> pSink = MakeCom<CHostSink>(2, n == nRefused ? 48000 : 44100);
            sinks.push_back(pSink);
            sink.pPin = pSink->Pin();
            sink.pFilter = std::move(pSink);
            return sink;
        };
    }

    CInstrumentModule module;
    ComPtr<CHostContext> pContext = MakeCom<CHostContext>(CTempoMap(), 44100);
    std::vector<ComPtr<CHostSink>> sinks;
    int nAsked = 0;
};
} // namespace

TEST_F(InstrumentGraphTest, ConnectsTheSinksAskedForAndCloseReleasesEverything) {
    CInstrumentGraph graph;
    std::string err;
    ASSERT_TRUE(graph.Open(module, {}, pContext.Get(), Sinks({0, 3}), &err)) << err;
    EXPECT_EQ(nAsked, kOutputCount);
    ASSERT_EQ(sinks.size(), 2u);
    EXPECT_TRUE(Connected(sinks[0].Get()));
    EXPECT_TRUE(Connected(sinks[1].Get()));
    EXPECT_NE(graph.Synth(), nullptr);
    EXPECT_NE(graph.Control(), nullptr);
    EXPECT_NE(graph.Source(), nullptr);
    EXPECT_EQ(graph.Context(), pContext.Get());
    // The test's, the graph's, and whatever the instrument took on Attach.
    const ULONG nOpenRefs = Refs(pContext.Get());
    EXPECT_GE(nOpenRefs, 3u);
    EXPECT_EQ(module.CanUnloadNow(), S_FALSE);

    graph.Close();
    EXPECT_EQ(graph.Synth(), nullptr);
    EXPECT_EQ(graph.Graph(), nullptr);
    EXPECT_EQ(graph.Filter(), nullptr);
    EXPECT_EQ(Refs(pContext.Get()), 1u);
    EXPECT_FALSE(Connected(sinks[0].Get()));
    EXPECT_EQ(Refs(sinks[0].Get()), 1u);
    EXPECT_EQ(Refs(sinks[1].Get()), 1u);
    EXPECT_EQ(module.CanUnloadNow(), S_OK);
    graph.Close(); // closing twice is harmless
}

TEST_F(InstrumentGraphTest, OpeningAgainReplacesTheFirstGraph) {
    CInstrumentGraph graph;
    std::string err;
    ASSERT_TRUE(graph.Open(module, {}, pContext.Get(), Sinks({0}), &err)) << err;
    const ULONG nOpenRefs = Refs(pContext.Get());
    ASSERT_TRUE(graph.Open(module, {}, pContext.Get(), Sinks({0}), &err)) << err;
    EXPECT_FALSE(Connected(sinks[0].Get()));
    EXPECT_EQ(Refs(sinks[0].Get()), 1u);
    EXPECT_TRUE(Connected(sinks[1].Get()));
    EXPECT_EQ(Refs(pContext.Get()), nOpenRefs); // the first attachment let go
}

TEST_F(InstrumentGraphTest, AFailureLeavesNothingHeld) {
    // An output refuses its sink (a sink of another rate): the instrument, its
    // pins, the source and the sinks connected so far all go.
    {
        CInstrumentGraph graph;
        std::string err;
        EXPECT_FALSE(graph.Open(module, {}, pContext.Get(), Sinks({0, 1, 2}, 2), &err));
        EXPECT_EQ(err.rfind("cannot connect an output: ", 0), 0u) << err;
        EXPECT_EQ(nAsked, 3); // nothing asked after the failure
        EXPECT_EQ(sinks.size(), 3u);
        EXPECT_EQ(graph.Synth(), nullptr);
        EXPECT_EQ(graph.Context(), nullptr);
        for (const ComPtr<CHostSink>& p : sinks) {
            EXPECT_FALSE(Connected(p.Get()));
            EXPECT_EQ(Refs(p.Get()), 1u);
        }
        EXPECT_EQ(Refs(pContext.Get()), 1u);
        EXPECT_EQ(module.CanUnloadNow(), S_OK);
    }
    // No library loaded: no class, and the context is not kept.
    CInstrumentModule none;
    CInstrumentGraph graph;
    std::string err;
    EXPECT_FALSE(graph.Open(none, {}, pContext.Get(), Sinks({0}), &err));
    EXPECT_EQ(err.rfind("no instrument class in the library: ", 0), 0u) << err;
    EXPECT_EQ(Refs(pContext.Get()), 1u);
}

TEST(InstrumentGraphWhy, NamesTheResultAndItsCode) {
    EXPECT_EQ(CInstrumentGraph::Why("cannot run", E_INVALIDARG),
              "cannot run: invalid argument (0x80070057)");
}

#include "platform/com/ComPtr.h"
#include "platform/com/RefCounted.h"
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {
constexpr IID IID_IThing = {0x5A1E0001, 0x0001, 0x0001, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr IID IID_IOther = {0x5A1E0002, 0x0001, 0x0001, {1, 2, 3, 4, 5, 6, 7, 8}};

class IThing : public IUnknown {
public:
    virtual int Value() = 0;

protected:
    ~IThing() = default;
};
class IOther : public IUnknown {
public:
    virtual int Other() = 0;

protected:
    ~IOther() = default;
};

int g_nLive = 0;

// Two interfaces on one count, and a base constructor passed on.
class CNamed {
public:
    explicit CNamed(int nValue) : m_nValue(nValue) {}
    int m_nValue;
};

class CThing final : public CRefCounted<CNamed, IThing, IOther> {
public:
    explicit CThing(int nValue = 7) : CRefCounted(nValue) { ++g_nLive; }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IThing)
            *ppv = static_cast<IThing*>(this);
        else if (riid == IID_IOther)
            *ppv = static_cast<IOther*>(this);
        else
            *ppv = nullptr;
        if (*ppv == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    int Value() override { return m_nValue; }
    int Other() override { return -m_nValue; }
    // The count as it stands, without changing it.
    ULONG Count() {
        AddRef();
        return Release();
    }

private:
    ~CThing() override { --g_nLive; }
};

class ComPtrTest : public ::testing::Test {
protected:
    void SetUp() override { g_nLive = 0; }
    void TearDown() override { EXPECT_EQ(g_nLive, 0) << "an object leaked"; }
};
} // namespace

TEST_F(ComPtrTest, CountStartsWithTheCreatorsReferenceAndDeletesAtZero) {
    auto* p = new CThing();
    EXPECT_EQ(p->Count(), 1u);
    EXPECT_EQ(p->AddRef(), 2u);
    EXPECT_EQ(static_cast<IOther*>(p)->AddRef(), 3u); // one count for every interface
    EXPECT_EQ(static_cast<IOther*>(p)->Release(), 2u);
    EXPECT_EQ(p->Release(), 1u);
    EXPECT_EQ(g_nLive, 1);
    EXPECT_EQ(p->Release(), 0u);
    EXPECT_EQ(g_nLive, 0);
}

TEST_F(ComPtrTest, CountingIsAtomicAcrossThreads) {
    auto* p = new CThing();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([p] {
            for (int i = 0; i < 100000; ++i) {
                p->AddRef();
                p->Release();
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(p->Count(), 1u);
    p->Release();
}

TEST_F(ComPtrTest, CopiesAddAReferenceAndMovesDoNot) {
    ComPtr<CThing> a = MakeCom<CThing>(3);
    EXPECT_EQ(a->Value(), 3);
    EXPECT_EQ(a->Count(), 1u);
    {
        ComPtr<CThing> b = a;
        EXPECT_EQ(a->Count(), 2u);
        ComPtr<CThing> c = std::move(b);
        EXPECT_EQ(b, nullptr);
        EXPECT_EQ(c, a);
        EXPECT_EQ(a->Count(), 2u);
        ComPtr<IThing> d = c; // to a base interface
        EXPECT_EQ(a->Count(), 3u);
        ComPtr<IThing> e = std::move(c);
        EXPECT_EQ(c, nullptr);
        EXPECT_EQ(a->Count(), 3u);
    }
    EXPECT_EQ(a->Count(), 1u);
    ComPtr<CThing> f;
    f = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_EQ(f->Count(), 1u);
}

TEST_F(ComPtrTest, AssigningWhatIsHeldKeepsItAlive) {
    ComPtr<CThing> a = MakeCom<CThing>();
    ComPtr<CThing>& alias = a;
    a = alias; // self copy
    EXPECT_EQ(g_nLive, 1);
    EXPECT_EQ(a->Count(), 1u);
    a = a.Get(); // the only reference, assigned again
    EXPECT_EQ(g_nLive, 1);
    EXPECT_EQ(a->Count(), 1u);
    a = std::move(alias); // self move
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Count(), 1u);
    a = nullptr;
    EXPECT_EQ(g_nLive, 0);
}

TEST_F(ComPtrTest, FromARawPointerTakesItsOwnReference) {
    auto* p = new CThing();
    {
        ComPtr<CThing> a(p);
        EXPECT_EQ(p->Count(), 2u);
        ComPtr<CThing> b;
        b = p;
        EXPECT_EQ(p->Count(), 3u);
    }
    EXPECT_EQ(p->Count(), 1u);
    ComPtr<CThing> none(static_cast<CThing*>(nullptr));
    EXPECT_FALSE(none);
    p->Release();
}

TEST_F(ComPtrTest, AttachTakesOverAndDetachHandsBack) {
    ComPtr<CThing> a;
    a.Attach(new CThing(1));
    EXPECT_EQ(a->Count(), 1u);
    a.Attach(new CThing(2)); // the first goes
    EXPECT_EQ(g_nLive, 1);
    EXPECT_EQ(a->Value(), 2);
    CThing* p = a.Detach();
    EXPECT_FALSE(a);
    EXPECT_EQ(p->Count(), 1u);
    EXPECT_EQ(a.Detach(), nullptr);
    p->Release();
}

TEST_F(ComPtrTest, OutParameterReleasesTheOldReferenceFirst) {
    ComPtr<CThing> a = MakeCom<CThing>(1);
    CThing** pp = a.ReleaseAndGetAddressOf();
    EXPECT_EQ(g_nLive, 0);
    EXPECT_EQ(*pp, nullptr);
    *pp = new CThing(2);
    EXPECT_EQ(a->Value(), 2);
    CThing* pOut = nullptr;
    EXPECT_EQ(a.CopyTo(&pOut), S_OK);
    EXPECT_EQ(pOut, a.Get());
    EXPECT_EQ(a->Count(), 2u);
    pOut->Release();
    EXPECT_EQ(a.CopyTo(nullptr), E_POINTER);
    EXPECT_EQ(a->Count(), 1u);
    ComPtr<CThing> empty;
    pOut = a.Get();
    EXPECT_EQ(empty.CopyTo(&pOut), S_OK);
    EXPECT_EQ(pOut, nullptr);
}

TEST_F(ComPtrTest, QueryFillsOnlyOnSuccess) {
    ComPtr<CThing> a = MakeCom<CThing>(5);
    ComPtr<IOther> other = Query<IOther>(a.Get(), IID_IOther);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->Other(), -5);
    EXPECT_EQ(a->Count(), 2u);
    ComPtr<IThing> thing = Query<IThing>(other, IID_IThing);
    EXPECT_EQ(thing->Value(), 5);
    EXPECT_EQ(a->Count(), 3u);
    const IID unknown = {0x5A1E0003, 0, 0, {}};
    EXPECT_FALSE(Query<IThing>(a.Get(), unknown));
    EXPECT_EQ(a->Count(), 3u);
    EXPECT_FALSE(Query<IThing>(static_cast<IUnknown*>(nullptr), IID_IThing));
    EXPECT_FALSE(Query<IThing>(ComPtr<IOther>(), IID_IThing));
}

TEST_F(ComPtrTest, EarlyReturnsReleaseWhatWasTaken) {
    auto build = [](int nFailAt) -> HRESULT {
        ComPtr<CThing> a = MakeCom<CThing>();
        if (nFailAt == 0) return E_FAIL;
        ComPtr<IOther> b = Query<IOther>(a.Get(), IID_IOther);
        if (nFailAt == 1) return E_FAIL;
        std::vector<ComPtr<CThing>> more(3, a);
        more.push_back(MakeCom<CThing>());
        if (nFailAt == 2) return E_FAIL;
        return S_OK;
    };
    for (int n = 0; n <= 3; ++n) {
        build(n);
        EXPECT_EQ(g_nLive, 0) << n;
    }
}

TEST_F(ComPtrTest, SwapExchangesWithoutCounting) {
    ComPtr<CThing> a = MakeCom<CThing>(1), b = MakeCom<CThing>(2);
    a.Swap(b);
    EXPECT_EQ(a->Value(), 2);
    EXPECT_EQ(b->Value(), 1);
    EXPECT_EQ(a->Count(), 1u);
    EXPECT_EQ(b->Count(), 1u);
}

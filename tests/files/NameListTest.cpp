// The instrument's name lists: titles, capacities, sharing, result codes and
// the buffer rules of every text the host receives.
#include "files/Instrument.h"
#include "platform/com/TaskMem.h"
#include <cstring>
#include <gtest/gtest.h>

namespace {
struct NameLists : ::testing::Test {
    NameLists() : inst(new CInstrument(L"Pandrel")) { inst->AddRef(); }
    ~NameLists() override { inst->Release(); }
    static std::string Title(IMfxNameList* p) {
        char buf[64];
        p->GetTitle(buf, sizeof buf);
        return buf;
    }
    static LONG Capacity(IMfxNameList* p) {
        LONG n = -1;
        p->GetCapacity(&n);
        return n;
    }
    CInstrument* inst;
};
} // namespace

TEST_F(NameLists, NameAndBanks) {
    char name[8];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(inst->GetInstrumentName(name, 7), E_POINTER); // needs 8
    EXPECT_EQ(name[0], 'x');
    EXPECT_EQ(inst->GetInstrumentName(nullptr, 8), E_POINTER);
    EXPECT_EQ(inst->GetInstrumentName(name, 8), S_OK);
    EXPECT_STREQ(name, "Pandrel");

    LONG* banks = nullptr;
    LONG count = 0;
    EXPECT_EQ(inst->GetBankList(nullptr, &count), E_POINTER);
    ASSERT_EQ(inst->GetBankList(&banks, &count), S_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(banks[0], 0);
    CoTaskMemFree(banks);

    EXPECT_EQ(inst->QueryPatchFlag(0, 200), E_INVALIDARG);
    EXPECT_EQ(inst->QueryPatchFlag(0, 5), S_FALSE);
    EXPECT_EQ(inst->QueryPatchFlag(-1, -1), S_FALSE);
    EXPECT_EQ(inst->QueryPatchFlag(16383, 127), S_FALSE);
    EXPECT_EQ(inst->QueryPatchFlag(16384, 0), E_INVALIDARG);
    EXPECT_EQ(inst->ValidatePatch(0, -2), E_INVALIDARG);
    EXPECT_EQ(inst->ValidatePatch(0, 5), S_OK);
}

TEST_F(NameLists, PatchListIsSharedAndEmpty) {
    IMfxNameList *p1 = nullptr, *p2 = nullptr;
    ASSERT_EQ(inst->GetPatchNames(0, &p1), S_OK);
    ASSERT_EQ(inst->GetPatchNames(0, &p2), S_OK);
    EXPECT_EQ(p1, p2);
    EXPECT_EQ(p1->AddRef(), 4u); // the instrument's, two handed out, this one
    p1->Release();
    EXPECT_EQ(Title(p1), "Pandrel Patches");
    EXPECT_EQ(Capacity(p1), 128);
    IMfxNameList2* p = nullptr;
    ASSERT_EQ(p1->QueryInterface(IID_IMfxNameList2, reinterpret_cast<void**>(&p)), S_OK);
    LONG count = -1;
    p->GetCount(&count);
    EXPECT_EQ(count, 0);
    p->Release(), p1->Release(), p2->Release();
    EXPECT_EQ(inst->GetPatchNames(-2, &p1), E_INVALIDARG);
    EXPECT_EQ(inst->GetPatchNames(16384, &p1), E_INVALIDARG);
    EXPECT_EQ(inst->GetPatchNames(0, nullptr), E_POINTER);
}

TEST_F(NameLists, NoteListsKeyedByBankAndLowPatchBits) {
    IMfxNameList *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
    EXPECT_EQ(inst->GetNoteNames(0, 5, &a), S_FALSE);
    EXPECT_EQ(inst->GetNoteNames(0, 65541, &b), S_FALSE);
    EXPECT_EQ(a, b);
    inst->GetNoteNames(1, 5, &c);
    inst->GetNoteNames(-1, 5, &d);
    EXPECT_NE(a, c);
    EXPECT_NE(c, d);
    EXPECT_NE(a, d);
    EXPECT_EQ(Title(a), "Pandrel Notes");
    EXPECT_EQ(Capacity(a), 128);
    EXPECT_EQ(CInstrument::NoteKey(-1, 5), LONG(0xFFFF0005u));
    for (IMfxNameList* p : {a, b, c, d}) p->Release();
}

TEST_F(NameLists, ControllerAndParameterLists) {
    IMfxNameList *c = nullptr, *r = nullptr, *n = nullptr, *again = nullptr;
    ASSERT_EQ(inst->GetControllerNames(&c), S_OK);
    ASSERT_EQ(inst->GetRpnNames(&r), S_OK);
    ASSERT_EQ(inst->GetNrpnNames(&n), S_OK);
    EXPECT_EQ(inst->GetRpnNames(nullptr), E_POINTER);
    inst->GetControllerNames(&again);
    EXPECT_EQ(c, again);
    EXPECT_EQ(Title(c), "Pandrel Controllers");
    EXPECT_EQ(Title(r), "Pandrel RPNs");
    EXPECT_EQ(Title(n), "Pandrel NRPNs");
    EXPECT_EQ(Capacity(c), 128);
    EXPECT_EQ(Capacity(r), 16383);
    EXPECT_EQ(Capacity(n), 16383);
    for (IMfxNameList* p : {c, r, n, again}) p->Release();
}

TEST_F(NameLists, ListsOutliveTheInstrumentOnlyByTheirOwnReferences) {
    IMfxNameList* p = nullptr;
    inst->GetRpnNames(&p);
    inst->Release();
    inst = new CInstrument(L"Pandrel");
    inst->AddRef();
    EXPECT_EQ(p->Release(), 0u); // the old instrument gave its reference back
}

TEST_F(NameLists, InterfacesOffered) {
    void* pv = &pv;
    EXPECT_EQ(inst->QueryInterface(IID_IMfxNameList, &pv), E_NOINTERFACE);
    EXPECT_EQ(pv, nullptr);
    ASSERT_EQ(inst->QueryInterface(IID_IUnknown, &pv), S_OK);
    EXPECT_EQ(pv, static_cast<IMfxInstrument*>(inst));
    inst->Release();
    CStringMap* list = new CStringMap(L"t", 4);
    list->AddRef();
    for (const IID* iid : {&IID_IUnknown, &IID_IMfxNameList, &IID_IMfxNameList2}) {
        ASSERT_EQ(list->QueryInterface(*iid, &pv), S_OK);
        list->Release();
    }
    EXPECT_EQ(list->QueryInterface(IID_IMfxInstrument, &pv), E_NOINTERFACE);
    list->Release();
}

// A subclass whose creation does nothing: the Get operation finds no list.
TEST(Instrument, CreationGoesThroughTheVirtualSlot) {
    struct NoPatches : CInstrument {
        NoPatches() : CInstrument(L"X") {}
        HRESULT CreatePatchNames(LONG) override { return S_OK; }
    };
    NoPatches inst;
    IMfxNameList* p = reinterpret_cast<IMfxNameList*>(&inst);
    EXPECT_EQ(inst.GetPatchNames(0, &p), E_FAIL);
    EXPECT_EQ(p, nullptr);
}

TEST(StringMap, BufferRules) {
    CStringMap m(L"Title", 128); // on the stack: never released
    char buf[8];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(m.GetName(0, buf, 8), S_OK);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(m.GetName(128, buf, 8), E_INVALIDARG);
    EXPECT_EQ(m.GetName(-1, buf, 8), E_INVALIDARG);
    EXPECT_EQ(m.GetName(128, nullptr, 1), E_POINTER); // null buffer first
    EXPECT_EQ(m.GetName(5, nullptr, 0), S_OK);
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(m.GetTitle(buf, 0), S_OK);
    EXPECT_EQ(buf[0], 'x');
    EXPECT_EQ(m.GetTitle(nullptr, 0), E_POINTER);
    EXPECT_EQ(m.GetTitle(buf, 4), S_OK);
    EXPECT_STREQ(buf, "Tit"); // cut, last byte 0
    EXPECT_EQ(m.GetCapacity(nullptr), E_POINTER);
    EXPECT_EQ(m.GetCount(nullptr), E_POINTER);
}

TEST(StringMap, IterationAndLookup) {
    CStringMap m(L"t", 128);
    void* pos = nullptr;
    LONG n = -1;
    char buf[8];
    ASSERT_EQ(m.GetFirstPosition(&pos), S_OK);
    EXPECT_EQ(m.GetNextName(&pos, &n, buf, 8), S_FALSE); // empty
    EXPECT_EQ(m.GetNextName(nullptr, &n, buf, 8), E_POINTER);
    EXPECT_EQ(m.GetFirstPosition(nullptr), E_POINTER);
    void* none = nullptr;
    EXPECT_EQ(m.GetNextName(&none, &n, buf, 8), S_FALSE);

    EXPECT_EQ(m.SetName(128, L"no"), E_INVALIDARG);
    m.SetName(9, L"Caf\u00e9");
    m.SetName(2, L"Kick");
    m.GetFirstPosition(&pos);
    ASSERT_EQ(m.GetNextName(&pos, &n, buf, 8), S_OK);
    EXPECT_EQ(n, 2);
    EXPECT_STREQ(buf, "Kick");
    ASSERT_EQ(m.GetNextName(&pos, nullptr, buf, 5), S_OK); // 5 bytes: "Caf" + 0, the é is not split
    EXPECT_STREQ(buf, "Caf");
    EXPECT_EQ(m.GetNextName(&pos, &n, nullptr, 0), S_FALSE);

    EXPECT_EQ(m.LookupName(3, buf, 8), S_FALSE);
    EXPECT_EQ(m.LookupName(9, buf, 8), S_OK);
    EXPECT_STREQ(buf, "Caf\xC3\xA9");
    EXPECT_EQ(m.LookupName(9, nullptr, 8), E_POINTER);
    EXPECT_EQ(m.LookupName(9, nullptr, 0), S_OK);
    EXPECT_EQ(m.GetName(2, buf, 3), S_OK);
    EXPECT_STREQ(buf, "Ki");
}

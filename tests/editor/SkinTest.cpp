// The skin: every bitmap the page asks for exists at its size, and the two
// states of every pair can be told apart.
#include "resources/Skin.h"
#include "resources/ComboLists.h"
#include "resources/Cursors.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include <gtest/gtest.h>

namespace {
bool Differ(UINT a, UINT b) {
    const CBitmap* x = CSkin::Get(a);
    const CBitmap* y = CSkin::Get(b);
    if (!x || !y || x->GetSize() != y->GetSize()) return true;
    for (int j = 0; j < x->Height(); ++j)
        for (int i = 0; i < x->Width(); ++i)
            if (x->GetPixel(i, j) != y->GetPixel(i, j)) return true;
    return false;
}
} // namespace

TEST(Skin, EveryBitmapHasItsSize) {
    struct Want {
        UINT id;
        SIZE size;
    };
    const Want table[] = {{201, {600, 553}}, {290, {360, 232}}, {237, {64 * 17, 17}},
                          {212, {15, 14}},   {286, {15, 14}},   {288, {20, 19}},
                          {273, {20, 19}},   {274, {20, 19}},   {218, {21, 19}},
                          {280, {15, 14}},   {205, {16, 15}},   {281, {16, 15}},
                          {208, {16, 15}},   {210, {16, 15}},   {276, {9, 9}},
                          {229, {10, 12}},   {231, {10, 12}},   {233, {12, 10}},
                          {235, {12, 10}},   {240, {44, 38}},   {271, {44, 38}}};
    for (const Want& w : table) {
        const CBitmap* b = CSkin::Get(w.id);
        ASSERT_NE(b, nullptr) << w.id;
        EXPECT_EQ(b->GetSize(), w.size) << w.id;
        EXPECT_EQ(CSkin::Get(w.id), b) << "painted once and kept";
    }
    EXPECT_EQ(CSkin::Get(227)->GetSize(), CSkin::Get(228)->GetSize());
    EXPECT_EQ(CSkin::Get(200), nullptr);
    EXPECT_EQ(CSkin::Get(272 - 33), nullptr);
}

TEST(Skin, TheStatesOfEveryPairDiffer) {
    const UINT pairs[][2] = {{205, 206}, {281, 282}, {208, 209}, {210, 211}, {212, 213}, {218, 219},
                             {272, 273}, {276, 277}, {279, 280}, {286, 287}, {288, 289}, {229, 230},
                             {231, 232}, {233, 234}, {235, 236}, {227, 228}};
    for (const auto& p : pairs) EXPECT_TRUE(Differ(p[0], p[1])) << p[0] << "/" << p[1];
    for (int pad = 0; pad < 16; ++pad)
        EXPECT_TRUE(Differ(PadLitBitmap(pad), PadUnlitBitmap(pad))) << pad;
    EXPECT_TRUE(Differ(PadUnlitBitmap(0), PadUnlitBitmap(1))); // each pad shows its number
    // Neighbouring knob frames may look alike; the two ends never do.
    const CBitmap* strip = CSkin::Get(IDB_KNOB);
    bool same = true;
    for (int j = 0; j < 17; ++j)
        for (int i = 0; i < 17; ++i)
            same &= strip->GetPixel(i, j) == strip->GetPixel(63 * 17 + i, j);
    EXPECT_FALSE(same);
}

TEST(Resources, ListsStringsAndCursors) {
    EXPECT_EQ(CComboLists::For(IDC_PAD_OUTPUT).size(), 17u);
    EXPECT_EQ(CComboLists::For(IDC_PAD_OUTPUT)[16], L"Chan 16");
    EXPECT_EQ(CComboLists::For(IDC_PAD_MIDI_IN)[1], L"Ch. 1");
    EXPECT_EQ(CComboLists::For(IDC_PAD_ROOT).size(), 13u);
    EXPECT_EQ(CComboLists::For(IDC_SNAP).size(), 8u);
    EXPECT_TRUE(CComboLists::For(1).empty());
    EXPECT_EQ(CStringTable::Load(IDS_FONT_FACE), L"Arial");
    for (UINT id = 6; id <= 13; ++id) EXPECT_FALSE(CStringTable::Load(id).empty()) << id;
    EXPECT_TRUE(CStringTable::Load(4).empty());
    const CCursor* drag = CCursors::Load(L"DRAGCOPY");
    ASSERT_NE(drag, nullptr);
    EXPECT_FALSE(drag->IsArrow());
    EXPECT_EQ(CCursors::Load(L"DRAGMOVE"), nullptr);
}

// The COM base types: fixed HRESULT values, the registry text form of a GUID,
// and the task allocator.
#include "platform/com/Guid.h"
#include "platform/com/HResult.h"
#include "platform/com/TaskMem.h"
#include <cstring>
#include <gtest/gtest.h>
#include <string>

TEST(HResult, CodesHaveTheirFixedValues) {
    EXPECT_EQ(static_cast<uint32_t>(E_NOTIMPL), 0x80004001u);
    EXPECT_EQ(static_cast<uint32_t>(E_POINTER), 0x80004003u);
    EXPECT_EQ(static_cast<uint32_t>(E_FAIL), 0x80004005u);
    EXPECT_EQ(static_cast<uint32_t>(E_UNEXPECTED), 0x8000FFFFu);
    EXPECT_EQ(static_cast<uint32_t>(E_OUTOFMEMORY), 0x8007000Eu);
    EXPECT_EQ(static_cast<uint32_t>(E_INVALIDARG), 0x80070057u);
    EXPECT_EQ(static_cast<uint32_t>(VFW_E_TYPE_NOT_ACCEPTED), 0x8004022Au);
    EXPECT_EQ(VFW_S_NO_MORE_ITEMS, 0x00040103);
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_STREQ(HResultText(E_INVALIDARG), "invalid argument");
    // Codes print as eight upper-case digits, a success's too.
    EXPECT_EQ(HResultLine("cannot load", E_FAIL), "cannot load: file or format error (0x80004005)");
    EXPECT_EQ(HResultCode(S_FALSE), "0x00000001");
}

TEST(Guid, RegistryTextFormRoundTrips) {
    const GUID g = {0x89D244AB, 0x19CF, 0x4575, {0xB8, 0x59, 0xE6, 0xC2, 0x35, 0x2B, 0xE0, 0xD4}};
    char text[39];
    GuidToString(g, text);
    EXPECT_STREQ(text, "{89D244AB-19CF-4575-B859-E6C2352BE0D4}");
    WCHAR wide[39];
    EXPECT_EQ(StringFromGUID2(g, wide, 39), 39);
    EXPECT_EQ(std::wstring(wide), L"{89D244AB-19CF-4575-B859-E6C2352BE0D4}");
    EXPECT_EQ(StringFromGUID2(g, wide, 38), 0);
    GUID back{};
    ASSERT_TRUE(GuidFromString("{89d244ab-19cf-4575-b859-e6c2352be0d4}", &back));
    EXPECT_EQ(back, g);
    EXPECT_FALSE(GuidFromString("{89D244AB-19CF-4575-B859-E6C2352BE0D}", &back));
    EXPECT_FALSE(GuidFromString("89D244AB-19CF-4575-B859-E6C2352BE0D4", &back));
    EXPECT_FALSE(GuidFromString("{89D244AB-19CF-4575-B859-E6C2352BE0D4}x", &back));
    EXPECT_FALSE(GuidFromString("{89D244AB-19CF-4575-B859-E6C2352BE0G4}", &back));
}

TEST(TaskMem, AllocatesAndFreesAcrossTheBoundary) {
    void* p = CoTaskMemAlloc(48);
    ASSERT_NE(p, nullptr);
    std::memset(p, 0xAB, 48);
    CoTaskMemFree(p);
    CoTaskMemFree(nullptr);
    void* z = CoTaskMemAlloc(0); // zero bytes still gives a block
    EXPECT_NE(z, nullptr);
    CoTaskMemFree(z);
}

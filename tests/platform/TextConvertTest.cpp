// Text conversion between UTF-8 ("multibyte") and wide text.
#include "platform/kernel/TextConvert.h"
#include <cwchar>
#include <gtest/gtest.h>
#include <string>

TEST(TextConvert, Utf8AndWideRoundTrip) {
    const char* text = "Caf\xC3\xA9 \xE2\x99\xAA \xF0\x9F\xA5\x81.wav";
    wchar_t wide[kTextBufferLength];
    EXPECT_EQ(MultiByteToWide(text, wide), 12u);
    EXPECT_EQ(wide[3], L'\u00E9');
    EXPECT_EQ(static_cast<char32_t>(wide[7]), U'\U0001F941');
    char back[kTextBufferLength];
    WideToMultiByte(wide, back);
    EXPECT_STREQ(back, text);
    EXPECT_EQ(WideFromUtf8(nullptr), L"");
}

TEST(TextConvert, OverlongTextIsCutAndTheLastElementIsZero) {
    const std::string longText(400, 'a');
    wchar_t wide[kTextBufferLength];
    std::wmemset(wide, L'x', kTextBufferLength);
    EXPECT_EQ(MultiByteToWide(longText.c_str(), wide), kTextBufferLength - 1);
    EXPECT_EQ(wide[kTextBufferLength - 1], 0);
    // A multibyte character never gets split at the end of the buffer.
    std::wstring many(200, L'\u00E9'); // two bytes each in UTF-8
    char narrow[kTextBufferLength];
    const size_t n = WideToMultiByte(many.c_str(), narrow);
    EXPECT_EQ(n, 258u);
    EXPECT_EQ(narrow[kTextBufferLength - 1], 0);
    EXPECT_EQ(WideFromUtf8(narrow).size(), 129u);
}

TEST(TextConvert, MalformedUtf8BecomesReplacementCharacters) {
    wchar_t wide[kTextBufferLength];
    MultiByteToWide("a\xFF"
                    "b\xC3",
                    wide);
    EXPECT_EQ(std::wstring(wide), L"a\uFFFDb\uFFFD");
    MultiByteToWide("\xC0\xAF", wide); // overlong encoding of '/'
    EXPECT_EQ(wide[0], 0xFFFD);
    EXPECT_NE(wide[0], L'/');
}

#include "apps/cli/TextEscape.h"
#include <gtest/gtest.h>

TEST(TextEscape, JsonKeepsUtf8AndEscapesTheRest) {
    EXPECT_EQ(JsonString("plain"), "\"plain\"");
    EXPECT_EQ(JsonString("a\"b\\c\n\t\x01\x7f"), R"("a\"b\\c\n\t\u0001\u007f")");
    EXPECT_EQ(JsonString("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5"),
              "\"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5\"");
    // Not UTF-8: a lone continuation byte, a truncated sequence, an overlong
    // form, a surrogate; each byte becomes a Latin-1 character.
    EXPECT_EQ(JsonString("\x80"), "\"\xc2\x80\"");
    EXPECT_EQ(JsonString("\xe2\x82"), "\"\xc3\xa2\xc2\x82\"");
    EXPECT_EQ(JsonString("\xc0\xaf"), "\"\xc3\x80\xc2\xaf\"");
    EXPECT_EQ(JsonString("\xed\xa0\x80"), "\"\xc3\xad\xc2\xa0\xc2\x80\"");
    EXPECT_EQ(JsonString(std::string_view("a\0b", 3)), R"("a\u0000b")");
}

TEST(TextEscape, PrintableDropsControlCharacters) {
    EXPECT_EQ(PrintableText("ok \xc3\xa9"), "ok \xc3\xa9");
    EXPECT_EQ(PrintableText("\x1b]0;title\x07"), "?]0;title?");
    EXPECT_EQ(PrintableText("\xc2\x9b"
                            "31m"),
              "?31m"); // C1 control sequence introducer
    EXPECT_EQ(PrintableText("\xff\xfe"), "??");
    EXPECT_EQ(PrintableText("line\nbreak\r"), "line?break?");
}

#include "apps/cli/NoteName.h"
#include <gtest/gtest.h>

TEST(NoteName, WritesTheEditorsNames) {
    EXPECT_EQ(NoteName(0), "C0");
    EXPECT_EQ(NoteName(60), "C5");
    EXPECT_EQ(NoteName(27), "D#2");
    EXPECT_EQ(NoteName(127), "G10");
    EXPECT_EQ(NoteName(128), "128");
    EXPECT_EQ(NoteName(-1), "-1");
    EXPECT_EQ(NoteLabel(61), "61 (C#5)");
}

TEST(NoteName, ReadsNamesAndNumbers) {
    int n = -1;
    const std::pair<const char*, int> good[] = {{"c5", 60},   {"C5", 60},  {"D#2", 27}, {"d#2", 27},
                                                {"G10", 127}, {"C0", 0},   {"B9", 119}, {"0", 0},
                                                {"127", 127}, {"060", 60}, {"A#9", 118}};
    for (const auto& [text, key] : good) {
        EXPECT_TRUE(ParseNote(text, &n)) << text;
        EXPECT_EQ(n, key) << text;
    }
    // Every key's name reads back as the key.
    for (int k = 0; k <= 127; ++k) {
        ASSERT_TRUE(ParseNote(NoteName(k), &n)) << k;
        EXPECT_EQ(n, k);
    }
}

TEST(NoteName, RefusesWhatItDoesNotWrite) {
    int n = 42;
    for (const char* text :
         {"G#10", "A10", "C11", "128", "1000", "H3", "E#4", "B#3", "Cb4",  "C-1",
          "C",    "#5",  "",    "C5 ", " C5",  "C#", "5C",  "-3",  "C05x", "C1000"})
        EXPECT_FALSE(ParseNote(text, &n)) << text;
    EXPECT_EQ(n, 42); // left alone on failure
}

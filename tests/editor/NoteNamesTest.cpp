// Keys written as note names and names typed back into keys.
#include "editor/NoteNames.h"
#include <gtest/gtest.h>

namespace {
// The key a text gives over a current key, or -1 when it is rejected.
LONG Read(const std::wstring& text, LONG nCurrent = 60) {
    LONG n = -1;
    return CNoteNames::Read(text, nCurrent, &n) ? n : -1;
}
} // namespace

TEST(NoteNames, EveryKeyIsWrittenWithItsOctaveAndReadsBack) {
    EXPECT_EQ(CNoteNames::NameWithOctave(60), L"C5");
    EXPECT_EQ(CNoteNames::NameWithOctave(-3), L"C0"); // never read outside the table
    EXPECT_EQ(CNoteNames::NameWithOctave(200), L"G10");
    for (LONG k = 0; k < 128; ++k) EXPECT_EQ(Read(CNoteNames::NameWithOctave(k)), k) << k;
}

TEST(NoteNames, TypedNamesInEitherCaseWithSharpsAndOctaves) {
    EXPECT_EQ(Read(L"c5"), 60);
    EXPECT_EQ(Read(L"D#2"), 27);
    EXPECT_EQ(Read(L"B#4"), 60);   // a sharp B is the next octave's C
    EXPECT_EQ(Read(L"C105"), 120); // two characters of octave: "10"
    EXPECT_EQ(Read(L"C11"), 0);    // octaves outside 0..10 give key 0
    EXPECT_EQ(Read(L"E-1"), 0);
    // Without octave digits the octave the edit showed is kept.
    EXPECT_EQ(Read(L"E", 60), 64);
    EXPECT_EQ(Read(L"c#", 27), 25);
    EXPECT_EQ(Read(L"D", -4), 2); // a current key outside 0..127 counts as the nearest
}

TEST(NoteNames, TextNotStartingWithANoteLetterLeavesTheKey) {
    LONG n = 42;
    for (const wchar_t* text : {L"H5", L"5", L"#5", L"", L" C5", L"~5"})
        EXPECT_FALSE(CNoteNames::Read(text, 60, &n)) << text;
    EXPECT_EQ(n, 42);
}

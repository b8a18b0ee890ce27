// Keys written as note names and names typed back into keys.
#include "editor/NoteNames.h"
#include <gtest/gtest.h>

namespace {
// The key a text gives over a current key of C5, or -1 when it is rejected.
LONG Read(const std::wstring& text, LONG nCurrent = 60) {
    LONG n = -1;
    return CNoteNames::Read(text, nCurrent, &n) ? n : -1;
}
} // namespace

TEST(NoteNames, KeysAreWrittenWithTheirOctaveFromZero) {
    EXPECT_EQ(CNoteNames::NameWithOctave(60), L"C5");
    EXPECT_EQ(CNoteNames::NameWithOctave(0), L"C0");
    EXPECT_EQ(CNoteNames::NameWithOctave(27), L"D#2");
    EXPECT_EQ(CNoteNames::NameWithOctave(127), L"G10");
    EXPECT_EQ(CNoteNames::Name(70), L"A#");
    // Out-of-range keys are shown as the nearest key, never read past the table.
    EXPECT_EQ(CNoteNames::NameWithOctave(-3), L"C0");
    EXPECT_EQ(CNoteNames::NameWithOctave(200), L"G10");
}

TEST(NoteNames, LettersInEitherCaseWithSharpsAndOctaves) {
    EXPECT_EQ(Read(L"c5"), 60);
    EXPECT_EQ(Read(L"C5"), 60);
    EXPECT_EQ(Read(L"D#2"), 27);
    EXPECT_EQ(Read(L"d#2"), 27);
    EXPECT_EQ(Read(L"B0"), 11);
    EXPECT_EQ(Read(L"A10"), 129); // the setter clamps it to 127
    EXPECT_EQ(Read(L"B#4"), 60);  // a sharp B is the next octave's C
    // Every name written reads back as its key.
    for (LONG k = 0; k < 128; ++k) EXPECT_EQ(Read(CNoteNames::NameWithOctave(k)), k) << k;
}

TEST(NoteNames, OnlyTwoCharactersOfOctaveAreRead) {
    EXPECT_EQ(Read(L"C105"), 120); // octave "10"
    EXPECT_EQ(Read(L"C#5x"), 61);
    EXPECT_EQ(Read(L"C 5"), 60); // "%d" skips the blank
}

TEST(NoteNames, AnOctaveOutsideZeroToTenGivesKeyZero) {
    EXPECT_EQ(Read(L"C11"), 0);
    EXPECT_EQ(Read(L"G#11"), 0);
    EXPECT_EQ(Read(L"E-1"), 0);
    EXPECT_EQ(Read(L"F99"), 0);
}

TEST(NoteNames, TextNotStartingWithANoteLetterIsRejectedAndLeavesTheKey) {
    LONG n = 42;
    for (const wchar_t* text : {L"H5", L"x", L"5", L"#5", L"", L" C5", L"~5", L"~"}) {
        EXPECT_FALSE(CNoteNames::Read(text, 60, &n)) << text;
        EXPECT_EQ(n, 42) << text;
    }
}

// A name without octave digits keeps the octave the edit showed.
TEST(NoteNames, ANameWithoutOctaveKeepsTheCurrentOctave) {
    EXPECT_EQ(Read(L"E", 60), 64);
    EXPECT_EQ(Read(L"c#", 27), 25);
    EXPECT_EQ(Read(L"Gx", 5), 7);
    EXPECT_EQ(Read(L"B", 127), 131); // the setter clamps it to 127
    EXPECT_EQ(Read(L"D", -4), 2);    // a current key outside 0..127 counts as the nearest
}

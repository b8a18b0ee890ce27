// MIDI keys by name, as the editor writes them: the twelve sharp names and an
// octave of key / 12, so key 0 is "C0", 60 is "C5" and 127 is "G10".
#pragma once
#include <string>

// "C5" for 60; keys outside 0..127 give their number.
std::string NoteName(int nKey);
// "60 (C5)": the number first, then the name.
std::string NoteLabel(int nKey);
// A name ("c5", "D#2", "G10"; sharps only, either case, octave 0 to 10) or a
// number from 0 to 127. False for anything else, or a key above 127.
bool ParseNote(const std::string& strText, int* pnKey);

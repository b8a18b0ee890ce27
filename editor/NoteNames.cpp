#include "editor/NoteNames.h"
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace {
const wchar_t* const kNames[12] = {L"C",  L"C#", L"D",  L"D#", L"E",  L"F",
                                   L"F#", L"G",  L"G#", L"A",  L"A#", L"B"};
// A letter's place is its semitone; "~" holds the places of the sharps.
constexpr wchar_t kLetters[] = L"C~D~EF~G~A~B";

LONG Clamped(LONG nKey) { return std::clamp<LONG>(nKey, 0, 127); }
} // namespace

std::wstring CNoteNames::Name(LONG nKey) { return kNames[Clamped(nKey) % 12]; }

std::wstring CNoteNames::NameWithOctave(LONG nKey) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%ls%d", kNames[Clamped(nKey) % 12], Clamped(nKey) / 12);
    return text;
}

bool CNoteNames::Read(const std::wstring& text, LONG nCurrentKey, LONG* pnKey) {
    if (text.empty() || text[0] == L'~') return false; // "~" only fills the table
    const wchar_t letter = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(text[0])));
    const wchar_t* place = std::wcschr(kLetters, letter);
    if (place == nullptr || letter == L'\0') return false;
    LONG nSemitone = static_cast<LONG>(place - kLetters);
    size_t nAt = 1;
    if (text.size() > 1 && text[1] == L'#') {
        ++nSemitone;
        nAt = 2;
    }
    // The octave is read from at most the two characters that follow.
    const std::wstring octave = text.substr(std::min(nAt, text.size()), 2);
    int nOctave = 0;
    if (std::swscanf(octave.c_str(), L"%d", &nOctave) != 1) nOctave = Clamped(nCurrentKey) / 12;
    *pnKey = nOctave < 0 || nOctave > 10 ? 0 : nSemitone + 12 * nOctave;
    return true;
}

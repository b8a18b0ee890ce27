// Keys as note names and back, as the Pad Settings edits show and read them:
// key 60 is "C5"; a typed name is a letter C to B, an optional "#" and an
// octave 0 to 10. Any thread.
#pragma once
#include "platform/com/Types.h"
#include <string>

class CNoteNames {
public:
    // The key's name within its octave, "C" to "B" ("C#" for a sharp).
    static std::wstring Name(LONG nKey);
    // The name and its octave: key 60 is "C5". Keys outside 0..127 are clamped.
    static std::wstring NameWithOctave(LONG nKey);

    // The key a typed name gives, not yet clamped (B#10 is 133). False, and
    // *pnKey untouched, when the text does not start with a note letter. An
    // octave outside 0..10 gives key 0; a name without an octave keeps the
    // octave of nCurrentKey, so "E" typed over "C5" gives E5.
    static bool Read(const std::wstring& text, LONG nCurrentKey, LONG* pnKey);
};

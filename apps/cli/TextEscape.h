// Text from files made safe for output: as a JSON string, and for a terminal
// (control characters, which could move the cursor or recolour it, shown as '?').
#pragma once
#include <string>
#include <string_view>

// A quoted JSON string. Valid UTF-8 passes through; bytes that are not
// valid UTF-8 are taken as Latin-1 characters.
std::string JsonString(std::string_view text);
// The text with control characters and invalid UTF-8 bytes replaced by '?'.
std::string PrintableText(std::string_view text);

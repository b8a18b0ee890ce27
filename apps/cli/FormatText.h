// printf-style formatting into a std::string, for the command's reports.
#pragma once
#include <string>

// The text pszFormat makes of the arguments, cut at 511 bytes.
std::string FormatText(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));

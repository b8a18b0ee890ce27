// Unbounded conversion of wide text to UTF-8 for cairo (the 260-element
// conversions of the kernel layer are for the instrument's interfaces).
#pragma once
#include <string>

std::string Utf8ForCairo(const std::wstring& text);

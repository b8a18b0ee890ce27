// Conversion between the multibyte text of the instrument's interfaces (UTF-8,
// its "ANSI code page") and the wide text used inside the engine and editor.
// Conversions go through fixed buffers of kTextBufferLength elements whose last
// element is always 0, so over-long text is cut, never overrun.
#pragma once
#include <cstddef>
#include <string>

constexpr size_t kTextBufferLength = 260;

// Converts UTF-8 into out[0..cch); out[cch - 1] is forced to 0. Malformed
// sequences become U+FFFD. Returns the number of characters before the 0.
size_t MultiByteToWide(const char* text, wchar_t* out, size_t cch = kTextBufferLength);
// Converts wide text into UTF-8 in out[0..cb); never splits a character;
// out[cb - 1] is forced to 0. Returns the number of bytes before the 0.
size_t WideToMultiByte(const wchar_t* text, char* out, size_t cb = kTextBufferLength);

// Conveniences through the same 260-element buffers.
std::wstring WideFromUtf8(const char* text);
std::string Utf8FromWide(const wchar_t* text);

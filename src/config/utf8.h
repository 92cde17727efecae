#pragma once
// UTF-8, the one encoder and decoder: the 8-bit code page, the HID strings the
// platform gives and the help file's character references all go through here.

#include <cstddef>
#include <string>
#include <string_view>

namespace valdro {

// Appends one character; a surrogate or a value past U+10FFFF becomes U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

// Reads one sequence at text[i] (i < text.size()) and advances i past what it
// consumed. Returns the code point, or -1 for an invalid sequence: a stray or
// missing continuation byte, an overlong form (an overlong NUL would end a field
// early), a surrogate or a value past U+10FFFF.
long NextCodePoint(std::string_view text, std::size_t& i);

}  // namespace valdro

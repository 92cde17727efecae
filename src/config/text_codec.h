#pragma once
// Windows-1252 text in fixed-size fields. The files and the unit are shared with
// Windows machines, so one fixed code page is used rather than the local one.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace valdro {

// Decodes 8-bit text up to the first NUL or the end of the field, to UTF-8.
std::string DecodeField(std::span<const std::uint8_t> field);

// Encodes UTF-8 to Windows-1252; a character the code page lacks becomes '?'.
// Invalid UTF-8 sequences also become '?'.
std::string EncodeCp1252(std::string_view utf8);

// Decodes raw Windows-1252 bytes (no NUL handling) to UTF-8.
std::string DecodeCp1252(std::string_view bytes);

// Writes text into a field: encoded, cut to the field, NUL after it when shorter.
// Bytes after the NUL are left alone, as the original program left them.
void EncodeField(std::span<std::uint8_t> field, std::string_view utf8);

}  // namespace valdro

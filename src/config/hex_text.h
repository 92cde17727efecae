#pragma once
// Hex text of bytes, the one place for it: traces, the JSON form, diffs, hardware
// ids and hex typed on a command line all read and write it here.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace valdro {

// Two lower-case digits per byte, no separators ("6c6f00"), written at out;
// returns the position after them. out must hold 2 * bytes.size() characters.
char* PutHex(char* out, std::span<const std::uint8_t> bytes);
// The same as a string.
std::string HexBytes(std::span<const std::uint8_t> bytes);
// Four upper-case digits, as hardware ids and revisions show them ("04D8").
std::string HexWord(std::uint16_t value);
// Exactly four hex digits in either case, the reverse of HexWord; nullopt on
// anything else.
std::optional<std::uint16_t> ParseHexWord(std::string_view text);
// Two lower-case digits appended, as escapes in readable text show them ("\x1f").
void AppendHexByte(std::string& out, std::uint8_t value);

// Pairs of hex digits in either case, optionally separated by spaces, tabs, ':'
// or ','; a separator may not split a pair. nullopt on anything else or on more
// than maxBytes bytes.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(
    std::string_view text, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

}  // namespace valdro

#pragma once
// Reading one address octet from the text of its edit box.

#include <QString>
#include <cstdint>
#include <optional>

namespace valdro::ui {

// Plain decimal with an optional sign and surrounding blanks, value 0..255.
// Anything else (empty, letters, hex, 256, -1) is nullopt: storing only the low
// eight bits would silently turn 300 into 44.
std::optional<std::uint8_t> ParseOctet(const QString& text);

}  // namespace valdro::ui

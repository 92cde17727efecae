#pragma once
// Lays a JSON value out for people: one line per value while it fits in 100
// columns, otherwise one line per member, two spaces deeper. An address reads
// [192, 168, 0, 6] and an output fits on one line, where the library's own
// indenting would give each number a line of its own.

#include <nlohmann/json.hpp>
#include <string>

namespace valdro {

// The value's text, without a newline after it.
std::string PrintReadableJson(const nlohmann::ordered_json& value);

}  // namespace valdro

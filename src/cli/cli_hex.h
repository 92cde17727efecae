#pragma once
// Hex bytes typed on the command line ("00 03 01 00", "00:03", "000301").

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace valdro::cli {

// Pairs of hex digits, optionally separated by spaces, tabs, ':' or ','; a
// separator may not split a pair. Empty on anything else or more than maxBytes.
inline std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text,
                                                              std::size_t maxBytes) {
    auto digit = [](char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    };
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        if (c == ' ' || c == ':' || c == ',' || c == '\t') {
            if (high >= 0) {
                return std::nullopt;
            }
            continue;
        }
        const int d = digit(c);
        if (d < 0) {
            return std::nullopt;
        }
        if (high < 0) {
            high = d;
            continue;
        }
        if (bytes.size() == maxBytes) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
        high = -1;
    }
    if (high >= 0) {
        return std::nullopt;  // an odd digit left over
    }
    return bytes;
}

}  // namespace valdro::cli

#include "config/hex_text.h"

namespace valdro {
namespace {

constexpr char kLower[] = "0123456789abcdef";
constexpr char kUpper[] = "0123456789ABCDEF";

int DigitValue(char c) {
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
}

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ':' || c == ',';
}

}  // namespace

std::optional<std::uint16_t> ParseHexWord(std::string_view text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        const int d = DigitValue(c);
        if (d < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(d);
    }
    return static_cast<std::uint16_t>(value);
}

char* PutHex(char* out, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t b : bytes) {
        *out++ = kLower[b >> 4];
        *out++ = kLower[b & 15];
    }
    return out;
}

std::string HexBytes(std::span<const std::uint8_t> bytes) {
    std::string out(2 * bytes.size(), '\0');
    PutHex(out.data(), bytes);
    return out;
}

std::string HexWord(std::uint16_t value) {
    std::string out(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4) {
        out[static_cast<std::size_t>(i)] = kUpper[value & 15];
    }
    return out;
}

void AppendHexByte(std::string& out, std::uint8_t value) {
    out.push_back(kLower[value >> 4]);
    out.push_back(kLower[value & 15]);
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text,
                                                       std::size_t maxBytes) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        if (IsSeparator(c)) {
            if (high >= 0) {
                return std::nullopt;  // a separator inside a pair
            }
            continue;
        }
        const int d = DigitValue(c);
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

}  // namespace valdro

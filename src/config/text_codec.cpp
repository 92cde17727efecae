#include "config/text_codec.h"

#include <algorithm>
#include <array>

#include "config/utf8.h"

namespace valdro {
namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; 0 marks the five undefined bytes,
// which decode to the C1 control of the same value (as Windows does).
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t ByteToCodePoint(std::uint8_t b) {
    if (b >= 0x80 && b <= 0x9F) {
        const char32_t cp = kHigh[b - 0x80];
        return cp != 0 ? cp : b;
    }
    return b;
}

int CodePointToByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHigh.size(); ++i) {
        if (kHigh[i] == cp)
            return static_cast<int>(0x80 + i);
        if (kHigh[i] == 0 && cp == 0x80 + i)
            return static_cast<int>(cp);
    }
    return -1;
}

}  // namespace

std::string DecodeCp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes)
        AppendUtf8(out, ByteToCodePoint(static_cast<std::uint8_t>(ch)));
    return out;
}

std::string DecodeField(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return DecodeCp1252(std::string_view(reinterpret_cast<const char*>(field.data()),
                                         static_cast<std::size_t>(end - field.begin())));
}

std::string EncodeCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const long cp = NextCodePoint(utf8, i);
        const int b = cp < 0 ? -1 : CodePointToByte(static_cast<char32_t>(cp));
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

void EncodeField(std::span<std::uint8_t> field, std::string_view utf8) {
    const std::string bytes = EncodeCp1252(utf8);
    const std::size_t n = std::min(bytes.size(), field.size());
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()), n, field.begin());
    if (n < field.size())
        field[n] = 0;
}

}  // namespace valdro

// Hex text: the one reader and writer of hex bytes.

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "config/hex_text.h"

namespace valdro {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HexText, ParsesPairsWithOptionalSeparators) {
    struct Row {
        const char* text;
        std::optional<Bytes> bytes;
    };
    const Row rows[] = {
        {"00 03 01 00", Bytes{0x00, 0x03, 0x01, 0x00}},
        {"0003ff", Bytes{0x00, 0x03, 0xFF}},
        {"aB:Cd,eF", Bytes{0xAB, 0xCD, 0xEF}},
        {"", Bytes{}},
        {"0", std::nullopt},     // odd digit left over
        {"0 3", std::nullopt},   // separator inside a byte
        {"0x03", std::nullopt},  // not a hex digit
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ParseHexBytes(r.text, 63), r.bytes) << r.text;
    }
    EXPECT_EQ(ParseHexBytes("010203", 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(ParseHexBytes("01020304", 3), std::nullopt) << "more than the limit";
}

TEST(HexText, WritesLowerCaseBytesAndUpperCaseWords) {
    const Bytes bytes{0x00, 0x6c, 0xFF};
    EXPECT_EQ(HexBytes(bytes), "006cff");
    EXPECT_EQ(ParseHexBytes(HexBytes(bytes)), bytes);
    EXPECT_EQ(HexWord(0x04D8), "04D8");
    EXPECT_EQ(HexWord(0x0009), "0009");
}

// A word is exactly four digits in either case: what HexWord writes reads back.
TEST(HexText, ReadsWordsOfFourDigits) {
    const std::pair<const char*, std::optional<std::uint16_t>> rows[] = {
        {"04D8", 0x04D8},       {"fd37", 0xFD37},
        {"FfFf", 0xFFFF},       {"0000", 0},
        {"04D", std::nullopt},  {"04D80", std::nullopt},
        {"04G8", std::nullopt}, {" 4D8", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(ParseHexWord(text), value) << text;
    }
    for (const std::uint16_t v : {0x0001, 0x1234, 0xABCD, 0xFFFF}) {
        EXPECT_EQ(ParseHexWord(HexWord(v)), v);
    }
}

}  // namespace
}  // namespace valdro

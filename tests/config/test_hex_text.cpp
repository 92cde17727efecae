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

}  // namespace
}  // namespace valdro

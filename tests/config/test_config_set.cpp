// The configuration set: the defaults byte for byte, the text fields and their
// code page.

#include <gtest/gtest.h>

#include "config/config_set.h"
#include "config/config_summary.h"
#include "config/text_codec.h"
#include "support/random_set.h"

namespace valdro {
namespace {

// A default at the wrong offset or with the wrong value; every other byte is zero.
TEST(ConfigSet, DefaultsByteForByte) {
    UnitsImage expected{};
    for (int u = 0; u < kUnitCount; ++u) {
        std::uint8_t* r = expected.data() + u * kUnitRecordSize;
        const std::string name = u == 0 ? "Master" : "Slave " + std::to_string(u);
        const int head[] = {192, 168, 0, 6 + u, 192, 168, 0,   1,   255, 255,
                            255, 0,   0, 0,     0,   0,   192, 168, 0,   1};
        std::copy(std::begin(head), std::end(head), r);
        std::copy(name.begin(), name.end(), r + 20);
        r[54] = 60, r[56] = 0xC4, r[57] = 0x0B, r[60] = 10;  // 56: port 3012, little-endian
    }
    const ConfigSet set = testing::DefaultSet();
    EXPECT_EQ(set.Units, expected);
    EXPECT_EQ(set.InputMap, InputMapImage{});
    EXPECT_EQ(set.Unit(8).DeviceName(), "Slave 8");
    EXPECT_EQ(set.Unit(8).ClientPort(), 3012);
}

// UTF-8 to the code page: characters it lacks and malformed sequences become one
// '?' each and never end the text; every byte survives a round trip; a field is
// filled without running on, a shorter text ends at a NUL and leaves what follows.
TEST(TextCodec, Windows1252) {
    const std::pair<const char*, std::string> rows[] = {
        {"caf\xC3\xA9", "caf\xE9"},  // é
        {"\xE2\x82\xAC", "\x80"},    // €
        {"\xE2\x84\xA2", "\x99"},    // ™
        {"a\xE2\x98\x95!", "a?!"},   // ☕ is not in the code page
        {"\xF0\x9F\x98\x80", "?"},   // one 4-byte character, one '?'
        {"x\xC0\x80y", "x?y"},       // overlong NUL must not end the text
        {"\xED\xA0\x80", "?"},       // a surrogate is not a character
        {"\xC3", "?"},               // cut-off sequence
        {"\xC2\x81", "\x81"},        // undefined byte kept through its C1 code
    };
    for (const auto& [utf8, bytes] : rows)
        EXPECT_EQ(EncodeCp1252(utf8), bytes) << utf8;
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(EncodeCp1252(DecodeCp1252(all)), all);
    std::uint8_t field[4] = {'x', 'x', 'x', 'x'};
    EncodeField(field, "ab");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 4), std::string("ab\0x", 4));
    EncodeField(field, "abcdef");
    EXPECT_EQ(DecodeField(field), "abcd");
}

// Names are shown quoted with controls (C0, DEL, C1) escaped and all else as it is.
TEST(TextCodec, QuoteTextEscapesControlsOnly) {
    const std::pair<const char*, const char*> rows[] = {
        {"a b~", R"("a b~")"},
        {"\t\x7F\xC2\x85", R"("\x09\x7f\x85")"},
        {"\xC2\x9F\xC2\xA0", "\"\\x9f\xC2\xA0\""},  // C1 ends at 9F; no-break space stays
        {"say \"hi\" \\", R"("say \"hi\" \\")"},
    };
    for (const auto& [text, quoted] : rows)
        EXPECT_EQ(QuoteText(text), quoted) << quoted;
}

}  // namespace
}  // namespace valdro

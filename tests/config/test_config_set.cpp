#include <gtest/gtest.h>

#include <string>

#include "config/config_set.h"
#include "config/text_codec.h"

namespace valdro {
namespace {

ConfigSet Defaults() {
    ConfigSet set;
    set.SetDefaults();
    return set;
}

// The defaults written byte by byte at their offsets: everything else must be zero.
TEST(ConfigSetDefaults, EveryUnitByteForByte) {
    UnitsImage expected{};
    for (int u = 0; u < kUnitCount; ++u) {
        std::uint8_t* r = expected.data() + u * kUnitRecordSize;
        const std::uint8_t addresses[16] = {
            192, 168, 0, static_cast<std::uint8_t>(6 + u), 192, 168, 0, 1, 255, 255, 255, 0, 0,
            0,   0,   0};
        std::copy(std::begin(addresses), std::end(addresses), r);
        const std::uint8_t dns[4] = {192, 168, 0, 1};
        std::copy(std::begin(dns), std::end(dns), r + 16);
        const std::string name = u == 0 ? "Master" : "Slave " + std::to_string(u);
        std::copy(name.begin(), name.end(), r + 20);
        r[54] = 60;
        r[56] = 0xC4;  // ClientPort 3012, little-endian
        r[57] = 0x0B;
        r[60] = 10;
    }
    const ConfigSet set = Defaults();
    EXPECT_EQ(set.Units, expected);
    EXPECT_EQ(set.InputMap, InputMapImage{});

    const ConstUnitRecord slave8 = set.Unit(8);
    EXPECT_EQ(slave8.IPAddr(), (Octets{192, 168, 0, 14}));
    EXPECT_EQ(slave8.DNSAddress(), (Octets{192, 168, 0, 1}));
    EXPECT_EQ(slave8.DeviceName(), "Slave 8");
    EXPECT_EQ(slave8.ClientPort(), 3012);
    EXPECT_EQ(slave8.DeviceParamA(), 60);
    EXPECT_EQ(slave8.DeviceParamB(), 10);
}

TEST(ConfigSetLayout, InputMapCellOffsets) {
    struct Row {
        int u, s, o, i;
        std::size_t offset;
    };
    const Row rows[] = {
        {0, 0, 0, 0, 0},    {0, 2, 4, 2, 578},  // input 3 of Slave 2 drives output 5 of the Master
        {1, 0, 0, 0, 2304}, {0, 1, 0, 0, 256}, {0, 0, 1, 0, 16}, {8, 8, 15, 15, 20735},
    };
    for (const Row& r : rows) {
        ConfigSet set;
        set.SetCell(r.u, r.s, r.o, r.i, true);
        InputMapImage expected{};
        expected[r.offset] = 1;
        EXPECT_EQ(set.InputMap, expected) << r.offset;
        EXPECT_TRUE(set.Cell(r.u, r.s, r.o, r.i));
    }
}

TEST(ConfigSetText, ThirtyTwoCharacterNameFillsTheFieldAndNeverRunsOn) {
    ConfigSet set = Defaults();
    UnitRecord r = set.Unit(3);
    const std::string name(32, 'N');
    r.SetDHCPEnable(true);
    r.SetDeviceName(name + "overflow");
    EXPECT_EQ(r.DeviceName(), name);
    EXPECT_EQ(r.Bytes()[field::DHCPEnable], 1);
    // A shorter name ends at its NUL; the stale bytes after it stay.
    r.SetDeviceName("S1");
    EXPECT_EQ(r.DeviceName(), "S1");
    EXPECT_EQ(r.Bytes()[field::DeviceName + 2], 0);
    EXPECT_EQ(r.Bytes()[field::DeviceName + 3], 'N');
}

TEST(TextCodec, Windows1252) {
    struct Row {
        const char* utf8;
        std::string bytes;
    };
    const Row rows[] = {
        {"caf\xC3\xA9", "caf\xE9"},  // é
        {"\xE2\x82\xAC"
         "5",
         "\x80"
         "5"},                     // €
        {"\xE2\x84\xA2", "\x99"},  // ™
        {"a\xE2\x98\x95"
         "b",
         "a?b"},                    // ☕ is not in the code page
        {"\xF0\x9F\x98\x80", "?"},  // one 4-byte character, one '?'
        {"x\xC0\x80y", "x?y"},      // overlong NUL must not end the text
        {"\xED\xA0\x80", "?"},      // a surrogate is not a character
        {"\xC3", "?"},              // cut-off sequence
        {"\xC2\x81", "\x81"},       // undefined byte kept through its C1 code
    };
    for (const Row& r : rows) {
        EXPECT_EQ(EncodeCp1252(r.utf8), r.bytes) << r.utf8;
    }
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(EncodeCp1252(DecodeCp1252(all)), all);

    std::uint8_t field[4] = {'x', 'x', 'x', 'x'};
    EncodeField(field, "ab");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 4), std::string("ab\0x", 4));
    EncodeField(field, "abcdef");
    EXPECT_EQ(DecodeField(field), "abcd");
}

TEST(ConfigStore, HasChangedTracksEveryByteOfBothImages) {
    ConfigStore store;
    store.SetDefaults();
    store.MarkSaved();
    EXPECT_FALSE(store.HasChanged());
    for (std::size_t at : {std::size_t{0}, field::Padding175, kUnitsSize - 1}) {
        store.Current().Units[at] ^= 0x40;
        EXPECT_TRUE(store.HasChanged()) << at;
        store.Current().Units[at] ^= 0x40;
        EXPECT_FALSE(store.HasChanged()) << at;
    }
    for (std::size_t at : {std::size_t{0}, std::size_t{578}, kInputMapSize - 1}) {
        store.Current().InputMap[at] = 1;
        EXPECT_TRUE(store.HasChanged()) << at;
        store.Current().InputMap[at] = 0;
        EXPECT_FALSE(store.HasChanged()) << at;
    }
    store.Current().Unit(2).SetClientPort(80);
    store.MarkSaved();
    EXPECT_FALSE(store.HasChanged());
    EXPECT_EQ(store.SavedConfigSet().Unit(2).ClientPort(), 80);
}

}  // namespace
}  // namespace valdro

#include <gtest/gtest.h>

#include <string>

#include "config_set.h"
#include "text_codec.h"

namespace valdro {
namespace {

ConfigSet Defaults() {
    ConfigSet set;
    set.SetDefaults();
    return set;
}

TEST(ConfigSetDefaults, EveryUnitHasItsAddressAndName) {
    const ConfigSet set = Defaults();
    for (int u = 0; u < kUnitCount; ++u) {
        SCOPED_TRACE(u);
        const ConstUnitRecord r = set.Unit(u);
        EXPECT_EQ(r.IPAddr(), (Octets{192, 168, 0, static_cast<std::uint8_t>(6 + u)}));
        EXPECT_EQ(r.GateWayAddr(), (Octets{192, 168, 0, 1}));
        EXPECT_EQ(r.SubMaskAddr(), (Octets{255, 255, 255, 0}));
        EXPECT_EQ(r.DNSAddress(), (Octets{192, 168, 0, 1}));
        EXPECT_EQ(r.DeviceName(), u == 0 ? std::string("Master") : "Slave " + std::to_string(u));
        EXPECT_EQ(r.DeviceParamA(), 60);
        EXPECT_EQ(r.DeviceParamB(), 10);
        EXPECT_EQ(r.ClientPort(), 3012);
        EXPECT_FALSE(r.DHCPEnable());
        EXPECT_FALSE(r.SlaveEnabled());
        EXPECT_EQ(r.AddressMode(), 0);
        EXPECT_EQ(r.URL(), "");
        for (int k = 0; k < kIoCount; ++k) {
            EXPECT_FALSE(r.InvertInput(k) || r.InvertOutput(k) || r.OutputStartStatus(k) ||
                         r.OutputLatch(k));
            EXPECT_EQ(r.ResetDevice(k), 0);
            EXPECT_EQ(r.ResetInput(k), 0);
        }
    }
}

TEST(ConfigSetDefaults, UnnamedBytesAreZeroAndMapIsEmpty) {
    const ConfigSet set = Defaults();
    for (int u = 0; u < kUnitCount; ++u) {
        const auto b = set.Unit(u).Bytes();
        for (std::size_t at : {field::Reserved12, field::Reserved12 + 3, field::Reserved53,
                               field::Padding55, field::Padding175}) {
            EXPECT_EQ(b[at], 0) << "unit " << u << " byte " << at;
        }
        // "Master" / "Slave N" then zeros to the end of the field, URL all zero.
        for (std::size_t k = field::DeviceName + 7; k < field::DHCPEnable; ++k)
            EXPECT_EQ(b[k], 0);
        for (std::size_t k = field::URL; k < field::OutputLatch; ++k)
            EXPECT_EQ(b[k], 0);
    }
    for (std::uint8_t cell : set.InputMap)
        ASSERT_EQ(cell, 0);
}

TEST(ConfigSetLayout, ClientPortIsLittleEndianAtOffset56) {
    const ConfigSet set = Defaults();
    const auto b = set.Unit(8).Bytes();
    EXPECT_EQ(b[56], 0xC4);
    EXPECT_EQ(b[57], 0x0B);
    EXPECT_EQ(b[58], 0x00);
    EXPECT_EQ(b[59], 0x00);
    // Unit 8 starts at byte 8 * 304 of the image.
    EXPECT_EQ(set.Units[8 * 304 + 56], 0xC4);
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
        EXPECT_EQ(set.InputMap[r.offset], 1) << r.offset;
        EXPECT_TRUE(set.Cell(r.u, r.s, r.o, r.i));
        std::size_t nonZero = 0;
        for (std::uint8_t c : set.InputMap)
            nonZero += c != 0;
        EXPECT_EQ(nonZero, 1u);
    }
}

TEST(ConfigSetText, ThirtyTwoCharacterNameFillsFieldWithoutNul) {
    ConfigSet set = Defaults();
    UnitRecord r = set.Unit(3);
    const std::string name(32, 'N');
    r.SetDHCPEnable(true);
    r.SetDeviceName(name + "overflow");
    EXPECT_EQ(r.DeviceName(), name);
    EXPECT_EQ(r.Bytes()[field::DHCPEnable], 1);
    EXPECT_TRUE(r.DHCPEnable());

    r.SetDeviceName(name);
    EXPECT_EQ(r.DeviceName(), name);
    EXPECT_EQ(r.Bytes()[field::DHCPEnable], 1);
}

TEST(ConfigSetText, ShorterNameLeavesStaleBytesAfterItsNul) {
    ConfigSet set = Defaults();
    UnitRecord r = set.Unit(1);
    r.SetDeviceName("Slave 10");
    r.SetDeviceName("S1");
    EXPECT_EQ(r.DeviceName(), "S1");
    EXPECT_EQ(r.Bytes()[field::DeviceName + 2], 0);
    EXPECT_EQ(r.Bytes()[field::DeviceName + 3], 'v');
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
    EXPECT_EQ(DecodeCp1252("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(TextCodec, EveryByteDecodesAndEncodesBack) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(EncodeCp1252(DecodeCp1252(all)), all);
}

TEST(TextCodec, FieldIsCutAndTerminated) {
    std::uint8_t field[4] = {'x', 'x', 'x', 'x'};
    EncodeField(field, "ab");
    EXPECT_EQ(field[2], 0);
    EXPECT_EQ(field[3], 'x');
    EncodeField(field, "abcdef");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(field), 4), "abcd");
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

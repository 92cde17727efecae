// The download's report layouts, byte by byte, including the bytes each layout
// must leave alone (they carry what the previous report left in the buffer).

#include <gtest/gtest.h>

#include <cstring>

#include "download_layouts.h"

namespace valdro {
namespace {

constexpr std::uint8_t kCarried = 0xA5;  // stands for "whatever the last report left"

HidReport Prefilled() {
    HidReport tx;
    tx.fill(kCarried);
    return tx;
}

void ExpectCarried(const HidReport& tx, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i <= last; ++i) {
        EXPECT_EQ(tx[i], kCarried) << "byte " << i << " must keep its previous value";
    }
}

void ExpectFilled(const HidReport& tx, std::size_t first, std::size_t last, std::uint8_t v) {
    for (std::size_t i = first; i <= last; ++i) {
        EXPECT_EQ(tx[i], v) << "byte " << i;
    }
}

ConfigSet Zeroed() {
    return ConfigSet{};
}

TEST(CommandBytes, WriteIdAndCodeOnly) {
    HidReport tx = Prefilled();
    layout::Command(tx, cmd::Identify);
    EXPECT_EQ(tx[0], 0);
    EXPECT_EQ(tx[1], 0x53);
    ExpectCarried(tx, 2, 64);

    layout::CommandWithBlock(tx, cmd::BlockSecondHalf, 52);
    EXPECT_EQ(tx[1], 0x44);
    EXPECT_EQ(tx[2], 52);
    ExpectCarried(tx, 3, 64);
}

struct PortCase {
    std::int32_t port;
    std::uint8_t high, low;
};

class SettingsPort : public testing::TestWithParam<PortCase> {};

TEST_P(SettingsPort, GoesHighByteFirstWithItsLow16Bits) {
    ConfigSet c = Zeroed();
    c.Unit(4).SetClientPort(GetParam().port);
    HidReport tx = Prefilled();
    layout::SettingsOfUnit(tx, c, 4);
    EXPECT_EQ(tx[19], GetParam().high);
    EXPECT_EQ(tx[20], GetParam().low);
}

INSTANTIATE_TEST_SUITE_P(Ports, SettingsPort,
                         testing::Values(PortCase{3012, 0x0B, 0xC4}, PortCase{80, 0x00, 0x50},
                                         PortCase{65535, 0xFF, 0xFF}, PortCase{0x12345, 0x23, 0x45},
                                         PortCase{-1, 0xFF, 0xFF}));

struct FlagCase {
    const char* name;
    void (*set)(UnitRecord&, int);
    std::size_t byteOfHighHalf;  // flags 9..16; the low half follows it
    int flag;                    // 0..15
    std::uint8_t high, low;
};

class SettingsFlags : public testing::TestWithParam<FlagCase> {};

TEST_P(SettingsFlags, PutFlags9To16InTheFirstByte) {
    const FlagCase& f = GetParam();
    ConfigSet c = Zeroed();
    UnitRecord unit = c.Unit(0);
    f.set(unit, f.flag);
    HidReport tx = Prefilled();
    layout::SettingsOfUnit(tx, c, 0);
    EXPECT_EQ(tx[f.byteOfHighHalf], f.high) << f.name;
    EXPECT_EQ(tx[f.byteOfHighHalf + 1], f.low) << f.name;
}

void SetInvertInput(UnitRecord& u, int k) {
    u.SetInvertInput(k, true);
}
void SetInvertOutput(UnitRecord& u, int k) {
    u.SetInvertOutput(k, true);
}
void SetStart(UnitRecord& u, int k) {
    u.SetOutputStartStatus(k, true);
}

INSTANTIATE_TEST_SUITE_P(Groups, SettingsFlags,
                         testing::Values(FlagCase{"input 1", SetInvertInput, 22, 0, 0x00, 0x01},
                                         FlagCase{"input 16", SetInvertInput, 22, 15, 0x80, 0x00},
                                         FlagCase{"input 9", SetInvertInput, 22, 8, 0x01, 0x00},
                                         FlagCase{"input 8", SetInvertInput, 22, 7, 0x00, 0x80},
                                         FlagCase{"output 1", SetInvertOutput, 24, 0, 0x00, 0x01},
                                         FlagCase{"output 16", SetInvertOutput, 24, 15, 0x80, 0x00},
                                         FlagCase{"start 1", SetStart, 26, 0, 0x00, 0x01},
                                         FlagCase{"start 12", SetStart, 26, 11, 0x08, 0x00}));

TEST(SettingsOfUnit, CarriesTheUnitAndTheSetWideValues) {
    ConfigSet c = Zeroed();
    c.Unit(0).SetIPAddr({192, 168, 1, 10});
    c.Unit(0).SetDNSAddress({8, 8, 4, 4});
    UnitRecord u = c.Unit(3);
    u.SetIPAddr({10, 1, 2, 3});
    u.SetGateWayAddr({10, 1, 2, 254});
    u.SetSubMaskAddr({255, 255, 0, 0});
    u.SetDHCPEnable(true);
    u.SetDeviceParamA(0x3C);
    u.SetDeviceParamB(0x7E);
    c.Unit(1).SetSlaveEnabled(true);
    c.Unit(8).SetSlaveEnabled(true);
    for (int n = 1; n <= 8; ++n) {
        c.Unit(n).SetAddressMode(static_cast<std::uint8_t>(n * 3));
    }
    // A non-zero flag byte other than 1 still counts as set.
    c.Units[3 * kUnitRecordSize + field::DHCPEnable] = 7;

    HidReport tx = Prefilled();
    layout::SettingsOfUnit(tx, c, 3);
    const std::uint8_t expected[] = {
        0x55, 3,                               // marker, unit
        10,   1,    2, 3,  10,   1,  2,  254,  // IP, gateway
        255,  255,  0, 0,                      // mask
        0x01, 0x7E, 0, 0,  0x3C,               // DHCP bit, B, port, A
        0,    0,    0, 0,  0,    0,            // flag groups
        0x81,                                  // Slave 1 and Slave 8 enabled
        192,  168,  1, 10,                     // Master's IP
        3,    6,    9, 12, 15,   18, 21, 24,   // address modes of Slave 1..8
        8,    8,    4, 4};                     // Master's DNS
    static_assert(sizeof(expected) == 42);
    for (std::size_t i = 0; i < sizeof(expected); ++i) {
        EXPECT_EQ(tx[3 + i], expected[i]) << "byte " << 3 + i;
    }
    ExpectCarried(tx, 0, 2);
    ExpectCarried(tx, 45, 64);
}

TEST(SlaveAddresses, PutEachSlavesAddressAndPortInPlace) {
    ConfigSet c = Zeroed();
    for (int n = 1; n <= 8; ++n) {
        c.Unit(n).SetIPAddr({10, 0, 0, static_cast<std::uint8_t>(n)});
        c.Unit(n).SetClientPort(3000 + n);
    }
    c.Unit(1).SetClientPort(3012);
    c.Unit(0).SetIPAddr({1, 1, 1, 1});  // the Master is not in this half
    HidReport tx = Prefilled();
    layout::SlaveAddresses(tx, c);
    for (std::size_t n = 1; n <= 8; ++n) {
        EXPECT_EQ(tx[4 * n - 1], 10);
        EXPECT_EQ(tx[4 * n + 2], n);
        if (n > 1) {
            EXPECT_EQ(tx[2 * n + 33], (3000 + n) >> 8);
            EXPECT_EQ(tx[2 * n + 34], (3000 + n) & 0xFF);
        }
    }
    EXPECT_EQ(tx[35], 0x0B);
    EXPECT_EQ(tx[36], 0xC4);
    ExpectFilled(tx, 51, 64, 0xFF);
    ExpectCarried(tx, 0, 2);
}

TEST(OutputLatches, GoLowHalfFirstPerUnit) {
    ConfigSet c = Zeroed();
    c.Unit(2).SetOutputLatch(0, true);   // unit 2, output 1
    c.Unit(0).SetOutputLatch(8, true);   // Master, output 9
    c.Unit(8).SetOutputLatch(15, true);  // Slave 8, output 16
    HidReport tx = Prefilled();
    layout::OutputLatches(tx, c);
    EXPECT_EQ(tx[7], 0x01);
    EXPECT_EQ(tx[3], 0x00);
    EXPECT_EQ(tx[4], 0x01);
    EXPECT_EQ(tx[20], 0x80);
    ExpectFilled(tx, 21, 63, 0xFF);
    ExpectCarried(tx, 64, 64);
}

TEST(ResetTables, PackUnitAndInputByTheirLowBytes) {
    ConfigSet c = Zeroed();
    c.Unit(0).SetResetDevice(0, 2);
    c.Unit(0).SetResetInput(0, 5);
    c.Unit(1).SetResetDevice(15, 0x102);  // low byte 2
    c.Unit(1).SetResetInput(15, 0x1F);    // low byte 0x1F: 2*16 + 31 = 0x3F
    c.Unit(2).SetResetDevice(3, -1);      // low byte 0xFF: 0xFF0 mod 256 = 0xF0
    c.Unit(2).SetResetInput(3, 0);
    HidReport tx = Prefilled();
    int counter = 0;
    layout::ResetTables(tx, c, counter);
    EXPECT_EQ(counter, 3);
    EXPECT_EQ(tx[3], 0x25);
    EXPECT_EQ(tx[3 + 16 + 15], 0x3F);
    EXPECT_EQ(tx[3 + 32 + 3], 0xF0);
    EXPECT_EQ(tx[4], 0x00);
    ExpectCarried(tx, 51, 64);

    c.Unit(6).SetResetDevice(0, 8);
    c.Unit(6).SetResetInput(0, 15);
    counter = 6;
    layout::ResetTables(tx, c, counter);
    EXPECT_EQ(counter, 9);
    EXPECT_EQ(tx[3], 0x8F);
}

std::string ThirtyTwoChars() {
    return "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
}

TEST(NameOfUnit, SendsAtMost31CharactersAndAlwaysANul) {
    ConfigSet c = Zeroed();
    c.Unit(5).SetDeviceName(ThirtyTwoChars());
    HidReport tx = Prefilled();
    layout::NameOfUnit(tx, c, 5);
    EXPECT_EQ(std::memcmp(tx.data() + 3, ThirtyTwoChars().data(), 31), 0);
    EXPECT_EQ(tx[34], 0);
    ExpectFilled(tx, 35, 64, 0xFF);

    c.Unit(5).SetDeviceName("Pump");
    layout::NameOfUnit(tx, c, 5);
    EXPECT_EQ(std::memcmp(tx.data() + 3, "Pump", 5), 0);
}

TEST(SlaveName, SendsAll32BytesOfAnEnabledSlave) {
    ConfigSet c = Zeroed();
    c.Unit(2).SetDeviceName(ThirtyTwoChars());
    c.Unit(2).SetSlaveEnabled(true);
    HidReport tx = Prefilled();
    layout::SlaveName(tx, c, 2);
    EXPECT_EQ(std::memcmp(tx.data() + 3, ThirtyTwoChars().data(), 32), 0);
    ExpectCarried(tx, 35, 64);
}

TEST(SlaveName, SendsAnEmptyNameForADisabledSlave) {
    ConfigSet c = Zeroed();
    c.Unit(2).SetDeviceName("Hidden");
    HidReport tx = Prefilled();
    layout::SlaveName(tx, c, 2);
    EXPECT_EQ(tx[3], 0);
    ExpectCarried(tx, 4, 64);
}

TEST(SlaveUrl, SendsAll48Bytes) {
    ConfigSet c = Zeroed();
    const std::string url(48, 'u');
    c.Unit(7).SetURL(url);
    HidReport tx = Prefilled();
    layout::SlaveUrl(tx, c, 7);
    EXPECT_EQ(std::memcmp(tx.data() + 3, url.data(), 48), 0);
    ExpectCarried(tx, 51, 64);
}

TEST(InputMapSlice, PutsInputsOneToEightInTheFirstByteOfEachOutput) {
    ConfigSet c = Zeroed();
    c.SetCell(0, 2, 4, 2, true);    // slice (0, 2), output 5, input 3
    c.SetCell(0, 2, 15, 15, true);  // output 16, input 16
    c.SetCell(0, 2, 0, 8, true);    // output 1, input 9
    c.SetCell(0, 3, 0, 0, true);    // another slice: must not show
    HidReport tx = Prefilled();
    layout::InputMapSlice(tx, c, 0, 2);
    EXPECT_EQ(tx[11], 0x04);
    EXPECT_EQ(tx[34], 0x80);
    EXPECT_EQ(tx[3], 0x00);
    EXPECT_EQ(tx[4], 0x01);
    for (std::size_t i = 3; i <= 50; ++i) {
        if (i != 11 && i != 34 && i != 4) {
            EXPECT_EQ(tx[i], 0) << "byte " << i;
        }
    }
    ExpectCarried(tx, 51, 64);
}

TEST(Fillers, CoverTheirBytesOnly) {
    HidReport tx = Prefilled();
    layout::NameFiller(tx);
    ExpectFilled(tx, 3, 64, 0xFF);
    ExpectCarried(tx, 0, 2);

    tx = Prefilled();
    layout::LastBlockFiller(tx);
    ExpectFilled(tx, 3, 50, 0xFF);
    ExpectCarried(tx, 51, 64);
}

}  // namespace
}  // namespace valdro

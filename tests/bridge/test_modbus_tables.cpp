// The Modbus image: bit and register layout, live units, last known values.

#include <gtest/gtest.h>

#include "bridge/modbus_tables.h"
#include "bridge_records.h"

namespace valdro::bridge {
namespace {

using test::AllUnits;

TEST(ModbusTables, LayoutOfBitsAndRegisters) {
    LiveIoModel model;
    model.Feed(AllUnits({{0, 0x8001, 0x0002}, {8, 0x0004, 0x8000}}), test::Names());
    const ModbusTables t = BuildModbusTables(model);
    struct Bit {
        int address;
        std::uint8_t input;
        std::uint8_t output;
    };
    // unit u, number n at u*16 + n-1
    const Bit bits[] = {{0, 1, 0},   {1, 0, 1},   {15, 1, 0}, {16, 0, 0},
                        {128, 0, 0}, {130, 1, 0}, {143, 0, 1}};
    for (const Bit& b : bits) {
        EXPECT_EQ(t.discreteInputs[b.address], b.input) << b.address;
        EXPECT_EQ(t.coils[b.address], b.output) << b.address;
    }
    EXPECT_EQ(t.inputRegisters[0], 0x8001);
    EXPECT_EQ(t.inputRegisters[8], 0x0004);
    EXPECT_EQ(t.inputRegisters[9], 0x0002);
    EXPECT_EQ(t.inputRegisters[17], 0x8000);
    EXPECT_EQ(t.inputRegisters[kLiveRegister], 0x0101);
    EXPECT_EQ(t.inputRegisters[kRecordCountRegister], 1);
}

TEST(ModbusTables, UnitsWithoutStateKeepTheirLastValues) {
    LiveIoModel model;
    model.Feed(AllUnits({{0, 0x00F0, 0x0F00}, {5, 0x1234, 0x4321}}), test::Names());
    const ModbusTables before = BuildModbusTables(model);
    model.Feed(AllUnits({{0, 0x00F0, 0x0F00}}), test::Names());
    ModbusTables after = BuildModbusTables(model);
    EXPECT_EQ(after.inputRegisters[5], 0x1234);
    EXPECT_EQ(after.inputRegisters[14], 0x4321);
    EXPECT_EQ(after.inputRegisters[kLiveRegister], 0x0001);
    model.LoseAll();
    after = BuildModbusTables(model);
    EXPECT_EQ(after.inputRegisters[kLiveRegister], 0);
    EXPECT_EQ(after.inputRegisters[kRecordCountRegister], 2);
    after.inputRegisters[kLiveRegister] = before.inputRegisters[kLiveRegister];
    after.inputRegisters[kRecordCountRegister] = before.inputRegisters[kRecordCountRegister];
    EXPECT_EQ(after, before) << "only the live mask and the count move";
}

TEST(ModbusTables, RecordCountWrapsAt16Bits) {
    LiveIoModel model;
    for (int i = 0; i < 65537; ++i) {
        model.Feed(AllUnits({{0, 0, 0}}), test::Names());
    }
    EXPECT_EQ(BuildModbusTables(model).inputRegisters[kRecordCountRegister], 1);
}

}  // namespace
}  // namespace valdro::bridge

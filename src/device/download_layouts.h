#pragma once
// The download's report layouts, as pure functions over the one transmit buffer.
// Each writes only the bytes its layout names; every other byte keeps what the
// previous report left there, which is what the unit has always received.

#include <cstdint>

#include "config/config_set.h"
#include "device/hid_report.h"

namespace valdro::layout {

// Byte 0 := 0 (report id), byte 1 := code.
void Command(HidReport& tx, std::uint8_t code);
// Command() and byte 2 := block number; for the block halves and GetUnitName.
void CommandWithBlock(HidReport& tx, std::uint8_t code, std::uint8_t block);

// A: block 0 first half, the settings of unit u and values of the whole set.
void SettingsOfUnit(HidReport& tx, const ConfigSet& c, int u);
// B: block 0 second half, IP addresses and ports of Slave 1..8.
void SlaveAddresses(HidReport& tx, const ConfigSet& c);
// C: block 1 first half, the output latches of all nine units.
void OutputLatches(HidReport& tx, const ConfigSet& c);
// D: the reset tables of units unitCounter..unitCounter+2; unitCounter is advanced
// past each unit written.
void ResetTables(HidReport& tx, const ConfigSet& c, int& unitCounter);
// E: block 3 first half, the name of unit u: 31 bytes at most, always NUL-ended.
void NameOfUnit(HidReport& tx, const ConfigSet& c, int u);
// Block 3 second half: bytes 3..64 := 0xFF.
void NameFiller(HidReport& tx);
// F: the name of one Slave (blocks 4..7), all 32 bytes, or an empty name when the
// Slave is disabled.
void SlaveName(HidReport& tx, const ConfigSet& c, int slave);
// G: the URL of one Slave (blocks 8..11).
void SlaveUrl(HidReport& tx, const ConfigSet& c, int slave);
// H: one input-map slice: for each output of owning unit q, the inputs of
// source unit s that drive it.
void InputMapSlice(HidReport& tx, const ConfigSet& c, int q, int s);
// Second half of the last block: bytes 3..50 := 0xFF.
void LastBlockFiller(HidReport& tx);

// Reports of a whole download: Identify, BeginDownload, the block halves, EndDownload.
inline constexpr int kMasterDownloadReports = 109;
inline constexpr int kSlaveDownloadReports = 11;

}  // namespace valdro::layout

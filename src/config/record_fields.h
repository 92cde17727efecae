#pragma once
// Every field of a unit's 304-byte record in one table: its key in the JSON form,
// the record's own name for it, where its bytes lie, what they hold and how `show`
// prints it. The JSON export and import, `diff` and `show` walk these rows instead
// of keeping lists of their own; the checks at the end prove that the rows cover
// the record byte for byte.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "config/json_keys.h"
#include "config/unit_layout.h"

namespace valdro {

enum class FieldKind : std::uint8_t {
    Octets,      // an address: four bytes, first octet first
    Text,        // 8-bit text with a NUL after it when shorter than the field
    Flag,        // one byte, written 0 or 1, read as on when non-zero
    Byte,        // one byte of any value
    Int32,       // signed 32-bit
    FlagArray,   // 16 flags, entry k for input or output k + 1
    Int32Array,  // 16 signed 32-bit numbers, entry k for output k + 1
    Reserved,    // reserved or padding bytes: no field, carried unchanged
};

// What a number stands for: itself, a unit (0 = Master) or an input (0 = input 1,
// which the JSON form writes as 1).
enum class Refers : std::uint8_t { Value, Unit, Input };

// The values the unit expects, as the JSON form writes them. Import keeps any other
// value and warns "<value> <otherwise>"; an empty `otherwise` expects every value.
struct Expected {
    std::int64_t lo = 0, hi = 0;
    std::string_view otherwise{};
};

// A line of `show`; lines are printed by ascending place, and an empty label prints
// none. `words` name the values 0 and 1 where a flag or a mode reads better in words.
struct ShowLine {
    std::string_view label{};
    int place = 0;
    std::array<std::string_view, 2> words{};
    bool slavesOnly = false;
};

struct RecordField {
    std::string_view key{};   // in the JSON form; a reserved span's is its offset
    std::string_view name{};  // the record's own, as `diff` prints it
    std::size_t offset = 0;
    std::size_t size = 0;  // of the whole field, all entries of an array
    FieldKind kind = FieldKind::Reserved;
    std::string_view tailKey{};  // Text: the key of the bytes after its NUL
    bool perInput = false;       // FlagArray: entry k is input k + 1, not output k + 1
    bool inEachOutput = false;   // JSON: entry o is written in output object o
    Refers refers = Refers::Value;
    Expected expected{};
    ShowLine show{};
};

// In the JSON form's order: the unit's own keys, its reserved bytes, then the
// fields written once per output. Kept as a table, two lines a row, by hand.
// clang-format off
inline constexpr RecordField kRecordFields[] = {
    {.key = json_key::DeviceName, .name = "DeviceName", .offset = field::DeviceName,
     .size = field::DeviceNameSize, .kind = FieldKind::Text, .tailKey = json_key::DeviceNameTail},
    {.key = json_key::IPAddr, .name = "IPAddr", .offset = field::IPAddr,
     .size = 4, .kind = FieldKind::Octets, .show = {"IP address", 1}},
    {.key = json_key::GateWayAddr, .name = "GateWayAddr", .offset = field::GateWayAddr,
     .size = 4, .kind = FieldKind::Octets, .show = {"Gateway", 2}},
    {.key = json_key::SubMaskAddr, .name = "SubMaskAddr", .offset = field::SubMaskAddr,
     .size = 4, .kind = FieldKind::Octets, .show = {"Subnet mask", 3}},
    {.key = json_key::DNSAddress, .name = "DNSAddress", .offset = field::DNSAddress,
     .size = 4, .kind = FieldKind::Octets, .show = {"DNS address", 4}},
    {.key = json_key::DHCPEnable, .name = "DHCPEnable", .offset = field::DHCPEnable,
     .size = 1, .kind = FieldKind::Flag, .show = {"DHCP", 6, {"off", "on"}}},
    {.key = json_key::ClientPort, .name = "ClientPort", .offset = field::ClientPort,
     .size = 4, .kind = FieldKind::Int32,
     .expected = {1, 65535, "is not a port number (1..65535)"}, .show = {"Port", 5}},
    {.key = json_key::AddressMode, .name = "AddressMode", .offset = field::AddressMode,
     .size = 1, .kind = FieldKind::Byte,
     .expected = {0, 1, "is neither 0 (IP address) nor 1 (URL)"},
     .show = {"Address mode", 7, {"IP address", "URL"}}},
    {.key = json_key::URL, .name = "URL", .offset = field::URL,
     .size = field::URLSize, .kind = FieldKind::Text, .tailKey = json_key::URLTail,
     .show = {"URL", 8}},
    {.key = json_key::SlaveEnabled, .name = "SlaveEnabled", .offset = field::SlaveEnabled,
     .size = 1, .kind = FieldKind::Flag, .show = {"Enabled", 9, {"no", "yes"}, true}},
    {.key = json_key::DeviceParamA, .name = "DeviceParamA", .offset = field::DeviceParamA,
     .size = 1, .kind = FieldKind::Byte},
    {.key = json_key::DeviceParamB, .name = "DeviceParamB", .offset = field::DeviceParamB,
     .size = 1, .kind = FieldKind::Byte},
    {.key = json_key::InvertInputs, .name = "InvertInputs", .offset = field::InvertInputs,
     .size = kIoCount, .kind = FieldKind::FlagArray, .perInput = true,
     .show = {"Inverted inputs", 10}},
    {.key = json_key::InvertOutputs, .name = "InvertOutputs", .offset = field::InvertOutputs,
     .size = kIoCount, .kind = FieldKind::FlagArray, .show = {"Inverted outputs", 11}},
    {.key = json_key::OutputStartStatus, .name = "OutputStartStatus",
     .offset = field::OutputStartStatus,
     .size = kIoCount, .kind = FieldKind::FlagArray, .show = {"Outputs on at start", 12}},
    {.key = "12", .name = "reserved bytes 12..15", .offset = field::Reserved12, .size = 4},
    {.key = "53", .name = "reserved byte 53", .offset = field::Reserved53, .size = 1},
    {.key = "55", .name = "padding byte 55", .offset = field::Padding55, .size = 1},
    {.key = "175", .name = "padding byte 175", .offset = field::Padding175, .size = 1},
    {.key = json_key::OutputLatch, .name = "OutputLatch", .offset = field::OutputLatch,
     .size = kIoCount, .kind = FieldKind::FlagArray, .inEachOutput = true,
     .show = {"Latched outputs", 13}},
    {.key = json_key::ResetDevice, .name = "ResetDevice", .offset = field::ResetDevice,
     .size = 4 * kIoCount, .kind = FieldKind::Int32Array, .inEachOutput = true,
     .refers = Refers::Unit, .expected = {0, kUnitCount - 1, "is not a unit (0..8)"}},
    {.key = json_key::ResetInput, .name = "ResetInput", .offset = field::ResetInput,
     .size = 4 * kIoCount, .kind = FieldKind::Int32Array, .inEachOutput = true,
     .refers = Refers::Input, .expected = {1, kIoCount, "is not an input (1..16)"}},
};
// clang-format on

inline constexpr std::size_t kRecordFieldCount = std::size(kRecordFields);

// The rows sorted by `less`, which compares two rows' pointers.
template <typename Less>
constexpr std::array<const RecordField*, kRecordFieldCount> RecordFieldsBy(Less less) {
    std::array<const RecordField*, kRecordFieldCount> rows{};
    for (std::size_t k = 0; k < kRecordFieldCount; ++k)
        rows[k] = &kRecordFields[k];
    std::sort(rows.begin(), rows.end(), less);
    return rows;
}

// The rows in the record's byte order.
inline constexpr auto kRecordFieldsByOffset = RecordFieldsBy(
    [](const RecordField* a, const RecordField* b) { return a->offset < b->offset; });

// A field's bytes within one record.
template <typename Byte>
std::span<Byte> FieldBytes(std::span<Byte, kUnitRecordSize> record, const RecordField& f) {
    return record.subspan(f.offset, f.size);
}

// Entry k of an Int32Array, or the number of an Int32 field (k = 0).
inline std::int32_t Int32Entry(std::span<const std::uint8_t, kUnitRecordSize> record,
                               const RecordField& f, int k = 0) {
    return GetInt32(record.subspan(f.offset + 4 * static_cast<std::size_t>(k)).first<4>());
}
inline void SetInt32Entry(std::span<std::uint8_t, kUnitRecordSize> record, const RecordField& f,
                          int k, std::int32_t v) {
    PutInt32(record.subspan(f.offset + 4 * static_cast<std::size_t>(k)).first<4>(), v);
}

namespace record_fields_check {
constexpr bool SizeFitsKind(const RecordField& f) {
    switch (f.kind) {
        case FieldKind::Octets:
        case FieldKind::Int32:
            return f.size == 4;
        case FieldKind::Flag:
        case FieldKind::Byte:
            return f.size == 1;
        case FieldKind::FlagArray:
            return f.size == kIoCount;
        case FieldKind::Int32Array:
            return f.size == 4 * kIoCount;
        case FieldKind::Text:
            return f.size > 0 && !f.tailKey.empty();
        case FieldKind::Reserved:
            return f.size > 0;
    }
    return false;
}

// Each byte of the record belongs to exactly one row.
constexpr bool RowsTileTheRecord() {
    std::size_t next = 0;
    for (const RecordField* f : kRecordFieldsByOffset) {
        if (f->offset != next || !SizeFitsKind(*f))
            return false;
        next += f->size;
    }
    return next == kUnitRecordSize;
}

// Import finds a key by name within its object, so no two may share one.
constexpr bool KeysAreDistinct() {
    for (const RecordField& a : kRecordFields) {
        for (const RecordField& b : kRecordFields) {
            const bool sameObject =
                a.inEachOutput == b.inEachOutput &&
                (a.kind == FieldKind::Reserved) == (b.kind == FieldKind::Reserved);
            if (&a != &b && sameObject &&
                (a.key == b.key || (!a.tailKey.empty() && a.tailKey == b.key)))
                return false;
        }
    }
    return true;
}
}  // namespace record_fields_check

static_assert(
    record_fields_check::RowsTileTheRecord(),
    "the record's fields must cover its 304 bytes, each byte once, each in the size of its kind");
static_assert(record_fields_check::KeysAreDistinct());

}  // namespace valdro

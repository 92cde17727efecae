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
    std::string_view otherwise;
};

// A line of `show`; lines are printed by ascending place, and an empty label prints
// none. `words` name the values 0 and 1 where a flag or a mode reads better in words.
struct ShowLine {
    std::string_view label;
    int place = 0;
    std::array<std::string_view, 2> words{};
    bool slavesOnly = false;
};

struct RecordField {
    constexpr RecordField(std::string_view key, std::string_view name, std::size_t offset,
                          std::size_t size, FieldKind kind)
        : key(key), name(name), offset(offset), size(size), kind(kind) {}

    std::string_view key;   // in the JSON form; a reserved span's is its offset
    std::string_view name;  // the record's own, as `diff` prints it
    std::size_t offset;
    std::size_t size;  // of the whole field, all entries of an array
    FieldKind kind;
    std::string_view tailKey;   // Text: the key of the bytes after its NUL
    bool perInput = false;      // FlagArray: entry k is input k + 1, not output k + 1
    bool inEachOutput = false;  // JSON: entry o is written in output object o
    Refers refers = Refers::Value;
    Expected expected{};
    ShowLine show{};

    constexpr RecordField Tail(std::string_view key) const {
        RecordField f = *this;
        f.tailKey = key;
        return f;
    }
    constexpr RecordField PerInput() const {
        RecordField f = *this;
        f.perInput = true;
        return f;
    }
    constexpr RecordField InEachOutput(Refers r = Refers::Value) const {
        RecordField f = *this;
        f.inEachOutput = true;
        f.refers = r;
        return f;
    }
    constexpr RecordField Expects(std::int64_t lo, std::int64_t hi,
                                  std::string_view otherwise) const {
        RecordField f = *this;
        f.expected = {lo, hi, otherwise};
        return f;
    }
    constexpr RecordField Shown(int place, std::string_view label, std::string_view word0 = {},
                                std::string_view word1 = {}) const {
        RecordField f = *this;
        f.show = {label, place, {word0, word1}, false};
        return f;
    }
    constexpr RecordField ShownForSlaves(int place, std::string_view label, std::string_view word0,
                                         std::string_view word1) const {
        RecordField f = Shown(place, label, word0, word1);
        f.show.slavesOnly = true;
        return f;
    }
};

// In the JSON form's order: the unit's own keys, its reserved bytes, then the
// fields written once per output.
inline constexpr RecordField kRecordFields[] = {
    RecordField{json_key::DeviceName, "DeviceName", field::DeviceName, field::DeviceNameSize,
                FieldKind::Text}
        .Tail(json_key::DeviceNameTail),
    RecordField{json_key::IPAddr, "IPAddr", field::IPAddr, 4, FieldKind::Octets}.Shown(
        1, "IP address"),
    RecordField{json_key::GateWayAddr, "GateWayAddr", field::GateWayAddr, 4, FieldKind::Octets}
        .Shown(2, "Gateway"),
    RecordField{json_key::SubMaskAddr, "SubMaskAddr", field::SubMaskAddr, 4, FieldKind::Octets}
        .Shown(3, "Subnet mask"),
    RecordField{json_key::DNSAddress, "DNSAddress", field::DNSAddress, 4, FieldKind::Octets}.Shown(
        4, "DNS address"),
    RecordField{json_key::DHCPEnable, "DHCPEnable", field::DHCPEnable, 1, FieldKind::Flag}.Shown(
        6, "DHCP", "off", "on"),
    RecordField{json_key::ClientPort, "ClientPort", field::ClientPort, 4, FieldKind::Int32}
        .Expects(1, 65535, "is not a port number (1..65535)")
        .Shown(5, "Port"),
    RecordField{json_key::AddressMode, "AddressMode", field::AddressMode, 1, FieldKind::Byte}
        .Expects(0, 1, "is neither 0 (IP address) nor 1 (URL)")
        .Shown(7, "Address mode", "IP address", "URL"),
    RecordField{json_key::URL, "URL", field::URL, field::URLSize, FieldKind::Text}
        .Tail(json_key::URLTail)
        .Shown(8, "URL"),
    RecordField{json_key::SlaveEnabled, "SlaveEnabled", field::SlaveEnabled, 1, FieldKind::Flag}
        .ShownForSlaves(9, "Enabled", "no", "yes"),
    RecordField{json_key::DeviceParamA, "DeviceParamA", field::DeviceParamA, 1, FieldKind::Byte},
    RecordField{json_key::DeviceParamB, "DeviceParamB", field::DeviceParamB, 1, FieldKind::Byte},
    RecordField{json_key::InvertInputs, "InvertInputs", field::InvertInputs, kIoCount,
                FieldKind::FlagArray}
        .PerInput()
        .Shown(10, "Inverted inputs"),
    RecordField{json_key::InvertOutputs, "InvertOutputs", field::InvertOutputs, kIoCount,
                FieldKind::FlagArray}
        .Shown(11, "Inverted outputs"),
    RecordField{json_key::OutputStartStatus, "OutputStartStatus", field::OutputStartStatus,
                kIoCount, FieldKind::FlagArray}
        .Shown(12, "Outputs on at start"),
    RecordField{"12", "reserved bytes 12..15", field::Reserved12, 4, FieldKind::Reserved},
    RecordField{"53", "reserved byte 53", field::Reserved53, 1, FieldKind::Reserved},
    RecordField{"55", "padding byte 55", field::Padding55, 1, FieldKind::Reserved},
    RecordField{"175", "padding byte 175", field::Padding175, 1, FieldKind::Reserved},
    RecordField{json_key::OutputLatch, "OutputLatch", field::OutputLatch, kIoCount,
                FieldKind::FlagArray}
        .InEachOutput()
        .Shown(13, "Latched outputs"),
    RecordField{json_key::ResetDevice, "ResetDevice", field::ResetDevice, 4 * kIoCount,
                FieldKind::Int32Array}
        .InEachOutput(Refers::Unit)
        .Expects(0, kUnitCount - 1, "is not a unit (0..8)"),
    RecordField{json_key::ResetInput, "ResetInput", field::ResetInput, 4 * kIoCount,
                FieldKind::Int32Array}
        .InEachOutput(Refers::Input)
        .Expects(1, kIoCount, "is not an input (1..16)"),
};

inline constexpr std::size_t kRecordFieldCount = std::size(kRecordFields);

// The rows in the record's byte order.
constexpr std::array<const RecordField*, kRecordFieldCount> RecordFieldsByOffset() {
    std::array<const RecordField*, kRecordFieldCount> rows{};
    for (std::size_t k = 0; k < kRecordFieldCount; ++k)
        rows[k] = &kRecordFields[k];
    std::sort(rows.begin(), rows.end(),
              [](const RecordField* a, const RecordField* b) { return a->offset < b->offset; });
    return rows;
}

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
    for (const RecordField* f : RecordFieldsByOffset()) {
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

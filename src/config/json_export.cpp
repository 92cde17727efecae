// ExportConfigJson: the JSON form of a set, built by walking the record's fields.

#include <algorithm>
#include <nlohmann/json.hpp>

#include "config/config_json.h"
#include "config/hex_text.h"
#include "config/json_printer.h"
#include "config/record_fields.h"
#include "config/text_codec.h"
#include "config/unit_names.h"

namespace valdro {
namespace {

using Json = nlohmann::ordered_json;
using Bytes = std::span<const std::uint8_t>;
using Record = std::span<const std::uint8_t, kUnitRecordSize>;

Json ByteArray(Bytes bytes) {
    Json a = Json::array();
    for (std::uint8_t b : bytes)
        a.push_back(b);
    return a;
}

// A text field as its text up to the NUL, plus the bytes after the NUL (trailing
// zeros dropped) when there are any: stale characters of an older, longer text.
void ExportText(Json& unit, const RecordField& f, Bytes fieldBytes) {
    const auto nul = std::find(fieldBytes.begin(), fieldBytes.end(), std::uint8_t{0});
    const auto textLen = static_cast<std::size_t>(nul - fieldBytes.begin());
    unit[f.key] =
        DecodeCp1252(std::string_view(reinterpret_cast<const char*>(fieldBytes.data()), textLen));
    if (nul == fieldBytes.end())
        return;
    auto tail = fieldBytes.subspan(textLen + 1);
    while (!tail.empty() && tail.back() == 0)
        tail = tail.first(tail.size() - 1);
    if (!tail.empty())
        unit[f.tailKey] = HexBytes(tail);
}

// Entry o of a field written once per output.
Json ExportEntry(Record r, const RecordField& f, int o) {
    if (f.kind == FieldKind::FlagArray)
        return r[f.offset + static_cast<std::size_t>(o)];
    const std::int32_t v = Int32Entry(r, f, o);
    switch (f.refers) {
        case Refers::Unit:
            return IsValidUnitIndex(v) ? Json(UnitLabel(v)) : Json(v);
        case Refers::Input:
            return static_cast<std::int64_t>(v) + 1;
        case Refers::Value:
            break;
    }
    return v;
}

Json ExportOutput(const ConfigSet& set, int u, int o) {
    const Record r = set.Unit(u).Bytes();
    Json out;
    out[json_key::Output] = o + 1;
    for (const RecordField& f : kRecordFields) {
        if (f.inEachOutput)
            out[f.key] = ExportEntry(r, f, o);
    }
    Json inputs = Json::object();
    for (int s = 0; s < kUnitCount; ++s) {
        Json list = Json::array();
        for (int i = 0; i < kIoCount; ++i) {
            const std::uint8_t cell = set.InputMap[InputMapOffset(u, s, o, i)];
            if (cell == 1) {
                list.push_back(i + 1);
            } else if (cell != 0) {
                list.push_back(Json{{json_key::Input, i + 1}, {json_key::Value, cell}});
            }
        }
        if (!list.empty())
            inputs[UnitLabel(s)] = std::move(list);
    }
    out[json_key::Inputs] = std::move(inputs);
    return out;
}

Json ExportUnit(const ConfigSet& set, int u) {
    const Record r = set.Unit(u).Bytes();
    Json j, reserved = Json::object();
    j[json_key::Unit] = UnitLabel(u);
    for (const RecordField& f : kRecordFields) {
        const Bytes b = FieldBytes(r, f);
        if (f.inEachOutput) {
            continue;
        } else if (f.kind == FieldKind::Text) {
            ExportText(j, f, b);
        } else if (f.kind == FieldKind::Reserved) {
            // Written only when set, so that a file made here carries none.
            if (std::any_of(b.begin(), b.end(), [](std::uint8_t v) { return v != 0; }))
                reserved[f.key] = HexBytes(b);
        } else if (f.kind == FieldKind::Int32) {
            j[f.key] = Int32Entry(r, f);
        } else if (f.kind == FieldKind::Flag || f.kind == FieldKind::Byte) {
            j[f.key] = b[0];
        } else {
            j[f.key] = ByteArray(b);  // an address or a row of flags
        }
    }
    if (!reserved.empty())
        j[json_key::Reserved] = std::move(reserved);
    Json outputs = Json::array();
    for (int o = 0; o < kIoCount; ++o)
        outputs.push_back(ExportOutput(set, u, o));
    j[json_key::Outputs] = std::move(outputs);
    return j;
}

}  // namespace

std::string ExportConfigJson(const ConfigSet& set) {
    Json doc;
    doc[json_key::Format] = kJsonFormatName;
    doc[json_key::Version] = kJsonFormatVersion;
    Json units = Json::array();
    for (int u = 0; u < kUnitCount; ++u)
        units.push_back(ExportUnit(set, u));
    doc[json_key::Units] = std::move(units);
    return PrintReadableJson(doc) + "\n";
}

}  // namespace valdro

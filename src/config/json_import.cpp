// ImportConfigJson: reads the JSON form by walking the record's fields, checking
// every value against what the field's bytes can hold.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <vector>

#include "config/config_json.h"
#include "config/hex_text.h"
#include "config/record_fields.h"
#include "config/text_codec.h"
#include "config/unit_names.h"

namespace valdro {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxErrors = 50;

std::string Describe(const Json& v) {
    if (v.is_string()) {
        std::string s = v.get<std::string>();
        if (s.size() > 40)
            s = s.substr(0, 37) + "...";
        return Json(s).dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    if (v.is_number() || v.is_boolean() || v.is_null())
        return v.dump();
    return std::string("an ") + (v.is_array() ? "array" : "object");
}

using Keys = std::vector<std::string_view>;

// The keys a unit object (eachOutput false) or an output object may hold.
Keys KeysOf(bool eachOutput) {
    Keys keys = eachOutput ? Keys{json_key::Output, json_key::Inputs}
                           : Keys{json_key::Unit, json_key::Reserved, json_key::Outputs};
    for (const RecordField& f : kRecordFields) {
        if (f.inEachOutput == eachOutput && f.kind != FieldKind::Reserved) {
            keys.push_back(f.key);
            if (!f.tailKey.empty())
                keys.push_back(f.tailKey);
        }
    }
    return keys;
}

// "12, 53, 55, 175": where reserved bytes lie, for the message on an unknown one.
std::string ReservedOffsets() {
    std::string out;
    for (const RecordField& f : kRecordFields) {
        if (f.kind == FieldKind::Reserved)
            out += (out.empty() ? "" : ", ") + std::string(f.key);
    }
    return out;
}

class Importer {
  public:
    Importer(JsonImportResult& result, ConfigSet& scratch) : r_(result), set_(scratch) {}

    void Document(const Json& doc) {
        if (!ExpectType(doc, Json::value_t::object, "the document", "an object"))
            return;
        CheckKeys(doc, "", {json_key::Format, json_key::Version, json_key::Units});
        if (const Json* f = Required(doc, json_key::Format, "format")) {
            if (!f->is_string() || f->get<std::string>() != kJsonFormatName) {
                Error("format: expected \"" + std::string(kJsonFormatName) + "\", found " +
                      Describe(*f));
            }
        }
        if (const Json* v = Required(doc, json_key::Version, "version")) {
            const auto n = Integer(*v, "version");
            if (n && *n > kJsonFormatVersion) {
                Error("version: " + std::to_string(*n) +
                      " is a later version of this format than this program reads (1)");
            } else if (n && *n != kJsonFormatVersion) {
                Error("version: " + std::to_string(*n) + " is not a version of this format (1)");
            }
        }
        const Json* units = Required(doc, json_key::Units, "units");
        if (units == nullptr || !ExpectType(*units, Json::value_t::array, "units", "an array")) {
            return;
        }
        if (units->size() != static_cast<std::size_t>(kUnitCount)) {
            Error("units: expected 9 units (Master, Slave 1 .. Slave 8), found " +
                  std::to_string(units->size()));
            return;
        }
        for (int u = 0; u < kUnitCount; ++u)
            Unit((*units)[static_cast<std::size_t>(u)], u);
    }

  private:
    void Error(std::string message) {
        if (r_.errors.size() < kMaxErrors) {
            r_.errors.push_back(std::move(message));
        } else if (r_.errors.size() == kMaxErrors) {
            r_.errors.push_back("... further errors not shown");
        }
    }
    void Warning(std::string message) { r_.warnings.push_back(std::move(message)); }

    bool ExpectType(const Json& v, Json::value_t type, const std::string& path, const char* what) {
        if (v.type() == type)
            return true;
        Error(path + ": expected " + what + ", found " + Describe(v));
        return false;
    }

    void CheckKeys(const Json& obj, const std::string& path, const Keys& known) {
        for (const auto& item : obj.items()) {
            if (std::find(known.begin(), known.end(), item.key()) == known.end()) {
                Error((path.empty() ? std::string() : path + ": ") + "unknown key \"" + item.key() +
                      "\"");
            }
        }
    }

    const Json* Required(const Json& obj, std::string_view key, const std::string& path) {
        const Json* v = Optional(obj, key);
        if (v == nullptr)
            Error(path + ": missing");
        return v;
    }

    static const Json* Optional(const Json& obj, std::string_view key) {
        const auto it = obj.find(key);
        return it == obj.end() ? nullptr : &*it;
    }

    std::optional<std::int64_t> Integer(const Json& v, const std::string& path) {
        if (v.is_number_integer()) {
            if (v.is_number_unsigned() &&
                v.get<std::uint64_t>() >
                    static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                Error(path + ": " + v.dump() + " is far too large");
                return std::nullopt;
            }
            return v.get<std::int64_t>();
        }
        Error(path + ": expected a whole number, found " + Describe(v));
        return std::nullopt;
    }

    std::optional<std::uint8_t> Byte(const Json& v, const std::string& path) {
        const auto n = Integer(v, path);
        if (!n)
            return std::nullopt;
        if (*n < 0 || *n > 255) {
            Error(path + ": " + std::to_string(*n) + " is not a byte (0..255)");
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(*n);
    }

    std::optional<std::int32_t> Int32(const Json& v, const std::string& path) {
        const auto n = Integer(v, path);
        if (!n)
            return std::nullopt;
        if (*n < std::numeric_limits<std::int32_t>::min() ||
            *n > std::numeric_limits<std::int32_t>::max()) {
            Error(path + ": " + std::to_string(*n) + " does not fit a signed 32-bit number");
            return std::nullopt;
        }
        return static_cast<std::int32_t>(*n);
    }

    // A value the bytes hold but the unit does not expect is kept, with a warning.
    void WarnIfUnexpected(const RecordField& f, const std::string& path, std::int64_t shown) {
        if (!f.expected.otherwise.empty() && (shown < f.expected.lo || shown > f.expected.hi)) {
            Warning(path + ": " + std::to_string(shown) + " " + std::string(f.expected.otherwise) +
                    "; kept as it is");
        }
    }

    // A flag: true/false, or the byte itself so that a stored 5 comes back as 5.
    void Flag(const Json& v, const std::string& path, std::uint8_t& out) {
        if (v.is_boolean()) {
            out = v.get<bool>() ? 1 : 0;
            return;
        }
        const auto b = Byte(v, path);
        if (!b)
            return;
        if (*b > 1) {
            Warning(path + ": " + std::to_string(*b) +
                    " is not 0 or 1; kept as it is (read as on)");
        }
        out = *b;
    }

    void ByteArrayInto(const Json& v, const std::string& path, std::span<std::uint8_t> out,
                       bool flags) {
        if (!ExpectType(v, Json::value_t::array, path, "an array"))
            return;
        if (v.size() != out.size()) {
            Error(path + ": expected " + std::to_string(out.size()) + " entries, found " +
                  std::to_string(v.size()));
            return;
        }
        for (std::size_t k = 0; k < out.size(); ++k) {
            const std::string p = path + "[" + std::to_string(k) + "]";
            if (flags) {
                Flag(v[k], p, out[k]);
            } else if (const auto b = Byte(v[k], p)) {
                out[k] = *b;
            }
        }
    }

    void Text(const Json& obj, const RecordField& f, const std::string& unitPath,
              std::span<std::uint8_t> out) {
        const std::string path = unitPath + "." + std::string(f.key);
        const Json* v = Required(obj, f.key, path);
        if (v == nullptr || !ExpectType(*v, Json::value_t::string, path, "a string"))
            return;
        const std::string text = v->get<std::string>();
        if (text.find('\0') != std::string::npos) {
            Error(path + ": contains a NUL character, which would end the text");
            return;
        }
        const std::string encoded = EncodeCp1252(text);
        if (DecodeCp1252(encoded) != text) {
            Error(path + ": " + FirstUnencodable(text) + " has no Windows-1252 character");
            return;
        }
        if (encoded.size() > out.size()) {
            Error(path + ": " + Describe(*v) + " is " + std::to_string(encoded.size()) +
                  " characters long; the field holds " + std::to_string(out.size()));
            return;
        }
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        std::copy(encoded.begin(), encoded.end(), out.begin());

        const Json* tailJson = Optional(obj, f.tailKey);
        if (tailJson == nullptr)
            return;
        const std::string tailPath = unitPath + "." + std::string(f.tailKey);
        if (!ExpectType(*tailJson, Json::value_t::string, tailPath, "a string of hex bytes")) {
            return;
        }
        const auto tail = ParseHexBytes(tailJson->get<std::string>());
        if (!tail) {
            Error(tailPath + ": " + Describe(*tailJson) + " is not hex bytes (like \"6c6f00\")");
            return;
        }
        const std::size_t room = out.size() - std::min(out.size(), encoded.size() + 1);
        if (tail->size() > room) {
            // An edited, longer text overwrites the stale bytes, as typing it would.
            Warning(tailPath + ": " + std::to_string(tail->size()) + " bytes after the text, " +
                    std::to_string(room) + " fit; the rest is dropped");
        }
        std::copy_n(tail->begin(), std::min(room, tail->size()),
                    out.begin() + static_cast<std::ptrdiff_t>(encoded.size() + 1));
    }

    static std::string FirstUnencodable(const std::string& text) {
        std::size_t i = 0;
        while (i < text.size()) {
            const auto c = static_cast<unsigned char>(text[i]);
            const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            const std::string one = text.substr(i, len);
            if (DecodeCp1252(EncodeCp1252(one)) != one) {
                return "\"" + one + "\"";
            }
            i += len;
        }
        return "a character";
    }

    // One of the unit's own keys; reserved bytes and per-output fields are read elsewhere.
    void UnitField(const Json& v, const RecordField& f, const std::string& unitPath,
                   std::span<std::uint8_t, kUnitRecordSize> rec) {
        const std::span<std::uint8_t> b = FieldBytes(rec, f);
        if (f.kind == FieldKind::Text)
            return Text(v, f, unitPath, b);
        const std::string p = unitPath + "." + std::string(f.key);
        const Json* j = Required(v, f.key, p);
        if (j == nullptr) {
            return;
        } else if (f.kind == FieldKind::Flag) {
            Flag(*j, p, b[0]);
        } else if (f.kind == FieldKind::Octets || f.kind == FieldKind::FlagArray) {
            ByteArrayInto(*j, p, b, f.kind == FieldKind::FlagArray);
        } else if (f.kind == FieldKind::Byte) {
            if (const auto n = Byte(*j, p)) {
                WarnIfUnexpected(f, p, *n);
                b[0] = *n;
            }
        } else if (const auto n = Int32(*j, p)) {
            WarnIfUnexpected(f, p, *n);
            SetInt32Entry(rec, f, 0, *n);
        }
    }

    void Unit(const Json& v, int u) {
        const std::string path = "units[" + std::to_string(u) + "]";
        if (!ExpectType(v, Json::value_t::object, path, "an object"))
            return;
        static const Keys unitKeys = KeysOf(false);
        CheckKeys(v, path, unitKeys);
        if (const Json* label = Optional(v, json_key::Unit)) {
            if (!label->is_string() || label->get<std::string>() != UnitLabel(u)) {
                Error(path + ".unit: expected \"" + UnitLabel(u) + "\" at this position, found " +
                      Describe(*label));
            }
        }
        const std::span<std::uint8_t, kUnitRecordSize> rec = set_.Unit(u).Bytes();
        for (const RecordField& f : kRecordFields) {
            if (!f.inEachOutput && f.kind != FieldKind::Reserved)
                UnitField(v, f, path, rec);
        }
        if (const Json* reserved = Optional(v, json_key::Reserved))
            Reserved(*reserved, path + ".reserved", rec);

        const std::string outputsPath = path + ".outputs";
        const Json* outputs = Required(v, json_key::Outputs, outputsPath);
        if (outputs == nullptr ||
            !ExpectType(*outputs, Json::value_t::array, outputsPath, "an array")) {
            return;
        }
        if (outputs->size() != static_cast<std::size_t>(kIoCount)) {
            Error(outputsPath + ": expected 16 outputs, found " + std::to_string(outputs->size()));
            return;
        }
        for (int o = 0; o < kIoCount; ++o) {
            Output((*outputs)[static_cast<std::size_t>(o)],
                   outputsPath + "[" + std::to_string(o) + "]", u, o);
        }
    }

    void Reserved(const Json& v, const std::string& path,
                  std::span<std::uint8_t, kUnitRecordSize> rec) {
        if (!ExpectType(v, Json::value_t::object, path, "an object"))
            return;
        for (const auto& item : v.items()) {
            // Not a structured binding: clang 14 cannot capture those in a lambda.
            const std::string key = item.key();
            const Json& value = item.value();
            const auto f = std::find_if(std::begin(kRecordFields), std::end(kRecordFields),
                                        [&](const RecordField& r) {
                                            return r.kind == FieldKind::Reserved && key == r.key;
                                        });
            const std::string p = path + "." + key;
            if (f == std::end(kRecordFields)) {
                Error(path + ": unknown key \"" + key + "\" (reserved bytes are at " +
                      ReservedOffsets() + ")");
                continue;
            }
            if (!ExpectType(value, Json::value_t::string, p, "a string of hex bytes"))
                continue;
            const auto hex = ParseHexBytes(value.get<std::string>());
            if (!hex || hex->size() != f->size) {
                Error(p + ": " + Describe(value) + " is not " + std::to_string(f->size) +
                      " hex byte" + (f->size == 1 ? "" : "s"));
                continue;
            }
            std::copy(hex->begin(), hex->end(), FieldBytes(rec, *f).begin());
        }
    }

    // Entry o of a field the JSON form writes in each output object.
    void OutputEntry(const Json& v, const RecordField& f, const std::string& outputPath,
                     std::span<std::uint8_t, kUnitRecordSize> rec, int o) {
        const std::string p = outputPath + "." + std::string(f.key);
        const Json* j = Required(v, f.key, p);
        if (j == nullptr) {
            return;
        } else if (f.kind == FieldKind::FlagArray) {
            Flag(*j, p, rec[f.offset + static_cast<std::size_t>(o)]);
        } else if (f.refers == Refers::Unit && j->is_string()) {
            if (const auto idx = UnitIndexFromLabel(j->get<std::string>())) {
                SetInt32Entry(rec, f, o, *idx);
            } else {
                Error(p + ": unknown unit " + Describe(*j) +
                      " (Master, Slave 1 .. Slave 8, or a unit number)");
            }
        } else if (f.refers == Refers::Input) {
            // Written 1..16, stored 0..15. Checked before subtracting, which would
            // overflow for the lowest 64-bit number.
            const auto n = Integer(*j, p);
            if (n && (*n <= std::numeric_limits<std::int32_t>::min() ||
                      *n > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1)) {
                Error(p + ": " + std::to_string(*n) + " does not fit the field");
            } else if (n) {
                WarnIfUnexpected(f, p, *n);
                SetInt32Entry(rec, f, o, static_cast<std::int32_t>(*n - 1));
            }
        } else if (const auto n = Int32(*j, p)) {
            WarnIfUnexpected(f, p, *n);
            SetInt32Entry(rec, f, o, *n);
        }
    }

    void Output(const Json& v, const std::string& path, int u, int o) {
        if (!ExpectType(v, Json::value_t::object, path, "an object"))
            return;
        static const Keys outputKeys = KeysOf(true);
        CheckKeys(v, path, outputKeys);
        if (const Json* number = Optional(v, json_key::Output)) {
            if (!number->is_number_integer() || number->get<std::int64_t>() != o + 1) {
                Error(path + ".output: expected " + std::to_string(o + 1) +
                      " at this position, found " + Describe(*number));
            }
        }
        const std::span<std::uint8_t, kUnitRecordSize> rec = set_.Unit(u).Bytes();
        for (const RecordField& f : kRecordFields) {
            if (f.inEachOutput)
                OutputEntry(v, f, path, rec, o);
        }
        if (const Json* inputs = Required(v, json_key::Inputs, path + ".inputs")) {
            Inputs(*inputs, path + ".inputs", u, o);
        }
    }

    void Inputs(const Json& v, const std::string& path, int u, int o) {
        if (!ExpectType(v, Json::value_t::object, path, "an object"))
            return;
        for (const auto& [name, list] : v.items()) {
            const auto s = UnitIndexFromLabel(name);
            if (!s) {
                Error(path + ": unknown unit \"" + name + "\" (Master, Slave 1 .. Slave 8)");
                continue;
            }
            const std::string p = path + "." + name;
            if (!ExpectType(list, Json::value_t::array, p, "an array of inputs"))
                continue;
            std::array<bool, kIoCount> seen{};
            for (std::size_t k = 0; k < list.size(); ++k) {
                const std::string ep = p + "[" + std::to_string(k) + "]";
                const Json& entry = list[k];
                const Json* number = &entry;
                std::uint8_t value = 1;
                if (entry.is_object()) {
                    CheckKeys(entry, ep, {json_key::Input, json_key::Value});
                    number = Required(entry, json_key::Input, ep + ".input");
                    const Json* cell = Required(entry, json_key::Value, ep + ".value");
                    if (number == nullptr || cell == nullptr)
                        continue;
                    value = 0;
                    Flag(*cell, ep + ".value", value);
                }
                const auto n = Integer(*number, ep);
                if (!n)
                    continue;
                if (*n < 1 || *n > kIoCount) {
                    Error(ep + ": " + std::to_string(*n) + " is not an input (1..16)");
                    continue;
                }
                const auto i = static_cast<std::size_t>(*n - 1);
                if (seen[i]) {
                    Error(ep + ": input " + std::to_string(*n) + " is listed twice");
                    continue;
                }
                seen[i] = true;
                set_.InputMap[InputMapOffset(u, *s, o, static_cast<int>(i))] = value;
            }
        }
    }

    JsonImportResult& r_;
    ConfigSet& set_;
};

}  // namespace

JsonImportResult ImportConfigJson(std::string_view text, ConfigSet& into) {
    JsonImportResult result;
    try {
        const Json doc = Json::parse(text.begin(), text.end());
        auto scratch = std::make_unique<ConfigSet>();
        Importer(result, *scratch).Document(doc);
        if (result.errors.empty()) {
            into = *scratch;
            result.ok = true;
        }
    } catch (const Json::parse_error& e) {
        // what() starts with the library's own tag, "[json.exception.parse_error.101] ".
        std::string what = e.what();
        if (const auto close = what.find("] ");
            what.rfind("[json.", 0) == 0 && close != std::string::npos) {
            what.erase(0, close + 2);
        }
        result.errors.push_back("not valid JSON: " + what);
    } catch (const std::exception& e) {
        result.errors.push_back(std::string("could not read the JSON: ") + e.what());
    }
    if (!result.ok)
        result.warnings.clear();
    return result;
}

}  // namespace valdro

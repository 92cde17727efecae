#include "config/config_json.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>

#include "config/hex_text.h"
#include "config/text_codec.h"
#include "config/unit_names.h"

namespace valdro {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormatName = "valdrometrica-config";
constexpr int kFormatVersion = 1;
constexpr std::size_t kMaxErrors = 50;

// Reserved and padding bytes of a record, named by their offset in the record.
struct ReservedSpan {
    const char* key;
    std::size_t offset;
    std::size_t size;
};
constexpr std::array<ReservedSpan, 4> kReserved = {{
    {"12", field::Reserved12, 4},
    {"53", field::Reserved53, 1},
    {"55", field::Padding55, 1},
    {"175", field::Padding175, 1},
}};

// ---- export -------------------------------------------------------------------

Json ByteArray(std::span<const std::uint8_t> bytes) {
    Json a = Json::array();
    for (std::uint8_t b : bytes)
        a.push_back(b);
    return a;
}

// A text field as its text up to the NUL, plus the bytes after the NUL (trailing
// zeros dropped) when there are any: stale characters of an older, longer text.
void ExportText(Json& unit, const char* key, const std::string& tailKey,
                std::span<const std::uint8_t> fieldBytes) {
    const auto nul = std::find(fieldBytes.begin(), fieldBytes.end(), std::uint8_t{0});
    const auto textLen = static_cast<std::size_t>(nul - fieldBytes.begin());
    unit[key] =
        DecodeCp1252(std::string_view(reinterpret_cast<const char*>(fieldBytes.data()), textLen));
    if (nul == fieldBytes.end())
        return;
    auto tail = fieldBytes.subspan(textLen + 1);
    while (!tail.empty() && tail.back() == 0)
        tail = tail.first(tail.size() - 1);
    if (!tail.empty())
        unit[tailKey] = HexBytes(tail);
}

Json ExportOutput(const ConfigSet& set, int u, int o) {
    const ConstUnitRecord r = set.Unit(u);
    Json out;
    out["output"] = o + 1;
    out["latch"] = r.RawByte(field::OutputLatch + static_cast<std::size_t>(o));
    const std::int32_t resetUnit = r.ResetDevice(o);
    if (resetUnit >= 0 && resetUnit < kUnitCount) {
        out["resetUnit"] = UnitLabel(resetUnit);
    } else {
        out["resetUnit"] = resetUnit;
    }
    out["resetInput"] = static_cast<std::int64_t>(r.ResetInput(o)) + 1;
    Json inputs = Json::object();
    for (int s = 0; s < kUnitCount; ++s) {
        Json list = Json::array();
        for (int i = 0; i < kIoCount; ++i) {
            const std::uint8_t cell = set.InputMap[InputMapOffset(u, s, o, i)];
            if (cell == 1) {
                list.push_back(i + 1);
            } else if (cell != 0) {
                list.push_back(Json{{"input", i + 1}, {"value", cell}});
            }
        }
        if (!list.empty())
            inputs[UnitLabel(s)] = std::move(list);
    }
    out["inputs"] = std::move(inputs);
    return out;
}

Json ExportUnit(const ConfigSet& set, int u) {
    const ConstUnitRecord r = set.Unit(u);
    const auto b = r.Bytes();
    auto bytes = [&](std::size_t offset, std::size_t size) {
        return std::span<const std::uint8_t>(b.data() + offset, size);
    };
    Json j;
    j["unit"] = UnitLabel(u);
    ExportText(j, "deviceName", "deviceNameTail", bytes(field::DeviceName, field::DeviceNameSize));
    j["ipAddress"] = ByteArray(bytes(field::IPAddr, 4));
    j["gatewayAddress"] = ByteArray(bytes(field::GateWayAddr, 4));
    j["subnetMask"] = ByteArray(bytes(field::SubMaskAddr, 4));
    j["dnsAddress"] = ByteArray(bytes(field::DNSAddress, 4));
    j["dhcpEnable"] = b[field::DHCPEnable];
    j["clientPort"] = r.ClientPort();
    j["addressMode"] = b[field::AddressMode];
    ExportText(j, "url", "urlTail", bytes(field::URL, field::URLSize));
    j["slaveEnabled"] = b[field::SlaveEnabled];
    j["deviceParamA"] = b[field::DeviceParamA];
    j["deviceParamB"] = b[field::DeviceParamB];
    j["invertInputs"] = ByteArray(bytes(field::InvertInputs, kIoCount));
    j["invertOutputs"] = ByteArray(bytes(field::InvertOutputs, kIoCount));
    j["outputStartStatus"] = ByteArray(bytes(field::OutputStartStatus, kIoCount));
    Json reserved = Json::object();
    for (const ReservedSpan& rs : kReserved) {
        const auto part = bytes(rs.offset, rs.size);
        if (std::any_of(part.begin(), part.end(), [](std::uint8_t v) { return v != 0; })) {
            reserved[rs.key] = HexBytes(part);
        }
    }
    if (!reserved.empty())
        j["reserved"] = std::move(reserved);
    Json outputs = Json::array();
    for (int o = 0; o < kIoCount; ++o)
        outputs.push_back(ExportOutput(set, u, o));
    j["outputs"] = std::move(outputs);
    return j;
}

// One line per value while it fits in kLineWidth, otherwise one line per member:
// an address reads [192, 168, 0, 6] and an output fits on one line, where the
// library's own indenting would give each number a line of its own.
constexpr std::size_t kLineWidth = 100;

std::string Scalar(const Json& v) {
    // Texts decode to valid UTF-8, so the replacing handler never fires.
    return v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Appends the one-line form of v; stops and returns false once `out` grows past
// `limit`, so that deciding whether a large value fits costs no more than a line.
bool AppendOneLine(std::string& out, const Json& v, std::size_t limit) {
    if (v.is_array()) {
        out += '[';
        for (std::size_t k = 0; k < v.size(); ++k) {
            if (k != 0)
                out += ", ";
            if (!AppendOneLine(out, v[k], limit))
                return false;
        }
        out += ']';
    } else if (v.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& item : v.items()) {
            if (!first)
                out += ", ";
            first = false;
            out += Scalar(Json(item.key())) + ": ";
            if (!AppendOneLine(out, item.value(), limit))
                return false;
        }
        out += '}';
    } else {
        out += Scalar(v);
    }
    return out.size() <= limit;
}

// `indent` is the indentation of the value's block, `column` where the value starts.
void WriteReadable(std::string& out, const Json& v, std::size_t indent, std::size_t column) {
    std::string line;
    const std::size_t room = kLineWidth - std::min(column, kLineWidth);
    const bool fits = AppendOneLine(
        line, v, v.is_structured() && !v.empty() ? room : std::numeric_limits<std::size_t>::max());
    if (fits) {
        out += line;
        return;
    }
    const std::string pad(indent + 2, ' ');
    if (v.is_array()) {
        out += "[\n";
        for (std::size_t k = 0; k < v.size(); ++k) {
            out += pad;
            WriteReadable(out, v[k], indent + 2, indent + 2);
            out += k + 1 < v.size() ? ",\n" : "\n";
        }
        out += std::string(indent, ' ') + "]";
        return;
    }
    out += "{\n";
    std::size_t k = 0;
    for (const auto& [key, value] : v.items()) {
        const std::string name = Scalar(Json(key)) + ": ";
        out += pad + name;
        WriteReadable(out, value, indent + 2, indent + 2 + name.size());
        out += ++k < v.size() ? ",\n" : "\n";
    }
    out += std::string(indent, ' ') + "}";
}

// ---- import -------------------------------------------------------------------

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

class Importer {
  public:
    Importer(JsonImportResult& result, ConfigSet& scratch) : r_(result), set_(scratch) {}

    void Document(const Json& doc) {
        if (!ExpectType(doc, Json::value_t::object, "the document", "an object"))
            return;
        CheckKeys(doc, "", {"format", "version", "units"});
        if (const Json* f = Required(doc, "format", "format")) {
            if (!f->is_string() || f->get<std::string>() != kFormatName) {
                Error("format: expected \"" + std::string(kFormatName) + "\", found " +
                      Describe(*f));
            }
        }
        if (const Json* v = Required(doc, "version", "version")) {
            const auto n = Integer(*v, "version");
            if (n && *n > kFormatVersion) {
                Error("version: " + std::to_string(*n) +
                      " is a later version of this format than this program reads (1)");
            } else if (n && *n != kFormatVersion) {
                Error("version: " + std::to_string(*n) + " is not a version of this format (1)");
            }
        }
        const Json* units = Required(doc, "units", "units");
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

    void CheckKeys(const Json& obj, const std::string& path,
                   std::initializer_list<std::string_view> known) {
        for (const auto& [key, value] : obj.items()) {
            if (std::find(known.begin(), known.end(), key) == known.end()) {
                Error((path.empty() ? std::string() : path + ": ") + "unknown key \"" + key + "\"");
            }
        }
    }

    const Json* Required(const Json& obj, const char* key, const std::string& path) {
        const auto it = obj.find(key);
        if (it == obj.end()) {
            Error(path + ": missing");
            return nullptr;
        }
        return &*it;
    }

    const Json* Optional(const Json& obj, const char* key) {
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

    void Text(const Json& obj, const char* key, const char* tailKey, const std::string& unitPath,
              std::span<std::uint8_t> out) {
        const std::string path = unitPath + "." + key;
        const Json* v = Required(obj, key, path);
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

        const Json* tailJson = Optional(obj, tailKey);
        if (tailJson == nullptr)
            return;
        const std::string tailPath = unitPath + "." + tailKey;
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

    void Unit(const Json& v, int u) {
        const std::string path = "units[" + std::to_string(u) + "]";
        if (!ExpectType(v, Json::value_t::object, path, "an object"))
            return;
        CheckKeys(
            v, path,
            {"unit",         "deviceName",    "deviceNameTail",    "ipAddress",    "gatewayAddress",
             "subnetMask",   "dnsAddress",    "dhcpEnable",        "clientPort",   "addressMode",
             "url",          "urlTail",       "slaveEnabled",      "deviceParamA", "deviceParamB",
             "invertInputs", "invertOutputs", "outputStartStatus", "reserved",     "outputs"});
        if (const Json* label = Optional(v, "unit")) {
            if (!label->is_string() || label->get<std::string>() != UnitLabel(u)) {
                Error(path + ".unit: expected \"" + UnitLabel(u) + "\" at this position, found " +
                      Describe(*label));
            }
        }
        UnitRecord rec = set_.Unit(u);
        const auto b = rec.Bytes();
        auto bytes = [&](std::size_t offset, std::size_t size) {
            return std::span<std::uint8_t>(b.data() + offset, size);
        };
        auto field = [&](const char* key) -> std::pair<const Json*, std::string> {
            std::string p = path + "." + key;
            return {Required(v, key, p), p};
        };

        Text(v, "deviceName", "deviceNameTail", path,
             bytes(field::DeviceName, field::DeviceNameSize));
        const std::pair<const char*, std::size_t> addresses[] = {
            {"ipAddress", field::IPAddr},
            {"gatewayAddress", field::GateWayAddr},
            {"subnetMask", field::SubMaskAddr},
            {"dnsAddress", field::DNSAddress}};
        for (const auto& [key, offset] : addresses) {
            if (auto [j, p] = field(key); j)
                ByteArrayInto(*j, p, bytes(offset, 4), false);
        }
        if (auto [j, p] = field("dhcpEnable"); j)
            Flag(*j, p, b[field::DHCPEnable]);
        if (auto [j, p] = field("clientPort"); j) {
            if (const auto port = Int32(*j, p)) {
                if (*port < 1 || *port > 65535) {
                    Warning(p + ": " + std::to_string(*port) +
                            " is not a port number (1..65535); kept as it is");
                }
                rec.SetClientPort(*port);
            }
        }
        if (auto [j, p] = field("addressMode"); j) {
            if (const auto mode = Byte(*j, p)) {
                if (*mode > 1) {
                    Warning(p + ": " + std::to_string(*mode) +
                            " is neither 0 (IP address) nor 1 (URL); kept as it is");
                }
                b[field::AddressMode] = *mode;
            }
        }
        Text(v, "url", "urlTail", path, bytes(field::URL, field::URLSize));
        if (auto [j, p] = field("slaveEnabled"); j)
            Flag(*j, p, b[field::SlaveEnabled]);
        if (auto [j, p] = field("deviceParamA"); j) {
            if (const auto x = Byte(*j, p))
                b[field::DeviceParamA] = *x;
        }
        if (auto [j, p] = field("deviceParamB"); j) {
            if (const auto x = Byte(*j, p))
                b[field::DeviceParamB] = *x;
        }
        const std::pair<const char*, std::size_t> flagArrays[] = {
            {"invertInputs", field::InvertInputs},
            {"invertOutputs", field::InvertOutputs},
            {"outputStartStatus", field::OutputStartStatus}};
        for (const auto& [key, offset] : flagArrays) {
            if (auto [j, p] = field(key); j)
                ByteArrayInto(*j, p, bytes(offset, kIoCount), true);
        }
        if (const Json* reserved = Optional(v, "reserved"))
            Reserved(*reserved, path + ".reserved", b);

        const auto [outputs, outputsPath] = field("outputs");
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

    void Reserved(const Json& v, const std::string& path, std::span<std::uint8_t> b) {
        if (!ExpectType(v, Json::value_t::object, path, "an object"))
            return;
        for (const auto& item : v.items()) {
            // Not a structured binding: clang 14 cannot capture those in a lambda.
            const std::string key = item.key();
            const Json& value = item.value();
            const auto rs = std::find_if(kReserved.begin(), kReserved.end(),
                                         [&](const ReservedSpan& s) { return key == s.key; });
            const std::string p = path + "." + key;
            if (rs == kReserved.end()) {
                Error(path + ": unknown key \"" + key +
                      "\" (reserved bytes are at 12, 53, 55, 175)");
                continue;
            }
            if (!ExpectType(value, Json::value_t::string, p, "a string of hex bytes"))
                continue;
            const auto hex = ParseHexBytes(value.get<std::string>());
            if (!hex || hex->size() != rs->size) {
                Error(p + ": " + Describe(value) + " is not " + std::to_string(rs->size) +
                      " hex byte" + (rs->size == 1 ? "" : "s"));
                continue;
            }
            std::copy(hex->begin(), hex->end(),
                      b.begin() + static_cast<std::ptrdiff_t>(rs->offset));
        }
    }

    void Output(const Json& v, const std::string& path, int u, int o) {
        if (!ExpectType(v, Json::value_t::object, path, "an object"))
            return;
        CheckKeys(v, path, {"output", "latch", "resetUnit", "resetInput", "inputs"});
        if (const Json* number = Optional(v, "output")) {
            if (!number->is_number_integer() || number->get<std::int64_t>() != o + 1) {
                Error(path + ".output: expected " + std::to_string(o + 1) +
                      " at this position, found " + Describe(*number));
            }
        }
        UnitRecord rec = set_.Unit(u);
        if (const Json* latch = Required(v, "latch", path + ".latch")) {
            Flag(*latch, path + ".latch",
                 rec.Bytes()[field::OutputLatch + static_cast<std::size_t>(o)]);
        }
        if (const Json* unit = Required(v, "resetUnit", path + ".resetUnit")) {
            const std::string p = path + ".resetUnit";
            if (unit->is_string()) {
                if (const auto idx = UnitIndexFromLabel(unit->get<std::string>())) {
                    rec.SetResetDevice(o, *idx);
                } else {
                    Error(p + ": unknown unit " + Describe(*unit) +
                          " (Master, Slave 1 .. Slave 8, or a unit number)");
                }
            } else if (const auto idx = Int32(*unit, p)) {
                if (*idx < 0 || *idx >= kUnitCount) {
                    Warning(p + ": " + std::to_string(*idx) +
                            " is not a unit (0..8); kept as it is");
                }
                rec.SetResetDevice(o, *idx);
            }
        }
        if (const Json* input = Required(v, "resetInput", path + ".resetInput")) {
            const std::string p = path + ".resetInput";
            if (const auto n = Integer(*input, p)) {
                // Shown 1..16; stored as 0..15.
                const std::int64_t stored = *n - 1;
                if (stored < std::numeric_limits<std::int32_t>::min() ||
                    stored > std::numeric_limits<std::int32_t>::max()) {
                    Error(p + ": " + std::to_string(*n) + " does not fit the field");
                } else {
                    if (stored < 0 || stored >= kIoCount) {
                        Warning(p + ": " + std::to_string(*n) +
                                " is not an input (1..16); kept as it is");
                    }
                    rec.SetResetInput(o, static_cast<std::int32_t>(stored));
                }
            }
        }
        if (const Json* inputs = Required(v, "inputs", path + ".inputs")) {
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
                    CheckKeys(entry, ep, {"input", "value"});
                    number = Required(entry, "input", ep + ".input");
                    const Json* cell = Required(entry, "value", ep + ".value");
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

std::string ExportConfigJson(const ConfigSet& set) {
    Json doc;
    doc["format"] = kFormatName;
    doc["version"] = kFormatVersion;
    Json units = Json::array();
    for (int u = 0; u < kUnitCount; ++u)
        units.push_back(ExportUnit(set, u));
    doc["units"] = std::move(units);
    std::string out;
    WriteReadable(out, doc, 0, 0);
    return out + "\n";
}

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

// The JSON form: exact round trips, its readable parts, what import refuses or keeps.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "config/config_json.h"
#include "support/random_set.h"

namespace valdro {
namespace {

using Json = nlohmann::ordered_json;
using testing::DefaultSet;
using testing::RandomSet;

// A byte lost or changed between export and import: texts with stale bytes after
// a NUL, odd flags and values outside every range come back exactly.
TEST(ConfigJson, RoundTripsAreExact) {
    for (unsigned seed = 0; seed <= 8; ++seed) {
        const ConfigSet in = seed == 0 ? DefaultSet() : RandomSet(seed);
        ConfigSet out = RandomSet(999);
        const JsonImportResult r = ImportConfigJson(ExportConfigJson(in), out);
        EXPECT_TRUE(r.ok && r.errors.empty()) << seed;
        EXPECT_TRUE(seed != 0 || r.warnings.empty());
        ASSERT_EQ(out, in) << "seed " << seed;
    }
}

// The parts a user edits by hand: unit labels, 1-based numbers, reserved bytes by
// offset, the bytes after a text's NUL.
TEST(ConfigJson, ReadableParts) {
    ConfigSet set = DefaultSet();
    set.SetCell(0, 0, 4, 0, true);
    set.SetCell(0, 0, 4, 2, true);
    set.SetCell(0, 2, 4, 15, true);
    set.Unit(0).SetResetDevice(4, 2);
    set.Unit(0).SetResetInput(4, 15);
    set.Unit(0).Bytes()[field::Reserved53] = 0xAB;
    set.Unit(1).SetDeviceName("Slave 10");
    set.Unit(1).SetDeviceName("S1");
    const Json doc = Json::parse(ExportConfigJson(set));
    const Json& master = doc["units"][0];
    EXPECT_EQ(master["outputs"][4], Json::parse(R"({"output": 5, "latch": 0, "resetUnit": "Slave 2",
        "resetInput": 16, "inputs": {"Master": [1, 3], "Slave 2": [16]}})"));
    EXPECT_EQ(master["reserved"], Json::parse(R"({"53": "ab"})"));
    // "S1", its NUL, then what is left of "Slave 10": "ve 10".
    EXPECT_EQ(doc["units"][1]["deviceNameTail"], "7665203130");
}

// A value the bytes cannot hold must be refused, name its place, and leave the
// set untouched. Each row sets one place of the exported defaults ("" removes it).
TEST(ConfigJson, RefusalsNameTheFieldAndWriteNothing) {
    const std::tuple<const char*, std::string, const char*> rows[] = {
        {"/units/3/ipAddress/1", "300", "units[3].ipAddress[1]: 300 is not a byte (0..255)"},
        {"/units/0/dnsAddress/0", "", "units[0].dnsAddress: expected 4 entries, found 3"},
        {"/units/2/deviceName", "\"" + std::string(33, 'x') + "\"", "units[2].deviceName: "},
        {"/units/0/deviceName", "\"tea \xF0\x9F\x98\x80 \xE2\x98\x95\"",
         "units[0].deviceName: \"\xF0\x9F\x98\x80\" has no Windows-1252 character"},
        {"/units/0/deviceName", R"("a\u0000b")", "units[0].deviceName: contains a NUL"},
        {"/units/1/deviceNameTail", R"("zz")", "units[1].deviceNameTail: \"zz\" is not hex bytes"},
        {"/units/1/deviceNameTail", R"("6c:6f 0")", "units[1].deviceNameTail: "},  // odd digit
        {"/units/1/deviceNameTail", R"("6c,6 f")", "units[1].deviceNameTail: "},   // split byte
        {"/units/1/clientPort", R"("3012")",
         "units[1].clientPort: expected a whole number, found \"3012\""},
        {"/units/1/clientPort", "4294967296", "units[1].clientPort: 4294967296 does not fit"},
        {"/units/0/outputs/2/resetInput", "-9223372036854775808",
         "units[0].outputs[2].resetInput: -9223372036854775808 does not fit the field"},
        {"/units/5/colour", R"("red")", "units[5]: unknown key \"colour\""},
        {"/units/0/outputs/2/inputs/Slave 9", "[1]",
         "units[0].outputs[2].inputs: unknown unit \"Slave 9\""},
        {"/units/0/outputs/2/resetUnit", R"("Boss")",
         "units[0].outputs[2].resetUnit: unknown unit \"Boss\""},
        {"/units/0/outputs/2/inputs/Master", "[17]",
         "units[0].outputs[2].inputs.Master[0]: 17 is not an input (1..16)"},
        {"/units/0/outputs/2/inputs/Master", "[3, 3]",
         "units[0].outputs[2].inputs.Master[1]: input 3 is listed twice"},
        {"/units/0/outputs/2/output", "7",
         "units[0].outputs[2].output: expected 3 at this position"},
        {"/units/8", "", "units: expected 9 units"},
        {"/units/1/unit", R"("Slave 2")", "units[1].unit: expected \"Slave 1\""},
        {"/units/0/reserved", R"({"12": "zz"})", "units[0].reserved.12: \"zz\" is not 4 hex bytes"},
        {"/units/0/reserved", R"({"13": "00"})", "units[0].reserved: unknown key \"13\""},
        {"/version", "2", "version: 2 is a later version"},
        {"/format", R"("something")", "format: expected"},
        {"", "[]", "the document: expected an object"},
    };
    const Json exported = Json::parse(ExportConfigJson(DefaultSet()));
    for (const auto& [where, value, message] : rows) {
        Json doc = exported;
        const Json::json_pointer at(where);
        if (value.empty()) {
            doc[at.parent_pointer()].erase(std::stoul(at.back()));
        } else {
            doc[at] = Json::parse(value);
        }
        const ConfigSet before = RandomSet(7);
        ConfigSet set = before;
        const JsonImportResult r = ImportConfigJson(doc.dump(), set);
        EXPECT_FALSE(r.ok) << where;
        ASSERT_FALSE(r.errors.empty()) << where;
        EXPECT_EQ(r.errors[0].rfind(message, 0), 0u) << r.errors[0];
        EXPECT_EQ(set, before) << where;
    }
    // Text that is not JSON at all is an error, not an exception.
    for (const char* text : {"", "{", "[1, 2", "{\"units\": tru}", "\xFF\xFE"}) {
        ConfigSet set;
        const JsonImportResult r = ImportConfigJson(text, set);
        ASSERT_EQ(r.errors.size(), 1u) << text;
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.errors[0].rfind("not valid JSON: ", 0), 0u) << r.errors[0];
    }
}

// Values only a foreign file holds are kept (export gives back the first edited place),
// each with a warning; a longer, edited name overwrites the stale bytes after it.
TEST(ConfigJson, ValuesOutsideTheRangesAreKeptWithAWarning) {
    const std::pair<const char*, const char*> rows[] = {
        {R"({"/units/2/dhcpEnable": 5})", "units[2].dhcpEnable: 5"},
        {R"({"/units/2/clientPort": 0})", "units[2].clientPort: 0"},
        {R"({"/units/2/addressMode": 2})", "units[2].addressMode: 2"},
        {R"({"/units/2/outputs/1/resetUnit": 12})", "units[2].outputs[1].resetUnit: 12"},
        {R"({"/units/2/outputs/1/resetInput": 17})", "units[2].outputs[1].resetInput: 17"},
        {R"({"/units/2/outputs/3/inputs/Slave 8": [{"input": 4, "value": 7}]})",
         "units[2].outputs[3].inputs.Slave 8[0].value: 7"},
        {R"({"/units/1/deviceName": "nnnnnnnnnnnnnnnnnnnn", "/units/1/deviceNameTail":
             "7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a7a"})",
         "units[1].deviceNameTail: 27 bytes after the text, 11 fit"},
    };
    const Json exported = Json::parse(ExportConfigJson(DefaultSet()));
    for (const auto& [edits, warning] : rows) {
        Json doc = exported;
        const Json edit = Json::parse(edits);
        for (const auto& [where, value] : edit.items())
            doc[Json::json_pointer(where)] = value;
        ConfigSet set;
        const JsonImportResult r = ImportConfigJson(doc.dump(), set);
        ASSERT_TRUE(r.ok) << edits;
        ASSERT_EQ(r.warnings.size(), 1u) << edits;
        EXPECT_EQ(r.warnings[0].rfind(warning, 0), 0u) << r.warnings[0];
        const Json::json_pointer first(edit.begin().key());
        EXPECT_EQ(Json::parse(ExportConfigJson(set))[first], doc[first]) << edits;
    }
}

}  // namespace
}  // namespace valdro

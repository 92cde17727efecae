#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

#include "config/config_json.h"
#include "support/param_name.h"
#include "support/random_set.h"

namespace valdro {
namespace {

using Json = nlohmann::ordered_json;
using testing::RandomSet;

ConfigSet RoundTrip(const ConfigSet& in, JsonImportResult* resultOut = nullptr) {
    ConfigSet out = RandomSet(999);
    const JsonImportResult r = ImportConfigJson(ExportConfigJson(in), out);
    EXPECT_TRUE(r.ok);
    for (const auto& e : r.errors)
        ADD_FAILURE() << e;
    if (resultOut)
        *resultOut = r;
    return out;
}

TEST(ConfigJson, RoundTripsAreExact) {
    ConfigSet defaults;
    defaults.SetDefaults();
    JsonImportResult r;
    EXPECT_EQ(RoundTrip(defaults, &r), defaults);
    EXPECT_TRUE(r.warnings.empty());
    // Every byte random: texts with stale bytes after a NUL, odd flags, values
    // outside every range, all come back exactly.
    for (unsigned seed = 1; seed <= 8; ++seed) {
        const ConfigSet random = RandomSet(seed);
        ASSERT_EQ(RoundTrip(random), random) << "seed " << seed;
    }
}

TEST(ConfigJson, ReadableParts) {
    ConfigSet set;
    set.SetDefaults();
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
    EXPECT_EQ(master["unit"], "Master");
    EXPECT_EQ(master["ipAddress"], Json::parse("[192, 168, 0, 6]"));
    const Json& out5 = master["outputs"][4];
    EXPECT_EQ(out5["output"], 5);
    EXPECT_EQ(out5["inputs"], Json::parse(R"({"Master": [1, 3], "Slave 2": [16]})"));
    EXPECT_EQ(out5["resetUnit"], "Slave 2");
    EXPECT_EQ(out5["resetInput"], 16);
    EXPECT_EQ(master["reserved"], Json::parse(R"({"53": "ab"})"));
    EXPECT_EQ(doc["units"][1]["deviceName"], "S1");
    // "S1", its NUL, then what is left of "Slave 10": "ve 10".
    EXPECT_EQ(doc["units"][1]["deviceNameTail"], "7665203130");
}

// Applies an edit to the exported defaults and imports the result.
JsonImportResult ImportEdited(void (*edit)(Json&), ConfigSet& into) {
    ConfigSet set;
    set.SetDefaults();
    Json doc = Json::parse(ExportConfigJson(set));
    edit(doc);
    return ImportConfigJson(doc.dump(), into);
}

struct RefusalCase {
    const char* what;
    void (*edit)(Json&);
    const char* message;  // the start of the first error
};

const RefusalCase kRefusals[] = {
    {"octet of 300", [](Json& d) { d["units"][3]["ipAddress"][1] = 300; },
     "units[3].ipAddress[1]: 300 is not a byte (0..255)"},
    {"three octets", [](Json& d) { d["units"][0]["dnsAddress"].erase(0); },
     "units[0].dnsAddress: expected 4 entries, found 3"},
    {"name longer than its field",
     [](Json& d) { d["units"][2]["deviceName"] = std::string(33, 'x'); }, "units[2].deviceName: "},
    {"character outside the code page",
     [](Json& d) { d["units"][0]["deviceName"] = "tea \xE2\x98\x95"; },
     "units[0].deviceName: \"\xE2\x98\x95\" has no Windows-1252 character"},
    {"NUL in a name", [](Json& d) { d["units"][0]["deviceName"] = std::string("a\0b", 3); },
     "units[0].deviceName: contains a NUL"},
    {"port as text", [](Json& d) { d["units"][1]["clientPort"] = "3012"; },
     "units[1].clientPort: expected a whole number, found \"3012\""},
    {"port past 32 bits", [](Json& d) { d["units"][1]["clientPort"] = 4294967296LL; },
     "units[1].clientPort: 4294967296 does not fit"},
    {"reset input at the lowest 64-bit number",
     [](Json& d) { d["units"][0]["outputs"][2]["resetInput"] = INT64_MIN; },
     "units[0].outputs[2].resetInput: -9223372036854775808 does not fit the field"},
    {"unknown key", [](Json& d) { d["units"][5]["colour"] = "red"; },
     "units[5]: unknown key \"colour\""},
    {"unknown source unit", [](Json& d) { d["units"][0]["outputs"][2]["inputs"]["Slave 9"] = {1}; },
     "units[0].outputs[2].inputs: unknown unit \"Slave 9\""},
    {"unknown reset unit", [](Json& d) { d["units"][0]["outputs"][2]["resetUnit"] = "Boss"; },
     "units[0].outputs[2].resetUnit: unknown unit \"Boss\""},
    {"input 17", [](Json& d) { d["units"][0]["outputs"][2]["inputs"]["Master"] = {17}; },
     "units[0].outputs[2].inputs.Master[0]: 17 is not an input (1..16)"},
    {"input listed twice",
     [](Json& d) {
         d["units"][0]["outputs"][2]["inputs"]["Master"] = {3, 3};
     },
     "units[0].outputs[2].inputs.Master[1]: input 3 is listed twice"},
    {"eight units", [](Json& d) { d["units"].erase(8); }, "units: expected 9 units"},
    {"units swapped", [](Json& d) { std::swap(d["units"][1], d["units"][2]); },
     "units[1].unit: expected \"Slave 1\""},
    {"bad reserved hex",
     [](Json& d) {
         d["units"][0]["reserved"] = {{"12", "zz"}};
     },
     "units[0].reserved.12: \"zz\" is not 4 hex bytes"},
    {"unknown reserved offset",
     [](Json& d) {
         d["units"][0]["reserved"] = {{"13", "00"}};
     },
     "units[0].reserved: unknown key \"13\""},
    {"later version", [](Json& d) { d["version"] = 2; }, "version: 2 is a later version"},
    {"other format", [](Json& d) { d["format"] = "something"; }, "format: expected"},
    {"wrong top-level type", [](Json& d) { d = Json::array(); },
     "the document: expected an object"},
};

class ConfigJsonRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ConfigJsonRefusal, NamesTheFieldAndWritesNothing) {
    const RefusalCase& c = GetParam();
    const ConfigSet before = RandomSet(7);
    ConfigSet set = before;
    const JsonImportResult r = ImportEdited(c.edit, set);
    EXPECT_FALSE(r.ok);
    ASSERT_FALSE(r.errors.empty());
    EXPECT_EQ(r.errors[0].rfind(c.message, 0), 0u) << r.errors[0];
    EXPECT_EQ(set, before);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigJsonRefusal, ::testing::ValuesIn(kRefusals),
                         test::NameFromWhat());

TEST(ConfigJson, NotJsonIsAnErrorNotAnException) {
    ConfigSet set;
    for (const char* text : {"", "{", "[1, 2", "{\"units\": tru}", "\xFF\xFE"}) {
        const JsonImportResult r = ImportConfigJson(text, set);
        EXPECT_FALSE(r.ok) << text;
        ASSERT_EQ(r.errors.size(), 1u) << text;
        EXPECT_EQ(r.errors[0].rfind("not valid JSON: ", 0), 0u) << r.errors[0];
    }
}

TEST(ConfigJson, ValuesOutsideTheRangesAreKeptWithAWarning) {
    ConfigSet set;
    const JsonImportResult r = ImportEdited(
        [](Json& d) {
            Json& u = d["units"][2];
            u["clientPort"] = 0;
            u["addressMode"] = 2;
            u["dhcpEnable"] = 5;
            u["outputs"][1]["resetUnit"] = 12;
            u["outputs"][1]["resetInput"] = 17;
            u["outputs"][2]["latch"] = true;
            u["outputs"][3]["inputs"]["Slave 8"] = Json::parse(R"([{"input": 4, "value": 7}])");
        },
        set);
    ASSERT_TRUE(r.ok);
    const ConstUnitRecord u = set.Unit(2);
    EXPECT_EQ(u.ClientPort(), 0);
    EXPECT_EQ(u.AddressMode(), 2);
    EXPECT_EQ(u.RawByte(field::DHCPEnable), 5);
    EXPECT_EQ(u.ResetDevice(1), 12);
    EXPECT_EQ(u.ResetInput(1), 16);
    EXPECT_EQ(u.RawByte(field::OutputLatch + 2), 1);
    EXPECT_EQ(set.InputMap[InputMapOffset(2, 8, 3, 3)], 7);

    const std::vector<std::string> prefixes = {"units[2].dhcpEnable: 5",
                                               "units[2].clientPort: 0",
                                               "units[2].addressMode: 2",
                                               "units[2].outputs[1].resetUnit: 12",
                                               "units[2].outputs[1].resetInput: 17",
                                               "units[2].outputs[3].inputs.Slave 8[0].value: 7"};
    ASSERT_EQ(r.warnings.size(), prefixes.size());
    for (const auto& p : prefixes) {
        EXPECT_TRUE(std::any_of(r.warnings.begin(), r.warnings.end(), [&](const std::string& w) {
            return w.rfind(p, 0) == 0;
        })) << p;
    }
}

TEST(ConfigJson, EditedNameOverwritesStaleBytes) {
    ConfigSet set;
    set.SetDefaults();
    set.Unit(1).SetDeviceName(std::string(30, 'z'));
    set.Unit(1).SetDeviceName("ab");
    Json doc = Json::parse(ExportConfigJson(set));
    doc["units"][1]["deviceName"] = std::string(20, 'n');
    ConfigSet back;
    const JsonImportResult r = ImportConfigJson(doc.dump(), back);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(back.Unit(1).DeviceName(), std::string(20, 'n'));
    // What still fits of the stale bytes stays after the new NUL, as typing would leave it.
    EXPECT_EQ(back.Unit(1).RawByte(field::DeviceName + 20), 0);
    EXPECT_EQ(back.Unit(1).RawByte(field::DeviceName + 21), 'z');
    EXPECT_EQ(r.warnings.size(), 1u);
}

}  // namespace
}  // namespace valdro

// The checker: each rule fires on a set broken for it, at the severity its unit
// calls for, and nothing fires on the defaults or on a realistic plant.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "config/config_check.h"
#include "support/plant_set.h"
#include "support/random_set.h"

namespace valdro {
namespace {

std::string Describe(const std::vector<Finding>& findings) {
    std::string out;
    for (const Finding& f : findings)
        out += std::to_string(f.unit) + " " + SeverityName(f.severity) + " " + std::string(f.rule) +
               " " + f.field + ": " + f.message + "\n";
    return out;
}

struct Row {
    const char* rule;
    int unit;
    const char* field;
    Severity severity;
    const char* edits;  // JSON pointer -> value, set in the plant's JSON form
};

constexpr Severity E = Severity::Error, W = Severity::Warning, N = Severity::Note;

// In the plant every unit is in use, on 10.20.30.0/24, the Master at .10 and Slave u
// at .10+u; Slaves 3 and 6 find the Master by URL. Output u+1 of unit u latches and
// is reset by input 16 of unit u+2.
const Row kRows[] = {
    {"ip-duplicate", 4, "ipAddress", E, R"({"/units/4/ipAddress": [10, 20, 30, 12]})"},
    {"ip-reserved", 2, "ipAddress", E, R"({"/units/2/ipAddress": [127, 0, 0, 1]})"},
    {"ip-reserved", 0, "ipAddress", E, R"({"/units/0/ipAddress": [239, 1, 1, 1]})"},
    {"ip-reserved", 7, "ipAddress", N,
     R"({"/units/7/slaveEnabled": 0, "/units/7/ipAddress": [0, 0, 0, 0]})"},
    {"mask-invalid", 1, "subnetMask", E, R"({"/units/1/subnetMask": [255, 0, 255, 0]})"},
    {"mask-invalid", 0, "subnetMask", E, R"({"/units/0/subnetMask": [255, 255, 255, 255]})"},
    {"ip-network-address", 3, "ipAddress", E, R"({"/units/3/ipAddress": [10, 20, 30, 0]})"},
    {"ip-broadcast-address", 3, "ipAddress", E, R"({"/units/3/ipAddress": [10, 20, 30, 255]})"},
    {"ip-is-gateway", 5, "gatewayAddress", E, R"({"/units/5/ipAddress": [10, 20, 30, 1]})"},
    {"gateway-outside-subnet", 6, "gatewayAddress", E,
     R"({"/units/6/gatewayAddress": [10, 20, 31, 1]})"},
    {"ip-is-dns", 0, "dnsAddress", W, R"({"/units/0/dnsAddress": [10, 20, 30, 10]})"},
    {"subnet-differs-from-master", 8, "ipAddress", W,
     R"({"/units/8/ipAddress": [10, 20, 40, 18], "/units/8/gatewayAddress": [10, 20, 40, 1]})"},
    {"url-without-dns", 0, "dnsAddress", W, R"({"/units/0/dnsAddress": [0, 0, 0, 0]})"},
    {"dhcp-static-ignored", 0, "dhcpEnable", N, R"({"/units/0/dhcpEnable": 1})"},
    {"master-dhcp-slave-by-ip", 1, "addressMode", W, R"({"/units/0/dhcpEnable": 1})"},
    {"dhcp-on-slave", 2, "dhcpEnable", W, R"({"/units/2/dhcpEnable": 1})"},
    {"name-empty", 4, "deviceName", W, R"({"/units/4/deviceName": ""})"},
    {"name-duplicate", 6, "deviceName", W, R"({"/units/6/deviceName": "Pump station 2"})"},
    {"text-characters", 1, "deviceName", W, R"({"/units/1/deviceName": "Pump\tstation"})"},
    {"text-characters", 3, "url", W, R"({"/units/3/url": "boiler\u0081.plant.example.com"})"},
    {"url-too-long", 6, "url", W,
     R"({"/units/6/url": "the.very.long.name.of.the.boiler.house.example"})"},
    {"name-cut", 0, "deviceName", N,
     R"({"/units/0/deviceName": "The boiler house next to gate 14"})"},
    {"address-mode-value", 7, "addressMode", E, R"({"/units/7/addressMode": 2})"},
    {"url-empty", 6, "url", E, R"({"/units/6/url": ""})"},
    {"port-range", 2, "clientPort", E, R"({"/units/2/clientPort": 0})"},
    {"port-range", 0, "clientPort", W, R"({"/units/0/clientPort": 70000})"},
    {"map-source-not-in-use", 0, "outputs[0].inputs", E, R"({"/units/1/slaveEnabled": 0})"},
    {"map-unit-not-in-use", 4, "outputs[*].inputs", N, R"({"/units/4/slaveEnabled": 0})"},
    {"reset-device-range", 0, "outputs[0].resetUnit", E, R"({"/units/0/outputs/0/resetUnit": 9})"},
    {"reset-device-range", 5, "outputs[12].resetUnit", W,
     R"({"/units/5/outputs/12/resetUnit": -1})"},
    {"reset-device-not-in-use", 0, "outputs[0].resetUnit", E, R"({"/units/2/slaveEnabled": 0})"},
    {"reset-input-range", 8, "outputs[8].resetInput", E,
     R"({"/units/8/outputs/8/resetInput": 17})"},
    {"reset-input-drives-output", 0, "outputs[1].resetInput", W,
     R"({"/units/0/outputs/1": {"output": 2, "latch": 1, "resetUnit": "Slave 3",
         "resetInput": 3, "inputs": {"Slave 3": [3]}}})"},
    {"flag-value", 5, "invertInputs", W, R"({"/units/5/invertInputs/3": 5})"},
    {"flag-value", 2, "outputs[*].inputs", W,
     R"({"/units/2/outputs/7/inputs/Master": [{"input": 1, "value": 2}]})"},
    {"flag-value", 8, "outputs[*].latch", N,
     R"({"/units/8/slaveEnabled": 0, "/units/8/outputs/0/latch": 255})"},
};

// A rule that stops firing or fires at the wrong unit, severity or field.
TEST(ConfigCheck, EachRuleFiresWhereTheSetIsBroken) {
    const auto plant = nlohmann::ordered_json::parse(testing::PlantSetJson());
    for (const Row& row : kRows) {
        auto doc = plant;
        const auto edits = nlohmann::ordered_json::parse(row.edits);
        for (const auto& [where, value] : edits.items())
            doc[nlohmann::ordered_json::json_pointer(where)] = value;
        ConfigSet set;
        ASSERT_TRUE(ImportConfigJson(doc.dump(), set).ok) << row.edits;
        const auto findings = CheckConfigSet(set);
        const auto hit = std::find_if(findings.begin(), findings.end(), [&](const Finding& f) {
            return f.rule == row.rule && f.unit == row.unit;
        });
        ASSERT_NE(hit, findings.end()) << row.edits << "\n" << Describe(findings);
        EXPECT_EQ(hit->field, row.field) << row.edits;
        EXPECT_EQ(hit->severity, row.severity) << row.edits << ": " << hit->message;
    }
}

// A rule added without a row here, or a row for a rule the checker lost.
TEST(ConfigCheck, EveryRuleHasARowAndAUniqueId) {
    std::set<std::string_view> ids, covered;
    for (const CheckRule& rule : CheckRules())
        EXPECT_TRUE(ids.insert(rule.id).second) << rule.id;
    for (const Row& r : kRows)
        covered.insert(r.rule);
    EXPECT_EQ(ids, covered);
}

// False alarms: the defaults and a plant an installer would build pass quietly.
TEST(ConfigCheck, DefaultsAndARealisticPlantAreQuiet) {
    EXPECT_EQ(Describe(CheckConfigSet(testing::DefaultSet())), "");
    EXPECT_EQ(Describe(CheckConfigSet(testing::PlantSet())), "");
}

// Random bytes everywhere (a name may hold an escape): findings stay ordered by
// unit and one line each, and are notes at most for units not in use.
TEST(ConfigCheck, RandomSetsGiveWellFormedFindings) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const ConfigSet set = testing::RandomSet(seed);
        const auto findings = CheckConfigSet(set);
        ASSERT_FALSE(findings.empty());
        for (std::size_t k = 0; k < findings.size(); ++k) {
            const Finding& f = findings[k];
            EXPECT_TRUE(k == 0 || findings[k - 1].unit <= f.unit);
            EXPECT_EQ(f.message.find_first_of("\n\r\x1b"), std::string::npos) << f.message;
            EXPECT_TRUE(f.unit == 0 || set.Unit(f.unit).RawByte(field::SlaveEnabled) != 0 ||
                        f.severity == Severity::Note)
                << f.rule;
        }
    }
}

}  // namespace
}  // namespace valdro

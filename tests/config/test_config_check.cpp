// The checker: each rule fires on a set broken for it, at the severity its unit
// calls for, and nothing fires on the defaults or on a realistic plant.

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <set>

#include "config/config_check.h"
#include "config/config_json.h"
#include "support/param_name.h"
#include "support/plant_set.h"
#include "support/random_set.h"

namespace valdro {
namespace {

using testing::PlantSet;
using testing::RandomSet;

std::string Describe(const std::vector<Finding>& findings) {
    std::string out;
    for (const Finding& f : findings) {
        out += std::to_string(f.unit) + " " + SeverityName(f.severity) + " " + std::string(f.rule) +
               " " + f.field + ": " + f.message + "\n";
    }
    return out;
}

void Text(ConfigSet& s, int u, std::size_t offset, std::string_view bytes) {
    auto b = s.Unit(u).Bytes();
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(offset),
                offset == field::URL ? field::URLSize : field::DeviceNameSize, 0);
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
}

void Latch(ConfigSet& s, int u, int o, int device, int input) {
    s.Unit(u).SetOutputLatch(o, true);
    s.Unit(u).SetResetDevice(o, device);
    s.Unit(u).SetResetInput(o, input);
}

struct Row {
    const char* what;
    std::function<void(ConfigSet&)> breakIt;  // applied to the plant
    const char* rule;
    int unit;
    const char* field;
    Severity severity;
};

constexpr Severity E = Severity::Error, W = Severity::Warning, N = Severity::Note;

// In the plant every unit is in use, on 10.20.30.0/24, the Master at .10 and Slave u
// at .10+u; Slaves 3 and 6 find the Master by URL. Output u+1 of unit u latches and
// is reset by input 16 of unit u+2.
const Row kRows[] = {
    {"duplicate_ip",
     [](ConfigSet& s) {
         s.Unit(4).SetIPAddr({10, 20, 30, 12});
     },
     "ip-duplicate", 4, "ipAddress", E},
    {"loopback_ip",
     [](ConfigSet& s) {
         s.Unit(2).SetIPAddr({127, 0, 0, 1});
     },
     "ip-reserved", 2, "ipAddress", E},
    {"multicast_ip",
     [](ConfigSet& s) {
         s.Unit(0).SetIPAddr({239, 1, 1, 1});
     },
     "ip-reserved", 0, "ipAddress", E},
    {"zero_ip_of_slave_not_in_use",
     [](ConfigSet& s) {
         s.Unit(7).SetSlaveEnabled(false);
         s.Unit(7).SetIPAddr({0, 0, 0, 0});
     },
     "ip-reserved", 7, "ipAddress", N},
    {"mask_with_gap",
     [](ConfigSet& s) {
         s.Unit(1).SetSubMaskAddr({255, 0, 255, 0});
     },
     "mask-invalid", 1, "subnetMask", E},
    {"mask_all_ones",
     [](ConfigSet& s) {
         s.Unit(0).SetSubMaskAddr({255, 255, 255, 255});
     },
     "mask-invalid", 0, "subnetMask", E},
    {"network_address",
     [](ConfigSet& s) {
         s.Unit(3).SetIPAddr({10, 20, 30, 0});
     },
     "ip-network-address", 3, "ipAddress", E},
    {"broadcast_address",
     [](ConfigSet& s) {
         s.Unit(3).SetIPAddr({10, 20, 30, 255});
     },
     "ip-broadcast-address", 3, "ipAddress", E},
    {"ip_is_gateway",
     [](ConfigSet& s) {
         s.Unit(5).SetIPAddr({10, 20, 30, 1});
     },
     "ip-is-gateway", 5, "gatewayAddress", E},
    {"gateway_outside",
     [](ConfigSet& s) {
         s.Unit(6).SetGateWayAddr({10, 20, 31, 1});
     },
     "gateway-outside-subnet", 6, "gatewayAddress", E},
    {"ip_is_dns",
     [](ConfigSet& s) {
         s.Unit(0).SetDNSAddress({10, 20, 30, 10});
     },
     "ip-is-dns", 0, "dnsAddress", W},
    {"slave_on_other_subnet",
     [](ConfigSet& s) {
         s.Unit(8).SetIPAddr({10, 20, 40, 18});
         s.Unit(8).SetGateWayAddr({10, 20, 40, 1});
     },
     "subnet-differs-from-master", 8, "ipAddress", W},
    {"url_without_dns",
     [](ConfigSet& s) {
         s.Unit(0).SetDNSAddress({0, 0, 0, 0});
     },
     "url-without-dns", 0, "dnsAddress", W},
    {"master_dhcp", [](ConfigSet& s) { s.Unit(0).SetDHCPEnable(true); }, "dhcp-static-ignored", 0,
     "dhcpEnable", N},
    {"master_dhcp_slave_by_ip", [](ConfigSet& s) { s.Unit(0).SetDHCPEnable(true); },
     "master-dhcp-slave-by-ip", 1, "addressMode", W},
    {"dhcp_on_slave", [](ConfigSet& s) { s.Unit(2).SetDHCPEnable(true); }, "dhcp-on-slave", 2,
     "dhcpEnable", W},
    {"empty_name", [](ConfigSet& s) { s.Unit(4).SetDeviceName(""); }, "name-empty", 4, "deviceName",
     W},
    {"duplicate_name", [](ConfigSet& s) { s.Unit(6).SetDeviceName("Pump station 2"); },
     "name-duplicate", 6, "deviceName", W},
    {"name_with_tab", [](ConfigSet& s) { Text(s, 1, field::DeviceName, "Pump\tstation"); },
     "text-characters", 1, "deviceName", W},
    {"url_with_undefined_byte",
     [](ConfigSet& s) { Text(s, 3, field::URL, "boiler\x81.plant.example.com"); },
     "text-characters", 3, "url", W},
    {"url_of_46", [](ConfigSet& s) { s.Unit(6).SetURL(std::string(46, 'u')); }, "url-too-long", 6,
     "url", W},
    {"name_of_32", [](ConfigSet& s) { s.Unit(0).SetDeviceName(std::string(32, 'B')); }, "name-cut",
     0, "deviceName", N},
    {"mode_2", [](ConfigSet& s) { s.Unit(7).SetAddressMode(2); }, "address-mode-value", 7,
     "addressMode", E},
    {"url_mode_without_url", [](ConfigSet& s) { s.Unit(6).SetURL(""); }, "url-empty", 6, "url", E},
    {"slave_port_0", [](ConfigSet& s) { s.Unit(2).SetClientPort(0); }, "port-range", 2,
     "clientPort", E},
    {"master_port_70000", [](ConfigSet& s) { s.Unit(0).SetClientPort(70000); }, "port-range", 0,
     "clientPort", W},
    {"driven_by_slave_not_in_use", [](ConfigSet& s) { s.Unit(1).SetSlaveEnabled(false); },
     "map-source-not-in-use", 0, "outputs[0].inputs", E},
    {"map_of_slave_not_in_use", [](ConfigSet& s) { s.Unit(4).SetSlaveEnabled(false); },
     "map-unit-not-in-use", 4, "outputs[*].inputs", N},
    {"reset_device_9", [](ConfigSet& s) { s.Unit(0).SetResetDevice(0, 9); }, "reset-device-range",
     0, "outputs[0].resetUnit", E},
    {"reset_device_minus_1_unlatched", [](ConfigSet& s) { s.Unit(5).SetResetDevice(12, -1); },
     "reset-device-range", 5, "outputs[12].resetUnit", W},
    {"reset_by_slave_not_in_use", [](ConfigSet& s) { s.Unit(2).SetSlaveEnabled(false); },
     "reset-device-not-in-use", 0, "outputs[0].resetUnit", E},
    {"reset_input_17", [](ConfigSet& s) { s.Unit(8).SetResetInput(8, 16); }, "reset-input-range", 8,
     "outputs[8].resetInput", E},
    {"reset_input_drives_output",
     [](ConfigSet& s) {
         Latch(s, 0, 1, 3, 2);
         s.SetCell(0, 3, 1, 2, true);
     },
     "reset-input-drives-output", 0, "outputs[1].resetInput", W},
    {"flag_of_5", [](ConfigSet& s) { s.Unit(5).Bytes()[field::InvertInputs + 3] = 5; },
     "flag-value", 5, "invertInputs", W},
    {"map_cell_of_2", [](ConfigSet& s) { s.InputMap[InputMapOffset(2, 0, 7, 0)] = 2; },
     "flag-value", 2, "outputs[*].inputs", W},
    {"latch_of_255_not_in_use",
     [](ConfigSet& s) {
         s.Unit(8).SetSlaveEnabled(false);
         s.Unit(8).Bytes()[field::OutputLatch] = 255;
     },
     "flag-value", 8, "outputs[*].latch", N},
};

class CheckRuleRow : public ::testing::TestWithParam<Row> {};

TEST_P(CheckRuleRow, FiresWhereTheSetIsBroken) {
    const Row& row = GetParam();
    ConfigSet set = PlantSet();
    row.breakIt(set);
    const auto findings = CheckConfigSet(set);
    const auto hit = std::find_if(findings.begin(), findings.end(), [&](const Finding& f) {
        return f.rule == row.rule && f.unit == row.unit;
    });
    ASSERT_NE(hit, findings.end()) << Describe(findings);
    EXPECT_EQ(hit->field, row.field);
    EXPECT_EQ(hit->severity, row.severity) << hit->message;
}

INSTANTIATE_TEST_SUITE_P(Rules, CheckRuleRow, ::testing::ValuesIn(kRows), test::NameFromWhat{});

TEST(ConfigCheck, EveryRuleHasARowAndAUniqueId) {
    std::set<std::string_view> ids;
    for (const CheckRule& rule : CheckRules()) {
        EXPECT_TRUE(ids.insert(rule.id).second) << rule.id;
        EXPECT_TRUE(std::any_of(std::begin(kRows), std::end(kRows),
                                [&](const Row& r) { return rule.id == r.rule; }))
            << rule.id << " has no row";
    }
    for (const Row& r : kRows)
        EXPECT_EQ(ids.count(r.rule), 1u) << r.rule << " is not a listed rule";
}

TEST(ConfigCheck, DefaultsAndARealisticPlantAreQuiet) {
    ConfigSet defaults;
    defaults.SetDefaults();
    EXPECT_EQ(Describe(CheckConfigSet(defaults)), "");
    EXPECT_EQ(Describe(CheckConfigSet(PlantSet())), "");
}

// Sets whose every byte is random: findings are well formed, ordered by unit,
// name a field of the JSON form, and are notes at most for units not in use.
TEST(ConfigCheck, RandomSetsGiveWellFormedFindings) {
    ConfigSet defaults;
    defaults.SetDefaults();
    const auto unitJson = nlohmann::json::parse(ExportConfigJson(defaults))["units"][0];
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const ConfigSet set = RandomSet(seed);
        const auto findings = CheckConfigSet(set);
        ASSERT_FALSE(findings.empty());
        int lastUnit = 0;
        for (const Finding& f : findings) {
            EXPECT_GE(f.unit, lastUnit);
            lastUnit = f.unit;
            const std::string key = f.field.substr(0, f.field.find_first_of("[."));
            EXPECT_TRUE(unitJson.contains(key)) << f.field;
            EXPECT_FALSE(f.message.empty());
            EXPECT_EQ(f.message.find_first_of("\n\r\x1b"), std::string::npos) << f.message;
            const bool inUse = f.unit == 0 || set.Unit(f.unit).RawByte(field::SlaveEnabled) != 0;
            if (!inUse) {
                EXPECT_EQ(f.severity, Severity::Note) << f.rule;
            }
        }
    }
}

}  // namespace
}  // namespace valdro

// The bridge's outputs against real peers on loopback ports: Debian's mosquitto
// broker with a subscriber, and libmodbus's own client.

#include <poll.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <atomic>
#include <nlohmann/json.hpp>

#include "bridge/bridge.h"
#include "bridge_records.h"
#include "bridge_rig.h"
#include "modbus_client.h"
#include "mqtt_listener.h"

namespace valdro::bridge {
namespace {

using namespace std::chrono_literals;
using namespace test;
using Topics = std::map<std::string, std::string>;
using Registers = std::uint16_t[kModbusInputRegisters];

// Every topic a subscriber must hold after the pattern's poll `poll`, worked out
// from the simulated unit's pattern.
Topics Expected(const std::string& p, std::uint32_t poll, std::uint8_t slaveMask) {
    Topics t{{p + "/status", "online"}};
    for (int u = 0; u < 9; ++u) {
        const std::string unit = p + "/" + (u == 0 ? "master" : "slave" + std::to_string(u));
        const std::string name = Names()[static_cast<std::size_t>(u)];
        if (!name.empty()) {
            t[unit + "/name"] = name;
        }
        t[unit + "/state"] = Present(u, slaveMask) ? StateJson(u, poll, name) : "offline";
        const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(u, poll);
        for (int n = 1; n <= 16 && Present(u, slaveMask); ++n) {
            t[unit + "/input/" + std::to_string(n)] = Bit(w.inputs, n) ? "1" : "0";
            t[unit + "/output/" + std::to_string(n)] = Bit(w.outputs, n) ? "1" : "0";
        }
    }
    return t;
}

// Empty when the listener holds exactly the expected topics and payloads; else the
// first difference.
std::string Mismatch(MqttListener& listener, const Topics& expected) {
    const auto all = listener.All();
    for (const auto& [topic, payload] : expected) {
        const auto it = all.find(topic);
        if (it == all.end() || it->second.payload != payload) {
            return topic + ": want '" + payload + "', have '" +
                   (it == all.end() ? "(nothing)" : it->second.payload) + "'";
        }
    }
    return all.size() == expected.size() ? "" : std::to_string(all.size()) + " topics";
}

bool ReadRegisters(const ModbusClient& c, Registers& regs) {
    return modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs) == kModbusInputRegisters;
}

// Sends what no Modbus client would: does the server close the connection within 3 s?
bool DroppedAfterSending(int port, const std::string& bytes) {
    ModbusClient c(port);
    const int fd = modbus_get_socket(*c);
    send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    char buf[512];
    for (int i = 0; i < 60; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) > 0 && recv(fd, buf, sizeof buf, 0) <= 0) {
            return true;
        }
    }
    return false;
}

class BridgeOutputs : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(broker.Start()) << broker.Log(); }
    // A bridge with the MQTT output when given, and a Modbus server.
    void Start(std::optional<MqttOptions> mqtt) {
        bridge = std::make_unique<Bridge>(
            BridgeOptions{std::move(mqtt), ModbusOptions{{"127.0.0.1", 0}, 4, 300ms, 1000ms}},
            log.log);
        std::string error;
        ASSERT_TRUE(bridge->Start(&error)) << error;
        port = bridge->ModbusPort();
    }
    BrokerProcess broker;
    KeptLog log;
    std::unique_ptr<Bridge> bridge;
    int port = 0;
};

// A pattern with Slaves 1, 3, 5 and 8 reaches every topic (each bit on change only,
// all retained for a subscriber that joins late), every Modbus table for any unit
// id, and discovery. A Slave that stops reporting and the unit lost keep their last
// values; availability follows (offline before the first record, when lost, on a
// clean stop); in single-unit mode only the Master reports.
TEST_F(BridgeOutputs, PatternReachesEveryTopicAndTable) {
    constexpr std::uint8_t kMask = 0b10010101;
    constexpr std::uint32_t kPolls = 20;
    MqttListener early, discovery;
    ASSERT_TRUE(early.Connect(broker.Port(), "t/#"));
    ASSERT_TRUE(discovery.Connect(broker.Port(), "homeassistant/#"));
    MqttOptions mqtt = LoopbackMqtt(broker.Port(), "t");
    mqtt.discovery = true;
    Start(mqtt);
    ASSERT_TRUE(early.WaitFor("t/status", "offline", 10s)) << "no unit yet: " << log.All();
    for (std::uint32_t p = 0; p < kPolls; ++p) {
        bridge->Feed(PatternRecord(p, kMask), Names());
    }
    const Topics expected = Expected("t", kPolls - 1, kMask);
    ASSERT_TRUE(WaitUntil([&] { return Mismatch(early, expected).empty(); }))
        << Mismatch(early, expected);
    int changes = 1;
    for (std::uint32_t p = 1; p < kPolls; ++p) {
        changes += Bit(SimulatedUnit::IoPattern(3, p).outputs, 16) !=
                   Bit(SimulatedUnit::IoPattern(3, p - 1).outputs, 16);
    }
    EXPECT_EQ(early.Latest("t/slave3/output/16")->count, changes);
    EXPECT_EQ(early.Latest("t/master/name")->count, 1);
    MqttListener late;
    ASSERT_TRUE(late.Connect(broker.Port(), "t/#"));
    ASSERT_TRUE(WaitUntil([&] { return Mismatch(late, expected).empty(); }))
        << Mismatch(late, expected);
    for (const auto& [topic, seen] : late.All()) {
        EXPECT_TRUE(seen.retained) << topic;
    }
    ASSERT_TRUE(WaitUntil([&] { return discovery.All().size() == 5 * 32; }));
    EXPECT_EQ(discovery.Latest("homeassistant/binary_sensor/t/slave3_output_7/config")->payload,
              R"({"name":"Output 7","unique_id":"t_slave3_output_7",)"
              R"("state_topic":"t/slave3/output/7","payload_on":"1","payload_off":"0",)"
              R"("availability":[{"topic":"t/status"},{"topic":"t/slave3/state",)"
              R"("value_template":"{{ 'offline' if value == 'offline' else 'online' }}"}],)"
              R"("availability_mode":"all","device":{"identifiers":["t_slave3"],)"
              R"("name":"Café","manufacturer":"ORVELIX","model":"Digital I/O unit"}})");
    const auto unnamed = discovery.Latest("homeassistant/binary_sensor/t/slave5_input_1/config");
    EXPECT_EQ(nlohmann::json::parse(unnamed->payload)["device"]["name"], "Slave 5");

    ModbusClient c(port, 255);  // any unit id
    std::uint8_t inputs[kModbusBits], coils[kModbusBits];
    Registers regs;
    ASSERT_EQ(modbus_read_input_bits(*c, 0, kModbusBits, inputs), kModbusBits);
    ASSERT_EQ(modbus_read_bits(*c, 0, kModbusBits, coils), kModbusBits);
    ASSERT_TRUE(ReadRegisters(c, regs));
    const StatusRecord record = PatternRecord(kPolls - 1, kMask);
    for (int k = 0; k < kModbusBits; ++k) {
        const UnitIoState& unit = record.units[static_cast<std::size_t>(k / 16)];
        EXPECT_EQ(inputs[k], Bit(unit.inputs, k % 16 + 1)) << k;
        EXPECT_EQ(coils[k], Bit(unit.outputs, k % 16 + 1)) << k;
        EXPECT_EQ(regs[k / 16], unit.inputs) << k / 16;
        EXPECT_EQ(regs[9 + k / 16], unit.outputs) << k / 16;
    }
    EXPECT_EQ(regs[kLiveRegister], 0b100101011);
    EXPECT_EQ(regs[kRecordCountRegister], kPolls);
    EXPECT_EQ(modbus_read_input_registers(*c, 18, 3, regs), -1) << "beyond the tables";
    EXPECT_EQ(modbus_read_registers(*c, 0, 1, regs), -1) << "no holding registers";

    UnitNames renamed = Names();
    renamed[3] = "Café terrace";
    bridge->Feed(PatternRecord(kPolls, kMask & ~0b10000), renamed);  // Slave 5 silent
    ASSERT_TRUE(early.WaitFor("t/slave5/state", "offline", 10s));
    ASSERT_TRUE(ReadRegisters(c, regs));
    EXPECT_EQ(regs[kLiveRegister], 0b100001011);
    EXPECT_EQ(regs[5], SimulatedUnit::IoPattern(5, kPolls - 1).inputs);
    EXPECT_EQ(regs[0], SimulatedUnit::IoPattern(0, kPolls).inputs);
    EXPECT_TRUE(WaitUntil([&] {
        return discovery.Latest("homeassistant/binary_sensor/t/slave3_input_1/config")->count == 2;
    })) << "announced again under the new name";
    bridge->UnitLost();
    ASSERT_TRUE(early.WaitFor("t/status", "offline", 10s));
    ASSERT_TRUE(early.WaitFor("t/master/state", "offline", 10s));
    EXPECT_EQ(early.Latest("t/slave5/input/1")->payload, expected.at("t/slave5/input/1"));
    ASSERT_TRUE(ReadRegisters(c, regs));
    EXPECT_EQ(regs[kLiveRegister], 0);
    EXPECT_EQ(regs[0], SimulatedUnit::IoPattern(0, kPolls).inputs);
    bridge->UnitBack();
    ASSERT_TRUE(early.WaitFor("t/status", "online", 10s));
    StatusRecord single = PatternRecord(kPolls + 1, kMask);  // rows 1..8 must be ignored
    single.mode = 1;
    bridge->Feed(single, Names());
    ASSERT_TRUE(early.WaitFor("t/master/state", StateJson(0, kPolls + 1, "Hall"), 10s));
    EXPECT_EQ(early.Latest("t/slave1/state")->payload, "offline");
    ASSERT_TRUE(ReadRegisters(c, regs));
    EXPECT_EQ(regs[kLiveRegister], 1);
    const std::uint64_t before = early.Sequence();
    bridge->Stop();
    EXPECT_TRUE(early.WaitFor("t/status", "offline", 10s, before)) << "said on a clean stop";
    EXPECT_EQ(log.Count("Unit lost"), 1);
}

// A good Modbus client reads on while the owner feeds as fast as it can records
// whose every word is the poll number: each reply must hold one record whole (the
// count register names the poll). Meanwhile clients that send garbage or stall in
// a request are dropped.
TEST_F(BridgeOutputs, BadModbusClientsAreDroppedWhileAGoodOneReadsWholeRecords) {
    Start(std::nullopt);
    std::atomic<bool> running{true};
    std::atomic<int> reads{0}, failures{0};
    std::thread reader([&] {
        ModbusClient c(port);
        Registers regs;
        while (running) {
            bool ok = ReadRegisters(c, regs);
            if (ok && regs[kRecordCountRegister] == 0) {
                continue;  // the feeder has not fed its first record yet
            }
            for (int r = 0; r < 18; ++r) {
                ok = ok && regs[r] == static_cast<std::uint16_t>(regs[kRecordCountRegister] - 1);
            }
            ++(ok ? reads : failures);
        }
    });
    std::thread feeder([&] {
        for (std::uint16_t p = 0; running; ++p) {
            StatusRecord r;
            r.units.fill({true, p, p});
            bridge->Feed(r, Names());
        }
    });
    ASSERT_TRUE(WaitUntil([&] { return reads > 10; }));
    for (const std::string& garbage : {
             std::string("GET / HTTP/1.1\r\nHost: plant\r\n\r\n"),
             std::string("\x00\x01\x00\x01\x00\x06\x01\x04\x00\x00\x00\x01", 12),  // protocol 1
             std::string("\x00\x01\x00\x00\x00\x09\x01\x04\x00\x00\x00\x01", 12),  // length 9
             std::string("\x00\x01\x00", 3),  // half a header, then nothing
         }) {
        EXPECT_TRUE(DroppedAfterSending(port, garbage));
    }
    const int readsBefore = reads;
    ASSERT_TRUE(WaitUntil([&] { return reads > readsBefore + 300; }, 20s));
    running = false;
    reader.join();
    feeder.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(log.Count("not a Modbus TCP request"), 3) << log.All();
    EXPECT_EQ(log.Count("stalled in the middle of a request"), 1) << log.All();
}

}  // namespace
}  // namespace valdro::bridge

// `valdrometrica-cli bridge` end to end: the built program on the simulated unit,
// Debian's mosquitto broker and libmodbus's client on loopback ports. The unit's
// moving pattern reaches the topics and the tables, an unplugged unit is lost and
// taken back with one line each way, a broker restart misses no poll, and SIGTERM
// ends the service with exit status 0 and availability offline.

#include <signal.h>

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "bridge/modbus_tables.h"
#include "bridge_rig.h"
#include "broker_process.h"
#include "cli_process.h"
#include "device/simulated_unit.h"
#include "modbus_client.h"
#include "mqtt_listener.h"

namespace valdro::bridge {
namespace {

using namespace std::chrono_literals;
using test::CliProcess;
using test::ModbusClient;
using test::MqttListener;
using test::WaitUntil;

bool Bit(std::uint16_t word, int n) {
    return ((word >> (n - 1)) & 1) != 0;
}

class BridgeCommand : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(broker.Start()) << broker.Log(); }

    std::vector<std::string> Args(const std::string& prefix, std::vector<std::string> more = {}) {
        std::vector<std::string> args{
            "bridge",   "--simulate",
            "--mqtt",   "mqtt://127.0.0.1:" + std::to_string(broker.Port()) + "/" + prefix,
            "--modbus", "127.0.0.1:" + std::to_string(modbusPort)};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    // The input registers, read whole (one request is one copy of the tables).
    static bool Registers(ModbusClient& c, std::uint16_t (&regs)[kModbusInputRegisters]) {
        return modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs) ==
               kModbusInputRegisters;
    }

    test::BrokerProcess broker;
    const int modbusPort = test::FreeLoopbackPort();
};

// The state a retained master/state payload describes must be the pattern of one
// poll, and the bit topics must say the same.
void ExpectMasterAtOnePoll(MqttListener& l, const std::string& p) {
    const auto state = l.Latest(p + "/master/state");
    ASSERT_TRUE(state);
    const auto j = nlohmann::json::parse(state->payload);
    EXPECT_EQ(j["name"], "Master");
    std::optional<std::uint32_t> poll;
    for (std::uint32_t q = 0; q < 3600 && !poll; ++q) {
        const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(0, q);
        bool same = true;
        for (int n = 1; n <= 16; ++n) {
            same = same && j["inputs"][n - 1] == (Bit(w.inputs, n) ? 1 : 0) &&
                   j["outputs"][n - 1] == (Bit(w.outputs, n) ? 1 : 0);
        }
        poll = same ? std::optional(q) : std::nullopt;
    }
    ASSERT_TRUE(poll) << state->payload;
    const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(0, *poll);
    for (int n = 1; n <= 16; ++n) {
        const std::string suffix = "/" + std::to_string(n);
        EXPECT_EQ(l.Latest(p + "/master/input" + suffix)->payload, Bit(w.inputs, n) ? "1" : "0");
        EXPECT_EQ(l.Latest(p + "/master/output" + suffix)->payload, Bit(w.outputs, n) ? "1" : "0");
    }
}

TEST_F(BridgeCommand, PatternReachesTopicsAndTablesAndSigtermSaysOffline) {
    MqttListener l;
    ASSERT_TRUE(l.Connect(broker.Port(), "e/#"));
    CliProcess bridge(Args("e"));
    ASSERT_TRUE(bridge.WaitForLines("MQTT: connected")) << bridge.Log();
    ASSERT_TRUE(l.WaitFor("e/status", "online", 20s)) << bridge.Log();
    ASSERT_TRUE(l.WaitFor("e/master/name", "Master", 20s));
    EXPECT_TRUE(l.WaitFor("e/slave1/state", "offline", 20s)) << "no Slave is enabled";

    ModbusClient c(modbusPort);
    ASSERT_TRUE(c.Connected());
    std::uint16_t regs[kModbusInputRegisters];
    // The record counter moves on once a second; each copy of the tables holds the
    // pattern of the poll it counts (the first record is poll 0).
    ASSERT_TRUE(Registers(c, regs));
    const std::uint16_t first = regs[kRecordCountRegister];
    ASSERT_TRUE(WaitUntil(
        [&] { return Registers(c, regs) && regs[kRecordCountRegister] >= first + 2; }, 10s));
    const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(0, regs[kRecordCountRegister] - 1u);
    EXPECT_EQ(regs[kInputsRegister], w.inputs);
    EXPECT_EQ(regs[kOutputsRegister], w.outputs);
    EXPECT_EQ(regs[kLiveRegister], 1);
    EXPECT_EQ(regs[kInputsRegister + 1], 0) << "Slave 1 has never reported";

    const std::uint64_t before = l.Sequence();
    EXPECT_EQ(bridge.Stop(SIGTERM), 0) << bridge.Log();
    EXPECT_TRUE(l.WaitFor("e/status", "offline", 10s, before)) << bridge.Log();
    EXPECT_EQ(bridge.Count("Bridge stopped"), 1) << bridge.Log();

    // What a subscriber joining now finds retained: one poll's state, whole.
    MqttListener late;
    ASSERT_TRUE(late.Connect(broker.Port(), "e/#"));
    ASSERT_TRUE(late.WaitFor("e/status", "offline", 10s));
    ASSERT_TRUE(WaitUntil([&] { return late.All().size() == 1 + 2 * 16 + 2 + 8 + 8; }))
        << late.All().size();
    ExpectMasterAtOnePoll(late, "e");
}

// The cable is pulled at the 14th report (the third poll) and plugged back in 3 s
// later; the bridge searches every second meanwhile.
TEST_F(BridgeCommand, UnpluggedUnitIsLostOnceAndTakenBack) {
    MqttListener l;
    ASSERT_TRUE(l.Connect(broker.Port(), "u/#"));
    CliProcess bridge(Args("u", {"--sim-unplug", "14:3", "--search-interval", "1"}));
    ASSERT_TRUE(l.WaitFor("u/status", "online", 20s)) << bridge.Log();
    ModbusClient c(modbusPort);
    ASSERT_TRUE(c.Connected());

    ASSERT_TRUE(bridge.WaitForLines("Unit lost")) << bridge.Log();
    ASSERT_TRUE(l.WaitFor("u/status", "offline", 10s)) << bridge.Log();
    ASSERT_TRUE(l.WaitFor("u/master/state", "offline", 10s));
    std::uint16_t regs[kModbusInputRegisters];
    ASSERT_TRUE(Registers(c, regs));
    EXPECT_EQ(regs[kLiveRegister], 0);
    const std::uint64_t lostAt = l.Sequence();

    ASSERT_TRUE(bridge.WaitForLines("Unit attached", 2)) << bridge.Log();
    ASSERT_TRUE(l.WaitFor("u/status", "online", 10s, lostAt)) << bridge.Log();
    ASSERT_TRUE(WaitUntil([&] { return l.Latest("u/master/state")->payload != "offline"; }));
    ASSERT_TRUE(WaitUntil([&] { return Registers(c, regs) && regs[kLiveRegister] == 1; }));
    EXPECT_EQ(bridge.Stop(SIGTERM), 0);

    // One line each way, and nothing from the searches in between.
    const std::string log = bridge.Log();
    EXPECT_EQ(bridge.Count("Unit lost"), 1) << log;
    EXPECT_EQ(bridge.Count("no longer attached; searching for it every 1 s"), 1) << log;
    EXPECT_EQ(bridge.Count("Cannot find"), 0) << log;
    const auto lost = log.find("Unit lost");
    const auto back = log.find("Unit attached", lost);
    ASSERT_NE(back, std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin() + static_cast<std::ptrdiff_t>(lost),
                         log.begin() + static_cast<std::ptrdiff_t>(back), '\n'),
              1)
        << log;
}

// The broker goes away for three seconds and comes back without its retained
// messages: the polls go on every second (the trace says when each GetStatus went
// out, the record counter keeps counting) and the whole state is published again.
TEST_F(BridgeCommand, BrokerRestartMissesNoPollAndGetsTheStateBack) {
    testing::TempDir dir;
    const std::string trace = (dir / "bridge.trace").string();
    CliProcess bridge(Args("r", {"--trace", trace}));
    ASSERT_TRUE(bridge.WaitForLines("MQTT: connected")) << bridge.Log();
    ASSERT_TRUE(bridge.WaitForLines("Unit attached")) << bridge.Log();
    ModbusClient c(modbusPort);
    std::uint16_t regs[kModbusInputRegisters];
    ASSERT_TRUE(Registers(c, regs));
    const std::uint16_t beforeStop = regs[kRecordCountRegister];

    broker.Stop();
    std::this_thread::sleep_for(3s);
    ASSERT_TRUE(Registers(c, regs));
    EXPECT_GE(regs[kRecordCountRegister] - beforeStop, 2) << "polls while the broker was away";
    ASSERT_TRUE(broker.Start()) << broker.Log();
    ASSERT_TRUE(bridge.WaitForLines("MQTT: connected", 2)) << bridge.Log();

    MqttListener after;
    ASSERT_TRUE(after.Connect(broker.Port(), "r/#"));
    ASSERT_TRUE(after.WaitFor("r/status", "online", 10s)) << bridge.Log();
    ASSERT_TRUE(WaitUntil([&] { return after.Latest("r/master/state").has_value(); }));
    EXPECT_TRUE(after.WaitFor("r/master/name", "Master", 10s));
    EXPECT_EQ(bridge.Stop(SIGTERM), 0);

    // GetStatus (0x41) goes out once a second from start to end, the outage included.
    std::ifstream in(trace);
    std::vector<double> sent;  // seconds of the day
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("> 0041", 0) == 0) {
            const std::string time = line.substr(line.rfind('T') + 1);
            sent.push_back(std::stod(time.substr(0, 2)) * 3600 + std::stod(time.substr(3, 2)) * 60 +
                           std::stod(time.substr(6, 6)));
        }
    }
    ASSERT_GE(sent.size(), 5u) << bridge.Log();
    for (std::size_t i = 1; i < sent.size(); ++i) {
        const double gap = sent[i] - sent[i - 1];
        EXPECT_LT(gap < 0 ? gap + 86400 : gap, 1.5) << "poll " << i;
    }
}

}  // namespace
}  // namespace valdro::bridge

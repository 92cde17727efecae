// `valdrometrica-cli bridge` end to end: the built program on the simulated unit,
// Debian's mosquitto broker and libmodbus's client on loopback ports.

#include <gtest/gtest.h>

#include <cstdlib>

#include "bridge/modbus_tables.h"
#include "bridge_records.h"
#include "cli_process.h"
#include "modbus_client.h"
#include "mqtt_listener.h"

namespace valdro::bridge {
namespace {

using namespace std::chrono_literals;
using namespace test;

// The input registers, read whole (one request is one copy of the tables): the
// record count, or -1. The tables then hold the pattern of poll count - 1.
int ReadRecordCount(ModbusClient& c, std::uint16_t (&regs)[kModbusInputRegisters]) {
    return modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs) == kModbusInputRegisters
               ? regs[kRecordCountRegister]
               : -1;
}

// The unit's moving pattern reaches the tables and the topics. The broker is frozen,
// then gone, then back without its retained messages: the polls go on once a
// second (the record count says so) and the whole state is published again.
// SIGTERM ends the service with exit status 0 and availability offline.
TEST(BridgeCommand, PatternOutlivesABrokerRestartAndSigtermSaysOffline) {
    BrokerProcess broker;
    ASSERT_TRUE(broker.Start()) << broker.Log();
    const int modbusPort = FreeLoopbackPort();
    CliProcess bridge({"bridge", "--simulate", "--mqtt",
                       "mqtt://127.0.0.1:" + std::to_string(broker.Port()) + "/e", "--modbus",
                       "127.0.0.1:" + std::to_string(modbusPort)});
    ASSERT_TRUE(bridge.WaitForLines("MQTT: connected")) << bridge.Output();
    ModbusClient c(modbusPort);
    std::uint16_t regs[kModbusInputRegisters];
    ASSERT_TRUE(WaitUntil([&] { return ReadRecordCount(c, regs) >= 2; })) << bridge.Output();
    EXPECT_EQ(regs[kLiveRegister], 1);
    EXPECT_EQ(modbus_write_bit(*c, 0, 1), -1);  // read-only: exception 1, illegal function
    EXPECT_EQ(errno, EMBXILFUN);
    EXPECT_EQ(modbus_write_registers(*c, 0, 1, regs), -1);
    EXPECT_EQ(errno, EMBXILFUN);

    const auto start = std::chrono::steady_clock::now();
    const int before = ReadRecordCount(c, regs);
    broker.Signal(SIGSTOP);
    std::this_thread::sleep_for(2s);
    broker.Signal(SIGCONT);
    broker.Stop();
    std::this_thread::sleep_for(2s);
    const double away =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(ReadRecordCount(c, regs) - before, away - 1.5) << "polls while the broker was away";
    ASSERT_TRUE(broker.Start()) << broker.Log();
    ASSERT_TRUE(bridge.WaitForLines("MQTT: connected", 2)) << bridge.Output();
    MqttListener after;
    ASSERT_TRUE(after.Connect(broker.Port(), "e/#"));
    ASSERT_TRUE(after.WaitFor("e/status", "online", 10s)) << bridge.Output();
    EXPECT_TRUE(WaitUntil([&] {  // the state of the poll the tables show
        const auto state = after.Latest("e/master/state");
        return state && ReadRecordCount(c, regs) > 0 &&
               state->payload == StateJson(0, regs[kRecordCountRegister] - 1u, "Master");
    }));
    EXPECT_EQ(after.Latest("e/slave1/state")->payload, "offline") << "no Slave is enabled";

    const std::uint64_t seen = after.Sequence();
    EXPECT_EQ(bridge.Stop(SIGTERM), 0) << bridge.Output();
    EXPECT_TRUE(after.WaitFor("e/status", "offline", 10s, seen)) << bridge.Output();
    EXPECT_EQ(bridge.Count("MQTT: connection to mqtt://127.0.0.1"), 1) << bridge.Output();
    EXPECT_EQ(bridge.Count("Bridge stopped"), 1) << bridge.Output();
}

// Over TLS to a broker that wants a client certificate from a CA made here and a
// login whose password comes from a file. The cable is pulled at the 14th report
// (the third poll) and plugged back in 3 s later; the bridge searches every second
// meanwhile and says one line each way. Killed, it leaves the broker's last will.
// Without the password, or with a CA that does not vouch for the broker, it never
// connects and says so once.
TEST(BridgeCommand, TlsUnitUnpluggedAndTakenBackAndTheLastWill) {
    testing::TempDir dir;
    const std::string d = dir.path().string() + "/";
    WriteFile(dir / "server.ext", "subjectAltName=IP:127.0.0.1\n");
    WriteFile(dir / "pw", "s3cret\r\nnot the password\n");
    const std::string req = "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
    const std::string sign =
        "openssl x509 -req -days 2 -CA " + d + "ca.crt -CAkey " + d + "ca.key -CAcreateserial ";
    for (const std::string& command : {
             req + "-x509 -days 2 -subj /CN=ca -keyout " + d + "ca.key -out " + d + "ca.crt",
             req + "-x509 -days 2 -subj /CN=other -keyout " + d + "o.key -out " + d + "other.crt",
             req + "-subj /CN=127.0.0.1 -keyout " + d + "server.key -out " + d + "server.csr",
             sign + "-in " + d + "server.csr -extfile " + d + "server.ext -out " + d + "server.crt",
             "mosquitto_passwd -c -b " + d + "passwd plant s3cret",
         }) {
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
    }
    BrokerProcess broker("cafile " + d + "ca.crt\ncertfile " + d + "server.crt\nkeyfile " + d +
                         "server.key\nrequire_certificate true\nallow_anonymous false\n" +
                         "password_file " + d + "passwd\n");
    ASSERT_TRUE(broker.Start()) << broker.Log();
    MqttListener l;
    ASSERT_TRUE(l.Connect(broker.Port(), "u/#",
                          {d + "ca.crt", d + "server.crt", d + "server.key", "plant", "s3cret"}));
    auto args = [&](const std::string& ca, std::vector<std::string> more) {
        std::vector<std::string> a{
            "bridge",      "--simulate",
            "--mqtt",      "mqtts://127.0.0.1:" + std::to_string(broker.Port()) + "/u",
            "--mqtt-ca",   d + ca,
            "--mqtt-cert", d + "server.crt",
            "--mqtt-key",  d + "server.key",
            "--mqtt-user", "plant"};
        a.insert(a.end(), more.begin(), more.end());
        return a;
    };

    CliProcess bridge(args("ca.crt", {"--mqtt-password-file", d + "pw", "--sim-unplug", "14:3",
                                      "--search-interval", "1"}));
    ASSERT_TRUE(l.WaitFor("u/status", "online", 20s)) << bridge.Output() << broker.Log();
    ASSERT_TRUE(bridge.WaitForLines("Unit lost")) << bridge.Output();
    ASSERT_TRUE(l.WaitFor("u/status", "offline", 10s)) << bridge.Output();
    ASSERT_TRUE(l.WaitFor("u/master/state", "offline", 10s));
    const std::uint64_t lostAt = l.Sequence();
    ASSERT_TRUE(bridge.WaitForLines("Unit attached", 2)) << bridge.Output();
    ASSERT_TRUE(l.WaitFor("u/status", "online", 10s, lostAt)) << bridge.Output();
    ASSERT_TRUE(WaitUntil([&] { return l.Latest("u/master/state")->payload != "offline"; }));
    const std::string log = bridge.Output();
    EXPECT_EQ(bridge.Count("Unit lost"), 1) << log;
    EXPECT_EQ(bridge.Count("no longer attached; searching for it every 1 s"), 1) << log;
    const auto next = log.find('\n', log.find("Unit lost")) + 1;
    EXPECT_NE(log.substr(next, log.find('\n', next) - next).find("Unit attached"),
              std::string::npos)
        << "nothing from the searches in between:\n"
        << log;
    const std::uint64_t before = l.Sequence();
    EXPECT_EQ(bridge.Stop(SIGKILL), -1);
    ASSERT_TRUE(l.WaitFor("u/status", "offline", 10s, before)) << broker.Log();

    for (const auto& [ca, reason] :
         {std::pair{"other.crt", "certificate verify failed"}, {"ca.crt", "not authorised"}}) {
        CliProcess refused(args(ca, {}));
        ASSERT_TRUE(refused.WaitForLines(reason)) << refused.Output();
        std::this_thread::sleep_for(1s);  // several more retries
        EXPECT_EQ(refused.Count("cannot connect"), 1) << refused.Output();
        EXPECT_EQ(refused.Stop(SIGTERM), 0);
    }
}

}  // namespace
}  // namespace valdro::bridge

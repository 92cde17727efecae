// The MQTT output against Debian's mosquitto broker, run by the tests on a
// loopback port, and a real subscriber: topics and payloads, retained state for a
// late subscriber, availability and the last will, a frozen and a restarted
// broker, TLS with a CA made here, a broker login and discovery messages.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "bridge/bridge.h"
#include "bridge/mqtt_credentials.h"
#include "bridge_records.h"
#include "bridge_rig.h"
#include "broker_process.h"
#include "mqtt_listener.h"
#include "test_pki.h"

namespace valdro::bridge {
namespace {

using namespace std::chrono_literals;
using test::KeptLog;
using test::LoopbackMqtt;
using test::MqttListener;
using test::PatternRecord;
using test::WaitUntil;

using Topics = std::map<std::string, std::string>;

bool Bit(std::uint16_t word, int n) {
    return ((word >> (n - 1)) & 1) != 0;
}
bool Present(int unit, std::uint8_t slaveMask) {
    return unit == 0 || ((slaveMask >> (unit - 1)) & 1) != 0;
}

// What a subscriber must hold after the pattern's poll `poll`, worked out from the
// simulated unit's pattern, not from the bridge. States of present units are JSON
// and checked apart.
Topics Expected(const std::string& p, std::uint32_t poll, std::uint8_t slaveMask) {
    Topics t{{p + "/status", "online"}};
    const UnitNames names = test::Names();
    for (int u = 0; u < 9; ++u) {
        const std::string unit = p + "/" + (u == 0 ? "master" : "slave" + std::to_string(u));
        if (!names[u].empty()) {
            t[unit + "/name"] = names[u];
        }
        if (!Present(u, slaveMask)) {
            t[unit + "/state"] = "offline";
            continue;
        }
        const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(u, poll);
        for (int n = 1; n <= 16; ++n) {
            t[unit + "/input/" + std::to_string(n)] = Bit(w.inputs, n) ? "1" : "0";
            t[unit + "/output/" + std::to_string(n)] = Bit(w.outputs, n) ? "1" : "0";
        }
    }
    return t;
}

// Empty when every expected topic holds its payload; else the first mismatch.
std::string Mismatch(MqttListener& listener, const Topics& expected) {
    const auto all = listener.All();
    for (const auto& [topic, payload] : expected) {
        const auto it = all.find(topic);
        if (it == all.end() || it->second.payload != payload) {
            return topic + ": want '" + payload + "', have '" +
                   (it == all.end() ? "(nothing)" : it->second.payload) + "'";
        }
    }
    return "";
}

void ExpectStates(MqttListener& listener, const std::string& p, std::uint32_t poll,
                  std::uint8_t slaveMask) {
    for (int u = 0; u < 9; ++u) {
        if (!Present(u, slaveMask)) {
            continue;
        }
        const std::string topic =
            p + "/" + (u == 0 ? "master" : "slave" + std::to_string(u)) + "/state";
        const auto seen = listener.Latest(topic);
        ASSERT_TRUE(seen) << topic;
        const auto j = nlohmann::json::parse(seen->payload);
        const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(u, poll);
        EXPECT_EQ(j["index"], u) << topic;
        EXPECT_EQ(j["name"], test::Names()[static_cast<std::size_t>(u)]) << topic;
        EXPECT_EQ(j["present"], true) << topic;
        for (int n = 1; n <= 16; ++n) {
            EXPECT_EQ(j["inputs"][n - 1], Bit(w.inputs, n) ? 1 : 0) << topic << " input " << n;
            EXPECT_EQ(j["outputs"][n - 1], Bit(w.outputs, n) ? 1 : 0) << topic << " output " << n;
        }
    }
}

BridgeOptions MqttOnly(MqttOptions o) {
    BridgeOptions b;
    b.mqtt = std::move(o);
    return b;
}

class MqttBridge : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(broker.Start()) << broker.Log(); }
    test::BrokerProcess broker;
    KeptLog log;
    std::string error;
};

TEST_F(MqttBridge, PatternReachesSubscribersOnChangeOnlyAndStaysRetained) {
    constexpr std::uint8_t kMask = 0b101;  // Slave 1 and Slave 3
    constexpr std::uint32_t kPolls = 20;
    MqttListener early;
    ASSERT_TRUE(early.Connect(broker.Port(), "t/#"));
    Bridge bridge(MqttOnly(LoopbackMqtt(broker.Port(), "t")), log.log);
    ASSERT_TRUE(bridge.Start(&error)) << error;
    ASSERT_TRUE(WaitUntil([&] { return bridge.Mqtt()->Connected(); })) << log.All();
    for (std::uint32_t p = 0; p < kPolls; ++p) {
        bridge.Feed(PatternRecord(p, kMask), test::Names());
    }
    const Topics expected = Expected("t", kPolls - 1, kMask);
    ASSERT_TRUE(WaitUntil([&] { return Mismatch(early, expected).empty(); }))
        << Mismatch(early, expected);
    ExpectStates(early, "t", kPolls - 1, kMask);
    EXPECT_FALSE(early.Latest("t/slave2/input/1")) << "a unit never seen has no bit topics";
    EXPECT_FALSE(early.Latest("t/slave2/name")) << "no name, nothing to say";

    // On change only: a bit's topic carries one message per change, after the first.
    for (const auto& [unit, n] : {std::pair{0, 1}, {0, 5}, {3, 16}}) {
        int changes = 1;
        for (std::uint32_t p = 1; p < kPolls; ++p) {
            changes += Bit(SimulatedUnit::IoPattern(unit, p).outputs, n) !=
                       Bit(SimulatedUnit::IoPattern(unit, p - 1).outputs, n);
        }
        const std::string topic =
            std::string("t/") + (unit == 0 ? "master" : "slave3") + "/output/" + std::to_string(n);
        EXPECT_EQ(early.Latest(topic)->count, changes) << topic;
    }
    EXPECT_EQ(early.Latest("t/master/name")->count, 1);

    // A subscriber that joins late gets the same state at once, all of it retained.
    MqttListener late;
    ASSERT_TRUE(late.Connect(broker.Port(), "t/#"));
    ASSERT_TRUE(WaitUntil([&] { return Mismatch(late, expected).empty(); }))
        << Mismatch(late, expected);
    ExpectStates(late, "t", kPolls - 1, kMask);
    for (const auto& [topic, seen] : late.All()) {
        EXPECT_TRUE(seen.retained) << topic;
        EXPECT_EQ(seen.payload, early.Latest(topic)->payload) << topic;
    }
}

TEST_F(MqttBridge, AvailabilityFollowsTheUnitAndACleanStop) {
    MqttListener l;
    ASSERT_TRUE(l.Connect(broker.Port(), "a/#"));
    Bridge bridge(MqttOnly(LoopbackMqtt(broker.Port(), "a")), log.log);
    ASSERT_TRUE(bridge.Start(&error)) << error;
    ASSERT_TRUE(l.WaitFor("a/status", "offline", 10s)) << "no unit yet: " << log.All();
    bridge.Feed(PatternRecord(0, 0b1), test::Names());
    ASSERT_TRUE(l.WaitFor("a/status", "online", 10s));
    bridge.UnitLost();
    ASSERT_TRUE(l.WaitFor("a/status", "offline", 10s));
    ASSERT_TRUE(l.WaitFor("a/master/state", "offline", 10s));
    ASSERT_TRUE(l.WaitFor("a/slave1/state", "offline", 10s));
    EXPECT_EQ(l.Latest("a/master/input/1")->payload,
              Bit(SimulatedUnit::IoPattern(0, 0).inputs, 1) ? "1" : "0")
        << "last known values stay";
    bridge.UnitBack();
    ASSERT_TRUE(l.WaitFor("a/status", "online", 10s));
    bridge.Feed(PatternRecord(1, 0b1), test::Names());
    ASSERT_TRUE(WaitUntil([&] { return l.Latest("a/master/state")->payload != "offline"; }));
    const std::uint64_t before = l.Sequence();
    bridge.Stop();
    EXPECT_TRUE(l.WaitFor("a/status", "offline", 10s, before)) << "said on a clean stop";
    EXPECT_EQ(log.Count("Unit lost"), 1);
}

TEST_F(MqttBridge, LastWillSaysOfflineWhenTheBridgeProcessIsKilled) {
    MqttListener l;
    ASSERT_TRUE(l.Connect(broker.Port(), "w/#"));
    const std::string child = std::string(VALDRO_BIN_DIR) + "/bridge_will_child";
    const std::string port = std::to_string(broker.Port());
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(open("/dev/null", O_WRONLY), 2);  // its event lines are not this test's output
        execl(child.c_str(), child.c_str(), port.c_str(), "w", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    const bool online = l.WaitFor("w/status", "online", 10s).has_value();
    const bool state = WaitUntil([&] { return l.Latest("w/master/state").has_value(); });
    const std::uint64_t before = l.Sequence();
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(online && state) << broker.Log();
    EXPECT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(l.WaitFor("w/status", "offline", 10s, before)) << broker.Log();
    MqttListener late;
    ASSERT_TRUE(late.Connect(broker.Port(), "w/status"));
    ASSERT_TRUE(late.WaitFor("w/status", "offline", 10s));
    EXPECT_TRUE(late.Latest("w/status")->retained);
}

// A frozen broker reads nothing: an hour of polls must still go by at once. Then it
// restarts without persistence and everything is republished, the changes made
// while it was away included, after one "lost" line and at most one failure line.
TEST_F(MqttBridge, FrozenAndRestartedBrokerNeitherHoldsThePollNorLosesState) {
    constexpr std::uint8_t kMask = 0b10000001;  // Slave 1 and Slave 8
    Bridge bridge(MqttOnly(LoopbackMqtt(broker.Port(), "r")), log.log);
    ASSERT_TRUE(bridge.Start(&error)) << error;
    {
        MqttListener l;
        ASSERT_TRUE(l.Connect(broker.Port(), "r/#"));
        ASSERT_TRUE(WaitUntil([&] { return bridge.Mqtt()->Connected(); }));
        bridge.Feed(PatternRecord(0, kMask), test::Names());
        ASSERT_TRUE(WaitUntil([&] { return Mismatch(l, Expected("r", 0, kMask)).empty(); }));
    }
    std::uint32_t poll = 1;
    broker.Signal(SIGSTOP);
    const auto start = std::chrono::steady_clock::now();
    for (; poll <= 3600; ++poll) {
        bridge.Feed(PatternRecord(poll, kMask), test::Names());
    }
    const auto frozenFor = std::chrono::steady_clock::now() - start;
    broker.Signal(SIGCONT);
    // Far above what 3600 feeds take; a feed that waited for the broker would never end.
    EXPECT_LT(frozenFor, 20s);

    broker.Stop();
    ASSERT_TRUE(WaitUntil([&] { return !bridge.Mqtt()->Connected(); }));
    for (const std::uint32_t end = poll + 5; poll < end; ++poll) {
        bridge.Feed(PatternRecord(poll, kMask), test::Names());
    }
    std::this_thread::sleep_for(1s);  // several retries with the broker away
    ASSERT_TRUE(broker.Start()) << broker.Log();
    ASSERT_TRUE(WaitUntil([&] { return bridge.Mqtt()->Connections() == 2; })) << log.All();

    MqttListener after;
    ASSERT_TRUE(after.Connect(broker.Port(), "r/#"));
    const Topics expected = Expected("r", poll - 1, kMask);
    ASSERT_TRUE(WaitUntil([&] { return Mismatch(after, expected).empty(); }))
        << Mismatch(after, expected);
    ExpectStates(after, "r", poll - 1, kMask);
    EXPECT_EQ(log.Count("connection to mqtt://127.0.0.1"), 1) << log.All();
    EXPECT_LE(log.Count("cannot connect"), 1) << log.All();
    EXPECT_EQ(log.Count("MQTT: connected"), 2) << log.All();
}

// One broker that wants both a client certificate from the test CA and a login.
TEST(MqttBridgeTls, CertificatesFromATestCaAndAPasswordFromAFile) {
    testing::TempDir dir;
    test::TestPki pki;
    ASSERT_TRUE(test::MakeTestPki(dir, &pki));
    const std::string users = (dir / "passwd").string();
    ASSERT_EQ(std::system(("mosquitto_passwd -c -b " + users + " plant s3cret").c_str()), 0);
    test::WriteFile(dir / "pw", "s3cret\n");
    test::BrokerProcess broker("cafile " + pki.caCert + "\ncertfile " + pki.serverCert +
                               "\nkeyfile " + pki.serverKey + "\nrequire_certificate true\n" +
                               "allow_anonymous false\npassword_file " + users + "\n");
    ASSERT_TRUE(broker.Start()) << broker.Log();
    MqttListener l;
    ASSERT_TRUE(l.Connect(broker.Port(), "s/#",
                          {pki.caCert, pki.clientCert, pki.clientKey, "plant", "s3cret"}));

    std::string error;
    const auto login = ResolveMqttCredentials({"plant", (dir / "pw").string()}, nullptr, &error);
    ASSERT_TRUE(login) << error;
    MqttOptions good = LoopbackMqtt(broker.Port(), "s", true);
    good.caFile = pki.caCert;
    good.certFile = pki.clientCert;
    good.keyFile = pki.clientKey;
    good.credentials = *login;
    KeptLog log;
    Bridge bridge(MqttOnly(good), log.log);
    ASSERT_TRUE(bridge.Start(&error)) << error;
    bridge.Feed(PatternRecord(0, 0), test::Names());
    ASSERT_TRUE(l.WaitFor("s/status", "online", 10s)) << log.All() << broker.Log();
    ExpectStates(l, "s", 0, 0);

    // Refused by the broker (no login) and refusing the broker (a CA the bridge does
    // not trust): never connected, said once, retried all the same.
    MqttOptions anonymous = good;
    anonymous.credentials = {};
    MqttOptions stranger = good;
    stranger.caFile = pki.strangerCaCert;
    for (const auto& [options, reason] :
         {std::pair{anonymous, "not authorised"}, {stranger, "certificate verify failed"}}) {
        KeptLog refusedLog;
        Bridge refused(MqttOnly(options), refusedLog.log);
        ASSERT_TRUE(refused.Start(&error)) << error;
        ASSERT_TRUE(WaitUntil([&] { return refusedLog.Count(reason) == 1; })) << refusedLog.All();
        std::this_thread::sleep_for(500ms);  // several more retries
        EXPECT_EQ(refusedLog.Count("cannot connect"), 1) << refusedLog.All();
        EXPECT_EQ(refused.Mqtt()->Connections(), 0u) << reason;
    }
}

TEST_F(MqttBridge, DiscoveryAnnouncesKnownUnitsAndFollowsRenames) {
    MqttListener l;
    ASSERT_TRUE(l.Connect(broker.Port(), "homeassistant/#"));
    MqttOptions options = LoopbackMqtt(broker.Port(), "plant/io");
    options.discovery = true;
    Bridge bridge(MqttOnly(options), log.log);
    ASSERT_TRUE(bridge.Start(&error)) << error;
    bridge.Feed(PatternRecord(0, 0b110), test::Names());  // Master, Slave 2 (no name), Slave 3
    const std::string topic = "homeassistant/binary_sensor/plant_io/slave3_output_7/config";
    ASSERT_TRUE(WaitUntil([&] { return l.All().size() == 3 * 32; })) << l.All().size();
    const auto j = nlohmann::json::parse(l.Latest(topic)->payload);
    EXPECT_EQ(j["name"], "Output 7");
    EXPECT_EQ(j["unique_id"], "plant_io_slave3_output_7");
    EXPECT_EQ(j["state_topic"], "plant/io/slave3/output/7");
    EXPECT_EQ(j["payload_on"], "1");
    EXPECT_EQ(j["payload_off"], "0");
    EXPECT_EQ(j["availability"][0]["topic"], "plant/io/status");
    EXPECT_EQ(j["availability"][1]["topic"], "plant/io/slave3/state");
    EXPECT_EQ(j["availability_mode"], "all");
    EXPECT_EQ(j["device"]["name"], "Café");
    const auto unnamed = l.Latest("homeassistant/binary_sensor/plant_io/slave2_input_1/config");
    EXPECT_EQ(nlohmann::json::parse(unnamed->payload)["device"]["name"], "Slave 2");

    UnitNames renamed = test::Names();
    renamed[3] = "Café terrace";
    bridge.Feed(PatternRecord(1, 0b110), renamed);
    ASSERT_TRUE(WaitUntil([&] { return l.Latest(topic)->count == 2; }));
    EXPECT_EQ(nlohmann::json::parse(l.Latest(topic)->payload)["device"]["name"], "Café terrace");
    EXPECT_EQ(l.Latest("homeassistant/binary_sensor/plant_io/master_input_1/config")->count, 1);

    MqttListener late;
    ASSERT_TRUE(late.Connect(broker.Port(), "homeassistant/#"));
    ASSERT_TRUE(WaitUntil([&] { return late.All().size() == 3 * 32; }));
    EXPECT_TRUE(late.Latest(topic)->retained);
}

}  // namespace
}  // namespace valdro::bridge

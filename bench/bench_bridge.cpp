// Soak of the bridge library: one hour of polls (3600 status records, every unit
// of the set moving, a Slave dropping out now and then) fed as fast as they come
// into both outputs, with Debian's mosquitto broker and a subscriber on loopback
// and a libmodbus client reading. Reported as counters: resident memory at start
// and end, CPU per record (the feeding thread, and the bridge's own threads), and
// latency from a record to the MQTT message at the subscriber and to a Modbus read
// that shows it.

#include <benchmark/benchmark.h>
#include <modbus/modbus.h>

#include <chrono>
#include <vector>

#include "bridge/bridge.h"
#include "bridge/mqtt_topics.h"
#include "bridge_records.h"
#include "bridge_rig.h"
#include "broker_process.h"
#include "mqtt_listener.h"
#include "soak_support.h"

namespace valdro::bridge {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::uint32_t kHour = 3600;
constexpr std::uint32_t kWarmUp = 60;

using bench::Latencies;
using bench::ResidentKiB;
using bench::ThreadCpuSeconds;

// Every Slave present but one that drops out every tenth second, in turn.
StatusRecord Record(std::uint32_t poll) {
    std::uint8_t mask = 0xFF;
    if (poll % 10 == 0) {
        mask = static_cast<std::uint8_t>(mask & ~(1u << ((poll / 10) % 8)));
    }
    return test::PatternRecord(poll, mask);
}

void BM_BridgeSoakOneHour(benchmark::State& state) {
    test::BrokerProcess broker;
    if (!broker.Start()) {
        state.SkipWithError("the mosquitto broker did not start");
        return;
    }
    int events = 0;
    EventLog log([&events](const std::string&) { ++events; });
    BridgeOptions options;
    options.mqtt = test::LoopbackMqtt(broker.Port(), "soak");
    options.modbus = ModbusOptions{{"127.0.0.1", 0}};
    Bridge bridge(options, log);
    std::string error;
    test::MqttListener subscriber;
    if (!bridge.Start(&error) || !subscriber.Connect(broker.Port(), "soak/#") ||
        !test::WaitUntil([&] { return bridge.Mqtt()->Connected(); })) {
        state.SkipWithError(("no bridge: " + error).c_str());
        return;
    }
    modbus_t* client = modbus_new_tcp("127.0.0.1", bridge.ModbusPort());
    if (modbus_connect(client) != 0) {
        state.SkipWithError("no Modbus connection");
        modbus_free(client);
        return;
    }
    const UnitNames names = test::Names();
    std::uint32_t poll = 0;
    Latencies mqtt;
    Latencies modbusLatency;
    int lost = 0;
    double callerCpu = 0;
    // One poll: feed, then wait for the subscriber and for a Modbus read to show it.
    auto feed = [&](bool measure) {
        const std::uint64_t seen = subscriber.Sequence();
        const Clock::time_point t0 = Clock::now();
        const double c0 = ThreadCpuSeconds();
        bridge.Feed(Record(poll), names);
        const double feedCpu = ThreadCpuSeconds() - c0;
        const std::string expected = StatePayload(bridge.Model(), 0);
        std::uint16_t regs[20];
        const std::uint16_t count = static_cast<std::uint16_t>((poll + 1) & 0xFFFF);
        while (modbus_read_input_registers(client, 0, 20, regs) == 20 && regs[19] != count) {
        }
        const Clock::time_point modbusSeen = Clock::now();
        const auto at = subscriber.WaitFor("soak/master/state", expected, 5s, seen);
        if (measure) {
            callerCpu += feedCpu;
            modbusLatency.Add(modbusSeen - t0);
            if (at) {
                mqtt.Add(*at - t0);
            } else {
                ++lost;
            }
        }
        ++poll;
    };

    for (std::uint32_t i = 0; i < kWarmUp; ++i) {
        feed(false);
    }
    // The latency samples are the benchmark's own memory: taken before the first reading.
    mqtt.us.reserve(kHour);
    modbusLatency.us.reserve(kHour);
    std::fill_n(std::back_inserter(mqtt.us), kHour, 0.0);
    std::fill_n(std::back_inserter(modbusLatency.us), kHour, 0.0);
    mqtt.us.clear();
    modbusLatency.us.clear();
    const double rssStart = ResidentKiB();
    const double bridgeCpuStart = bench::NamedThreadsCpuSeconds("bridge-");
    for (auto _ : state) {
        for (std::uint32_t i = 0; i < kHour; ++i) {
            feed(true);
        }
    }
    const double rssEnd = ResidentKiB();
    const double bridgeCpu = bench::NamedThreadsCpuSeconds("bridge-") - bridgeCpuStart;
    modbus_close(client);
    modbus_free(client);

    state.counters["rss_start_KiB"] = rssStart;
    state.counters["rss_end_KiB"] = rssEnd;
    // Feed() on the caller's thread, and the bridge's own threads (MQTT network
    // loop, Modbus server) apart.
    state.counters["cpu_feed_call_us_per_poll"] = callerCpu * 1e6 / kHour;
    state.counters["cpu_bridge_threads_us_per_poll"] = bridgeCpu * 1e6 / kHour;
    state.counters["mqtt_latency_mean_us"] = mqtt.Mean();
    state.counters["mqtt_latency_p99_us"] = mqtt.Quantile(0.99);
    state.counters["mqtt_latency_max_us"] = mqtt.Quantile(1.0);
    state.counters["modbus_latency_mean_us"] = modbusLatency.Mean();
    state.counters["modbus_latency_p99_us"] = modbusLatency.Quantile(0.99);
    state.counters["mqtt_messages_missing"] = lost;
    state.counters["log_lines"] = events;
}
BENCHMARK(BM_BridgeSoakOneHour)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What one record costs the caller alone: the model, the Modbus tables and
// queueing the MQTT messages (no broker connected, so nothing is written).
void BM_FeedWithoutPeers(benchmark::State& state) {
    EventLog log([](const std::string&) {});
    BridgeOptions options;
    options.modbus = ModbusOptions{{"127.0.0.1", 0}};
    Bridge bridge(options, log);
    std::string error;
    if (!bridge.Start(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const UnitNames names = test::Names();
    std::uint32_t poll = 0;
    for (auto _ : state) {
        bridge.Feed(Record(poll++), names);
    }
}
BENCHMARK(BM_FeedWithoutPeers);

}  // namespace
}  // namespace valdro::bridge

BENCHMARK_MAIN();

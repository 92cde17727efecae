// Soak of the whole path of `valdrometrica-cli bridge` in simulated time: the
// simulated unit (all eight Slaves enabled, every unit moving), the protocol engine
// with its receive thread and owner loop, the unit link and the bridge with both
// outputs, against Debian's mosquitto broker, a subscriber and a libmodbus client
// on loopback. The owner loop ticks every millisecond instead of every 50 ms, so
// an hour of polls (3600) takes about 72 s. Reported as counters: resident memory
// at start and end, CPU per poll of the path's threads, and latency from the
// status reply on the owner thread to the MQTT message at the subscriber, to the
// Modbus tables updated, and to a Modbus read that shows the record.

#include <benchmark/benchmark.h>
#include <sys/syscall.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "bridge/bridge.h"
#include "bridge/modbus_tables.h"
#include "bridge/mqtt_topics.h"
#include "bridge/unit_link.h"
#include "bridge_rig.h"
#include "broker_process.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"
#include "modbus_client.h"
#include "mqtt_listener.h"
#include "soak_support.h"

namespace valdro::bridge {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr long kHour = 3600;
constexpr long kWarmUp = 60;
constexpr auto kFastTick = 1ms;  // 50 times the engine's pace
constexpr const char* kStateTopic = "soak/master/state";

pid_t ThisThread() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

// After every record the bridge took: waits for a Modbus read that shows it.
// Busy only from the record to the read that shows it, so it steals little CPU.
class ModbusProbe {
  public:
    explicit ModbusProbe(int port) : thread_([this, port] { Run(port); }) {}
    ~ModbusProbe() { Stop(); }
    ModbusProbe(const ModbusProbe&) = delete;
    ModbusProbe& operator=(const ModbusProbe&) = delete;

    // Ends the thread once its current read is done; its figures are final then.
    void Stop() {
        {
            const std::lock_guard lock(m_);
            stop_ = true;
        }
        cv_.notify_one();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    void Expect(std::uint16_t count, Clock::time_point reply) {
        {
            const std::lock_guard lock(m_);
            wanted_ = count;
            reply_ = reply;
            pending_ = true;
        }
        cv_.notify_one();
    }
    pid_t Thread() const { return id_.load(); }
    bench::Latencies latencies;  // read after Stop()
    int failures = 0;

  private:
    void Run(int port) {
        test::ModbusClient c(port);
        std::uint16_t regs[kModbusInputRegisters];
        // Connected, and the server's thread for it running, before anything is measured.
        modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs);
        id_ = ThisThread();
        for (;;) {
            std::unique_lock lock(m_);
            cv_.wait(lock, [this] { return stop_ || pending_; });
            if (stop_) {
                return;
            }
            pending_ = false;
            const std::uint16_t wanted = wanted_;
            const Clock::time_point reply = reply_;
            lock.unlock();
            for (;;) {
                if (modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs) !=
                    kModbusInputRegisters) {
                    ++failures;
                    break;
                }
                // Counts wrap at 65536: a later count is "at or past" the wanted one.
                if (static_cast<std::int16_t>(regs[kRecordCountRegister] - wanted) >= 0) {
                    latencies.Add(Clock::now() - reply);
                    break;
                }
            }
        }
    }

    std::mutex m_;
    std::condition_variable cv_;
    std::uint16_t wanted_ = 0;
    Clock::time_point reply_;
    bool pending_ = false;
    bool stop_ = false;
    std::atomic<pid_t> id_{0};
    std::thread thread_;
};

// One measured record: when its status reply reached the owner thread, when the
// bridge had taken it (tables updated, messages queued), and the Master's words.
struct Sample {
    Clock::time_point reply;
    Clock::time_point taken;
    std::uint16_t inputs = 0;
    std::uint16_t outputs = 0;
};

// The unit link with a stopwatch: every event goes on to the link unchanged.
class TimedLink : public LinkEvents {
  public:
    TimedLink(UnitLink& link, Bridge& bridge) : link_(link), bridge_(bridge) {}

    void MonitoringStarted() override { link_.MonitoringStarted(); }
    void MonitoringStopped() override { link_.MonitoringStopped(); }
    void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) override {
        link_.UnitNamesReceived(rows, names);
    }
    void DownloadComplete() override { link_.DownloadComplete(); }
    void LinkFailed(const LinkError& error) override { link_.LinkFailed(error); }
    void StatusReceived(const StatusRecord& record) override {
        const Clock::time_point reply = Clock::now();
        const std::uint64_t fed = bridge_.Model().Feeds();
        const double cpu = bench::ThreadCpuSeconds();
        link_.StatusReceived(record);
        if (measuring) {
            feedCpu += bench::ThreadCpuSeconds() - cpu;
        }
        ++polls;
        if (polls == rssAtPoll) {
            rssThen = bench::ResidentKiB();
        }
        if (bridge_.Model().Feeds() == fed || !measuring) {
            return;  // waits for its names, or not measured
        }
        const UnitSnapshot& master = bridge_.Model().Unit(0);
        samples.push_back({reply, Clock::now(), master.inputs, master.outputs});
        if (probe != nullptr) {
            probe->Expect(static_cast<std::uint16_t>(bridge_.Model().Feeds()), reply);
        }
    }

    long polls = 0;
    bool measuring = false;
    double feedCpu = 0;   // CPU seconds of the link and bridge taking the records
    long rssAtPoll = -1;  // resident memory is read at this poll into rssThen
    double rssThen = 0;
    ModbusProbe* probe = nullptr;
    std::vector<Sample> samples;

  private:
    UnitLink& link_;
    Bridge& bridge_;
};

// The state payload the bridge publishes for the Master with these words.
std::size_t MasterStateHash(std::uint16_t inputs, std::uint16_t outputs) {
    StatusRecord r;
    r.units[0] = {true, outputs, inputs};
    LiveIoModel model;
    UnitNames names;
    names[0] = "Master";
    model.Feed(r, names);
    return std::hash<std::string>{}(StatePayload(model, 0));
}

// Latency to the subscriber: each sample's first matching arrival after its reply
// (arrivals come in publishing order, so the search only moves forward).
bench::Latencies MqttLatencies(const std::vector<Sample>& samples,
                               const std::vector<test::MqttListener::Arrival>& arrivals,
                               int* missing) {
    bench::Latencies l;
    std::size_t next = 0;
    for (const Sample& s : samples) {
        const std::size_t want = MasterStateHash(s.inputs, s.outputs);
        std::size_t i = next;
        while (i < arrivals.size() && i < next + 32 &&
               (arrivals[i].payloadHash != want || arrivals[i].at < s.reply)) {
            ++i;
        }
        if (i < arrivals.size() && i < next + 32) {
            l.Add(arrivals[i].at - s.reply);
            next = i + 1;
        } else {
            ++*missing;
        }
    }
    return l;
}

void BM_BridgePathSoakOneHour(benchmark::State& state) {
    test::BrokerProcess broker;
    if (!broker.Start()) {
        state.SkipWithError("the mosquitto broker did not start");
        return;
    }
    std::atomic<int> logLines{0};
    std::atomic<int> lostLines{0};
    EventLog log([&](const std::string& line) {
        ++logLines;
        lostLines += line.find("Unit lost") != std::string::npos ? 1 : 0;
    });
    BridgeOptions options;
    options.mqtt = test::LoopbackMqtt(broker.Port(), "soak");
    options.modbus = ModbusOptions{{"127.0.0.1", 0}};
    Bridge bridge(options, log);
    std::string error;
    const std::set<pid_t> before = bench::Threads();
    test::MqttListener subscriber;
    if (!subscriber.Connect(broker.Port(), "soak/#")) {
        state.SkipWithError("no subscriber");
        return;
    }
    std::set<pid_t> peers;  // the subscriber's network thread, not part of the path
    for (const pid_t id : bench::Threads()) {
        if (before.count(id) == 0) {
            peers.insert(id);
        }
    }
    if (!bridge.Start(&error) || !test::WaitUntil([&] { return bridge.Mqtt()->Connected(); })) {
        state.SkipWithError(("no bridge: " + error).c_str());
        return;
    }

    SimulatedUnit sim;
    SimulatedPlatform platform(sim);
    UnitLink link(bridge, log, std::chrono::milliseconds(5000));
    TimedLink timed(link, bridge);
    OwnerLoop loop(kFastTick);
    ProtocolEngine engine(platform, timed, loop);
    link.Attach(engine);
    loop.SetDelivery([&] { engine.DeliverPendingReport(); });
    loop.SetTick([&] {
        engine.Tick();
        link.Tick();
    });
    // Every Slave enabled, so that all nine units report and move.
    ConfigSet set;
    set.SetDefaults();
    for (int n = 1; n <= 8; ++n) {
        set.Unit(n).SetSlaveEnabled(true);
    }
    engine.StartDownload(set, 0);
    if (!loop.RunUntil([&] { return sim.DownloadsCompleted() == 1; }, 60s)) {
        state.SkipWithError("the download did not complete");
        return;
    }
    link.Start();
    if (!loop.RunUntil([&] { return timed.polls >= kWarmUp; }, 120s)) {
        state.SkipWithError("no polls");
        return;
    }

    ModbusProbe probe(bridge.ModbusPort());
    test::WaitUntil([&] { return probe.Thread() != 0; });
    peers.insert(probe.Thread());
    // The samples are the benchmark's own memory: in place before the first reading.
    timed.samples.resize(kHour + 100);
    timed.samples.clear();
    probe.latencies.us.resize(kHour + 100);
    probe.latencies.us.clear();
    subscriber.Keep(kStateTopic, kHour + 100);
    timed.probe = &probe;
    timed.measuring = true;

    const double rssStart = bench::ResidentKiB();
    const double processStart = bench::ProcessCpuSeconds();
    const double ownerStart = bench::ThreadCpuSeconds();
    const double bridgeStart = bench::NamedThreadsCpuSeconds("bridge-");
    auto peersCpu = [&] {
        double total = 0;
        for (const pid_t id : peers) {
            total += bench::ThreadCpuSeconds(id);
        }
        return total;
    };
    const double peersStart = peersCpu();
    const long pollsStart = timed.polls;
    timed.rssAtPoll = pollsStart + kHour / 4;
    const Clock::time_point wallStart = Clock::now();
    for (auto _ : state) {
        loop.RunUntil([&] { return timed.polls >= pollsStart + kHour; }, 600s);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - wallStart).count();
    const long polls = timed.polls - pollsStart;
    const double owner = bench::ThreadCpuSeconds() - ownerStart;
    const double bridgeThreads = bench::NamedThreadsCpuSeconds("bridge-") - bridgeStart;
    const double path = bench::ProcessCpuSeconds() - processStart - (peersCpu() - peersStart);
    const double rssEnd = bench::ResidentKiB();
    timed.measuring = false;
    timed.probe = nullptr;
    std::this_thread::sleep_for(200ms);  // the last messages arrive
    engine.Shutdown();

    int missing = 0;
    bench::Latencies mqtt = MqttLatencies(timed.samples, subscriber.Kept(), &missing);
    bench::Latencies tables;
    for (const Sample& s : timed.samples) {
        tables.Add(s.taken - s.reply);
    }
    const double perPoll = 1e6 / static_cast<double>(std::max(polls, 1L));
    state.counters["polls"] = static_cast<double>(polls);
    state.counters["simulated_hours"] = static_cast<double>(polls) / kHour;
    state.counters["wall_s"] = wall;
    // Start, a quarter of an hour in (the threads' heaps warmed up), and end.
    state.counters["rss_start_KiB"] = rssStart;
    state.counters["rss_15min_KiB"] = timed.rssThen;
    state.counters["rss_end_KiB"] = rssEnd;
    // The path's threads: the owner loop (engine, link, bridge feed), the receive
    // thread and the bridge's own (MQTT network loop, Modbus server) together; the
    // owner loop alone and its share that takes the records into the bridge; the
    // bridge's own threads alone.
    state.counters["cpu_path_us_per_poll"] = path * perPoll;
    state.counters["cpu_owner_us_per_poll"] = owner * perPoll;
    state.counters["cpu_owner_feed_us_per_poll"] = timed.feedCpu * perPoll;
    state.counters["cpu_bridge_threads_us_per_poll"] = bridgeThreads * perPoll;
    state.counters["mqtt_latency_mean_us"] = mqtt.Mean();
    state.counters["mqtt_latency_p99_us"] = mqtt.Quantile(0.99);
    state.counters["mqtt_latency_max_us"] = mqtt.Quantile(1.0);
    state.counters["modbus_tables_latency_mean_us"] = tables.Mean();
    state.counters["modbus_tables_latency_p99_us"] = tables.Quantile(0.99);
    probe.Stop();
    state.counters["modbus_read_latency_mean_us"] = probe.latencies.Mean();
    state.counters["modbus_read_latency_p99_us"] = probe.latencies.Quantile(0.99);
    state.counters["modbus_reads_failed"] = probe.failures;
    state.counters["mqtt_messages_missing"] = missing;
    state.counters["units_lost"] = lostLines.load();
    state.counters["log_lines"] = logLines.load();
}
BENCHMARK(BM_BridgePathSoakOneHour)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace valdro::bridge

BENCHMARK_MAIN();

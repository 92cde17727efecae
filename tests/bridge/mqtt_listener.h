#pragma once
// A real MQTT subscriber (libmosquitto with its own thread) for the tests and the
// soak benchmark: it keeps, per topic, the latest payload, whether it came
// retained, how many messages came and when the latest arrived.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace valdro::test {

class MqttListener {
  public:
    using Clock = std::chrono::steady_clock;
    struct Seen {
        std::string payload;
        bool retained = false;
        int count = 0;
        std::uint64_t sequence = 0;  // order of arrival over all topics, from 1
        Clock::time_point at;
    };
    struct Login {
        std::string caFile;  // set = TLS
        std::string certFile, keyFile;
        std::string userName;
        std::string password;
    };

    MqttListener();
    ~MqttListener();
    MqttListener(const MqttListener&) = delete;
    MqttListener& operator=(const MqttListener&) = delete;

    // Connects to 127.0.0.1:port, subscribes and waits for the broker's answer.
    bool Connect(int port, const std::string& subscription, const Login& login = {});

    // Waits until topic's latest message has this payload and arrived after message
    // number `after`; its arrival time, or nullopt after the timeout.
    std::optional<Clock::time_point> WaitFor(const std::string& topic, const std::string& payload,
                                             std::chrono::milliseconds timeout,
                                             std::uint64_t after = 0);
    std::optional<Seen> Latest(const std::string& topic);
    std::map<std::string, Seen> All();
    std::uint64_t Sequence();  // messages so far

    // From now on keeps every message on topic as the hash of its payload and its
    // arrival time, with room for `room` of them taken at once (a soak's memory
    // figures then show no growth of the test's own).
    struct Arrival {
        std::size_t payloadHash = 0;
        Clock::time_point at;
    };
    void Keep(const std::string& topic, std::size_t room);
    std::vector<Arrival> Kept();

  private:
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* m);
    static void OnSubscribe(mosquitto*, void* self, int, int, const int*);

    mosquitto* client_ = nullptr;
    std::mutex m_;
    std::condition_variable changed_;
    std::map<std::string, Seen> topics_;
    std::uint64_t sequence_ = 0;
    std::string keptTopic_;
    std::vector<Arrival> kept_;
    bool subscribed_ = false;
};

}  // namespace valdro::test

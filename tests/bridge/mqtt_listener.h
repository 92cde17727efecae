#pragma once
// A real MQTT subscriber (libmosquitto with its own thread) for the tests and the
// soak benchmark: per topic the latest payload, whether it came retained, how many
// messages came and when the latest arrived.

#include <mosquitto.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

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
        std::string caFile, certFile, keyFile;  // caFile set = TLS
        std::string userName, password;
    };
    struct Arrival {
        std::size_t payloadHash = 0;
        Clock::time_point at;
    };

    MqttListener() {
        mosquitto_lib_init();
        client_ = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(client_, &MqttListener::OnMessage);
        mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
            auto* l = static_cast<MqttListener*>(self);
            const std::lock_guard lock(l->m_);
            l->subscribed_ = true;
            l->changed_.notify_all();
        });
    }
    ~MqttListener() {
        mosquitto_disconnect(client_);
        mosquitto_loop_stop(client_, false);
        mosquitto_destroy(client_);
    }

    // Connects to 127.0.0.1:port, subscribes and waits for the broker's answer.
    bool Connect(int port, const std::string& subscription, const Login& login = {}) {
        auto opt = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
        if ((!login.caFile.empty() &&
             mosquitto_tls_set(client_, login.caFile.c_str(), nullptr, opt(login.certFile),
                               opt(login.keyFile), nullptr) != MOSQ_ERR_SUCCESS) ||
            mosquitto_username_pw_set(client_, opt(login.userName), opt(login.password)) != 0 ||
            mosquitto_connect(client_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
            mosquitto_loop_start(client_) != MOSQ_ERR_SUCCESS ||
            mosquitto_subscribe(client_, nullptr, subscription.c_str(), 0) != MOSQ_ERR_SUCCESS) {
            return false;
        }
        std::unique_lock lock(m_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return subscribed_; });
    }
    // Waits until topic's latest message has this payload and arrived after message
    // number `after`; its arrival time, or nullopt after the timeout.
    std::optional<Clock::time_point> WaitFor(const std::string& topic, const std::string& payload,
                                             std::chrono::milliseconds timeout,
                                             std::uint64_t after = 0) {
        std::unique_lock lock(m_);
        const bool ok = changed_.wait_for(lock, timeout, [&] {
            const auto it = topics_.find(topic);
            return it != topics_.end() && it->second.payload == payload &&
                   it->second.sequence > after;
        });
        return ok ? std::optional(topics_[topic].at) : std::nullopt;
    }
    std::optional<Seen> Latest(const std::string& topic) {
        const std::lock_guard lock(m_);
        const auto it = topics_.find(topic);
        return it == topics_.end() ? std::nullopt : std::optional(it->second);
    }
    std::map<std::string, Seen> All() {
        const std::lock_guard lock(m_);
        return topics_;
    }
    std::uint64_t Sequence() {  // messages so far
        const std::lock_guard lock(m_);
        return sequence_;
    }
    // From now on keeps every message on topic as the hash of its payload and its
    // arrival time, with room for `room` taken at once (so a soak's memory figures
    // show no growth of the test's own).
    void Keep(const std::string& topic, std::size_t room) {
        const std::lock_guard lock(m_);
        keptTopic_ = topic;
        kept_.resize(room);  // written once, so the pages are in memory from now on
        kept_.clear();
    }
    std::vector<Arrival> Kept() {
        const std::lock_guard lock(m_);
        return kept_;
    }

  private:
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* m) {
        auto* l = static_cast<MqttListener*>(self);
        const std::lock_guard lock(l->m_);
        Seen& s = l->topics_[m->topic];
        s.payload.assign(static_cast<const char*>(m->payload),
                         static_cast<std::size_t>(m->payloadlen));
        s.retained = m->retain;
        ++s.count;
        s.sequence = ++l->sequence_;
        s.at = Clock::now();
        if (m->topic == l->keptTopic_) {
            l->kept_.push_back({std::hash<std::string>{}(s.payload), s.at});
        }
        l->changed_.notify_all();
    }

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

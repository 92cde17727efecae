#include "mqtt_listener.h"

#include <mosquitto.h>

namespace valdro::test {

MqttListener::MqttListener() {
    mosquitto_lib_init();
    client_ = mosquitto_new(nullptr, true, this);
    mosquitto_message_callback_set(client_, &MqttListener::OnMessage);
    mosquitto_subscribe_callback_set(client_, &MqttListener::OnSubscribe);
}

MqttListener::~MqttListener() {
    mosquitto_disconnect(client_);
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
}

bool MqttListener::Connect(int port, const std::string& subscription, const Login& login) {
    if (!login.caFile.empty() &&
        mosquitto_tls_set(client_, login.caFile.c_str(), nullptr,
                          login.certFile.empty() ? nullptr : login.certFile.c_str(),
                          login.keyFile.empty() ? nullptr : login.keyFile.c_str(),
                          nullptr) != MOSQ_ERR_SUCCESS) {
        return false;
    }
    if (!login.userName.empty()) {
        mosquitto_username_pw_set(client_, login.userName.c_str(), login.password.c_str());
    }
    if (mosquitto_connect(client_, "127.0.0.1", port, 30) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(client_) != MOSQ_ERR_SUCCESS ||
        mosquitto_subscribe(client_, nullptr, subscription.c_str(), 0) != MOSQ_ERR_SUCCESS) {
        return false;
    }
    std::unique_lock lock(m_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return subscribed_; });
}

void MqttListener::OnSubscribe(mosquitto*, void* self, int, int, const int*) {
    auto* l = static_cast<MqttListener*>(self);
    {
        const std::lock_guard lock(l->m_);
        l->subscribed_ = true;
    }
    l->changed_.notify_all();
}

void MqttListener::OnMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* l = static_cast<MqttListener*>(self);
    const auto at = Clock::now();
    {
        const std::lock_guard lock(l->m_);
        Seen& s = l->topics_[m->topic];
        s.payload.assign(static_cast<const char*>(m->payload),
                         static_cast<std::size_t>(m->payloadlen));
        s.retained = m->retain;
        ++s.count;
        s.sequence = ++l->sequence_;
        s.at = at;
        if (m->topic == l->keptTopic_) {
            l->kept_.push_back({std::hash<std::string>{}(s.payload), at});
        }
    }
    l->changed_.notify_all();
}

void MqttListener::Keep(const std::string& topic, std::size_t room) {
    const std::lock_guard lock(m_);
    keptTopic_ = topic;
    kept_.resize(room);  // written once, so the pages are in memory from now on
    kept_.clear();
}

std::vector<MqttListener::Arrival> MqttListener::Kept() {
    const std::lock_guard lock(m_);
    return kept_;
}

std::optional<MqttListener::Clock::time_point> MqttListener::WaitFor(
    const std::string& topic, const std::string& payload, std::chrono::milliseconds timeout,
    std::uint64_t after) {
    std::unique_lock lock(m_);
    const bool ok = changed_.wait_for(lock, timeout, [&] {
        const auto it = topics_.find(topic);
        return it != topics_.end() && it->second.payload == payload && it->second.sequence > after;
    });
    return ok ? std::optional(topics_[topic].at) : std::nullopt;
}

std::optional<MqttListener::Seen> MqttListener::Latest(const std::string& topic) {
    const std::lock_guard lock(m_);
    const auto it = topics_.find(topic);
    return it == topics_.end() ? std::nullopt : std::optional(it->second);
}

std::map<std::string, MqttListener::Seen> MqttListener::All() {
    const std::lock_guard lock(m_);
    return topics_;
}

std::uint64_t MqttListener::Sequence() {
    const std::lock_guard lock(m_);
    return sequence_;
}

}  // namespace valdro::test

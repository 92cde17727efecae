#include "bridge/mqtt_publisher.h"

#include <mosquitto.h>
#include <pthread.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace valdro::bridge {
namespace {

using namespace std::chrono_literals;

constexpr int kLoopWaitMs = 250;         // the loop also wakes on every publish
constexpr auto kStopFlushTime = 2000ms;  // for "offline" and DISCONNECT to go out

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

bool Readable(const std::string& path) {
    return std::ifstream(path).good();
}

bool UsableTopic(const std::string& topic) {
    return mosquitto_validate_utf8(topic.c_str(), static_cast<int>(topic.size())) ==
               MOSQ_ERR_SUCCESS &&
           mosquitto_pub_topic_check(topic.c_str()) == MOSQ_ERR_SUCCESS;
}

std::string Seconds(std::chrono::milliseconds t) {
    return t.count() % 1000 == 0 ? std::to_string(t.count() / 1000) + " s"
                                 : std::to_string(t.count()) + " ms";
}

}  // namespace

MqttPublisher::MqttPublisher(MqttOptions options, EventLog& log)
    : options_(std::move(options)), log_(log), backOff_(options_.reconnectMin) {}

MqttPublisher::~MqttPublisher() {
    Stop();
    if (client_ != nullptr) {
        mosquitto_destroy(client_);
    }
}

bool MqttPublisher::Start(std::string* error) {
    auto fail = [&](std::string reason) {
        if (error != nullptr) {
            *error = std::move(reason);
        }
        return false;
    };
    const MqttUrl& url = options_.url;
    if (!UsableTopic(StatusTopic(url.prefix))) {
        return fail("the topic prefix '" + url.prefix + "' is not a valid MQTT topic");
    }
    if (options_.discovery && !UsableTopic(options_.discoveryPrefix + "/binary_sensor")) {
        return fail("the discovery prefix '" + options_.discoveryPrefix +
                    "' is not a valid MQTT topic");
    }
    if (options_.certFile.empty() != options_.keyFile.empty()) {
        return fail("an MQTT client certificate needs its key and a key its certificate");
    }
    const bool tlsFiles =
        !options_.caFile.empty() || !options_.certFile.empty() || !options_.keyFile.empty();
    if (!url.tls && tlsFiles) {
        return fail("TLS files are for mqtts:// addresses only");
    }
    for (const std::string* file : {&options_.caFile, &options_.certFile, &options_.keyFile}) {
        if (!file->empty() && !Readable(*file)) {
            return fail("cannot read '" + *file + "': " + std::strerror(errno));
        }
    }

    InitLibraryOnce();
    client_ =
        mosquitto_new(options_.clientId.empty() ? nullptr : options_.clientId.c_str(), true, this);
    if (client_ == nullptr) {
        return fail(std::string("cannot create the MQTT client: ") + std::strerror(errno));
    }
    mosquitto_threaded_set(client_, true);
    mosquitto_connect_callback_set(client_, &MqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(client_, &MqttPublisher::OnDisconnect);
    mosquitto_log_callback_set(client_, &MqttPublisher::OnLog);

    const std::string status = StatusTopic(url.prefix);
    int rc = mosquitto_will_set(client_, status.c_str(), static_cast<int>(std::strlen(kOffline)),
                                kOffline, 1, true);
    if (rc == MOSQ_ERR_SUCCESS && !options_.credentials.userName.empty()) {
        const std::string& password = options_.credentials.password;
        rc = mosquitto_username_pw_set(client_, options_.credentials.userName.c_str(),
                                       password.empty() ? nullptr : password.c_str());
    }
    if (rc == MOSQ_ERR_SUCCESS && url.tls) {
        auto opt = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
        // Without a CA file the system's store (Debian: /etc/ssl/certs) vouches for the broker.
        rc = mosquitto_tls_set(client_, opt(options_.caFile),
                               options_.caFile.empty() ? "/etc/ssl/certs" : nullptr,
                               opt(options_.certFile), opt(options_.keyFile), nullptr);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        return fail(std::string("cannot set the MQTT client up: ") + mosquitto_strerror(rc));
    }
    thread_ = std::thread([this] { NetworkLoop(); });
    return true;
}

void MqttPublisher::Publish(const LiveIoModel& model, const LiveIoDelta& delta) {
    const std::vector<MqttMessage> changes = ChangeMessages(options_.url.prefix, model, delta);
    std::vector<MqttMessage> discovery;
    if (options_.discovery) {
        for (std::size_t u = 0; u < kUnitCount; ++u) {
            const UnitDelta& d = delta.units[u];
            // A unit is announced once it has reported state, and again under a new name.
            if (d.becameKnown || (d.nameChanged && model.Unit(u).known)) {
                std::vector<MqttMessage> m =
                    DiscoveryMessages(options_.discoveryPrefix, options_.url.prefix, model, u);
                discovery.insert(discovery.end(), m.begin(), m.end());
            }
        }
    }
    const std::lock_guard lock(m_);
    for (const MqttMessage& d : discovery) {
        discovery_[d.topic] = d.payload;
        SendLocked(d.topic, d.payload);
    }
    for (const MqttMessage& c : changes) {
        retained_[c.topic] = c.payload;
        SendLocked(c.topic, c.payload);
    }
}

void MqttPublisher::SetUnitAttached(bool attached) {
    const std::lock_guard lock(m_);
    if (attached_ == attached) {
        return;
    }
    attached_ = attached;
    SendLocked(StatusTopic(options_.url.prefix), attached ? kOnline : kOffline);
}

void MqttPublisher::Stop() {
    {
        const std::lock_guard lock(m_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
        if (connected_.load()) {
            // A clean DISCONNECT discards the last will, so say it ourselves.
            SendLocked(StatusTopic(options_.url.prefix), kOffline);
            disconnecting_ = mosquitto_disconnect(client_) == MOSQ_ERR_SUCCESS;
        }
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    connected_ = false;  // whatever the flush reached: nothing goes out any more
}

// Needs m_. Queues only: the network thread writes. While no session is up the
// message is dropped; the republish on connect carries it.
void MqttPublisher::SendLocked(const std::string& topic, const std::string& payload) {
    if (!connected_.load()) {
        return;
    }
    mosquitto_publish(client_, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), 0, true);
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
    auto* p = static_cast<MqttPublisher*>(self);
    if (rc != 0) {
        p->connackCode_ = rc;  // the loop reports the refusal with this reason
        return;
    }
    {
        const std::lock_guard lock(p->m_);
        if (p->stopping_) {
            return;  // dropping the socket unannounced leaves the will to say offline
        }
        p->connected_ = true;
        ++p->connections_;
        // Discovery first, the state next and "online" last: whoever sees online
        // finds the whole state retained already.
        for (const auto& [topic, payload] : p->discovery_) {
            p->SendLocked(topic, payload);
        }
        for (const auto& [topic, payload] : p->retained_) {
            p->SendLocked(topic, payload);
        }
        p->SendLocked(StatusTopic(p->options_.url.prefix), p->attached_ ? kOnline : kOffline);
    }
    p->sessionUp_ = true;
    p->lastFailure_.clear();
    p->connackCode_ = 0;
    p->backOff_ = p->options_.reconnectMin;
    p->log_.Write("MQTT: connected to " + p->options_.url.Text());
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int) {
    // No m_ here: libmosquitto may hold its own locks while it calls this.
    static_cast<MqttPublisher*>(self)->connected_ = false;
}

void MqttPublisher::OnLog(mosquitto*, void* self, int level, const char* text) {
    if ((level & MOSQ_LOG_ERR) != 0 && text != nullptr) {
        auto* p = static_cast<MqttPublisher*>(self);
        const std::lock_guard lock(p->libErrorMutex_);
        p->libError_ = text;
    }
}

std::string MqttPublisher::Describe(int rc) {
    std::string reason;
    if (rc == MOSQ_ERR_ERRNO) {
        reason = std::strerror(errno);
    } else if (rc == MOSQ_ERR_CONN_REFUSED && connackCode_ != 0) {
        reason = std::string("refused: ") + mosquitto_connack_string(connackCode_);
    } else {
        reason = mosquitto_strerror(rc);
    }
    const std::lock_guard lock(libErrorMutex_);
    if (!libError_.empty()) {
        reason += " (" + libError_ + ")";
        libError_.clear();
    }
    return reason;
}

// One line per kind of failure: a broker that stays away is said once, not per retry.
void MqttPublisher::NoteFailure(const std::string& reason) {
    if (reason == lastFailure_) {
        return;
    }
    lastFailure_ = reason;
    log_.Write("MQTT: cannot connect to " + options_.url.Text() + ": " + reason +
               "; retrying with back-off up to " + Seconds(options_.reconnectMax));
}

void MqttPublisher::WaitBackOff() {
    std::unique_lock lock(m_);
    wake_.wait_for(lock, backOff_, [this] { return stopping_; });
    backOff_ = std::min(backOff_ * 2, options_.reconnectMax);
}

void MqttPublisher::NetworkLoop() {
    pthread_setname_np(pthread_self(), "bridge-mqtt");  // for top -H and the soak benchmark
    auto stopping = [this] {
        const std::lock_guard lock(m_);
        return stopping_;
    };
    bool started = false;
    bool socketOpen = false;
    while (!stopping()) {
        if (!socketOpen) {
            const MqttUrl& url = options_.url;
            const int rc = started ? mosquitto_reconnect_async(client_)
                                   : mosquitto_connect_async(client_, url.host.c_str(), url.port,
                                                             options_.keepAliveSeconds);
            started = true;
            if (rc != MOSQ_ERR_SUCCESS) {
                NoteFailure(Describe(rc));
                WaitBackOff();
                continue;
            }
            socketOpen = true;
        }
        const int rc = mosquitto_loop(client_, kLoopWaitMs, 1);
        if (rc == MOSQ_ERR_SUCCESS) {
            continue;
        }
        socketOpen = false;
        connected_ = false;
        if (stopping()) {
            break;
        }
        if (sessionUp_) {
            sessionUp_ = false;
            log_.Write("MQTT: connection to " + options_.url.Text() + " lost (" + Describe(rc) +
                       "); reconnecting");
        } else {
            NoteFailure(Describe(rc));
        }
        WaitBackOff();
    }
    const bool flush = [this] {
        const std::lock_guard lock(m_);
        return disconnecting_;
    }();
    if (socketOpen && flush) {
        Flush();
    }
}

// Stopping: runs the loop until the DISCONNECT has gone out and the socket closed.
void MqttPublisher::Flush() {
    const auto deadline = std::chrono::steady_clock::now() + kStopFlushTime;
    while (std::chrono::steady_clock::now() < deadline &&
           mosquitto_loop(client_, kLoopWaitMs, 1) == MOSQ_ERR_SUCCESS) {
    }
}

}  // namespace valdro::bridge

#pragma once
// The MQTT output of the bridge on libmosquitto. The caller (the engine's owner
// thread) hands in what each status record changed; publishing only queues the
// messages, and a network thread of our own runs libmosquitto's loop: it connects,
// writes, reconnects with a growing back-off and, after every (re)connect,
// republishes the whole current state, so a broker restart loses nothing and the
// one-second poll never waits for the network.
//
// Messages go out with QoS 0, retained. The broker keeps the last of each topic;
// a message lost with a dying connection is repaired by the republish on the
// next connect. (With QoS 1, libmosquitto would resend messages queued before the
// drop after that republish and could leave a stale value retained.)

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "bridge/event_log.h"
#include "bridge/live_io_model.h"
#include "bridge/mqtt_credentials.h"
#include "bridge/mqtt_topics.h"
#include "bridge/mqtt_url.h"

struct mosquitto;

namespace valdro::bridge {

struct MqttOptions {
    MqttUrl url;
    MqttCredentials credentials;
    std::string caFile;      // mqtts: trusted CA certificates (PEM); empty = the system's store
    std::string certFile;    // mqtts: optional client certificate (PEM) ...
    std::string keyFile;     // ... and its private key, both or neither
    std::string clientId;    // empty = a random one
    bool discovery = false;  // discovery messages for home/building automation servers
    std::string discoveryPrefix = kDefaultDiscoveryPrefix;
    int keepAliveSeconds = 30;
    std::chrono::milliseconds reconnectMin{1000};  // first retry; doubles up to the maximum
    std::chrono::milliseconds reconnectMax{60000};
};

class MqttPublisher {
  public:
    MqttPublisher(MqttOptions options, EventLog& log);
    ~MqttPublisher();
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Sets the client up and starts the network thread. A broker that cannot be
    // reached is no failure (it is retried); unusable options (unreadable TLS
    // files, a bad topic prefix) are: false and the reason in *error.
    bool Start(std::string* error);

    // Owner thread: publishes what delta says changed in model. Never blocks on the network.
    void Publish(const LiveIoModel& model, const LiveIoDelta& delta);
    // Owner thread: whether the unit is there; <prefix>/status says online only while
    // it is and the broker is connected.
    void SetUnitAttached(bool attached);
    // Publishes <prefix>/status offline when connected, disconnects and ends the
    // network thread. Also run by the destructor.
    void Stop();

    bool Connected() const { return connected_.load(); }
    // Sessions the broker accepted so far.
    std::uint64_t Connections() const { return connections_.load(); }

  private:
    static void OnConnect(mosquitto* m, void* self, int rc);
    static void OnDisconnect(mosquitto* m, void* self, int rc);
    static void OnLog(mosquitto* m, void* self, int level, const char* text);

    void NetworkLoop();
    void Flush();
    void WaitBackOff();
    std::string Describe(int rc);
    void NoteFailure(const std::string& reason);
    void SendLocked(const std::string& topic, const std::string& payload);

    const MqttOptions options_;
    EventLog& log_;
    mosquitto* client_ = nullptr;
    std::thread thread_;

    std::mutex m_;  // guards what follows and orders every mosquitto_publish
    std::condition_variable wake_;
    std::map<std::string, std::string> retained_;   // topic -> payload of the current state
    std::map<std::string, std::string> discovery_;  // the same for discovery messages
    bool attached_ = false;
    bool stopping_ = false;
    bool disconnecting_ = false;  // Stop() queued "offline" and a DISCONNECT

    std::atomic<bool> connected_{false};
    std::atomic<std::uint64_t> connections_{0};

    // Network thread only.
    bool sessionUp_ = false;
    int connackCode_ = 0;
    std::string lastFailure_;
    std::chrono::milliseconds backOff_{0};

    std::mutex libErrorMutex_;
    std::string libError_;  // libmosquitto's last error line (TLS details), for log lines
};

}  // namespace valdro::bridge

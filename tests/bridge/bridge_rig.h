#pragma once
// Shared pieces of the bridge tests and the soak benchmark: an event log that keeps
// its lines, options for a loopback broker, and waiting for a condition.

#include <mutex>
#include <string>

#include "bridge/event_log.h"
#include "bridge/mqtt_publisher.h"
#include "broker_process.h"

namespace valdro::test {

class KeptLog {
  public:
    bridge::EventLog log{[this](const std::string& line) {
        const std::lock_guard lock(m_);
        all_ += line + "\n";
    }};
    int Count(const std::string& text) { return CountLines(All(), text); }
    std::string All() {
        const std::lock_guard lock(m_);
        return all_;
    }

  private:
    std::mutex m_;
    std::string all_;
};

// Quick retries so that restarts take well under a second in the tests.
inline bridge::MqttOptions LoopbackMqtt(int port, const std::string& prefix, bool tls = false) {
    bridge::MqttOptions o;
    o.url = {tls, "127.0.0.1", port, prefix};
    o.reconnectMin = std::chrono::milliseconds(50);
    o.reconnectMax = std::chrono::milliseconds(400);
    return o;
}

}  // namespace valdro::test

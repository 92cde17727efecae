#pragma once
// Shared pieces of the threaded bridge tests: an event log that keeps its lines,
// options for a loopback broker, and waiting for a condition.

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bridge/event_log.h"
#include "bridge/mqtt_publisher.h"

namespace valdro::test {

class KeptLog {
  public:
    bridge::EventLog log{[this](const std::string& line) {
        const std::lock_guard lock(m_);
        lines_.push_back(line);
    }};
    // Lines holding text.
    int Count(const std::string& text) {
        const std::lock_guard lock(m_);
        int n = 0;
        for (const std::string& l : lines_) {
            n += l.find(text) != std::string::npos ? 1 : 0;
        }
        return n;
    }
    std::string All() {
        const std::lock_guard lock(m_);
        std::string all;
        for (const std::string& l : lines_) {
            all += l + "\n";
        }
        return all;
    }

  private:
    std::mutex m_;
    std::vector<std::string> lines_;
};

inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Quick retries so that restarts take well under a second in the tests.
inline bridge::MqttOptions LoopbackMqtt(int port, const std::string& prefix, bool tls = false) {
    bridge::MqttOptions o;
    o.url.tls = tls;
    o.url.host = "127.0.0.1";
    o.url.port = port;
    o.url.prefix = prefix;
    o.reconnectMin = std::chrono::milliseconds(50);
    o.reconnectMax = std::chrono::milliseconds(400);
    return o;
}

}  // namespace valdro::test

#pragma once
// Debian's mosquitto broker as a child process on a loopback port, with a config
// file of the test's own in a private temporary folder. Stop() and Start() again
// keep the port, so a publisher sees the same broker come back.

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace valdro::test {

// A loopback TCP port nobody listens on at the moment of asking.
int FreeLoopbackPort();
// True once something accepts TCP connections on 127.0.0.1:port (waits up to timeoutMs).
bool WaitListening(int port, int timeoutMs);

// Writes text into a file, replacing it.
void WriteFile(const std::filesystem::path& path, const std::string& text);

class BrokerProcess {
  public:
    // extraConfig: lines for the listener (TLS files, password file); the port,
    // loopback address and no persistence are set here.
    explicit BrokerProcess(std::string extraConfig = "allow_anonymous true\n");
    ~BrokerProcess();
    BrokerProcess(const BrokerProcess&) = delete;
    BrokerProcess& operator=(const BrokerProcess&) = delete;

    bool Start();             // runs the broker and waits until it listens
    void Stop();              // SIGTERM and wait
    void Signal(int signal);  // SIGSTOP freezes it, SIGCONT thaws it
    int Port() const { return port_; }
    std::string Log() const;  // the broker's own log, for failure messages

  private:
    testing::TempDir dir_;
    std::string extra_;
    int port_;
    pid_t pid_ = -1;
};

}  // namespace valdro::test

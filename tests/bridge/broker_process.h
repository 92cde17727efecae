#pragma once
// Debian's mosquitto broker as a child process on a loopback port, with a config
// file of the test's own in a private temporary folder. Stop() and Start() again
// keep the port, so a publisher sees the same broker come back.

#include <sys/types.h>

#include <string>

namespace valdro::test {

// A loopback TCP port nobody listens on at the moment of asking.
int FreeLoopbackPort();
// True once something accepts TCP connections on 127.0.0.1:port (waits up to timeoutMs).
bool WaitListening(int port, int timeoutMs);

// A private folder under /tmp, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    void Write(const std::string& name, const std::string& text) const;

  private:
    std::string path_;
};

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
    const TempDir& Dir() const { return dir_; }
    std::string Log() const;  // the broker's own log, for failure messages

  private:
    TempDir dir_;
    std::string extra_;
    int port_;
    pid_t pid_ = -1;
};

}  // namespace valdro::test

#pragma once
// The processes the tests start: Debian's mosquitto broker on a loopback port with
// a config of the test's own (valdrometrica-cli: cli_process.h). Each one's output
// goes to a file in its own folder, readable while it runs.

#include <sys/types.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace valdro::test {

int FreeLoopbackPort();  // nobody listens there at the moment of asking
void WriteFile(const std::filesystem::path& path, const std::string& text);
std::string ReadFile(const std::filesystem::path& path);
int CountLines(const std::string& text, const std::string& needle);  // lines holding needle
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

class ChildProcess {
  public:
    ~ChildProcess() { Stop(SIGKILL); }  // not copied: it owns a folder

    // Runs argv[0] with standard input closed; standard output and error go to Output().
    void Run(const std::vector<std::string>& argv);
    std::string Output() const { return ReadFile(dir / "output"); }
    int Count(const std::string& text) const { return CountLines(Output(), text); }
    bool WaitForLines(const std::string& text, int n = 1) const {
        return WaitUntil([&] { return Count(text) >= n; }, std::chrono::seconds(20));
    }
    void Signal(int signal);
    // Sends the signal (0: none) and waits: the exit status, or -1 when a signal
    // ended it or it did not end in time (it is killed then).
    int Stop(int signal, std::chrono::milliseconds timeout = std::chrono::seconds(20));

    testing::TempDir dir;

  private:
    pid_t pid_ = -1;
};

class BrokerProcess {
  public:
    // extraConfig: lines for the listener (TLS files, password file); the port,
    // loopback address and no persistence are set here. Stop() and Start() again
    // keep the port, so a publisher sees the same broker come back.
    explicit BrokerProcess(std::string extraConfig = "allow_anonymous true\n");
    bool Start();  // runs the broker and waits until it listens
    void Stop() { child_.Stop(SIGTERM); }
    void Signal(int signal) { child_.Signal(signal); }  // SIGSTOP freezes it, SIGCONT thaws it
    int Port() const { return port_; }
    std::string Log() const { return child_.Output(); }

  private:
    std::string extra_;
    int port_;
    int starts_ = 0;
    ChildProcess child_;
};

}  // namespace valdro::test

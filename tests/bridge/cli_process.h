#pragma once
// valdrometrica-cli as a child process of a test: its standard error goes to a file
// the test reads while it runs, and a signal ends it as systemd or Ctrl-C would.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace valdro::test {

class CliProcess {
  public:
    // Starts the built valdrometrica-cli with these arguments.
    explicit CliProcess(const std::vector<std::string>& args);
    ~CliProcess();  // SIGKILL if still running
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    std::string Log() const;  // its standard error so far
    // Lines of the log holding text.
    int Count(const std::string& text) const;
    // Waits until at least n lines hold text; false after the timeout.
    bool WaitForLines(const std::string& text, int n = 1,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

    // Sends the signal and waits for the end: the exit status, or -1 when the
    // process was killed by a signal or did not end within the timeout.
    int Stop(int signal, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Waits for the process to end by itself (an argument error): as Stop.
    int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  private:
    testing::TempDir dir_;
    pid_t pid_ = -1;
};

}  // namespace valdro::test

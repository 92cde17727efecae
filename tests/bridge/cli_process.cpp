#include "cli_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace valdro::test {

CliProcess::CliProcess(const std::vector<std::string>& args) {
    const std::string program = std::string(VALDRO_BIN_DIR) + "/valdrometrica-cli";
    const std::string err = (dir_ / "stderr").string();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        const int out = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::string CliProcess::Log() const {
    std::ifstream in(dir_ / "stderr");
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int CliProcess::Count(const std::string& text) const {
    std::istringstream log(Log());
    int n = 0;
    for (std::string line; std::getline(log, line);) {
        n += line.find(text) != std::string::npos ? 1 : 0;
    }
    return n;
}

bool CliProcess::WaitForLines(const std::string& text, int n,
                              std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Count(text) < n) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int CliProcess::Stop(int signal, std::chrono::milliseconds timeout) {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
    return Wait(timeout);
}

int CliProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

}  // namespace valdro::test

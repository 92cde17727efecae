#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "support/run_program.h"

namespace valdro::test {

int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const ProgramIo& io, std::optional<std::chrono::milliseconds> interruptAfter) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        return -1;
    }
    if (pid == 0) {
        // The child: only async-signal-safe calls until exec.
        const int in = ::open(io.in.empty() ? "/dev/null" : io.in.c_str(), O_RDONLY);
        const int out = ::open(io.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(io.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
            ::dup2(err, 2) < 0) {
            ::_exit(127);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (interruptAfter) {
        std::this_thread::sleep_for(*interruptAfter);
        ::kill(pid, SIGINT);
        // A program that ignores it is ended, so the test fails instead of hanging.
        const auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        pid_t done = 0;
        while ((done = ::waitpid(pid, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (done == 0) {
            ::kill(pid, SIGKILL);
        }
        if (done != pid) {
            ::waitpid(pid, &status, 0);
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace valdro::test

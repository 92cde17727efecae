#include "broker_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace valdro::test {

using namespace std::chrono_literals;

int FreeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof a;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        throw std::runtime_error("no free loopback port");
    }
    close(s);
    return ntohs(a.sin_port);
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ostringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

int CountLines(const std::string& text, const std::string& needle) {
    std::istringstream lines(text);
    int n = 0;
    for (std::string l; std::getline(lines, l);) {
        n += l.find(needle) != std::string::npos ? 1 : 0;
    }
    return n;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

void ChildProcess::Run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    const std::string output = (dir / "output").string();
    pid_ = fork();
    if (pid_ == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        close(0);  // as some service managers start them: a socket may then get descriptor 0
        dup2(out, 1);
        dup2(out, 2);
        execv(args[0], args.data());
        _exit(127);
    }
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

int ChildProcess::Stop(int signal, std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return -1;
    }
    Signal(signal);
    int status = 0;
    if (!WaitUntil([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, timeout)) {
        Signal(SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

BrokerProcess::BrokerProcess(std::string extraConfig)
    : extra_(std::move(extraConfig)), port_(FreeLoopbackPort()) {}

bool BrokerProcess::Start() {
    const std::filesystem::path conf = child_.dir / "broker.conf";
    // As root it would drop to a user that cannot read the test's folder.
    WriteFile(conf, "listener " + std::to_string(port_) + " 127.0.0.1\npersistence false\n" +
                        extra_ + (geteuid() == 0 ? "user root\n" : ""));
    child_.Run({"/usr/sbin/mosquitto", "-c", conf.string()});
    return child_.WaitForLines(" running", ++starts_);  // its log says when it listens
}

}  // namespace valdro::test

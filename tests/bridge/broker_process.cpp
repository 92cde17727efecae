#include "broker_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace valdro::test {
namespace {

constexpr const char* kBroker = "/usr/sbin/mosquitto";

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

}  // namespace

int FreeLoopbackPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    socklen_t len = sizeof a;
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        throw std::runtime_error("no free loopback port");
    }
    close(s);
    return ntohs(a.sin_port);
}

bool WaitListening(int port, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = Loopback(port);
        const bool ok = connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
        close(s);
        if (ok) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

BrokerProcess::BrokerProcess(std::string extraConfig)
    : extra_(std::move(extraConfig)), port_(FreeLoopbackPort()) {}

BrokerProcess::~BrokerProcess() {
    Stop();
}

bool BrokerProcess::Start() {
    std::ostringstream conf;
    conf << "listener " << port_ << " 127.0.0.1\n"
         << "persistence false\n"
         << "log_dest file " << (dir_ / "broker.log").string() << "\n"
         << extra_;
    if (geteuid() == 0) {
        conf << "user root\n";  // else it drops to a user that cannot read our folder
    }
    WriteFile(dir_ / "broker.conf", conf.str());
    const std::string confPath = (dir_ / "broker.conf").string();
    pid_ = fork();
    if (pid_ == 0) {
        // Its own start-up warnings go to a file beside its log, not into the test output.
        const int out = open((dir_ / "broker.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(out, 2);
        execl(kBroker, kBroker, "-c", confPath.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid_ > 0 && WaitListening(port_, 10000);
}

void BrokerProcess::Stop() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
}

void BrokerProcess::Signal(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

std::string BrokerProcess::Log() const {
    std::ifstream in((dir_ / "broker.log").string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace valdro::test

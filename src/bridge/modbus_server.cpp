#include "bridge/modbus_server.h"

#include <fcntl.h>
#include <modbus/modbus.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace valdro::bridge {
namespace {

constexpr int kPollMs = 200;  // how soon a thread notices Stop()

std::string PeerName(int fd) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    char host[NI_MAXHOST] = "?";
    char port[NI_MAXSERV] = "?";
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, port, sizeof port,
                    NI_NUMERICHOST | NI_NUMERICSERV);
    }
    const bool v6 = std::strchr(host, ':') != nullptr;
    // Appended piece by piece: GCC 12 warns (-Wrestrict, falsely) on "literal" + std::string here.
    std::string peer = v6 ? "[" : "";
    peer += host;
    peer += v6 ? "]:" : ":";
    peer += port;
    return peer;
}

int BoundPort(int fd) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        return 0;
    }
    if (addr.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<sockaddr_in6*>(&addr)->sin6_port);
    }
    return ntohs(reinterpret_cast<sockaddr_in*>(&addr)->sin_port);
}

void SetTimeouts(modbus_t* ctx, std::chrono::milliseconds t) {
    const auto sec = static_cast<std::uint32_t>(t.count() / 1000);
    const auto usec = static_cast<std::uint32_t>((t.count() % 1000) * 1000);
    modbus_set_byte_timeout(ctx, sec, usec);
    modbus_set_indication_timeout(ctx, sec, usec);
}

// The MBAP header must say protocol 0 and the length that came: anything else is
// not Modbus TCP, and what follows it could not be framed.
bool WellFramed(const std::uint8_t* req, int length) {
    return length >= 8 && req[2] == 0 && req[3] == 0 && ((req[4] << 8) | req[5]) == length - 6;
}

bool Answered(std::uint8_t function) {
    switch (function) {
        case MODBUS_FC_READ_COILS:
        case MODBUS_FC_READ_DISCRETE_INPUTS:
        case MODBUS_FC_READ_HOLDING_REGISTERS:  // none: libmodbus says illegal data address
        case MODBUS_FC_READ_INPUT_REGISTERS:
        case MODBUS_FC_REPORT_SLAVE_ID:
            return true;
        default:
            return false;
    }
}

}  // namespace

ModbusServer::ModbusServer(ModbusOptions options, EventLog& log)
    : options_(std::move(options)), log_(log) {}

ModbusServer::~ModbusServer() {
    Stop();
}

bool ModbusServer::Start(std::string* error) {
    const std::string service = std::to_string(options_.bind.port);
    const std::string& host = options_.bind.host;
    listenContext_ = modbus_new_tcp_pi(host.empty() ? nullptr : host.c_str(), service.c_str());
    if (listenContext_ != nullptr) {
        listenFd_ = modbus_tcp_pi_listen(listenContext_, 16);
    }
    if (listenFd_ < 0) {
        const std::string where = (host.empty() ? "*" : host) + ":" + service;
        if (error != nullptr) {
            *error = "cannot listen for Modbus TCP on " + where + ": " + modbus_strerror(errno);
        }
        return false;
    }
    port_ = BoundPort(listenFd_);
    log_.Write("Modbus: listening on " + (host.empty() ? std::string("*") : host) + ":" +
               std::to_string(port_));
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void ModbusServer::Update(const ModbusTables& tables) {
    const std::lock_guard lock(tablesMutex_);
    tables_ = tables;
}

void ModbusServer::CopyTables(ModbusTables& into) {
    const std::lock_guard lock(tablesMutex_);
    into = tables_;
}

void ModbusServer::Stop() {
    if (stopping_.exchange(true)) {
        return;
    }
    if (acceptThread_.joinable()) {
        acceptThread_.join();
    }
    {
        // Wakes a client thread blocked in a read or in a send to a client that reads nothing.
        const std::lock_guard lock(clientsMutex_);
        for (const auto& c : clients_) {
            if (c->fd >= 0) {
                shutdown(c->fd, SHUT_RDWR);
            }
        }
    }
    for (const auto& c : clients_) {
        c->thread.join();
    }
    clients_.clear();
    if (listenFd_ >= 0) {
        close(listenFd_);
        listenFd_ = -1;
    }
    if (listenContext_ != nullptr) {
        modbus_free(listenContext_);
        listenContext_ = nullptr;
    }
}

void ModbusServer::AcceptLoop() {
    pthread_setname_np(pthread_self(), "bridge-modbus");  // for top -H and the soak benchmark
    bool acceptFailing = false;
    while (!stopping_) {
        pollfd p{listenFd_, POLLIN, 0};
        const int ready = poll(&p, 1, kPollMs);
        ReapFinished();
        if (ready <= 0) {
            continue;
        }
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            acceptFailing = false;
            Admit(fd);
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // The connection stays queued and poll() would wake at once: without a
            // pause this loop would spin until a descriptor is free again.
            if (!acceptFailing) {
                log_.Write(std::string("Modbus: cannot accept clients for now: ") +
                           std::strerror(errno));
                acceptFailing = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }
}

void ModbusServer::Admit(int fd) {
    const std::string peer = PeerName(fd);
    // libmodbus waits with select(), which cannot watch a descriptor past FD_SETSIZE.
    if (clientCount_.load() >= options_.maxClients || fd >= FD_SETSIZE) {
        log_.Write("Modbus: client " + peer + " refused: already " +
                   std::to_string(clientCount_.load()) + " clients");
        close(fd);
        return;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const auto ms = options_.sendTimeout.count();
    const timeval sendTimeout{static_cast<time_t>(ms / 1000),
                              static_cast<suseconds_t>((ms % 1000) * 1000)};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);

    auto client = std::make_unique<Client>();
    client->fd = fd;
    client->peer = peer;
    Client& c = *client;
    ++clientCount_;
    {
        const std::lock_guard lock(clientsMutex_);
        clients_.push_back(std::move(client));
    }
    log_.Write("Modbus: client " + peer + " connected (" + std::to_string(clientCount_.load()) +
               " now)");
    c.thread = std::thread([this, &c] { Serve(c); });
}

void ModbusServer::ReapFinished() {
    std::list<std::unique_ptr<Client>> finished;
    {
        const std::lock_guard lock(clientsMutex_);
        for (auto it = clients_.begin(); it != clients_.end();) {
            if ((*it)->done.load() && (*it)->thread.joinable()) {
                finished.push_back(std::move(*it));
                it = clients_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto& c : finished) {
        c->thread.join();
    }
}

void ModbusServer::Serve(Client& client) {
    pthread_setname_np(pthread_self(), "bridge-mb-peer");
    int fd = -1;
    {
        const std::lock_guard lock(clientsMutex_);
        fd = client.fd;
    }
    modbus_t* ctx = modbus_new_tcp_pi(nullptr, "502");  // framing only; the socket is ours
    modbus_mapping_t* map = modbus_mapping_new_start_address(0, kModbusBits, 0, kModbusBits, 0, 0,
                                                             0, kModbusInputRegisters);
    std::string ending = "closed: out of memory";
    if (ctx != nullptr && map != nullptr) {
        modbus_set_socket(ctx, fd);
        SetTimeouts(ctx, options_.byteTimeout);
        ModbusTables tables;
        std::uint8_t req[MODBUS_TCP_MAX_ADU_LENGTH];
        ending.clear();
        while (!stopping_ && ending.empty()) {
            pollfd p{fd, POLLIN, 0};
            const int ready = poll(&p, 1, kPollMs);
            if (ready == 0 || (ready < 0 && errno == EINTR)) {
                continue;
            }
            const int length = ready < 0 ? -1 : modbus_receive(ctx, req);
            if (length < 0) {
                ending = errno == ECONNRESET  ? "closed the connection"
                         : errno == ETIMEDOUT ? "dropped: stalled in the middle of a request"
                                              : std::string("dropped: ") + modbus_strerror(errno);
                break;
            }
            if (length == 0) {
                continue;
            }
            if (!WellFramed(req, length)) {
                ending = "dropped: sent something that is not a Modbus TCP request";
                break;
            }
            int sent = 0;
            if (!Answered(req[7])) {
                sent = modbus_reply_exception(ctx, req, MODBUS_EXCEPTION_ILLEGAL_FUNCTION);
            } else {
                CopyTables(tables);
                std::memcpy(map->tab_bits, tables.coils.data(), tables.coils.size());
                std::memcpy(map->tab_input_bits, tables.discreteInputs.data(),
                            tables.discreteInputs.size());
                std::memcpy(map->tab_input_registers, tables.inputRegisters.data(),
                            sizeof tables.inputRegisters);
                sent = modbus_reply(ctx, req, length, map);
            }
            if (sent < 0) {
                ending = std::string("dropped: the reply could not be sent (") +
                         modbus_strerror(errno) + ")";
            }
        }
    }
    if (ending.empty()) {
        ending = "disconnected: the server stops";
    }
    if (map != nullptr) {
        modbus_mapping_free(map);
    }
    if (ctx != nullptr) {
        modbus_free(ctx);
    }
    log_.Write("Modbus: client " + client.peer + " " + ending);
    // The slot is free before the socket closes: a client that reconnects as soon as it sees
    // the close must not be refused for a count that still holds its old connection.
    --clientCount_;
    {
        const std::lock_guard lock(clientsMutex_);
        close(client.fd);
        client.fd = -1;
    }
    client.done = true;
}

}  // namespace valdro::bridge

#pragma once
// The read-only Modbus TCP output of the bridge on libmodbus. One thread accepts;
// each client gets a thread of its own, so a client that stalls or sends garbage
// is dropped without delaying the others. Reads of coils, discrete inputs and input
// registers are answered from the latest tables (any unit id); every other
// function, writes included, gets exception 1 (illegal function). The owner
// thread replaces the tables with Update(); readers copy them under a lock held
// only for the copy, so a slow client never holds the poll up.

#include <atomic>
#include <chrono>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "bridge/bind_address.h"
#include "bridge/event_log.h"
#include "bridge/modbus_tables.h"

struct _modbus;  // libmodbus's modbus_t

namespace valdro::bridge {

struct ModbusOptions {
    BindAddress bind;
    int maxClients = 32;  // beyond this a new connection is closed at once
    // A request must come whole: a pause longer than this between its bytes drops the client.
    std::chrono::milliseconds byteTimeout{500};
    // A client that does not take its replies for this long is dropped.
    std::chrono::milliseconds sendTimeout{5000};
};

class ModbusServer {
  public:
    ModbusServer(ModbusOptions options, EventLog& log);
    ~ModbusServer();
    ModbusServer(const ModbusServer&) = delete;
    ModbusServer& operator=(const ModbusServer&) = delete;

    // Binds, listens and starts serving; false and the reason in *error otherwise.
    bool Start(std::string* error);
    // Owner thread: the tables every later read answers from.
    void Update(const ModbusTables& tables);
    // Closes every connection and the listening socket; also run by the destructor.
    void Stop();

    // The port listened on (the one the system chose for port 0); 0 before Start.
    int Port() const { return port_; }
    // Clients connected now.
    int Clients() const { return clientCount_.load(); }

  private:
    struct Client {
        int fd = -1;  // -1 once closed; guarded by clientsMutex_
        std::string peer;
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void AcceptLoop();
    void Admit(int fd);
    void Serve(Client& client);
    void ReapFinished();
    void CopyTables(ModbusTables& into);

    const ModbusOptions options_;
    EventLog& log_;
    _modbus* listenContext_ = nullptr;
    int listenFd_ = -1;
    int port_ = 0;
    std::thread acceptThread_;
    std::atomic<bool> stopping_{false};

    std::mutex tablesMutex_;
    ModbusTables tables_;

    std::mutex clientsMutex_;
    std::list<std::unique_ptr<Client>> clients_;
    std::atomic<int> clientCount_{0};
};

}  // namespace valdro::bridge

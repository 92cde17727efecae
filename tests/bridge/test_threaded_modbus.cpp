// The Modbus TCP output against libmodbus's own client on a loopback port: every
// table, refused writes, any unit id, torn-free tables under a fast feed, and
// clients that send garbage, stall or come in too many, dropped while a good
// client keeps reading.

#include <arpa/inet.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <thread>

#include "bridge/bridge.h"
#include "bridge/modbus_tables.h"
#include "bridge_records.h"
#include "bridge_rig.h"
#include "modbus_client.h"

namespace valdro::bridge {
namespace {

using namespace std::chrono_literals;
using test::KeptLog;
using test::PatternRecord;
using test::WaitUntil;

using Client = test::ModbusClient;

// A plain TCP connection for what a Modbus client would never send.
class RawSocket {
  public:
    explicit RawSocket(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    ~RawSocket() { close(fd_); }
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;
    bool Connected() const { return connected_; }
    bool Send(const std::string& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }
    // True when the server closes the connection within the time (whatever it sent first).
    bool ClosedByServer(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                char buf[512];
                const ssize_t n = recv(fd_, buf, sizeof buf, 0);
                if (n <= 0) {
                    return true;
                }
            }
        }
        return false;
    }

  private:
    int fd_;
    bool connected_ = false;
};

bool Bit(std::uint16_t word, int n) {
    return ((word >> (n - 1)) & 1) != 0;
}

class ModbusBridge : public ::testing::Test {
  protected:
    void SetUp() override {
        BridgeOptions options;
        options.modbus = ModbusOptions{{"127.0.0.1", 0}, 4, 300ms, 1000ms};
        bridge = std::make_unique<Bridge>(options, log.log);
        std::string error;
        ASSERT_TRUE(bridge->Start(&error)) << error;
        port = bridge->ModbusPort();
        ASSERT_GT(port, 0);
    }

    // A client on another thread reading all input registers until told to stop;
    // counts its reads and its failures.
    void StartSteadyReader() {
        reader = std::thread([this] {
            Client c(port);
            if (!c.Connected()) {
                ++readerFailures;
                return;
            }
            std::uint16_t regs[kModbusInputRegisters];
            while (!stopReader) {
                if (modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs) ==
                    kModbusInputRegisters) {
                    ++readerReads;
                } else {
                    ++readerFailures;
                }
            }
        });
    }
    void StopSteadyReader() {
        stopReader = true;
        reader.join();
    }

    KeptLog log;
    std::unique_ptr<Bridge> bridge;
    int port = 0;
    std::thread reader;
    std::atomic<bool> stopReader{false};
    std::atomic<int> readerReads{0};
    std::atomic<int> readerFailures{0};
};

TEST_F(ModbusBridge, EveryTableShowsTheRecordForAnyUnitId) {
    constexpr std::uint8_t kMask = 0b10010010;  // Slaves 2, 5 and 8
    constexpr std::uint32_t kPoll = 7;
    bridge->Feed(PatternRecord(kPoll, kMask), test::Names());
    for (const int unitId : {0, 1, 17, 247, 255}) {
        Client c(port, unitId);
        ASSERT_TRUE(c.Connected());
        std::uint8_t inputs[kModbusBits];
        std::uint8_t coils[kModbusBits];
        std::uint16_t regs[kModbusInputRegisters];
        ASSERT_EQ(modbus_read_input_bits(*c, 0, kModbusBits, inputs), kModbusBits) << unitId;
        ASSERT_EQ(modbus_read_bits(*c, 0, kModbusBits, coils), kModbusBits) << unitId;
        ASSERT_EQ(modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs),
                  kModbusInputRegisters)
            << unitId;
        std::uint16_t live = 0;
        for (int u = 0; u < 9; ++u) {
            const bool present = u == 0 || ((kMask >> (u - 1)) & 1) != 0;
            const SimulatedUnit::IoWords w =
                present ? SimulatedUnit::IoPattern(u, kPoll) : SimulatedUnit::IoWords{};
            live = static_cast<std::uint16_t>(live | (present ? 1u << u : 0u));
            for (int n = 1; n <= 16; ++n) {
                EXPECT_EQ(inputs[u * 16 + n - 1], Bit(w.inputs, n)) << "unit " << u << " in " << n;
                EXPECT_EQ(coils[u * 16 + n - 1], Bit(w.outputs, n)) << "unit " << u << " out " << n;
            }
            EXPECT_EQ(regs[u], w.inputs) << u;
            EXPECT_EQ(regs[9 + u], w.outputs) << u;
        }
        EXPECT_EQ(regs[kLiveRegister], live);
        EXPECT_EQ(regs[kRecordCountRegister], 1);

        // A part of a table, and what lies beyond the tables.
        std::uint8_t slave5[16];
        ASSERT_EQ(modbus_read_input_bits(*c, 5 * 16, 16, slave5), 16);
        EXPECT_EQ(slave5[0], Bit(SimulatedUnit::IoPattern(5, kPoll).inputs, 1));
        std::uint16_t beyond[4];
        EXPECT_EQ(modbus_read_input_registers(*c, 18, 3, beyond), -1);
        EXPECT_EQ(errno, EMBXILADD);
        EXPECT_EQ(modbus_read_bits(*c, 140, 5, coils), -1);
        EXPECT_EQ(errno, EMBXILADD);
        EXPECT_EQ(modbus_read_registers(*c, 0, 1, beyond), -1) << "no holding registers";
        EXPECT_EQ(errno, EMBXILADD);
    }

    // Slave 5 stops reporting: the live register says so and its values stay.
    bridge->Feed(PatternRecord(kPoll + 1, kMask & ~0b10000), test::Names());
    Client c(port);
    std::uint16_t regs[kModbusInputRegisters];
    ASSERT_EQ(modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs),
              kModbusInputRegisters);
    EXPECT_EQ(regs[kLiveRegister], 0b100000101);
    EXPECT_EQ(regs[5], SimulatedUnit::IoPattern(5, kPoll).inputs);
    EXPECT_EQ(regs[0], SimulatedUnit::IoPattern(0, kPoll + 1).inputs);
    bridge->UnitLost();
    ASSERT_EQ(modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs),
              kModbusInputRegisters);
    EXPECT_EQ(regs[kLiveRegister], 0);
    EXPECT_EQ(regs[0], SimulatedUnit::IoPattern(0, kPoll + 1).inputs);
}

TEST_F(ModbusBridge, WritesAndOtherFunctionsAreRefusedAsIllegal) {
    bridge->Feed(PatternRecord(0, 0), test::Names());
    Client c(port);
    ASSERT_TRUE(c.Connected());
    const std::uint16_t values[2] = {1, 2};
    const std::uint8_t bits[2] = {1, 1};
    std::uint16_t back[2];
    const std::pair<const char*, std::function<int()>> writes[] = {
        {"write coil", [&] { return modbus_write_bit(*c, 0, 1); }},
        {"write coils", [&] { return modbus_write_bits(*c, 0, 2, bits); }},
        {"write register", [&] { return modbus_write_register(*c, 0, 7); }},
        {"write registers", [&] { return modbus_write_registers(*c, 0, 2, values); }},
        {"mask write", [&] { return modbus_mask_write_register(*c, 0, 0, 1); }},
        {"write and read",
         [&] { return modbus_write_and_read_registers(*c, 0, 2, values, 0, 2, back); }},
    };
    for (const auto& [what, call] : writes) {
        errno = 0;
        EXPECT_EQ(call(), -1) << what;
        EXPECT_EQ(errno, EMBXILFUN) << what << ": " << modbus_strerror(errno);
    }
    // Functions this server has no use for, raw: read exception status, device identification.
    for (const std::uint8_t function : {0x07, 0x2B}) {
        const std::uint8_t request[] = {0x01, function};
        ASSERT_GT(modbus_send_raw_request(*c, request, sizeof request), 0);
        std::uint8_t reply[MODBUS_TCP_MAX_ADU_LENGTH];
        errno = 0;
        EXPECT_EQ(modbus_receive_confirmation(*c, reply), 9) << int{function};
        EXPECT_EQ(reply[7], function | 0x80) << int{function};
        EXPECT_EQ(reply[8], MODBUS_EXCEPTION_ILLEGAL_FUNCTION) << int{function};
    }
    std::uint8_t coil = 9;
    ASSERT_EQ(modbus_read_bits(*c, 0, 1, &coil), 1) << "the connection stays usable";
    EXPECT_EQ(coil, Bit(SimulatedUnit::IoPattern(0, 0).outputs, 1)) << "and nothing was written";
}

TEST_F(ModbusBridge, GarbageAndStalledClientsAreDroppedWhileAGoodOneReads) {
    bridge->Feed(PatternRecord(0, 0), test::Names());
    StartSteadyReader();
    ASSERT_TRUE(WaitUntil([&] { return readerReads > 10; }));
    const struct {
        const char* what;
        std::string bytes;
    } garbage[] = {
        {"text", "GET / HTTP/1.1\r\nHost: plant\r\n\r\n"},
        {"protocol id 1", std::string("\x00\x01\x00\x01\x00\x06\x01\x04\x00\x00\x00\x01", 12)},
        {"length that does not fit",
         std::string("\x00\x01\x00\x00\x00\x09\x01\x04\x00\x00\x00\x01", 12)},
    };
    for (const auto& g : garbage) {
        RawSocket s(port);
        ASSERT_TRUE(s.Connected()) << g.what;
        ASSERT_TRUE(s.Send(g.bytes)) << g.what;
        EXPECT_TRUE(s.ClosedByServer(3s)) << g.what;
    }
    // Half a header, then nothing: dropped after the byte time-out.
    RawSocket stalled(port);
    ASSERT_TRUE(stalled.Send(std::string("\x00\x01\x00", 3)));
    EXPECT_TRUE(stalled.ClosedByServer(3s));
    const int readsBefore = readerReads;
    ASSERT_TRUE(WaitUntil([&] { return readerReads > readsBefore + 10; }));
    StopSteadyReader();
    EXPECT_EQ(readerFailures, 0);
    EXPECT_EQ(log.Count("not a Modbus TCP request"), 3) << log.All();
    EXPECT_EQ(log.Count("stalled in the middle of a request"), 1) << log.All();
}

TEST_F(ModbusBridge, SeveralClientsAtOnceUpToTheLimit) {
    bridge->Feed(PatternRecord(0, 0), test::Names());
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<Client>(port, i));
        ASSERT_TRUE(clients.back()->Connected());
    }
    std::uint16_t regs[kModbusInputRegisters];
    for (const auto& c : clients) {
        EXPECT_EQ(modbus_read_input_registers(**c, 0, kModbusInputRegisters, regs),
                  kModbusInputRegisters);
    }
    RawSocket fifth(port);
    EXPECT_TRUE(fifth.ClosedByServer(3s)) << "over the limit";
    EXPECT_EQ(log.Count("refused"), 1) << log.All();
    clients.pop_back();
    ASSERT_TRUE(WaitUntil([&] { return log.Count("closed the connection") == 1; }));
    Client again(port);
    EXPECT_EQ(modbus_read_input_registers(*again, 0, kModbusInputRegisters, regs),
              kModbusInputRegisters);
}

TEST_F(ModbusBridge, APortInUseStopsTheStartWithAReason) {
    BridgeOptions options;
    options.modbus = ModbusOptions{{"127.0.0.1", port}};
    Bridge second(options, log.log);
    std::string error;
    EXPECT_FALSE(second.Start(&error));
    EXPECT_NE(error.find("127.0.0.1:" + std::to_string(port)), std::string::npos) << error;
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
}

// Readers on three connections while the owner feeds as fast as it can: every
// reply must come from one record whole (its count register names the poll).
TEST_F(ModbusBridge, RepliesNeverMixTwoRecords) {
    std::atomic<bool> feeding{true};
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            Client c(port);
            std::uint16_t regs[kModbusInputRegisters];
            while (feeding) {
                if (modbus_read_input_registers(*c, 0, kModbusInputRegisters, regs) !=
                    kModbusInputRegisters) {
                    ++torn;
                    continue;
                }
                ++reads;
                const std::uint16_t count = regs[kRecordCountRegister];
                if (count == 0) {
                    continue;
                }
                const auto w0 = SimulatedUnit::IoPattern(0, count - 1u);
                const auto w8 = SimulatedUnit::IoPattern(8, count - 1u);
                if (regs[0] != w0.inputs || regs[9] != w0.outputs || regs[8] != w8.inputs ||
                    regs[17] != w8.outputs) {
                    ++torn;
                }
            }
        });
    }
    // Until the readers have seen plenty, however slowly they start on a busy machine.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    for (std::uint32_t p = 0; reads < 300 && std::chrono::steady_clock::now() < deadline; ++p) {
        bridge->Feed(PatternRecord(p, 0x80), test::Names());
    }
    feeding = false;
    for (std::thread& t : readers) {
        t.join();
    }
    EXPECT_GE(reads, 300);
    EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace valdro::bridge

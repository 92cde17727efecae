#pragma once
// libmodbus's own TCP client on 127.0.0.1, for the tests and the soak benchmark.

#include <modbus/modbus.h>

namespace valdro::test {

class ModbusClient {
  public:
    explicit ModbusClient(int port, int unitId = 1) : ctx_(modbus_new_tcp("127.0.0.1", port)) {
        modbus_set_slave(ctx_, unitId);
        modbus_set_response_timeout(ctx_, 5, 0);
        modbus_connect(ctx_);  // a failure shows in the first request
    }
    ~ModbusClient() {
        modbus_close(ctx_);
        modbus_free(ctx_);
    }
    ModbusClient(const ModbusClient&) = delete;
    ModbusClient& operator=(const ModbusClient&) = delete;
    modbus_t* operator*() const { return ctx_; }

  private:
    modbus_t* ctx_;
};

}  // namespace valdro::test

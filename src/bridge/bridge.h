#pragma once
// The bridge as the `bridge` command drives it: the live-I/O model and the chosen
// outputs (MQTT, Modbus TCP or both) behind four calls from the engine's owner
// thread: Feed() for every status record with the unit names, UnitLost() when the
// unit goes away, UnitBack() when its channel is open again, and Stop().

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/event_log.h"
#include "bridge/live_io_model.h"
#include "bridge/modbus_server.h"
#include "bridge/mqtt_publisher.h"
#include "device/status_record.h"

namespace valdro::bridge {

struct BridgeOptions {
    std::optional<MqttOptions> mqtt;
    std::optional<ModbusOptions> modbus;
};

class Bridge {
  public:
    Bridge(BridgeOptions options, EventLog& log);
    ~Bridge();
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    // Starts the outputs; false and the reason in *error when one cannot start.
    // A broker that is away is no failure: it is retried.
    bool Start(std::string* error);

    // One status record and the nine unit names (UTF-8; entry 0 is also the name
    // of the one unit of single-unit mode). Publishes only what changed.
    void Feed(const StatusRecord& record, const UnitNames& names);
    // The unit is gone: no unit reports state; availability goes offline. The
    // detail (why, and what happens next) ends the one log line.
    void UnitLost(std::string_view detail = {});
    // The unit answers again; states follow with the next record. The detail
    // (where it was found) ends the one log line.
    void UnitBack(std::string_view detail = {});
    void Stop();

    const LiveIoModel& Model() const { return model_; }
    // The Modbus port listened on (0 without Modbus).
    int ModbusPort() const { return modbus_ ? modbus_->Port() : 0; }
    const MqttPublisher* Mqtt() const { return mqtt_.get(); }

  private:
    void Deliver(const LiveIoDelta& delta);
    void SetAttached(bool attached, std::string_view detail = {});

    EventLog& log_;
    LiveIoModel model_;
    std::unique_ptr<MqttPublisher> mqtt_;
    std::unique_ptr<ModbusServer> modbus_;
    bool attached_ = false;
};

}  // namespace valdro::bridge

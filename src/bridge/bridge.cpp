#include "bridge/bridge.h"

#include "bridge/modbus_tables.h"
#include "bridge/mqtt_topics.h"

namespace valdro::bridge {

Bridge::Bridge(BridgeOptions options, EventLog& log) : log_(log) {
    if (options.mqtt) {
        mqtt_ = std::make_unique<MqttPublisher>(std::move(*options.mqtt), log);
    }
    if (options.modbus) {
        modbus_ = std::make_unique<ModbusServer>(std::move(*options.modbus), log);
    }
}

Bridge::~Bridge() {
    Stop();
}

bool Bridge::Start(std::string* error) {
    if (modbus_ && !modbus_->Start(error)) {
        return false;
    }
    if (mqtt_ && !mqtt_->Start(error)) {
        return false;
    }
    if (modbus_) {
        modbus_->Update(BuildModbusTables(model_));
    }
    return true;
}

void Bridge::Feed(const StatusRecord& record, const UnitNames& names) {
    const LiveIoDelta delta = model_.Feed(record, names);
    const bool back = !attached_;
    attached_ = true;  // for Deliver's log lines; availability follows the state
    Deliver(delta);
    if (back) {
        attached_ = false;
        SetAttached(true);
    }
}

void Bridge::UnitLost(std::string_view detail) {
    SetAttached(false, detail);
    Deliver(model_.LoseAll());
}

void Bridge::UnitBack(std::string_view detail) {
    SetAttached(true, detail);
}

void Bridge::Stop() {
    if (mqtt_) {
        mqtt_->Stop();
    }
    if (modbus_) {
        modbus_->Stop();
    }
}

void Bridge::SetAttached(bool attached, std::string_view detail) {
    if (attached == attached_) {
        return;
    }
    attached_ = attached;
    std::string line = attached ? "Unit attached: availability online"
                                : "Unit lost: availability offline, last known values kept";
    if (!detail.empty()) {
        line += "; ";
        line += detail;
    }
    log_.Write(line);
    if (mqtt_) {
        mqtt_->SetUnitAttached(attached);
    }
}

void Bridge::Deliver(const LiveIoDelta& delta) {
    // Modbus always: its record counter moves with every record.
    if (modbus_) {
        modbus_->Update(BuildModbusTables(model_));
    }
    if (!delta.Any()) {
        return;
    }
    for (std::size_t u = 0; attached_ && u < kUnitCount; ++u) {
        if (delta.units[u].liveChanged) {
            const std::string& name = model_.Unit(u).name;
            log_.Write(UnitTitle(u) + (name.empty() ? "" : " (" + name + ")") +
                       (model_.Unit(u).live ? " reports state" : " reports no state"));
        }
    }
    if (mqtt_) {
        mqtt_->Publish(model_, delta);
    }
}

}  // namespace valdro::bridge

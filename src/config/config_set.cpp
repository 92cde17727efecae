#include "config/config_set.h"

#include <algorithm>
#include <cstring>

#include "config/text_codec.h"

namespace valdro {

template <typename Byte>
std::string BasicUnitRecord<Byte>::DeviceName() const {
    return DecodeField(
        std::span<const std::uint8_t>(b_.data() + field::DeviceName, field::DeviceNameSize));
}

template <typename Byte>
std::string BasicUnitRecord<Byte>::URL() const {
    return DecodeField(std::span<const std::uint8_t>(b_.data() + field::URL, field::URLSize));
}

template <>
void BasicUnitRecord<std::uint8_t>::SetDeviceName(std::string_view utf8) {
    EncodeField(std::span<std::uint8_t>(b_.data() + field::DeviceName, field::DeviceNameSize),
                utf8);
}

template <>
void BasicUnitRecord<std::uint8_t>::SetURL(std::string_view utf8) {
    EncodeField(std::span<std::uint8_t>(b_.data() + field::URL, field::URLSize), utf8);
}

template std::string BasicUnitRecord<std::uint8_t>::DeviceName() const;
template std::string BasicUnitRecord<std::uint8_t>::URL() const;
template std::string BasicUnitRecord<const std::uint8_t>::DeviceName() const;
template std::string BasicUnitRecord<const std::uint8_t>::URL() const;

namespace {
std::size_t ClampUnit(int u) {
    return static_cast<std::size_t>(std::clamp(u, 0, kUnitCount - 1));
}
std::size_t ClampIo(int k) {
    return static_cast<std::size_t>(std::clamp(k, 0, kIoCount - 1));
}
}  // namespace

UnitRecord ConfigSet::Unit(int u) {
    return UnitRecord(std::span<std::uint8_t, kUnitRecordSize>(
        Units.data() + ClampUnit(u) * kUnitRecordSize, kUnitRecordSize));
}

ConstUnitRecord ConfigSet::Unit(int u) const {
    return ConstUnitRecord(std::span<const std::uint8_t, kUnitRecordSize>(
        Units.data() + ClampUnit(u) * kUnitRecordSize, kUnitRecordSize));
}

std::size_t ConfigSet::CellOffset(int u, int s, int o, int i) {
    return InputMapOffset(static_cast<int>(ClampUnit(u)), static_cast<int>(ClampUnit(s)),
                          static_cast<int>(ClampIo(o)), static_cast<int>(ClampIo(i)));
}

void ConfigSet::SetDefaults() {
    Units.fill(0);
    InputMap.fill(0);
    for (int u = 0; u < kUnitCount; ++u) {
        UnitRecord r = Unit(u);
        r.SetIPAddr({192, 168, 0, static_cast<std::uint8_t>(6 + u)});
        r.SetGateWayAddr({192, 168, 0, 1});
        r.SetSubMaskAddr({255, 255, 255, 0});
        r.SetDNSAddress({192, 168, 0, 1});
        r.SetDeviceName(u == 0 ? std::string("Master") : "Slave " + std::to_string(u));
        r.SetDeviceParamA(60);
        r.SetClientPort(3012);
        r.SetDeviceParamB(10);
    }
}

bool ConfigStore::HasChanged() const {
    return current_.Units != saved_.Units || current_.InputMap != saved_.InputMap;
}

bool IsValidUnitIndex(std::int32_t u) {
    return u >= 0 && u < kUnitCount;
}
bool IsValidIoIndex(std::int32_t k) {
    return k >= 0 && k < kIoCount;
}

}  // namespace valdro

#pragma once
// The configuration of the nine units as two exact byte images, with typed
// accessors. The images are what the data file stores and the download reads.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "config/unit_layout.h"

namespace valdro {

using Octets = std::array<std::uint8_t, 4>;

// A typed window onto one 304-byte record. Reads never run past a field; writes
// touch only the named field.
template <typename Byte>
class BasicUnitRecord {
  public:
    explicit BasicUnitRecord(std::span<Byte, kUnitRecordSize> bytes) : b_(bytes) {}
    // A writable record can be read through a read-only one.
    template <typename Other>
    requires std::is_same_v<Byte, const Other> BasicUnitRecord(const BasicUnitRecord<Other>& other)
        : b_(other.Bytes()) {}

    std::span<Byte, kUnitRecordSize> Bytes() const { return b_; }

    Octets IPAddr() const { return OctetsAt(field::IPAddr); }
    Octets GateWayAddr() const { return OctetsAt(field::GateWayAddr); }
    Octets SubMaskAddr() const { return OctetsAt(field::SubMaskAddr); }
    Octets DNSAddress() const { return OctetsAt(field::DNSAddress); }
    std::string DeviceName() const;  // UTF-8
    bool DHCPEnable() const { return b_[field::DHCPEnable] != 0; }
    std::uint8_t DeviceParamA() const { return b_[field::DeviceParamA]; }
    std::int32_t ClientPort() const { return I32At(field::ClientPort); }
    std::uint8_t DeviceParamB() const { return b_[field::DeviceParamB]; }
    bool InvertInput(int k) const { return b_[field::InvertInputs + Idx(k)] != 0; }
    bool InvertOutput(int k) const { return b_[field::InvertOutputs + Idx(k)] != 0; }
    bool OutputStartStatus(int k) const { return b_[field::OutputStartStatus + Idx(k)] != 0; }
    bool SlaveEnabled() const { return b_[field::SlaveEnabled] != 0; }
    std::uint8_t AddressMode() const { return b_[field::AddressMode]; }
    std::string URL() const;  // UTF-8
    bool OutputLatch(int k) const { return b_[field::OutputLatch + Idx(k)] != 0; }
    std::int32_t ResetDevice(int k) const { return I32At(field::ResetDevice + 4 * Idx(k)); }
    std::int32_t ResetInput(int k) const { return I32At(field::ResetInput + 4 * Idx(k)); }

    // Raw bytes of a flag, for callers that must carry a loaded value unchanged.
    std::uint8_t RawByte(std::size_t offset) const { return b_[offset]; }

    void SetIPAddr(const Octets& v) { SetOctets(field::IPAddr, v); }
    void SetGateWayAddr(const Octets& v) { SetOctets(field::GateWayAddr, v); }
    void SetSubMaskAddr(const Octets& v) { SetOctets(field::SubMaskAddr, v); }
    void SetDNSAddress(const Octets& v) { SetOctets(field::DNSAddress, v); }
    void SetOctet(std::size_t fieldOffset, int index, std::uint8_t v) {
        b_[fieldOffset + static_cast<std::size_t>(index & 3)] = v;
    }
    void SetDeviceName(std::string_view utf8);
    void SetDHCPEnable(bool v) { b_[field::DHCPEnable] = v ? 1 : 0; }
    void SetDeviceParamA(std::uint8_t v) { b_[field::DeviceParamA] = v; }
    void SetClientPort(std::int32_t v) { SetI32(field::ClientPort, v); }
    void SetDeviceParamB(std::uint8_t v) { b_[field::DeviceParamB] = v; }
    void SetInvertInput(int k, bool v) { b_[field::InvertInputs + Idx(k)] = v ? 1 : 0; }
    void SetInvertOutput(int k, bool v) { b_[field::InvertOutputs + Idx(k)] = v ? 1 : 0; }
    void SetOutputStartStatus(int k, bool v) { b_[field::OutputStartStatus + Idx(k)] = v ? 1 : 0; }
    void SetSlaveEnabled(bool v) { b_[field::SlaveEnabled] = v ? 1 : 0; }
    void SetAddressMode(std::uint8_t v) { b_[field::AddressMode] = v; }
    void SetURL(std::string_view utf8);
    void SetOutputLatch(int k, bool v) { b_[field::OutputLatch + Idx(k)] = v ? 1 : 0; }
    void SetResetDevice(int k, std::int32_t v) { SetI32(field::ResetDevice + 4 * Idx(k), v); }
    void SetResetInput(int k, std::int32_t v) { SetI32(field::ResetInput + 4 * Idx(k), v); }

  private:
    static std::size_t Idx(int k) { return static_cast<std::size_t>(k & 15); }
    Octets OctetsAt(std::size_t o) const { return {b_[o], b_[o + 1], b_[o + 2], b_[o + 3]}; }
    void SetOctets(std::size_t o, const Octets& v) {
        for (std::size_t i = 0; i < 4; ++i)
            b_[o + i] = v[i];
    }
    std::int32_t I32At(std::size_t o) const { return GetInt32(b_.subspan(o).template first<4>()); }
    void SetI32(std::size_t o, std::int32_t v) { PutInt32(b_.subspan(o).template first<4>(), v); }

    std::span<Byte, kUnitRecordSize> b_;
};

template <>
void BasicUnitRecord<std::uint8_t>::SetDeviceName(std::string_view utf8);
template <>
void BasicUnitRecord<std::uint8_t>::SetURL(std::string_view utf8);

using UnitRecord = BasicUnitRecord<std::uint8_t>;
using ConstUnitRecord = BasicUnitRecord<const std::uint8_t>;

using UnitsImage = std::array<std::uint8_t, kUnitsSize>;
using InputMapImage = std::array<std::uint8_t, kInputMapSize>;

// The configuration set: `Units` and `InputMap`.
struct ConfigSet {
    UnitsImage Units{};
    InputMapImage InputMap{};

    // u is a UnitIndex 0..8; out-of-range values are clamped to protect the images.
    UnitRecord Unit(int u);
    ConstUnitRecord Unit(int u) const;

    bool Cell(int u, int s, int o, int i) const { return InputMap[CellOffset(u, s, o, i)] != 0; }
    void SetCell(int u, int s, int o, int i, bool v) {
        InputMap[CellOffset(u, s, o, i)] = v ? 1 : 0;
    }

    void SetDefaults();

    bool operator==(const ConfigSet&) const = default;

  private:
    static std::size_t CellOffset(int u, int s, int o, int i);
};

// The live set beside the copy taken whenever it is known to be saved.
class ConfigStore {
  public:
    ConfigSet& Current() { return current_; }
    const ConfigSet& Current() const { return current_; }
    const ConfigSet& SavedConfigSet() const { return saved_; }

    void SetDefaults() { current_.SetDefaults(); }
    void MarkSaved() { saved_ = current_; }
    bool HasChanged() const;

  private:
    ConfigSet current_;
    ConfigSet saved_;
};

bool IsValidUnitIndex(std::int32_t u);
bool IsValidIoIndex(std::int32_t k);

}  // namespace valdro

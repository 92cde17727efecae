#pragma once
// The simulated unit seen through the HID platform interface, so the protocol
// engine talks to it exactly as it talks to a real unit over hidapi.

#include <atomic>

#include "device/hid_platform.h"
#include "device/simulated_unit.h"

namespace valdro {

class SimulatedPlatform : public HidPlatform {
  public:
    // The unit must outlive the platform and every handle it opens.
    explicit SimulatedPlatform(SimulatedUnit& unit) : unit_(unit) {}

    std::vector<HidInterfaceInfo> Enumerate() override;
    std::unique_ptr<HidHandle> Open(const std::string& path, OpenError* error) override;

    // How many times Enumerate() ran: a channel that is already open must not search.
    int EnumerateCount() const { return enumerateCount_.load(); }
    SimulatedUnit& Unit() { return unit_; }

  private:
    SimulatedUnit& unit_;
    std::atomic<int> enumerateCount_{0};
};

}  // namespace valdro

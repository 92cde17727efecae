#include "device/simulated_platform.h"

namespace valdro {

namespace {

// Each Open() gives a handle of its own; both handles of one channel reach the
// same unit, which keeps the replies, so what one writes the other reads.
class SimulatedHandle : public HidHandle {
  public:
    SimulatedHandle(SimulatedUnit& unit, SimEndpoint endpoint, std::uint64_t generation)
        : unit_(unit), endpoint_(endpoint), generation_(generation) {}

    int Write(const std::uint8_t* data, std::size_t length) override {
        return unit_.WriteReport(endpoint_, generation_, data, length);
    }
    int Read(std::uint8_t* buf, std::size_t length, int timeoutMs) override {
        return unit_.ReadReply(endpoint_, generation_, buf, length, timeoutMs, &readError_);
    }
    std::string LastReadError() const override { return readError_; }

  private:
    SimulatedUnit& unit_;
    SimEndpoint endpoint_;
    std::uint64_t generation_;
    std::string readError_;  // the reading thread's only
};

}  // namespace

std::vector<HidInterfaceInfo> SimulatedPlatform::Enumerate() {
    enumerateCount_.fetch_add(1);
    return unit_.Listing();
}

std::unique_ptr<HidHandle> SimulatedPlatform::Open(const std::string& path, OpenError* error) {
    SimEndpoint endpoint{};
    std::uint64_t generation = 0;
    if (!unit_.OpenEndpoint(path, &endpoint, &generation, error)) {
        return nullptr;
    }
    return std::make_unique<SimulatedHandle>(unit_, endpoint, generation);
}

}  // namespace valdro

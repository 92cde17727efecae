#include "device/hidapi_platform.h"

#include <hidapi.h>

#include <algorithm>
#include <mutex>

#include "device/hardware_id.h"
#include "device/hid_input_report.h"

namespace valdro {

namespace {

// hidapi's enumerate, open and close share state inside the library.
std::mutex& HidapiMutex() {
    static std::mutex m;
    return m;
}

bool InitialiseOnce() {
    static const bool ok = [] {
        std::lock_guard lk(HidapiMutex());
        return hid_init() == 0;
    }();
    return ok;
}

class HidapiHandle : public HidHandle {
  public:
    explicit HidapiHandle(hid_device* device) : device_(device) {}
    ~HidapiHandle() override {
        std::lock_guard lk(HidapiMutex());
        hid_close(device_);
    }
    HidapiHandle(const HidapiHandle&) = delete;
    HidapiHandle& operator=(const HidapiHandle&) = delete;

    // The caller's buffer already has the report-id byte first, which is what
    // hid_write expects.
    int Write(const std::uint8_t* data, std::size_t length) override {
        return hid_write(device_, data, length);
    }

    int Read(std::uint8_t* buf, std::size_t length, int timeoutMs) override {
        return ReadNumberedReport(
            [this](std::uint8_t* dst, std::size_t max, int timeout) {
                return hid_read_timeout(device_, dst, max, timeout);
            },
            buf, length, timeoutMs);
    }

  private:
    hid_device* device_;
};

}  // namespace

HidapiPlatform::HidapiPlatform() : initialised_(InitialiseOnce()) {}

std::vector<HidInterfaceInfo> HidapiPlatform::Enumerate() {
    std::vector<HidInterfaceInfo> list;
    if (!initialised_) {
        return list;
    }
    std::lock_guard lk(HidapiMutex());
    // An empty list leaves text in hid_error(); it is not a failure.
    hid_device_info* all = hid_enumerate(0, 0);
    for (const hid_device_info* d = all; d != nullptr; d = d->next) {
        HidInterfaceInfo info;
        info.path = d->path != nullptr ? d->path : "";
        info.vendorId = d->vendor_id;
        info.productId = d->product_id;
        info.release = d->release_number;
        info.hardwareId = FormatHardwareId(d->vendor_id, d->product_id, d->release_number);
        info.serialNumber = WideToUtf8(d->serial_number);
        info.product = WideToUtf8(d->product_string);
        list.push_back(std::move(info));
    }
    hid_free_enumeration(all);
    return list;
}

std::unique_ptr<HidHandle> HidapiPlatform::Open(const std::string& path, OpenError* error) {
    auto fail = [&](OpenError e) -> std::unique_ptr<HidHandle> {
        if (error != nullptr) {
            *error = e;
        }
        return nullptr;
    };
    if (!initialised_) {
        return fail(OpenError::Other);
    }
    hid_device* device = nullptr;
    {
        std::lock_guard lk(HidapiMutex());
        device = hid_open_path(path.c_str());
    }
    if (device == nullptr) {
        return fail(ClassifyOpenFailure(path));
    }
    if (error != nullptr) {
        *error = OpenError::None;
    }
    return std::make_unique<HidapiHandle>(device);
}

}  // namespace valdro

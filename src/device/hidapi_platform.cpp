// The USB backend on Linux: hidapi (hidraw) behind the HID platform interface.
//
// Threading contract:
// - Enumerate(), Open() and the destruction of a handle are serialised inside this
//   backend (hidapi's enumerate, open and close are not safe to run concurrently).
// - One handle may be written by one thread while another handle of the same path
//   is read by another thread: the engine opens every path twice, one handle for
//   writing and one for the receive thread.
// - A handle must not be destroyed while a thread is inside its Read(): the owner
//   stops and joins the receive thread first (Port1Comms' destructor), and only
//   then destroys the read handle. Read() waits at most its time-out, so the join
//   is prompt.

#include <hidapi.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "device/hardware_id.h"
#include "device/hid_input_report.h"
#include "device/hid_open_failure_posix.h"
#include "device/hid_platform.h"

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
        const int n = ReadNumberedReport(
            [this](std::uint8_t* dst, std::size_t max, int timeout) {
                return hid_read_timeout(device_, dst, max, timeout);
            },
            buf, length, timeoutMs);
        if (n < 0) {
            // hidapi's own words where it has them (on hidraw the errno text of the
            // failed read), else the errno of the moment.
            const int readErrno = errno;
            readError_ = WideToUtf8(hid_error(device_));
            if (readError_.empty()) {
                readError_ = std::strerror(readErrno);
            }
        }
        return n;
    }

    std::string LastReadError() const override { return readError_; }

  private:
    hid_device* device_;
    std::string readError_;  // the reading thread's only
};

class HidapiPlatform : public HidPlatform {
  public:
    HidapiPlatform() : initialised_(InitialiseOnce()) {}

    // Every HID interface present, in hidapi's order; nothing when hidapi could
    // not be initialised.
    std::vector<HidInterfaceInfo> Enumerate() override {
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

    // Opens a hidraw path (e.g. /dev/hidraw3).
    std::unique_ptr<HidHandle> Open(const std::string& path, OpenError* error) override {
        OpenError outcome = OpenError::Other;
        std::unique_ptr<HidHandle> handle;
        if (initialised_) {
            hid_device* device = nullptr;
            int openErrno = 0;
            {
                std::lock_guard lk(HidapiMutex());
                errno = 0;
                device = hid_open_path(path.c_str());
                openErrno = errno;
            }
            if (device != nullptr) {
                handle = std::make_unique<HidapiHandle>(device);
                outcome = OpenError::None;
            } else {
                outcome = ClassifyOpenFailure(path, openErrno);
            }
        }
        if (error != nullptr) {
            *error = outcome;
        }
        return handle;
    }

  private:
    bool initialised_;
};

}  // namespace

std::unique_ptr<HidPlatform> CreateUsbPlatform() {
    return std::make_unique<HidapiPlatform>();
}

}  // namespace valdro

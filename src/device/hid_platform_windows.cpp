// The USB backend on Windows: the HID class's device interfaces listed through
// SetupAPI, each interface opened with CreateFileA for overlapped transfers.
//
// Threading contract (the hidapi backend's):
// - One handle may be written by one thread while another handle of the same path
//   is read by another thread: the engine opens every path twice, one handle for
//   writing and one for the receive thread.
// - A handle must not be destroyed while a thread is inside its Read(): the owner
//   stops and joins the receive thread first. Read() waits at most its time-out,
//   so the join is prompt.

#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// windows.h first: setupapi.h and hidsdi.h build on its types.
#include <setupapi.h>
extern "C" {
// MinGW's hidsdi.h has no C++ guard of its own.
#include <hidsdi.h>
}

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "device/hardware_id.h"
#include "device/hid_input_report.h"
#include "device/hid_report.h"
#include "device/hid_windows.h"

namespace valdro {

namespace {

// A write that the driver has not taken within a second is given up: the window
// thread writes, and the reply watchdog reports the unit as lost.
constexpr DWORD kWriteTimeoutMs = 1000;

// A kernel handle, closed once.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() {
        if (Valid()) {
            ::CloseHandle(h_);
        }
    }
    UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&&) = delete;
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

  private:
    HANDLE h_ = nullptr;
};

// The list of present HID interfaces, destroyed on every way out.
class DeviceInfoList {
  public:
    explicit DeviceInfoList(const GUID& hidClass)
        : set_(::SetupDiGetClassDevsA(&hidClass, nullptr, nullptr,
                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {}
    ~DeviceInfoList() {
        if (Valid()) {
            ::SetupDiDestroyDeviceInfoList(set_);
        }
    }
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;

    bool Valid() const { return set_ != INVALID_HANDLE_VALUE; }
    HDEVINFO Get() const { return set_; }

  private:
    HDEVINFO set_;
};

// The first string of the device's hardware-id list: first the size, then the
// property into a buffer of that size.
std::optional<std::string> HardwareIdOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    ::SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, nullptr, nullptr, 0, &size);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> list(size);
    if (!::SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, nullptr, list.data(),
                                             size, nullptr)) {
        return std::nullopt;
    }
    return std::string(
        FirstHardwareId(std::string_view(reinterpret_cast<const char*>(list.data()), list.size())));
}

// The interface's device path: first the size of the detail record, then the
// record into a buffer of that size.
std::optional<std::string> DevicePathOf(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& iface) {
    DWORD size = 0;
    ::SetupDiGetDeviceInterfaceDetailA(set, &iface, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        return std::nullopt;
    }
    // Whole words, so the record is aligned as its first member needs.
    std::vector<DWORD> storage((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!::SetupDiGetDeviceInterfaceDetailA(set, &iface, detail, size, nullptr, nullptr)) {
        return std::nullopt;
    }
    return std::string(detail->DevicePath);
}

// A string of the HID class (serial number, product) as UTF-8; empty where the
// device has none.
template <typename Getter>
std::string HidStringOf(HANDLE device, Getter get) {
    // A USB string descriptor holds at most 126 UTF-16 units; the class takes the
    // room in bytes, and the last unit stays 0.
    std::array<wchar_t, 128> text{};
    if (!get(device, text.data(), static_cast<ULONG>((text.size() - 1) * sizeof(wchar_t)))) {
        return {};
    }
    return WideToUtf8(text.data());
}

class WindowsHidHandle : public HidHandle {
  public:
    WindowsHidHandle(UniqueHandle device, UniqueHandle readEvent, UniqueHandle writeEvent)
        : device_(std::move(device)),
          readEvent_(std::move(readEvent)),
          writeEvent_(std::move(writeEvent)) {}

    ~WindowsHidHandle() override {
        // The driver still owns the buffer of a pending read: cancel it and wait
        // until the driver has let go before the buffer and the handle go.
        if (readPending_) {
            ::CancelIoEx(device_.Get(), &readOverlapped_);
            DWORD ignored = 0;
            ::GetOverlappedResult(device_.Get(), &readOverlapped_, &ignored, TRUE);
        }
    }
    WindowsHidHandle(const WindowsHidHandle&) = delete;
    WindowsHidHandle& operator=(const WindowsHidHandle&) = delete;

    // The report id byte first, 65 bytes for the unit.
    int Write(const std::uint8_t* data, std::size_t length) override {
        OVERLAPPED overlapped{};
        overlapped.hEvent = writeEvent_.Get();
        if (!::WriteFile(device_.Get(), data, static_cast<DWORD>(length), nullptr, &overlapped)) {
            if (::GetLastError() != ERROR_IO_PENDING) {
                return -1;
            }
            if (::WaitForSingleObject(overlapped.hEvent, kWriteTimeoutMs) != WAIT_OBJECT_0) {
                ::CancelIoEx(device_.Get(), &overlapped);
            }
        }
        // Waits for a cancelled write to finish, so the OVERLAPPED outlives it.
        DWORD written = 0;
        if (!::GetOverlappedResult(device_.Get(), &overlapped, &written, TRUE)) {
            return -1;
        }
        return static_cast<int>(written);
    }

    // One read stays pending in the driver from one call to the next: a time-out
    // returns 0 and leaves it there, so a report that arrives later is not lost.
    // Only its completion says anything: a report, or a failure (the unit
    // unplugged, the read cancelled), which is -1.
    int Read(std::uint8_t* buf, std::size_t length, int timeoutMs) override {
        if (!readPending_) {
            readOverlapped_ = OVERLAPPED{};
            readOverlapped_.hEvent = readEvent_.Get();
            if (!::ReadFile(device_.Get(), report_.data(), static_cast<DWORD>(report_.size()),
                            nullptr, &readOverlapped_)) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_IO_PENDING) {
                    return Failed(error);
                }
            }
            readPending_ = true;
        }
        const DWORD wait = ::WaitForSingleObject(
            readEvent_.Get(), timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        if (wait == WAIT_TIMEOUT) {
            return 0;
        }
        if (wait != WAIT_OBJECT_0) {
            return Failed(::GetLastError());
        }
        DWORD received = 0;
        const BOOL ok = ::GetOverlappedResult(device_.Get(), &readOverlapped_, &received, FALSE);
        const DWORD error = ok ? ERROR_SUCCESS : ::GetLastError();
        readPending_ = false;
        if (!ok) {
            return Failed(error);
        }
        // The HID class delivers the report id byte first, as the protocol counts.
        const std::size_t count = std::min<std::size_t>(received, length);
        std::memcpy(buf, report_.data(), count);
        return static_cast<int>(count);
    }

    std::string LastReadError() const override { return readError_; }

  private:
    int Failed(DWORD error) {
        readError_ = Win32ErrorText(error);
        return -1;
    }

    UniqueHandle device_;
    UniqueHandle readEvent_;   // manual reset, signalled when the read completes
    UniqueHandle writeEvent_;  // the same for writes
    // The reading thread's only:
    OVERLAPPED readOverlapped_{};
    bool readPending_ = false;
    HidReport report_{};
    std::string readError_;
};

class WindowsHidPlatform : public HidPlatform {
  public:
    // Every present interface of the HID class, in SetupAPI's order.
    std::vector<HidInterfaceInfo> Enumerate() override {
        std::vector<HidInterfaceInfo> found;
        GUID hidClass;
        ::HidD_GetHidGuid(&hidClass);
        const DeviceInfoList list(hidClass);
        if (!list.Valid()) {
            return found;
        }
        for (DWORD i = 0;; ++i) {
            SP_DEVICE_INTERFACE_DATA iface{};
            iface.cbSize = sizeof iface;
            if (!::SetupDiEnumDeviceInterfaces(list.Get(), nullptr, &hidClass, i, &iface)) {
                break;  // ERROR_NO_MORE_ITEMS, or a list that cannot be read further
            }
            // Interface i belongs to device i: a HID device has one HID interface.
            SP_DEVINFO_DATA device{};
            device.cbSize = sizeof device;
            if (!::SetupDiEnumDeviceInfo(list.Get(), i, &device)) {
                continue;
            }
            auto hardwareId = HardwareIdOf(list.Get(), device);
            auto path = DevicePathOf(list.Get(), iface);
            if (!hardwareId || !path) {
                continue;  // nothing to match or nothing to open
            }
            found.push_back(Describe(std::move(*path), std::move(*hardwareId)));
        }
        return found;
    }

    std::unique_ptr<HidHandle> Open(const std::string& path, OpenError* error) override {
        // Reading and writing on every handle: the engine writes through one and
        // reads through the other, and `list` opens one to see whether it may.
        UniqueHandle device(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
        OpenError outcome = OpenError::None;
        std::unique_ptr<HidHandle> handle;
        if (!device.Valid()) {
            outcome = OpenErrorFromWin32(::GetLastError());
        } else {
            UniqueHandle readEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
            UniqueHandle writeEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
            if (readEvent.Valid() && writeEvent.Valid()) {
                handle = std::make_unique<WindowsHidHandle>(std::move(device), std::move(readEvent),
                                                            std::move(writeEvent));
            } else {
                outcome = OpenError::Other;
            }
        }
        if (error != nullptr) {
            *error = outcome;
        }
        return handle;
    }

  private:
    static HidInterfaceInfo Describe(std::string path, std::string hardwareId) {
        HidInterfaceInfo info;
        const HardwareIdNumbers numbers = ParseHardwareId(hardwareId);
        info.vendorId = numbers.vendorId.value_or(0);
        info.productId = numbers.productId.value_or(0);
        info.release = numbers.release.value_or(0);
        // No access asked for: the strings can be read even from an interface that
        // another program holds or that this user may not open.
        const UniqueHandle query(::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               nullptr, OPEN_EXISTING, 0, nullptr));
        if (query.Valid()) {
            info.serialNumber = HidStringOf(query.Get(), ::HidD_GetSerialNumberString);
            info.product = HidStringOf(query.Get(), ::HidD_GetProductString);
        }
        info.path = std::move(path);
        info.hardwareId = std::move(hardwareId);
        return info;
    }
};

}  // namespace

std::unique_ptr<HidPlatform> CreateUsbPlatform() {
    return std::make_unique<WindowsHidPlatform>();
}

}  // namespace valdro

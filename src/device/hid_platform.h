#pragma once
// What the device link needs of the platform: list the HID interfaces present,
// open one, write and read 65-byte reports. hidapi (Linux), the HID class
// (Windows) and the simulated unit stand behind this, so no caller knows which
// one it talks to.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace valdro {

struct HidInterfaceInfo {
    std::string path;        // what Open() accepts
    std::string hardwareId;  // HID\VID_vvvv&PID_pppp&REV_rrrr, four upper-case hex digits each
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t release = 0;
    std::string serialNumber;  // UTF-8; empty where the platform gives none
    std::string product;       // UTF-8 product string; may be empty
};

// Why Open() failed: the path is gone, this user may not open it (on Linux: no
// udev rule yet), another program holds it, or anything else.
enum class OpenError { None, NotFound, AccessDenied, Busy, Other };

// One open interface. Write() and Read() may be called from different threads
// (one writer, one reader); everything else is serialised by the owner.
class HidHandle {
  public:
    virtual ~HidHandle() = default;
    // Writes one report, report-id byte first. Returns bytes written or -1.
    virtual int Write(const std::uint8_t* data, std::size_t length) = 0;
    // Reads one report into buf with the report-id byte first (0 put in front where
    // the platform leaves it out). Waits at most timeoutMs (-1 = forever).
    // Returns bytes stored (>0), 0 when nothing arrived in time, -1 on failure
    // (the interface is gone).
    virtual int Read(std::uint8_t* buf, std::size_t length, int timeoutMs) = 0;
    // Why the last Read() returned -1, in the platform's words (for the trace).
    // Called on the reading thread, after that Read().
    virtual std::string LastReadError() const = 0;
};

class HidPlatform {
  public:
    virtual ~HidPlatform() = default;
    // The present HID interfaces, in the platform's enumeration order.
    virtual std::vector<HidInterfaceInfo> Enumerate() = 0;
    // Opens a path. Returns null on failure and says why in *error when given.
    virtual std::unique_ptr<HidHandle> Open(const std::string& path, OpenError* error) = 0;
};

// The USB backend of the system the program is built for (hidapi on Linux, the
// HID class through SetupAPI on Windows).
std::unique_ptr<HidPlatform> CreateUsbPlatform();

}  // namespace valdro

#pragma once
// The real USB backend: hidapi (hidraw on Linux) behind the HID platform interface.
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

#include <memory>
#include <string>
#include <vector>

#include "device/hid_platform.h"

namespace valdro {

class HidapiPlatform : public HidPlatform {
  public:
    HidapiPlatform();  // initialises hidapi once per process

    // Every HID interface present, in hidapi's order.
    std::vector<HidInterfaceInfo> Enumerate() override;
    // Opens a hidraw path (e.g. /dev/hidraw3). A node that exists but may not be
    // opened by this user gives OpenError::PermissionDenied.
    std::unique_ptr<HidHandle> Open(const std::string& path, OpenError* error) override;

    // False when hidapi could not be initialised; nothing is then listed.
    bool Initialised() const { return initialised_; }

  private:
    bool initialised_ = false;
};

}  // namespace valdro

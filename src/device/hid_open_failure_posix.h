#pragma once
// Why an open of a hidraw node failed, from errno and the node itself.

#include <string>

#include "device/hid_platform.h"

namespace valdro {

// What an errno of a failed open means.
OpenError OpenErrorFromErrno(int error);
// Why an open of path failed: the errno the open left where it tells (a busy node
// in particular), else access(2) right after the failure, since the library's own
// clean-up may have changed errno: the node is there but not ours to open (no udev
// rule yet), gone, or other.
OpenError ClassifyOpenFailure(const std::string& path, int openErrno);

}  // namespace valdro

#pragma once
// Pieces of the Windows USB backend that need no unit: what the error code of a
// failed open means, and the system's words for an error code.

#include <string>

#include "device/hid_platform.h"

namespace valdro {

// What GetLastError() after a failed CreateFileA means: ERROR_ACCESS_DENIED is a
// refusal, ERROR_SHARING_VIOLATION another program holding the interface, a path
// that names nothing a unit that is gone.
OpenError OpenErrorFromWin32(unsigned long code);

// The system's text for an error code as UTF-8, without the line break that ends
// it; "error N" where the system has none.
std::string Win32ErrorText(unsigned long code);

}  // namespace valdro

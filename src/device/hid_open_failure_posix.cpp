#include "device/hid_open_failure_posix.h"

#include <unistd.h>

#include <cerrno>

namespace valdro {

OpenError OpenErrorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return OpenError::AccessDenied;
        case EBUSY:
            return OpenError::Busy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return OpenError::NotFound;
        default:
            return OpenError::Other;
    }
}

OpenError ClassifyOpenFailure(const std::string& path, int openErrno) {
    const OpenError fromOpen = OpenErrorFromErrno(openErrno);
    if (fromOpen != OpenError::Other) {
        return fromOpen;
    }
    if (::access(path.c_str(), R_OK | W_OK) != 0) {
        return OpenErrorFromErrno(errno);
    }
    return OpenError::Other;  // reachable, yet the open failed (wrong kind of node)
}

}  // namespace valdro

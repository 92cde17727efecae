// Linux: a niceness of 10 for this thread alone (setpriority on a thread id
// applies to that thread), rather than SCHED_IDLE.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "device/thread_priority.h"

namespace valdro {

void LowerOwnPriority() {
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    (void)::setpriority(PRIO_PROCESS, tid, 10);
}

}  // namespace valdro

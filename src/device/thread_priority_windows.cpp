// Windows: one step below normal, rather than THREAD_PRIORITY_IDLE, which runs
// only when nothing else of normal priority wants the processor.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "device/thread_priority.h"

namespace valdro {

void LowerOwnPriority() {
    (void)::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

}  // namespace valdro

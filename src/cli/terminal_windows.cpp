#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <atomic>

#include "cli/terminal.h"

namespace valdro::cli {
namespace {

// The system calls the handler on a thread of its own.
std::atomic<bool> interrupted{false};

// Ctrl-C and Ctrl-Break end the command as SIGINT does on Linux. Closing the
// console, logging off and shutting down are left to the system's own handler,
// which ends the process: the system would end it soon after the handler anyway.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        interrupted.store(true);
        return TRUE;
    }
    return FALSE;
}

HANDLE Handle(StdStream stream) {
    return ::GetStdHandle(stream == StdStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

}  // namespace

// Only a console has a console mode; a file, a pipe or NUL (which the C runtime's
// isatty counts as a terminal) has none.
bool IsTerminal(StdStream stream) {
    DWORD mode = 0;
    return ::GetConsoleMode(Handle(stream), &mode) != 0;
}

bool ColourTerminal(StdStream stream) {
    const HANDLE console = Handle(stream);
    DWORD mode = 0;
    if (!::GetConsoleMode(console, &mode)) {
        return false;
    }
    // Consoles older than Windows 10 refuse the mode and get plain text.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           ::SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

void InstallInterruptHandler() {
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Interrupted() {
    return interrupted.load();
}

}  // namespace valdro::cli

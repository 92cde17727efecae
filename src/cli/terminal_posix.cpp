#include <signal.h>
#include <unistd.h>

#include <csignal>

#include "cli/terminal.h"

namespace valdro::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

int Descriptor(StdStream stream) {
    return stream == StdStream::Out ? STDOUT_FILENO : STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StdStream stream) {
    return ::isatty(Descriptor(stream)) == 1;
}

bool ColourTerminal(StdStream stream) {
    return IsTerminal(stream);
}

void InstallInterruptHandler() {
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

bool Interrupted() {
    return interrupted != 0;
}

}  // namespace valdro::cli

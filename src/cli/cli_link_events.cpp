#include "cli/cli_link_events.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

namespace valdro::cli {
namespace {
volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) {
    interrupted = 1;
}
constexpr int kBarWidth = 40;
}  // namespace

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

CliLinkEvents::CliLinkEvents() : progressOnTerminal_(::isatty(STDERR_FILENO) == 1) {}

void CliLinkEvents::EndProgressLine() {
    if (progressShown_) {
        std::fputc('\n', stderr);
        progressShown_ = false;
    }
}

void CliLinkEvents::LinkFailed(const LinkError& error) {
    EndProgressLine();
    lastFailure_ = error;
    std::cerr << "valdrometrica-cli: " << LinkFailureText(error.failure) << '\n';
}

void CliLinkEvents::DownloadComplete() {
    EndProgressLine();
    completed_ = true;
    std::cerr << kDownloadCompleteText << '\n';
}

const LinkError* CliLinkEvents::CannotFind() const {
    return lastFailure_ && lastFailure_->failure == LinkFailure::CannotFind ? &*lastFailure_
                                                                            : nullptr;
}

void CliLinkEvents::DownloadProgress(int done, int total) {
    if (!progressOnTerminal_ || total <= 0) {
        return;
    }
    const int filled = done * kBarWidth / total;
    char bar[kBarWidth + 1];
    for (int i = 0; i < kBarWidth; ++i) {
        bar[i] = i < filled ? '#' : '.';
    }
    bar[kBarWidth] = '\0';
    std::fprintf(stderr, "\rDownloading [%s] %3d/%d", bar, done, total);
    std::fflush(stderr);
    progressShown_ = true;
}

}  // namespace valdro::cli

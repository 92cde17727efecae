#include "cli/cli_link_ui.h"

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

CliLinkUi::CliLinkUi(int currentUnit)
    : currentUnit_(currentUnit), progressOnTerminal_(::isatty(STDERR_FILENO) == 1) {}

void CliLinkUi::EndProgressLine() {
    if (progressShown_) {
        std::fputc('\n', stderr);
        progressShown_ = false;
    }
}

void CliLinkUi::ShowError(const std::string& text) {
    EndProgressLine();
    failed_ = true;
    lastError_ = text;
    std::cerr << "valdrometrica-cli: " << text << '\n';
}

void CliLinkUi::ShowInformation(const std::string& text) {
    EndProgressLine();
    lastInformation_ = text;
    std::cerr << text << '\n';
}

void CliLinkUi::DownloadProgress(int done, int total) {
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

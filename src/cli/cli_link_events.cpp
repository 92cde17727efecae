#include "cli/cli_link_events.h"

#include <cstdio>
#include <iostream>

#include "cli/terminal.h"

namespace valdro::cli {
namespace {
constexpr int kBarWidth = 40;
}  // namespace

CliLinkEvents::CliLinkEvents() : progressOnTerminal_(IsTerminal(StdStream::Err)) {}

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

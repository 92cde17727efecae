#pragma once
// The engine's user side on a terminal: messages go to stderr, a download shows a
// progress bar on stderr when it is a terminal, and the status page calls are
// left to the status command.

#include <string>

#include "device/link_ui.h"

namespace valdro::cli {

class CliLinkUi : public LinkUi {
  public:
    explicit CliLinkUi(int currentUnit = 0);

    void ShowError(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    int CurrentUnit() const override { return currentUnit_; }
    void StatusPageReset() override {}
    void StatusPageConnected() override {}
    void PaintStatus(const StatusRecord&) override {}
    void SetStatusRowTitles(int, const std::array<std::string, 9>&) override {}
    void DownloadProgress(int done, int total) override;

    bool Failed() const { return failed_; }
    const std::string& LastError() const { return lastError_; }
    const std::string& LastInformation() const { return lastInformation_; }

  private:
    void EndProgressLine();

    int currentUnit_;
    bool progressOnTerminal_;
    bool progressShown_ = false;
    bool failed_ = false;
    std::string lastError_;
    std::string lastInformation_;
};

// Ctrl-C: the handler only raises a flag; the owner loop's tick looks at it.
void InstallInterruptHandler();
bool Interrupted();

}  // namespace valdro::cli

#pragma once
// The engine's events on a terminal: failures and "Download Complete" go to
// stderr, a download shows a progress bar on stderr when it is a terminal, and the
// status events are left to the status command.

#include <optional>
#include <string>

#include "device/link_events.h"

namespace valdro::cli {

class CliLinkEvents : public LinkEvents {
  public:
    CliLinkEvents();

    void MonitoringStarted() override {}
    void MonitoringStopped() override {}
    void StatusReceived(const StatusRecord&) override {}
    void UnitNamesReceived(NameRows, const std::array<std::string, 9>&) override {}
    void DownloadProgress(int done, int total) override;
    void DownloadComplete() override;
    void LinkFailed(const LinkError& error) override;

    bool Failed() const { return lastFailure_.has_value(); }
    bool Completed() const { return completed_; }
    // The last failure when it was "Cannot find ORVELIX", else null.
    const LinkError* CannotFind() const;

  private:
    void EndProgressLine();

    bool progressOnTerminal_;
    bool progressShown_ = false;
    bool completed_ = false;
    std::optional<LinkError> lastFailure_;
};

}  // namespace valdro::cli

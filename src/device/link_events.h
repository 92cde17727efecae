#pragma once
// What the protocol engine tells whoever follows the link: the window, the
// command-line tool or a test. Every call comes on the engine's owner thread.
// LinkFailed and DownloadComplete are the modal moments: the engine goes on only
// once they have returned, so a listener that waits for the user holds the link
// (and the receive thread, when they come from a report) until then.

#include <array>
#include <string>
#include <string_view>

#include "device/link_failure.h"
#include "device/status_record.h"

namespace valdro {

// Which unit names arrived: the one unit that reports itself, or all nine.
enum class NameRows { SingleUnit = 1, AllUnits = 2 };

inline constexpr std::string_view kDownloadCompleteText = "Download Complete";

class LinkEvents {
  public:
    virtual ~LinkEvents() = default;

    // Status monitoring began: a poll follows every second.
    virtual void MonitoringStarted() = 0;
    // Status monitoring ended: no further polls.
    virtual void MonitoringStopped() = 0;
    // A status record arrived.
    virtual void StatusReceived(const StatusRecord& record) = 0;
    // Unit names arrived: names[0] for SingleUnit, names[0..8] for AllUnits. The
    // names are 8-bit text as the unit sent it (Windows-1252), 30 characters at most.
    virtual void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) = 0;

    // Reports of the running download acknowledged so far, out of total (109 or 11).
    virtual void DownloadProgress(int /*done*/, int /*total*/) {}
    // The running download was given up without a word to the user: a status
    // connection took the link over.
    virtual void DownloadAbandoned() {}
    // The unit acknowledged the download's end. Returns once the user has taken note.
    virtual void DownloadComplete() = 0;
    // A failure the user must hear of. Returns once the user has taken note.
    virtual void LinkFailed(const LinkError& error) = 0;
};

}  // namespace valdro

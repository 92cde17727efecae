#pragma once
// What the protocol engine needs of whoever shows it: the window, the command-line
// tool or a test. Every call comes on the engine's owner thread.

#include <array>
#include <string>

#include "device/hid_report.h"
#include "device/status_record.h"

namespace valdro {

class LinkUi {
  public:
    virtual ~LinkUi() = default;

    // Modal error box with one OK button; returns once the user has closed it.
    virtual void ShowError(const std::string& text) = 0;
    // Modal information box with one OK button ("Download Complete").
    virtual void ShowInformation(const std::string& text) = 0;

    // The UnitIndex whose tab is on screen; download steps read it when they run.
    virtual int CurrentUnit() const = 0;

    // Status page: caption "Connect", grids and labels hidden.
    virtual void StatusPageReset() = 0;
    // Status page: caption "Disconnect", grids and labels shown.
    virtual void StatusPageConnected() = 0;
    // Paint one status record into the grids (one row or nine).
    virtual void PaintStatus(const StatusRecord& record) = 0;
    // which = 1: row 1's title from names[0]; 2: rows 1..9 from names[0..8]; else nothing.
    virtual void SetStatusRowTitles(int which, const std::array<std::string, 9>& names) = 0;

    // Download progress: reports acknowledged so far out of the total (109 or 11).
    virtual void DownloadProgress(int /*done*/, int /*total*/) {}
};

// Carries a received report from the receive thread to the owner thread.
// Post() is called on the receive thread and must arrange, without blocking, for
// ProtocolEngine::DeliverPendingReport() to run on the owner thread.
class OwnerThreadPoster {
  public:
    virtual ~OwnerThreadPoster() = default;
    virtual void Post() = 0;
};

}  // namespace valdro

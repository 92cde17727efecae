// The 50 ms tick: the reply watchdog first, then the status poll.

#include "device/protocol_engine.h"
#include "device/unit_identity.h"

namespace valdro {

// Driven by the window's Timer1Timer.
void ProtocolEngine::Tick() {
    if (replyCountdown_ != 0 && --replyCountdown_ == 0) {
        linkState_ = LinkState::Idle;
        // The window's message box runs a nested event loop in which ticks go on: a
        // poll may send again and time out again meanwhile, but one box at a time
        // is enough.
        if (!reportingLostComms_) {
            reportingLostComms_ = true;
            Fail(LinkFailure::LostComms);
            reportingLostComms_ = false;
            statusPollCountdown_ = 0;
            // A poll that ran while the box was open may still await its reply; with
            // polling now stopped it would only bring the same message again.
            if (IsStatus(linkState_)) {
                replyCountdown_ = 0;
                linkState_ = LinkState::Idle;
            }
            // Polling has stopped: the page says so rather than offering "Disconnect".
            if (monitoring_) {
                StopMonitoring();
            }
        }
    }

    if (statusPollCountdown_ != 0 && --statusPollCountdown_ == 0) {
        if (!channelOpen_) {
            // Only the application unit; a poll shows no messages.
            OpenDevice(kApplicationFragment);
        }
        if (channelOpen_) {
            SendIdentify();
            linkState_ = LinkState::StatusIdentity;
            statusPollCountdown_ = kPollTicks;
        } else {
            StopMonitoring();
        }
    }
}

}  // namespace valdro

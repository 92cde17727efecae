// The 50 ms tick: the reply watchdog first, then the status poll.

#include "device/download_layouts.h"
#include "device/protocol_engine.h"

namespace valdro {

void ProtocolEngine::Timer1Timer() {
    if (replyCountdown_ != 0 && --replyCountdown_ == 0) {
        linkState_ = 0;
        // The box runs a nested event loop in which ticks go on: a poll may send
        // again and time out again meanwhile, but one box at a time is enough.
        if (!lostCommsShown_) {
            lostCommsShown_ = true;
            ui_.ShowError(link_message::kLostComms);
            lostCommsShown_ = false;
            statusPollCountdown_ = 0;
            // A poll that ran while the box was open may still await its reply; with
            // polling now stopped it would only bring the same message again.
            if (linkState_ >= 19) {
                replyCountdown_ = 0;
                linkState_ = 0;
            }
            // Polling has stopped: the page says so rather than offering "Disconnect".
            if (monitoring_) {
                ResetStatusPage();
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
            linkState_ = 19;
            statusPollCountdown_ = kPollTicks;
        } else {
            ResetStatusPage();
        }
    }
}

}  // namespace valdro

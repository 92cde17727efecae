// The configuration download: link states 1 to 18, one report per acknowledgement.

#include "device/download_layouts.h"
#include "device/protocol_engine.h"

namespace valdro {
namespace {
int DownloadTotal(int currentUnit) {
    return currentUnit == 0 ? layout::kMasterDownloadReports : layout::kSlaveDownloadReports;
}
}  // namespace

void ProtocolEngine::StartDownload() {
    if (!FindMaster()) {
        return;
    }
    downloadReplies_ = 0;
    downloadTotal_ = DownloadTotal(ui_.CurrentUnit());
    SendIdentify();
    linkState_ = 1;
}

void ProtocolEngine::SendBlock(std::uint8_t code) {
    tx_[0] = 0;
    tx_[1] = code;
    tx_[2] = blockNumber_;
    SendReport();
}

void ProtocolEngine::NoteDownloadReply() {
    ++downloadReplies_;
    ui_.DownloadProgress(downloadReplies_, downloadTotal_);
}

void ProtocolEngine::DownloadStep() {
    const ConfigSet& c = config_;
    if (linkState_ == 1) {
        if (!IdentityMatches()) {
            RejectIdentity();
            return;
        }
        NoteDownloadReply();
        blockNumber_ = 0;
        unitCounter_ = 0;
        replyCountdown_ = kReplyTicks;
        SendCommand(cmd::BeginDownload);
        linkState_ = 2;
        return;
    }

    NoteDownloadReply();
    if (linkState_ == 17) {
        replyCountdown_ = 0;
        ui_.ShowInformation(link_message::kDownloadComplete);
        linkState_ = 0;
        return;
    }

    replyCountdown_ = kReplyTicks;
    // Each case lays its data into the shared buffer, sends, and names the next step.
    switch (linkState_) {
        case 2:
            layout::SettingsOfUnit(tx_, c, ui_.CurrentUnit());
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = 3;
            break;
        case 3:
            layout::SlaveAddresses(tx_, c);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = 4;
            break;
        case 4:
            blockNumber_ = 1;
            layout::OutputLatches(tx_, c);
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = 5;
            break;
        case 5:
            unitCounter_ = 0;
            layout::ResetTables(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = 6;
            break;
        case 6:
            blockNumber_ = 2;
            layout::ResetTables(tx_, c, unitCounter_);
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = 7;
            break;
        case 7:
            blockNumber_ = 2;
            layout::ResetTables(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = 8;
            break;
        case 8:
            blockNumber_ = 3;
            layout::NameOfUnit(tx_, c, ui_.CurrentUnit());
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = 9;
            break;
        case 9: {
            layout::NameFiller(tx_);
            SendBlock(cmd::BlockSecondHalf);
            blockNumber_ = 4;
            const int unit = ui_.CurrentUnit();
            downloadTotal_ = DownloadTotal(unit);
            if (unit != 0) {
                linkState_ = 16;
            } else {
                unitCounter_ = 1;
                linkState_ = 10;
            }
            break;
        }
        case 10:
            layout::SlaveName(tx_, c, unitCounter_);
            SendBlock(cmd::BlockFirstHalf);
            ++unitCounter_;
            linkState_ = 11;
            break;
        case 11:
            layout::SlaveName(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            ++unitCounter_;
            ++blockNumber_;
            if (unitCounter_ == 9) {
                unitCounter_ = 1;
                linkState_ = 12;
            } else {
                linkState_ = 10;
            }
            break;
        case 12:
            layout::SlaveUrl(tx_, c, unitCounter_);
            SendBlock(cmd::BlockFirstHalf);
            ++unitCounter_;
            linkState_ = 13;
            break;
        case 13:
            layout::SlaveUrl(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            ++unitCounter_;
            ++blockNumber_;
            if (unitCounter_ == 9) {
                unitCounter_ = 0;
                sourceCounter_ = 0;
                linkState_ = 14;
            } else {
                linkState_ = 12;
            }
            break;
        case 14:
        case 15: {
            const bool firstHalf = linkState_ == 14;
            layout::InputMapSlice(tx_, c, unitCounter_, sourceCounter_);
            SendBlock(firstHalf ? cmd::BlockFirstHalf : cmd::BlockSecondHalf);
            if (++sourceCounter_ == 9) {
                sourceCounter_ = 0;
                ++unitCounter_;
            }
            if (firstHalf) {
                linkState_ = unitCounter_ >= 9 ? 18 : 15;
            } else {
                ++blockNumber_;
                linkState_ = 14;
            }
            break;
        }
        case 18:
            layout::LastBlockFiller(tx_);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = 16;
            break;
        case 16:
            replyCountdown_ = kReplyTicks;
            SendCommand(cmd::EndDownload);
            linkState_ = 17;
            break;
    }
}

}  // namespace valdro

// The configuration download: the download states of the link, one report per
// acknowledgement.

#include "device/download_layouts.h"
#include "device/protocol_engine.h"

namespace valdro {
namespace {
int DownloadTotal(int currentUnit) {
    return currentUnit == 0 ? layout::kMasterDownloadReports : layout::kSlaveDownloadReports;
}
}  // namespace

// Driven by the window's DownloadButtonClick, after ResetStatusPage and StorePage.
void ProtocolEngine::StartDownload(const ConfigSet& config, int unit) {
    if (!FindMaster()) {
        return;
    }
    // Editing, loading or switching units while it runs must not mix two
    // configurations in the unit: the download sends this copy.
    downloadSet_ = config;
    downloadUnit_ = unit;
    downloadReplies_ = 0;
    downloadTotal_ = DownloadTotal(unit);
    SendIdentify();
    linkState_ = LinkState::DownloadIdentity;
}

void ProtocolEngine::SendBlock(std::uint8_t code) {
    tx_[0] = 0;
    tx_[1] = code;
    tx_[2] = blockNumber_;
    SendReport();
}

void ProtocolEngine::NoteDownloadReply() {
    ++downloadReplies_;
    events_.DownloadProgress(downloadReplies_, downloadTotal_);
}

void ProtocolEngine::DownloadStep() {
    const ConfigSet& c = downloadSet_;
    if (linkState_ == LinkState::DownloadIdentity) {
        if (!IdentityMatches()) {
            RejectIdentity();
            return;
        }
        NoteDownloadReply();
        blockNumber_ = 0;
        unitCounter_ = 0;
        replyCountdown_ = kReplyTicks;
        SendCommand(cmd::BeginDownload);
        linkState_ = LinkState::BeginDownloadAck;
        return;
    }

    NoteDownloadReply();
    if (linkState_ == LinkState::EndDownloadAck) {
        replyCountdown_ = 0;
        events_.DownloadComplete();
        linkState_ = LinkState::Idle;
        return;
    }

    replyCountdown_ = kReplyTicks;
    using enum valdro::LinkState;
    // Each case lays its data into the shared buffer, sends, and names the next step.
    switch (linkState_) {
        case BeginDownloadAck:
            layout::SettingsOfUnit(tx_, c, downloadUnit_);
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = SettingsAck;
            break;
        case SettingsAck:
            layout::SlaveAddresses(tx_, c);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = SlaveAddressesAck;
            break;
        case SlaveAddressesAck:
            blockNumber_ = 1;
            layout::OutputLatches(tx_, c);
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = LatchesAck;
            break;
        case LatchesAck:
            unitCounter_ = 0;
            layout::ResetTables(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = ResetsOfUnits0To2Ack;
            break;
        case ResetsOfUnits0To2Ack:
            blockNumber_ = 2;
            layout::ResetTables(tx_, c, unitCounter_);
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = ResetsOfUnits3To5Ack;
            break;
        case ResetsOfUnits3To5Ack:
            blockNumber_ = 2;
            layout::ResetTables(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = ResetsOfUnits6To8Ack;
            break;
        case ResetsOfUnits6To8Ack:
            blockNumber_ = 3;
            layout::NameOfUnit(tx_, c, downloadUnit_);
            SendBlock(cmd::BlockFirstHalf);
            linkState_ = DeviceNameAck;
            break;
        case DeviceNameAck:
            layout::NameFiller(tx_);
            SendBlock(cmd::BlockSecondHalf);
            blockNumber_ = 4;
            if (downloadUnit_ != 0) {
                linkState_ = BeforeEndDownloadAck;
            } else {
                unitCounter_ = 1;
                linkState_ = BeforeSlaveNameAck;
            }
            break;
        case BeforeSlaveNameAck:
            layout::SlaveName(tx_, c, unitCounter_);
            SendBlock(cmd::BlockFirstHalf);
            ++unitCounter_;
            linkState_ = SlaveNameAck;
            break;
        case SlaveNameAck:
            layout::SlaveName(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            ++unitCounter_;
            ++blockNumber_;
            if (unitCounter_ == 9) {
                unitCounter_ = 1;
                linkState_ = BeforeSlaveUrlAck;
            } else {
                linkState_ = BeforeSlaveNameAck;
            }
            break;
        case BeforeSlaveUrlAck:
            layout::SlaveUrl(tx_, c, unitCounter_);
            SendBlock(cmd::BlockFirstHalf);
            ++unitCounter_;
            linkState_ = SlaveUrlAck;
            break;
        case SlaveUrlAck:
            layout::SlaveUrl(tx_, c, unitCounter_);
            SendBlock(cmd::BlockSecondHalf);
            ++unitCounter_;
            ++blockNumber_;
            if (unitCounter_ == 9) {
                unitCounter_ = 0;
                sourceCounter_ = 0;
                linkState_ = BeforeMapSliceAck;
            } else {
                linkState_ = BeforeSlaveUrlAck;
            }
            break;
        case BeforeMapSliceAck:
        case MapSliceAck: {
            const bool firstHalf = linkState_ == BeforeMapSliceAck;
            layout::InputMapSlice(tx_, c, unitCounter_, sourceCounter_);
            SendBlock(firstHalf ? cmd::BlockFirstHalf : cmd::BlockSecondHalf);
            if (++sourceCounter_ == 9) {
                sourceCounter_ = 0;
                ++unitCounter_;
            }
            if (firstHalf) {
                linkState_ = unitCounter_ >= 9 ? LastMapSliceAck : MapSliceAck;
            } else {
                ++blockNumber_;
                linkState_ = BeforeMapSliceAck;
            }
            break;
        }
        case LastMapSliceAck:
            layout::LastBlockFiller(tx_);
            SendBlock(cmd::BlockSecondHalf);
            linkState_ = BeforeEndDownloadAck;
            break;
        case BeforeEndDownloadAck:
            SendCommand(cmd::EndDownload);
            linkState_ = EndDownloadAck;
            break;
        default:
            break;  // the states above are all a download awaits
    }
}

}  // namespace valdro

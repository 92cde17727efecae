// Finding the unit among the HID interfaces present and opening the channel.

#include "device/hardware_id.h"
#include "device/protocol_engine.h"
#include "device/receive_thread.h"
#include "device/unit_identity.h"

namespace valdro {

void ProtocolEngine::SetDevicePath(std::string path) {
    devicePath_ = std::move(path);
}

void ProtocolEngine::ReleaseChannel() {
    // The receive thread may wait in a hand-off or a read: release it, join it,
    // and only then close the handles it used.
    if (handOff_) {
        handOff_->Cancel();
    }
    comms_.reset();
    readHandle_.reset();
    writeHandle_.reset();
}

void ProtocolEngine::OpenDevice(std::string_view fragment) {
    if (channelOpen_) {
        return;  // the open channel is used as it is
    }
    for (const HidInterfaceInfo& info : platform_.Enumerate()) {
        if (!devicePath_.empty() && info.path != devicePath_) {
            continue;
        }
        // ASCII letters only: the window sets the user's locale, and a locale whose
        // lower case of 'I' is not 'i' must not hide the unit.
        if (!HardwareIdContains(FirstHardwareId(info.hardwareId), fragment)) {
            continue;
        }
        // The first match ends the search, whether or not it opens. Whatever is
        // left of a dropped channel goes first: its thread has ended or is ending.
        ReleaseChannel();
        OpenError error = OpenError::Other;  // unless the platform says more
        writeHandle_ = platform_.Open(info.path, nullptr);
        readHandle_ = platform_.Open(info.path, &error);
        if (!readHandle_) {
            // Kept so that "Cannot find ORVELIX" can say why a listed unit was not used.
            lastOpenFailure_ = OpenFailure{info.path, error};
            writeHandle_.reset();
            return;
        }
        channelPath_ = info.path;
        channelOpen_.store(true);
        if (handOff_) {
            handOff_->Reset();
            comms_ = std::make_unique<Port1Comms>(
                *readHandle_, *handOff_, channelOpen_,
                [this](std::string_view reason) { TraceReadFailure(reason); });
        }
        return;
    }
}

bool ProtocolEngine::FindMaster() {
    lastOpenFailure_.reset();
    if (!channelOpen_) {
        OpenDevice(kApplicationFragment);
    }
    if (!channelOpen_) {
        OpenDevice(kProgramModeFragment);
        if (channelOpen_) {
            Fail(LinkFailure::ProgramMode);
            return false;
        }
    }
    if (!channelOpen_) {
        OpenDevice(kAnyRevisionFragment);
    }
    if (!channelOpen_) {
        events_.LinkFailed(LinkError{LinkFailure::CannotFind, lastOpenFailure_});
        return false;
    }
    return true;
}

}  // namespace valdro

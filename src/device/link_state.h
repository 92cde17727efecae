#pragma once
// What the next report from the unit means. The numbers are the protocol's own
// (traces and notes from the field count with them): 0 is idle, 1 to 18 are the
// download, 19 to 22 the status exchange. Each download state is named for the
// acknowledgement it awaits, that is, for the report just sent.

namespace valdro {

enum class LinkState : int {
    Idle = 0,                   // nothing awaited; a report now is ignored
    DownloadIdentity = 1,       // the identity reply to the download's Identify
    BeginDownloadAck = 2,       // BeginDownload
    SettingsAck = 3,            // block 0, first half: the unit's settings (layout A)
    SlaveAddressesAck = 4,      // block 0, second half: the Slaves' addresses and ports (B)
    LatchesAck = 5,             // block 1, first half: the output latches (C)
    ResetsOfUnits0To2Ack = 6,   // block 1, second half: the reset inputs of units 0..2 (D)
    ResetsOfUnits3To5Ack = 7,   // block 2, first half: units 3..5
    ResetsOfUnits6To8Ack = 8,   // block 2, second half: units 6..8
    DeviceNameAck = 9,          // block 3, first half: the unit's own name (E)
    BeforeSlaveNameAck = 10,    // a second half (block 3's filler or an even Slave's name);
                                // a Slave's name goes into the next first half
    SlaveNameAck = 11,          // a Slave's name in a first half (F)
    BeforeSlaveUrlAck = 12,     // a second half (Slave 8's name or an even Slave's URL)
    SlaveUrlAck = 13,           // a Slave's URL in a first half (G)
    BeforeMapSliceAck = 14,     // a second half (Slave 8's URL or an input-map slice)
    MapSliceAck = 15,           // an input-map slice in a first half (H)
    BeforeEndDownloadAck = 16,  // the last filler (block 3's for a Slave, block 52's for the
                                // Master); EndDownload follows
    EndDownloadAck = 17,        // EndDownload: the download is complete
    LastMapSliceAck = 18,       // slice 80 in block 52's first half; the last filler follows
    StatusIdentity = 19,        // the identity reply to a connect's or a poll's Identify
    StatusReply = 20,           // GetStatus
    UnitNameReply = 21,         // GetUnitName: one of the nine names
    OwnNameReply = 22,          // GetOwnName
};

// States 1 to 18: a download awaits its next reply.
constexpr bool IsDownload(LinkState s) {
    return s >= LinkState::DownloadIdentity && s <= LinkState::LastMapSliceAck;
}
// States 19 to 22: a status exchange awaits its next reply.
constexpr bool IsStatus(LinkState s) {
    return s >= LinkState::StatusIdentity && s <= LinkState::OwnNameReply;
}

}  // namespace valdro

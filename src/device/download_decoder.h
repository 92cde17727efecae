#pragma once
// The unit's side of a configuration download: the block halves it received,
// and how they are read back into a configuration. The simulated unit keeps its
// configuration this way, so a download can be checked against the set it came from.

#include <array>
#include <bitset>
#include <cstddef>

#include "config/config_set.h"
#include "device/hid_report.h"

namespace valdro {

inline constexpr int kDownloadBlockCount = 53;  // blocks 0..52 of a Master download
inline constexpr int kSlaveDownloadBlockCount = 4;

// The block halves received between BeginDownload and EndDownload.
class DownloadCapture {
  public:
    void Begin();  // forgets what an earlier, unfinished download left
    // Keeps a BlockFirstHalf or BlockSecondHalf report; false for anything else
    // or a block number beyond the last block.
    bool Record(const HidReport& report);

    bool Has(int block, int half) const;  // half: 0 = first, 1 = second
    const HidReport& Half(int block, int half) const;

    // UnitIndex of block 0's first half (byte 4), or -1 when that half is missing
    // or names no unit.
    int UnitIndex() const;
    // Every half the kind of download (Master or Slave) carries has arrived.
    bool Complete() const;

  private:
    static std::size_t Slot(int block, int half) {
        return std::size_t(block) * 2 + std::size_t(half);
    }
    std::array<HidReport, kDownloadBlockCount * 2> halves_{};
    std::bitset<kDownloadBlockCount * 2> seen_;
};

// Writes what a complete capture carries into the unit's stored configuration.
// A Master download sets every field the report layouts carry; a Slave download
// changes that Slave's own fields only. Fields no layout carries keep their value.
// Returns false (and changes nothing) for an incomplete capture.
bool ApplyDownload(const DownloadCapture& capture, ConfigSet& stored);

}  // namespace valdro

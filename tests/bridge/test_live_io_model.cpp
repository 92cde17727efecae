// The live-I/O model: what each feed changes, the single-unit mapping, the unit
// lost, and that no index outside 0..8 is ever read (here or by the topics).

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "bridge/live_io_model.h"
#include "bridge/mqtt_topics.h"
#include "bridge_records.h"

namespace valdro::bridge {
namespace {

using test::AllUnits;
using test::SingleUnit;

// "u0 live in=ffff out=0001 name state; u3 state" for the units with a change.
std::string Describe(const LiveIoDelta& delta) {
    std::ostringstream s;
    for (std::size_t u = 0; u < kUnitCount; ++u) {
        const UnitDelta& d = delta.units[u];
        if (!d.Any()) {
            continue;
        }
        s << (s.tellp() > 0 ? "; " : "") << "u" << u;
        if (d.liveChanged)
            s << " live";
        if (d.becameKnown)
            s << " first";
        if (d.inputs)
            s << " in=" << std::hex << d.inputs << std::dec;
        if (d.outputs)
            s << " out=" << std::hex << d.outputs << std::dec;
        if (d.nameChanged)
            s << " name";
        if (d.stateChanged)
            s << " state";
    }
    return s.str();
}

struct Step {
    const char* what;
    StatusRecord record;
    bool lose = false;
    UnitNames names = test::Names();
    std::string delta;
    std::uint16_t liveMask;
};

TEST(LiveIoModel, FollowsASequenceOfRecords) {
    UnitNames renamed = test::Names();
    renamed[3] = "Café 2";
    const Step steps[] = {
        {"first record: every state view goes out once, names, known units whole",
         AllUnits({{0, 0x0001, 0x8000}, {3, 0, 0}}), false, test::Names(),
         "u0 live first in=ffff out=ffff name state; u1 name state; u2 state; "
         "u3 live first in=ffff out=ffff name state; u4 state; u5 state; u6 state; u7 state; "
         "u8 name state",
         0x0009},
        {"the same record again changes nothing", AllUnits({{0, 0x0001, 0x8000}, {3, 0, 0}}), false,
         test::Names(), "", 0x0009},
        {"one input and one output of the Master", AllUnits({{0, 0x0003, 0x0000}, {3, 0, 0}}),
         false, test::Names(), "u0 in=2 out=8000 state", 0x0009},
        {"Slave 3 stops reporting: its values stay", AllUnits({{0, 0x0003, 0}}), false,
         test::Names(), "u3 live state", 0x0001},
        {"a name changes while its unit reports nothing", AllUnits({{0, 0x0003, 0}}), false,
         renamed, "u3 name", 0x0001},
        {"Slave 3 back with other inputs: only those bits",
         AllUnits({{0, 0x0003, 0}, {3, 0x0100, 0}}), false, renamed, "u3 live in=100 state",
         0x0009},
        {"Slave 8 appears for the first time", AllUnits({{0, 3, 0}, {3, 0x100, 0}, {8, 0, 0}}),
         false, renamed, "u8 live first in=ffff out=ffff state", 0x0109},
        {"one unit reports itself: it is the Master, the Slaves report nothing",
         SingleUnit(true, 0x0003, 0x0004), false, renamed,
         "u0 out=4 state; u3 live state; "
         "u8 live state",
         0x0001},
        {"the single unit goes offline", SingleUnit(false, 0xFFFF, 0xFFFF), false, renamed,
         "u0 live state", 0x0000},
        {"unit lost: nothing changes that is not live", {}, true, renamed, "", 0x0000},
        {"back in nine-unit mode", AllUnits({{0, 0x0003, 0x0004}}), false, renamed, "u0 live state",
         0x0001},
        {"unit lost while the Master reports", {}, true, renamed, "u0 live state", 0x0000},
    };
    LiveIoModel model;
    std::uint64_t feeds = 0;
    for (const Step& step : steps) {
        const LiveIoDelta delta = step.lose ? model.LoseAll() : model.Feed(step.record, step.names);
        feeds += step.lose ? 0 : 1;
        EXPECT_EQ(Describe(delta), step.delta) << step.what;
        EXPECT_EQ(delta.Any(), !step.delta.empty()) << step.what;
        EXPECT_EQ(model.LiveMask(), step.liveMask) << step.what;
        EXPECT_EQ(model.Feeds(), feeds) << step.what;
    }
    // Last known values survive absence, single-unit mode and the loss.
    EXPECT_EQ(model.Unit(0).inputs, 0x0003);
    EXPECT_EQ(model.Unit(0).outputs, 0x0004);
    EXPECT_EQ(model.Unit(3).inputs, 0x0100);
    EXPECT_TRUE(model.Unit(3).known);
    EXPECT_FALSE(model.Unit(5).known);
    EXPECT_EQ(model.Unit(3).name, "Café 2");
}

TEST(LiveIoModel, UnitIndexOutsideTheSetThrows) {
    LiveIoModel model;
    model.Feed(AllUnits({{0, 1, 1}}), test::Names());
    EXPECT_EQ(UnitSegment(8), "slave8");
    for (const std::size_t bad : {std::size_t{9}, static_cast<std::size_t>(-1)}) {
        EXPECT_THROW(model.Unit(bad), std::out_of_range);
        EXPECT_THROW(UnitSegment(bad), std::out_of_range);
        EXPECT_THROW(StatePayload(model, bad), std::out_of_range);
        EXPECT_THROW(DiscoveryMessages("ha", "p", model, bad), std::out_of_range);
    }
}

}  // namespace
}  // namespace valdro::bridge

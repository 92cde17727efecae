// Finding the unit: fragments in order, first match only, case-insensitive,
// foreign devices skipped, an open channel never searched, a chosen path.

#include <gtest/gtest.h>

#include <clocale>
#include <optional>

#include "engine_rig.h"

namespace valdro {
namespace {

using test::EngineRig;

// FindMaster against the simulated bus: what it opens, says and searches.
struct FindCase {
    const char* name;
    SimulatedFaults faults;
    std::string devicePath;
    bool found;
    std::string error;                     // empty: none
    std::string path;                      // the channel's path afterwards; empty: closed
    int searches;                          // Enumerate() calls
    std::optional<OpenFailure> open = {};  // what "Cannot find" carries
};

class EngineFindMaster : public testing::TestWithParam<FindCase> {};

TEST_P(EngineFindMaster, TriesTheFragmentsInOrder) {
    const FindCase& c = GetParam();
    EngineRig rig(c.faults);
    rig.engine.SetDevicePath(c.devicePath);
    EXPECT_EQ(rig.engine.FindMaster(), c.found);
    EXPECT_EQ(rig.events.errors,
              c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
    EXPECT_EQ(rig.engine.ChannelOpen(), !c.path.empty());
    EXPECT_EQ(rig.engine.ChannelPath(), c.path);
    EXPECT_EQ(rig.platform.EnumerateCount(), c.searches);
    if (!rig.events.failures.empty()) {
        EXPECT_EQ(rig.events.failures.back().open, c.open);
    }
    if (rig.engine.ChannelOpen()) {
        EXPECT_TRUE(rig.engine.FindMaster()) << "the open channel is used as it is";
        EXPECT_EQ(rig.platform.EnumerateCount(), c.searches);
    }
}

const std::string kUnit = kSimUnitPath;
const std::string kBoot = kSimProgramModeUnitPath;

INSTANTIATE_TEST_SUITE_P(
    Buses, EngineFindMaster,
    testing::Values(
        FindCase{"Plain", {}, "", true, "", kUnit, 1},
        FindCase{"ApplicationBeforeProgramModeListedFirst",
                 {.programModeUnitToo = true},
                 "",
                 true,
                 "",
                 kUnit,
                 1},
        FindCase{"ForeignDeviceSkipped", {.foreignDeviceFirst = true}, "", true, "", kUnit, 1},
        FindCase{"ProgramModeOnly",
                 {.programMode = true},
                 "",
                 false,
                 "ORVELIX is in Program Mode",
                 kUnit,
                 2},
        FindCase{"Nothing", {.present = false}, "", false, "Cannot find ORVELIX", "", 3},
        FindCase{"ChosenPathOnly",
                 {.programModeUnitToo = true},
                 kBoot,
                 false,
                 "ORVELIX is in Program Mode",
                 kBoot,
                 2},
        FindCase{"ChosenPathAbsent", {}, "sim:nowhere", false, "Cannot find ORVELIX", "", 3},
        // Listed, but not this user's to open: the failure says where and why.
        FindCase{"AccessDenied",
                 {.accessDenied = true},
                 "",
                 false,
                 "Cannot find ORVELIX",
                 "",
                 3,
                 OpenFailure{kUnit, OpenError::AccessDenied}}),
    [](const auto& info) { return std::string(info.param.name); });

// The window runs in the user's locale. A Turkish 8-bit locale lowers 'I' to a
// dotless i (0xFD), so "VID" would no longer hold "vid" if the locale decided.
TEST(EngineDiscovery, MatchingIgnoresTheUsersLocale) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    for (const char* name : {"tr_TR.ISO-8859-9", "tr_TR.iso88599", "tr_TR"}) {
        if (std::setlocale(LC_CTYPE, name) != nullptr) {
            break;
        }
    }
    EngineRig rig;
    EXPECT_TRUE(rig.engine.FindMaster()) << "locale " << std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, previous.c_str());
}

// A platform that lists what the test says, to check the matching itself.
class ListingPlatform : public HidPlatform {
  public:
    explicit ListingPlatform(SimulatedPlatform& real) : real_(real) {}
    std::vector<HidInterfaceInfo> Enumerate() override { return list; }
    std::unique_ptr<HidHandle> Open(const std::string& path, OpenError* error) override {
        opened.push_back(path);
        return refuse ? nullptr : real_.Open(kSimUnitPath, error);
    }
    std::vector<HidInterfaceInfo> list;
    std::vector<std::string> opened;
    bool refuse = false;

  private:
    SimulatedPlatform& real_;
};

HidInterfaceInfo Listed(std::string path, std::string hardwareId) {
    HidInterfaceInfo i;
    i.path = std::move(path);
    i.hardwareId = std::move(hardwareId);
    return i;
}

struct MatchCase {
    const char* name;
    std::vector<HidInterfaceInfo> list;
    std::string_view fragment;
    std::string opened;  // empty: nothing opened
};

class EngineMatch : public testing::TestWithParam<MatchCase> {};

TEST_P(EngineMatch, OpensTheFirstInterfaceWhoseIdHoldsTheFragment) {
    EngineRig rig;
    ListingPlatform platform(rig.platform);
    platform.list = GetParam().list;
    ProtocolEngine engine(platform, rig.events, rig.poster);
    engine.OpenDevice(GetParam().fragment);
    const std::string& want = GetParam().opened;
    // Two opens of the one path: for writing, then for reading.
    const std::vector<std::string> twice =
        want.empty() ? std::vector<std::string>{} : std::vector<std::string>{want, want};
    EXPECT_EQ(platform.opened, twice);
    EXPECT_EQ(engine.ChannelOpen(), !want.empty());
}

const std::string kApp = "HID\\VID_04D8&PID_FD37&REV_0009";

INSTANTIATE_TEST_SUITE_P(
    Lists, EngineMatch,
    testing::Values(
        MatchCase{"UpperCaseId", {Listed("a", kApp)}, kApplicationFragment, "a"},
        MatchCase{"LowerCaseId",
                  {Listed("a", "hid\\vid_04d8&pid_fd37&rev_0009")},
                  kApplicationFragment,
                  "a"},
        MatchCase{"FirstOfTwo", {Listed("a", kApp), Listed("b", kApp)}, kApplicationFragment, "a"},
        MatchCase{"AnyRevision",
                  {Listed("a", "HID\\VID_04D8&PID_FD37&REV_0005")},
                  kAnyRevisionFragment,
                  "a"},
        MatchCase{"OnlyTheFirstIdString",
                  {Listed("a", std::string("HID\\VID_1234&PID_0001\0", 22) + kApp)},
                  kAnyRevisionFragment,
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The first match ends the search even when it cannot be opened.
TEST(EngineDiscovery, AMatchThatWillNotOpenEndsTheSearch) {
    EngineRig rig;
    ListingPlatform platform(rig.platform);
    platform.list = {Listed("x", kApp), Listed("y", kApp)};
    platform.refuse = true;
    ProtocolEngine engine(platform, rig.events, rig.poster);
    engine.StartDownload(rig.config, 0);
    EXPECT_FALSE(engine.ChannelOpen());
    EXPECT_EQ(platform.opened, (std::vector<std::string>{"x", "x", "x", "x"}))
        << "0009, then any revision";
    EXPECT_EQ(rig.events.errors, std::vector<std::string>{"Cannot find ORVELIX"});
    EXPECT_EQ(rig.events.failures.back().open, (OpenFailure{"x", OpenError::Other}))
        << "a platform that gives no reason";
    EXPECT_EQ(engine.LinkState(), LinkState::Idle);
}

}  // namespace
}  // namespace valdro

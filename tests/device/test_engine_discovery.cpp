// Finding the unit: fragments in order, first match only, case-insensitive,
// foreign devices skipped, an open channel never searched, a chosen path.

#include <gtest/gtest.h>

#include <clocale>

#include "engine_rig.h"

namespace valdro {
namespace {

using test::EngineRig;

TEST(EngineDiscovery, PrefersTheApplicationUnitOverAProgramModeOneListedFirst) {
    SimulatedFaults f;
    f.programModeUnitToo = true;
    EngineRig rig(f);
    EXPECT_TRUE(rig.engine.FindMaster());
    EXPECT_EQ(rig.engine.ChannelPath(), kSimUnitPath);
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(EngineDiscovery, ProgramModeOnlyOpensItAndSaysSo) {
    SimulatedFaults f;
    f.programMode = true;
    EngineRig rig(f);
    EXPECT_FALSE(rig.engine.FindMaster());
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"ORVELIX is in Program Mode"});
    EXPECT_TRUE(rig.engine.ChannelOpen());
    EXPECT_EQ(rig.platform.EnumerateCount(), 2);  // revision 0009, then 0001
    EXPECT_TRUE(rig.engine.FindMaster()) << "the open channel is used as it is";
    EXPECT_EQ(rig.platform.EnumerateCount(), 2);
}

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

TEST(EngineDiscovery, SkipsAForeignDeviceListedFirst) {
    SimulatedFaults f;
    f.foreignDeviceFirst = true;
    EngineRig rig(f);
    EXPECT_TRUE(rig.engine.FindMaster());
    EXPECT_EQ(rig.engine.ChannelPath(), kSimUnitPath);
}

TEST(EngineDiscovery, NothingPresentLeavesTheChannelClosed) {
    SimulatedFaults f;
    f.present = false;
    EngineRig rig(f);
    rig.engine.OpenDevice(kApplicationFragment);
    EXPECT_FALSE(rig.engine.ChannelOpen());
    EXPECT_FALSE(rig.engine.FindMaster());
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Cannot find ORVELIX"});
    EXPECT_EQ(rig.platform.EnumerateCount(), 4);
}

// A platform that lists what the test says, to check the matching itself.
class ListingPlatform : public HidPlatform {
  public:
    explicit ListingPlatform(SimulatedPlatform& real) : real_(real) {}
    std::vector<HidInterfaceInfo> list;
    std::vector<std::string> opened;
    std::vector<HidInterfaceInfo> Enumerate() override { return list; }
    std::unique_ptr<HidHandle> Open(const std::string& path, OpenError* error) override {
        opened.push_back(path);
        return real_.Open(kSimUnitPath, error);
    }

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
    ProtocolEngine engine(platform, rig.ui, rig.config, rig.poster);
    engine.OpenDevice(GetParam().fragment);
    if (GetParam().opened.empty()) {
        EXPECT_TRUE(platform.opened.empty());
        EXPECT_FALSE(engine.ChannelOpen());
    } else {
        // Two opens of the one path: for writing, then for reading.
        EXPECT_EQ(platform.opened,
                  (std::vector<std::string>{GetParam().opened, GetParam().opened}));
        EXPECT_TRUE(engine.ChannelOpen());
        EXPECT_EQ(engine.ChannelPath(), GetParam().opened);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, EngineMatch,
    testing::Values(
        MatchCase{"UpperCaseId",
                  {Listed("a", "HID\\VID_04D8&PID_FD37&REV_0009")},
                  kApplicationFragment,
                  "a"},
        MatchCase{"LowerCaseId",
                  {Listed("a", "hid\\vid_04d8&pid_fd37&rev_0009")},
                  kApplicationFragment,
                  "a"},
        MatchCase{"FirstOfTwo",
                  {Listed("a", "HID\\VID_04D8&PID_FD37&REV_0009"),
                   Listed("b", "HID\\VID_04D8&PID_FD37&REV_0009")},
                  kApplicationFragment,
                  "a"},
        MatchCase{"OtherRevisionSkipped",
                  {Listed("a", "HID\\VID_04D8&PID_FD37&REV_0001"),
                   Listed("b", "HID\\VID_04D8&PID_FD37&REV_0009")},
                  kApplicationFragment,
                  "b"},
        MatchCase{"AnyRevision",
                  {Listed("a", "HID\\VID_04D8&PID_FD37&REV_0005")},
                  kAnyRevisionFragment,
                  "a"},
        MatchCase{"ProgramModeOnlyMatchesItself",
                  {Listed("a", "HID\\VID_04D8&PID_FD37&REV_0009")},
                  kProgramModeFragment,
                  ""},
        MatchCase{
            "OnlyTheFirstIdString",
            {Listed("a",
                    std::string("HID\\VID_1234&PID_0001\0HID\\VID_04D8&PID_FD37&REV_0009", 53))},
            kAnyRevisionFragment,
            ""},
        MatchCase{"Empty", {}, kAnyRevisionFragment, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EngineDiscovery, AChosenPathIsTheOnlyOneThatMatches) {
    SimulatedFaults f;
    f.programModeUnitToo = true;
    EngineRig rig(f);
    rig.engine.SetDevicePath(kSimProgramModeUnitPath);
    EXPECT_FALSE(rig.engine.FindMaster());
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"ORVELIX is in Program Mode"});
    EXPECT_EQ(rig.engine.ChannelPath(), kSimProgramModeUnitPath);

    EngineRig rig2;
    rig2.engine.SetDevicePath("sim:nowhere");
    EXPECT_FALSE(rig2.engine.FindMaster());
    EXPECT_EQ(rig2.ui.errors, std::vector<std::string>{"Cannot find ORVELIX"});
}

TEST(EngineDiscovery, AFailedReadOpenLeavesTheChannelClosed) {
    EngineRig rig;
    class RefusingPlatform : public HidPlatform {
      public:
        std::vector<HidInterfaceInfo> Enumerate() override {
            return {Listed("x", "HID\\VID_04D8&PID_FD37&REV_0009")};
        }
        std::unique_ptr<HidHandle> Open(const std::string&, OpenError* error) override {
            if (error != nullptr) {
                *error = OpenError::PermissionDenied;
            }
            return nullptr;
        }
    } platform;
    ProtocolEngine engine(platform, rig.ui, rig.config, rig.poster);
    engine.StartDownload();
    EXPECT_FALSE(engine.ChannelOpen());
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Cannot find ORVELIX"});
    EXPECT_EQ(engine.LinkState(), 0);
}

}  // namespace
}  // namespace valdro

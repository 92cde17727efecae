// The link against the simulated unit: finding it, connect and poll, names,
// download, and every way they fail, as scripts whose steps say what each must do.

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <map>
#include <sstream>
#include <utility>

#include "engine_rig.h"
#include "support/param_name.h"

namespace valdro {
namespace {

using test::EngineRig;
using namespace std::string_literals;

// A step is a letter and a number n: D download (unit n, default 0), C connect,
// X disconnect, r hand over n replies (default: until idle), t n ticks, U unplug,
// W wait until the receive thread noticed, P plug back in, M/m single-unit mode
// on/off, B use only the program-mode unit's path. Faults from now on: a no unit,
// p program mode, o a foreign device and a program-mode unit listed first, d access
// denied, w wrong identity, s silent after n reports, u unplugged by report n, F none.
struct Script {
    explicit Script(const char* inBox);
    std::string Run(const std::string& script);

    EngineRig rig;
    SimulatedFaults faults;
    bool boxSeen = false;
};

using StepFn = std::function<void(Script&, int)>;

StepFn Fault(std::function<void(SimulatedFaults&, int)> set) {
    return [set](Script& s, int n) {
        set(s.faults, n);
        s.rig.sim.SetFaults(s.faults);
    };
}

const std::map<char, StepFn> kSteps = {
    {'D', [](Script& s, int n) { s.rig.StartDownload(std::max(n, 0)); }},
    {'C', [](Script& s, int) { s.rig.engine.StartMonitoring(); }},
    {'X', [](Script& s, int) { s.rig.engine.StopMonitoring(); }},
    {'r', [](Script& s, int n) { ASSERT_TRUE(s.rig.Deliver(n)); }},
    {'t', [](Script& s, int n) { s.rig.Tick(std::max(n, 1)); }},
    {'U', [](Script& s, int) { s.rig.sim.Unplug(); }},
    {'W', [](Script& s, int) { ASSERT_TRUE(s.rig.WaitChannelDropped()); }},
    {'P', [](Script& s, int) { s.rig.sim.Replug(); }},
    {'M', [](Script& s, int) { s.rig.sim.SetSingleUnitMode(true); }},
    {'m', [](Script& s, int) { s.rig.sim.SetSingleUnitMode(false); }},
    {'B', [](Script& s, int) { s.rig.engine.SetDevicePath(kSimProgramModeUnitPath); }},
    {'a', Fault([](SimulatedFaults& f, int) { f.present = false; })},
    {'p', Fault([](SimulatedFaults& f, int) { f.programMode = true; })},
    {'o',
     Fault([](SimulatedFaults& f, int) { f.foreignDeviceFirst = f.programModeUnitToo = true; })},
    {'d', Fault([](SimulatedFaults& f, int) { f.accessDenied = true; })},
    {'w', Fault([](SimulatedFaults& f, int) { f.wrongIdentity = true; })},
    {'s', Fault([](SimulatedFaults& f, int n) { f.silentAfterReport = n; })},
    {'u', Fault([](SimulatedFaults& f, int n) { f.unplugAtReport = n; })},
    {'F', Fault([](SimulatedFaults& f, int) { f = {}; })},
};

Script::Script(const char* inBox) {
    rig.events.whileBoxOpen = [this, inBox] {
        EXPECT_EQ(rig.engine.ReplyCountdown(), 0) << "the countdown stops before the box";
        rig.events.order.back().append("@").append(
            std::to_string(static_cast<int>(rig.engine.LinkState())));
        if (!std::exchange(boxSeen, true)) {
            Run(inBox);
        }
    };
}

// Runs the steps of a script ("C:... r:...": what follows a step's colon is not
// read) and says what each did, in the same form: a '?' per search of the bus, the
// command bytes sent as letters ("#n" for more than 12), then the events in
// brackets; "-" for nothing.
std::string Script::Run(const std::string& script) {
    std::istringstream steps(script);
    std::string out;
    for (std::string s; steps >> s;) {
        s = s.substr(0, s.find(':'));
        const int searches = rig.platform.EnumerateCount();
        const std::size_t sent = rig.sim.WrittenReportCount();
        const std::size_t events = rig.events.order.size();
        kSteps.at(s[0])(*this, s.size() > 1 ? std::stoi(s.substr(1)) : -1);
        std::string did(static_cast<std::size_t>(rig.platform.EnumerateCount() - searches), '?');
        if (rig.sim.WrittenReportCount() - sent > 12) {
            did.append("#").append(std::to_string(rig.sim.WrittenReportCount() - sent));
        } else {
            const auto written = rig.sim.WrittenReports();
            for (std::size_t i = sent; i < written.size(); ++i) {
                did += static_cast<char>(written[i][1]);
            }
        }
        for (std::size_t e = events; e < rig.events.order.size(); ++e) {
            did += (e == events ? "[" : ",") + rig.events.order[e];
        }
        did += rig.events.order.size() > events ? "]" : did.empty() ? "-" : "";
        out += (out.empty() ? "" : " ") + s + ":" + did;
    }
    return out;
}

struct Scenario {
    const char* what;
    const char* script;
    const char* inBox = "";  // steps taken inside the first box, as its nested loop would
};

class EngineScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(EngineScenario, EachStepDoesWhatItSays) {
    Script script(GetParam().inBox);
    EXPECT_EQ(script.Run(GetParam().script), GetParam().script);
    EXPECT_EQ(script.rig.engine.LinkState(), LinkState::Idle);
    EXPECT_EQ(script.rig.engine.ReplyCountdown(), 0);
}

// Commands: S Identify, A GetStatus, B GetUnitName, C GetOwnName, E BeginDownload,
// d and D the block halves, Z EndDownload. States: 1 the download's identity, 17 its
// EndDownload, 19 the status identity.
INSTANTIATE_TEST_SUITE_P(
    Link, EngineScenario,
    ::testing::Values(
        // Found past other devices listed first; only a chosen path; why it won't open.
        Scenario{"Connect", "o:- C:?S[on] r:ABBBBBBBBB[paint,names9]"},
        // (The simulated bus records only what the application unit is sent.)
        Scenario{"ChosenPath", "o:- B:- C:??[program@0] C:[on] r:[identity@19]"},
        Scenario{"AccessDenied", "d:- C:???[find:denied@0]"},
        // A poll every 20 ticks, names only when the mode changes, under one countdown.
        Scenario{"Polls",
                 "C:?S[on] r:ABBBBBBBBB[paint,names9] t19:- t:S r:A[paint] M:- t20:S "
                 "r:AC[paint,names1] t20:S r:A[paint] m:- t20:S r:ABBBBBBBBB[paint,names9]"},
        Scenario{"NamesShareACountdown", "C:?S[on] r2:AB[paint] t15:- r8:BBBBBBBB t5:[lost@0,off]"},
        Scenario{"WrongIdentityKeepsPolling", "w:- C:?S[on] r:[identity@19] t20:S r:[identity@19]"},
        // Unplugged: the next poll stops monitoring; a message only if a reply was due.
        Scenario{"UnplugWhileIdle",
                 "C:?S[on] r:ABBBBBBBBB[paint,names9] U:- W:- t20:?[off] t100:-"},
        Scenario{"UnplugAwaitingAReply",
                 "s1:- C:?S[on] t5:- r1:A U:- W:- t15:?[off] t4:- t:[lost@0]"},
        // Disconnect with a reply awaited: the exchange still ends, or times out.
        Scenario{"DisconnectAwaitingAReply", "C:?S[on] X:[off] r:ABBBBBBBBB[paint,names9] t100:-"},
        Scenario{"DisconnectFromASilentUnit", "s0:- C:?S[on] X:[off] t19:- t:[lost@0] t100:-"},
        // One box however long it stays open (polls go on inside it), no poll after.
        Scenario{"SilentUnitLongBox", "s0:- C:?S[on] t20:SSSS[lost@0,off] t200:-", "t75"},
        Scenario{"ReplyInsideTheBox",
                 "s0:- C:?S[on] t20:SABBBBBBBBB[lost@0,paint,names9,off] t100:-", "F t20 r"},
        // A box inside a report's hand-off: its poll's reply waits, another box nests.
        Scenario{"NestedBoxes", "w:- C:?S[on] r1:S[identity@19,lost@0,off] r1:- t100:-", "t60"},
        // Connect abandons a download; the acknowledgement on its way fails the check.
        Scenario{"ConnectTakesOver",
                 "D:?S r11:EdDdDdDdDdD C:S[abandoned,on] r2:[identity@19] t20:S "
                 "r:ABBBBBBBBB[paint,names9]"},
        // Downloads: the box ticks on without a send.
        Scenario{"Download", "D:?S r:#108[complete@17] t100:-", "t40"},
        Scenario{"SlaveDownload", "D5:?S r:EdDdDdDdDZ[complete@17]"},
        Scenario{"NoUnit", "a:- D:???[find@0] t100:- C:???[find@0] t100:-"},
        Scenario{"ProgramModeConnect", "p:- C:??[program@0] t100:-"},
        // The program-mode channel stays open for the next click; Identify fails it.
        Scenario{"WrongIdentity", "p:- D:??[program@0] w:- D:S r:[identity@1] t60:-"},
        // Silent or pulled at report n: "Lost comms" 20 ticks after the last report;
        // after a pull the next click searches again.
        Scenario{"SilentAt3", "s2:- D:?S r2:Ed t19:- t:[lost@0]"},
        Scenario{"SilentAt109", "s108:- D:?S r108:#108 t19:- t:[lost@0]"},
        Scenario{"PulledAt1",
                 "u1:- D:?S t19:- t:[lost@0] W:- D:???[find@0] F:- P:- D:?S r:#108[complete@17]"},
        Scenario{"PulledAt109", "u109:- D:?S r108:#108 t19:- t:[lost@0] W:- D:???[find@0]"},
        // A second click restarts at Identify; the acknowledgement on its way fails it.
        Scenario{"SecondClick", "D:?S r40:#40 D:S r:[identity@1] r1:- D:S r:#108[complete@17]"}),
    test::NameFromWhat{});

// Lists interfaces "a", "b", ... with the ids the test gives; every open fails
// without a reason.
class RefusingPlatform : public HidPlatform {
  public:
    std::vector<HidInterfaceInfo> Enumerate() override {
        std::vector<HidInterfaceInfo> list(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) {
            list[i].path = std::string(1, static_cast<char>('a' + i));
            list[i].hardwareId = ids[i];
        }
        return list;
    }
    std::unique_ptr<HidHandle> Open(const std::string& path, OpenError*) override {
        opened.push_back(path);
        return nullptr;
    }
    std::vector<std::string> ids, opened;
};

// Only an interface's first id string counts, in any letter case, whatever the
// user's locale (a Turkish 8-bit one lowers 'I' to a dotless i); the first match
// ends the search even when it will not open (twice: 0009, then any revision), and
// a platform that gives no reason leaves "other".
TEST(EngineDiscovery, TheFirstMatchEndsTheSearch) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    for (const char* name : {"tr_TR.ISO-8859-9", "tr_TR.iso88599", "tr_TR"}) {
        if (std::setlocale(LC_CTYPE, name) != nullptr) {
            break;
        }
    }
    const std::string app = "HID\\VID_04D8&PID_FD37&REV_0009";
    EngineRig rig;
    RefusingPlatform platform;
    platform.ids = {"HID\\VID_1234\0"s + app, app, "hid\\vid_04d8&pid_fd37&rev_0009"};
    ProtocolEngine engine(platform, rig.events, rig.poster);
    EXPECT_FALSE(engine.FindMaster());
    EXPECT_EQ(platform.opened, std::vector<std::string>(4, "b"))
        << std::setlocale(LC_CTYPE, nullptr);
    EXPECT_EQ(rig.events.order, std::vector<std::string>{"find:other"});
    std::setlocale(LC_CTYPE, previous.c_str());
}

// The texts the user reads.
TEST(LinkFailure, Texts) {
    EXPECT_EQ(LinkFailureText(LinkFailure::ProgramMode), "ORVELIX is in Program Mode");
    EXPECT_EQ(LinkFailureText(LinkFailure::CannotFind), "Cannot find ORVELIX");
    EXPECT_EQ(LinkFailureText(LinkFailure::WrongApplication),
              "Application is not a ORVELIX Valdrometrica");
    EXPECT_EQ(LinkFailureText(LinkFailure::LostComms), "Lost comms to ORVELIX");
}

}  // namespace
}  // namespace valdro

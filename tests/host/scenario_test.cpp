// The scenario runner and the panelhost command line: malformed lines and
// failed expectations end the run with FILE:LINE and a reason, never a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "host/core/host_sound.h"
#include "host/core/messages.h"
#include "host/script/scenario.h"
#include "tests/host/test_support.h"
#include "tests/support/run_panelhost.h"

extern GAUGEHDR DisplayGauge;

namespace {

namespace fs = std::filesystem;

std::string WriteScenario(const std::string& name, const std::string& text) {
    const fs::path path = fs::path(::testing::TempDir()) / ("qr_" + name + ".scn");
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

struct BadScenario {
    const char* name;
    const char* text;
    int line;
    const char* message;
};

const BadScenario badScenarios[] = {
    {"unknown_command", "# a comment\n\nfrobnicate 1\n", 3, "unknown command \"frobnicate\""},
    {"huge_integer", "seti 60 99999999999999999999\n", 1, "out of range"},
    {"integer_too_big", "seti 60 2147483648\n", 1, "out of range"},
    {"hex_too_big", "seti 60 0x100000000\n", 1, "out of range"},
    {"token_too_big", "set 99999999999 1\n", 1, "token number out of range"},
    {"not_a_number", "set 60 abc\n", 1, "expected a number, got \"abc\""},
    {"trailing_junk", "set 60 1.5x\n", 1, "expected a number"},
    {"bare_hex", "frame 0x\n", 1, "expected frame count"},
    {"negative_frames", "frame -1\n", 1, "frame count out of range"},
    {"place_nothing", "place\n", 1, "expected \"place GAUGE [as ALIAS] [params TEXT]\""},
    {"place_no_alias", "place Shut_Down as\n", 1, "expected an alias"},
    {"place_junk", "place Shut_Down here\n", 1, "expected \"as ALIAS\" or \"params TEXT\""},
    {"unknown_gauge", "place No_Such_Gauge\n", 1, "no gauge named \"No_Such_Gauge\""},
    {"twice", "place Shut_Down\nplace Shut_Down\n", 2, "already placed"},
    {"no_such_alias", "click Nobody 1 2\n", 1, "no gauge placed as \"Nobody\""},
    {"click_short", "place Shut_Down\nclick Shut_Down 1\n", 2, "expected \"click ALIAS X Y [left|right]\""},
    {"click_button", "place Shut_Down\nclick Shut_Down 1 1 middle\n", 2, "expected left or right"},
    {"click_far", "place Shut_Down\nclick Shut_Down 1 99999999999\n", 2, "pixel coordinate out of range"},
    {"hold_forever", "place Shut_Down\nhold Shut_Down 1 1 99999999\n", 2, "repeat count out of range"},
    {"element_zero", "place Shut_Down\nexpect value Shut_Down 0 0\n", 2, "element number out of range (1 to 1)"},
    {"element_past", "place Shut_Down\nframe\nexpect image Shut_Down 2 0\n", 3, "element number out of range"},
    {"unquoted", "place Shut_Down\nexpect text Shut_Down 1 hello\n", 2, "double quotes"},
    {"event_pair", "expect events 0x1011C\n", 1, "expected EVENT:VALUE, got \"0x1011C\""},
    {"event_value", "expect events 0x1011C:zero\n", 1, "expected event value"},
    {"window_state", "expect window 50 ajar\n", 1, "expected open or closed"},
    {"reactions", "reactions maybe\n", 1, "expected on or off"},
    {"period", "period 0\n", 1, "the period must be positive"},
    {"expect_what", "expect smell Shut_Down 1 burnt\n", 1, "unknown expectation \"smell\""},
    {"expect_bare", "expect\n", 1, "expected \"expect WHAT ...\""},
    {"repair_bare", "repair\n", 1, "expected \"repair KEY\""},
    {"window_shut", "window 3 shut\n", 1, "expected open or closed, got \"shut\""},
    {"sound_loud", "sound loud\n", 1, "expected on or off, got \"loud\""},
    {"expect_short", "place Shut_Down\nexpect value Shut_Down 1\n", 2,
     "expected \"expect value ALIAS ELEMENT NUMBER\""},
    {"binary", "\x01\x02\xff\n", 1, "unknown command"},
    {"events_failed", "place Shut_Down\nset 60 1\nconnect\nexpect events 0x1011C:0\n", 4,
     "expectation failed: events: expected 0x1011C:0, actual 0x1011C:0 0x1011D:0 0x10187:0 0x1018D:0 "
     "0x1012C:0 0x10128:0 0x10129:0"},
    {"value_failed", "place Shut_Down\nframe\nexpect value Shut_Down 1 2\n", 3,
     "expectation failed: value of Shut_Down element 1: expected 2, actual 0"},
    {"window_failed", "expect window 0 open\n", 1, "expected open, actual closed"},
};

TEST(ScenarioErrors, ReportFileLineAndReasonWithExitCodeOne) {
    for (const BadScenario& bad : badScenarios) {
        const std::string path = WriteScenario(bad.name, bad.text);
        const RunResult result = RunPanelhost("--module " + std::string(QR_MODULE_PATH) + " run " + path);
        EXPECT_EQ(result.exitCode, 1) << bad.name << ":\n" << result.output;
        const std::string where = path + ":" + std::to_string(bad.line) + ": ";
        EXPECT_NE(result.output.find(where), std::string::npos) << bad.name << ":\n" << result.output;
        EXPECT_NE(result.output.find(bad.message), std::string::npos) << bad.name << ":\n" << result.output;
    }
}

TEST(PanelhostCommandLine, FilesRunInOrderAndStopAtTheFirstFailure) {
    const std::string good = WriteScenario("good", "place Shut_Down\nconnect\nexpect events none\n");
    const std::string bad = WriteScenario("bad", "expect window 3 open\n");
    const std::string module = "--module " + std::string(QR_MODULE_PATH);
    RunResult both = RunPanelhost(module + " run " + good + " " + good);
    EXPECT_EQ(both.exitCode, 0) << both.output;
    RunResult failing = RunPanelhost(module + " run " + good + " " + bad + " " + good);
    EXPECT_EQ(failing.exitCode, 1);
    EXPECT_NE(failing.output.find(good + ": ok, 1 expectation held"), std::string::npos) << failing.output;
    EXPECT_NE(failing.output.find(bad + ":1: "), std::string::npos) << failing.output;
    RunResult missing = RunPanelhost(module + " run /nonexistent/file.scn");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos);
}

TEST(PanelhostCommandLine, ScenarioFilesThatCannotBeReadAreOneError) {
    const fs::path big = fs::path(::testing::TempDir()) / "qr_big.scn";
    std::ofstream(big, std::ios::binary) << "frame\n";
    fs::resize_file(big, panelhost::maxScenarioBytes + 1);
    const std::pair<std::string, const char*> unreadable[] = {
        {::testing::TempDir(), "is a folder"},
        {big.string(), "larger than"},
#if !defined(_WIN32)
        {"/dev/zero", "not a regular file"},  // would never end
        {"/proc/self/mem", "cannot read"},     // opens, then fails to read
#endif
    };
    for (const auto& [file, message] : unreadable) {
        const RunResult result = RunPanelhost("--module " + std::string(QR_MODULE_PATH) + " run " + file);
        EXPECT_EQ(result.exitCode, 1) << file << ":\n" << result.output;
        EXPECT_NE(result.output.find(message), std::string::npos) << file << ":\n" << result.output;
        EXPECT_EQ(std::count(result.output.begin(), result.output.end(), '\n'), 1) << result.output;
    }
    fs::remove(big);
}

TEST(PanelhostCommandLine, UsageErrorsExitWithTwo) {
    for (const char* arguments : {"", "--bogus run x", "run", "frobnicate", "--module", "gauges extra",
                                  "--period -1 run x", "--module /nonexistent/QR417_Instr.so gauges",
                                  "--module \"\" gauges", "preview Shut_Down -"}) {
        const RunResult result = RunPanelhost(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments << ":\n" << result.output;
    }
    EXPECT_NE(RunPanelhost("").output.find("usage: panelhost"), std::string::npos);
    EXPECT_NE(RunPanelhost("--module /nonexistent/QR417_Instr.so gauges").output.find("cannot load"),
              std::string::npos);
    EXPECT_FALSE(fs::exists("-")) << "preview wrote a file named -";
#if !defined(_WIN32)
    const RunResult escaped = RunPanelhost("\"$(printf 'x\\033[2J\\a')\" run");
    EXPECT_NE(escaped.output.find("unknown command \"x\\x1b[2J\\x07\""), std::string::npos) << escaped.output;
#endif
}

TEST(PanelhostCommandLine, GaugesListsNumberNameAndSize) {
    // The module built beside panelhost, without --module.
    const RunResult result = RunPanelhost("gauges");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(result.output.rfind("  1  Shut_Down", 0), 0u) << result.output;
    EXPECT_NE(result.output.find("  30 mm\n"), std::string::npos) << result.output;
}

class ScenarioTextTest : public ::testing::Test {
protected:
    panelhost::Host host;
    std::ostringstream out, err;
    bool Run(const std::string& text) { return panelhost::RunScenarioText(host, "test.scn", text, out, err); }
};

TEST_F(ScenarioTextTest, MessagesEscapeControlBytesAndStayShort) {
    ASSERT_TRUE(host.Load(QR_MODULE_PATH));
    EXPECT_FALSE(Run("\x1b]0;owned\a 1\n"));
    EXPECT_NE(err.str().find("test.scn:1: unknown command \"\\x1b]0;owned\\x07\""), std::string::npos) << err.str();
    const std::string longWord = "set 60 " + std::string(panelhost::maxScenarioLineBytes - 20, 'x');
    const std::string longLine(10'000'000, 'x');
    for (const std::string& text : {longWord, "echo first\n" + longLine}) {
        err.str("");
        EXPECT_FALSE(Run(text));
        EXPECT_LT(err.str().size(), 2 * panelhost::messageLength) << err.str();
    }
    EXPECT_NE(err.str().find("test.scn:2: line of 10000000 bytes"), std::string::npos) << err.str();
}

TEST_F(ScenarioTextTest, ParamsTakeTheRestOfTheLineVerbatim) {
    ASSERT_TRUE(host.Load(QR_MODULE_PATH));
    ASSERT_TRUE(Run("place Shut_Down as A params o50 # t75 /x 'y  \r\n"
                    "  place Shut_Down as B params\n"
                    "place Shut_Down as C params  spaced\n"
                    "place Shut_Down params as\n"
                    "   # indented comment\n"
                    "expect userdata A 0\n"))
        << err.str();
    EXPECT_STREQ(host.Header("A")->parameters, "o50 # t75 /x 'y  ");
    EXPECT_STREQ(host.Header("B")->parameters, "");
    EXPECT_STREQ(host.Header("C")->parameters, " spaced");
    EXPECT_STREQ(host.Header("Shut_Down")->parameters, "as");
}

TEST_F(ScenarioTextTest, NumbersWithACharacterZeroInsideAreMalformed) {
    ASSERT_TRUE(host.Load(QR_MODULE_PATH));
    using namespace std::string_literals;
    for (const std::string& line : {"set 60 1\0junk"s, "seti 60 5\0"s, "frame 2\0x"s,
                                    "expect value Shut_Down 1 0\0"s}) {
        err.str("");
        EXPECT_FALSE(Run("place Shut_Down\nframe\n" + line + "\n")) << line;
        EXPECT_NE(err.str().find("test.scn:3: expected"), std::string::npos) << err.str();
        host.Kill("Shut_Down");
    }
    EXPECT_EQ(host.Number(60), 0.0);
}

// The key-event log keeps its first events and counts the rest, so a long
// hold cannot fill the memory; a failed expectation names what was dropped
// and prints long lists cut, with where they part.
TEST_F(ScenarioTextTest, LongEventListsAreBoundedAndPrintedCut) {
    ASSERT_TRUE(host.Load(QR_MODULE_PATH));
    EXPECT_FALSE(Run("place Propeller_Switch as PS\n"
                     "hold PS 10 10 100000\nhold PS 10 10 100000\n"
                     "expect events none\n"));
    EXPECT_LE(host.Events().size(), panelhost::maxLoggedEvents);
    const std::string message = err.str();
    EXPECT_NE(message.find("test.scn:4: expectation failed: events: expected none, actual " +
                           std::to_string(panelhost::maxLoggedEvents) + " events: "),
              std::string::npos)
        << message;
    EXPECT_NE(message.find(" more) ..."), std::string::npos) << message;
    EXPECT_NE(message.find("later events not kept"), std::string::npos) << message;
    EXPECT_NE(message.find("first difference at event 1: expected nothing more"), std::string::npos)
        << message;
    EXPECT_LT(message.size(), 1000u);

    // Taking the log starts the count afresh.
    for (std::size_t i = 0; i < panelhost::maxLoggedEvents + 5; ++i) host.TriggerKeyEvent(0x10001, 0);
    EXPECT_EQ(host.DroppedEvents(), 5u);
    EXPECT_EQ(host.TakeEvents().size(), panelhost::maxLoggedEvents);
    EXPECT_EQ(host.DroppedEvents(), 0u);
    host.TriggerKeyEvent(0x10001, 7);
    EXPECT_EQ(host.TakeEvents(), (panelhost::EventList{{0x10001, 7}}));
}

TEST_F(ScenarioTextTest, ElementExpectationsOnASyntheticGauge) {
    TestModule<1> module{{&DisplayGauge}};
    ASSERT_TRUE(module.AttachTo(host));
    const bool ok = Run(
        "place Display as D\n"
        "set 1 15\n"
        "set 3 -1\n"
        "seti 4 0x0\n"
        "set 6 180\n"
        "set 7 30\n"
        "frame 2\n"
        "expect angle D 2 135\n"
        "expect angle D 2 -225\n"
        "expect value D 2 0x0f\n"
        "expect image D 6 -1\n"
        "expect text D 7 \"V=0\"\n"
        "expect shift D 9 0.5 0\n"
        "expect rotation D 10 330\n"
        "expect clock 0.111111111111\n"
        "fail 19\nfail 8\nframe\n"
        "expect hidden D 7\n"
        "repair 8\nframe\n"
        "expect shown D 7\n"
        "atcid  F-BCRV x\n"
        "window 50 open\nexpect window 50 open\n"
        "expect token 6 180\n"
        "expect tokeni 4 0\n"
        "expect events none\n");
    EXPECT_TRUE(ok) << err.str();
    EXPECT_NE(out.str().find("test.scn: ok, 14 expectations held"), std::string::npos) << out.str();
    EXPECT_FALSE(Run("expect angle D 2 136\n"));
    EXPECT_NE(err.str().find("test.scn:1: expectation failed: angle of D element 2: expected 136, actual 135"),
              std::string::npos)
        << err.str();
    host.Unload();  // before the test's module goes away
}

// Too few or too many arguments report the command's own usage, as its row
// in the runner's table gives it, for every command and expectation.
TEST_F(ScenarioTextTest, EveryCommandReportsItsOwnUsage) {
    ASSERT_TRUE(host.Load(QR_MODULE_PATH));
    const std::vector<panelhost::ScenarioCommand> commands = panelhost::ScenarioCommands();
    ASSERT_GE(commands.size(), 39u);
    for (const panelhost::ScenarioCommand& command : commands) {
        EXPECT_EQ(command.usage.rfind(command.name, 0), 0u) << command.usage;
        std::vector<std::size_t> wrongCounts;
        if (command.minArguments > 0) wrongCounts.push_back(command.minArguments - 1);
        if (command.maxArguments != SIZE_MAX) wrongCounts.push_back(command.maxArguments + 1);
        for (const std::size_t count : wrongCounts) {
            std::string line = command.name;
            for (std::size_t i = 0; i < count; ++i) line += " 1";
            err.str("");
            EXPECT_FALSE(Run(line + "\n")) << line;
            EXPECT_EQ(err.str(), "test.scn:1: expected \"" + command.usage + "\"\n") << line;
        }
    }
}

// Played live, a scenario sets the pace of frames the host runs itself:
// lines after `frame N` wait for N frames of the scenario's period on the
// host's clock; echoes are kept, set-up and checks passed over, a failing
// line skipped, and a `sound off` lasts to the end of the file.
TEST_F(ScenarioTextTest, PlayedLiveTheScenarioSetsThePaceAndKeepsItsState) {
    ASSERT_TRUE(host.Load(QR_MODULE_PATH));
    host.SetFramePeriod(0.5);
    panelhost::ScenarioPlayer player(host, "live.scn",
                                     "echo one\n"
                                     "sound off\n"
                                     "expect value Nobody 1 2\n"
                                     "frobnicate\n"
                                     "set 60 1\n"
                                     "frame 2\n"
                                     "echo two\n"
                                     "period 0.25\n"
                                     "frame\n"
                                     "place Battery_Switch as BAT\n"
                                     "click BAT 50 17\n",
                                     0.5);
    player.Play(100);
    EXPECT_EQ(player.TakeEchoes(), std::vector<std::string>{"one"});
    EXPECT_EQ(host.Number(60), 1);
    EXPECT_EQ(host.Clock(), 0);  // no frame run by the scenario
    host.Frame();
    player.Play(100);
    EXPECT_TRUE(player.TakeEchoes().empty());  // one frame of the two
    host.Frame();
    player.Play(100);
    EXPECT_EQ(player.TakeEchoes(), std::vector<std::string>{"two"});
    EXPECT_FALSE(host.Has("BAT"));
    EXPECT_FALSE(player.Finished());
    host.Frame();  // 0.5 s: more than the 0.25 s the last frame line asked for
    player.Play(100);
    EXPECT_TRUE(player.Finished());
    EXPECT_EQ(host.TakeEvents(), (panelhost::EventList{{0x102C1, 0}}));
    // The switch was placed without a sound device and stays silent.
    EXPECT_TRUE(panelhost::HostSoundTakePlays().empty());
    panelhost::HostSoundSetDevice(true);
}

}  // namespace

// Program launching and the system lookups as the rest of the program uses
// them: registry values, WinAce, drive letters, network connections, pointer.
#include "store/ShellExecute.h"
#include "store/SystemLookups.h"

#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"
#include "platform/net/Connections.h"
#include "platform/net/Neighbourhood.h"
#include "platform/process/ProgramLookup.h"
#include "platform/registry/Registry.h"
#include "FakeUiServices.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <unistd.h>

namespace stdfs = std::filesystem;
using namespace qm::store;
using namespace std::string_literals;
namespace reg = qm::registry;

namespace {

double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        stdfs::remove_all(qm::fs::platformDir());
        stdfs::create_directories(qm::fs::platformDir());
        stdfs::create_directories(bin);
    }

    // The Windows form of a host path (C: is the host's root).
    static std::string win(const stdfs::path& p) { return qm::fs::fromNative(p); }

    // A script in the fake PATH that appends its name and arguments to the log.
    void fake(const std::string& name, const std::string& extra = {})
    {
        qm::test::writeFile(bin / name, "#!/bin/sh\n{ echo \"${0##*/}\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } >> '" +
                                            log.string() + "'\n" + extra);
        stdfs::permissions(bin / name, stdfs::perms::owner_all);
    }
    std::string calls() { return stdfs::exists(log) ? qm::test::readFile(log) : ""; }

    qm::test::TempDir tmp{"qm-services"};
    stdfs::path bin = tmp / "bin";
    stdfs::path log = tmp / "calls.log";
    std::string sleepPath = *qm::process::findOnPath("sleep");
    qm::test::ScopedEnv path{"PATH", (tmp / "bin").string()};
    qm::test::ScopedEnv visual{"VISUAL", std::nullopt};
    qm::test::ScopedEnv editor{"EDITOR", std::nullopt};
    qm::ui::FakeUiServices ui;
};

} // namespace

TEST_F(ServicesTest, GetRegValueReadsOnlyTextAndNumbers)
{
    const char* key = R"(Software\Test)";
    reg::setValue(reg::hkey::CurrentUser, key, "Cut", reg::textValue("before\0after"s));
    reg::setValue(reg::hkey::CurrentUser, key, "NoNul", reg::Value{reg::regtype::Sz, "whole buffer"});
    reg::setValue(reg::hkey::CurrentUser, key, "Num", reg::dwordValue(211));
    reg::setValue(reg::hkey::CurrentUser, key, "Neg", reg::dwordValue(0xFFFFFFFEu));
    reg::setValue(reg::hkey::CurrentUser, key, "Short", reg::Value{reg::regtype::Dword, "\x05"s});
    reg::setValue(reg::hkey::CurrentUser, key, "Long", reg::Value{reg::regtype::Dword, "12345678"});
    reg::setValue(reg::hkey::CurrentUser, key, "Exp", reg::textValue("%HOME%", reg::regtype::ExpandSz));
    reg::setValue(reg::hkey::CurrentUser, key, "Bin", reg::Value{reg::regtype::Binary, "ab"});

    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, key, "Cut"), RegValue("before"));
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, key, "NoNul"), RegValue("whole buffer"));
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, R"(SOFTWARE\test)", "num"), RegValue(211));
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, key, "Neg"), RegValue(-2));
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, key, "Short"), RegValue(5));
    for (const char* empty : {"Long", "Exp", "Bin", "Missing"})
        EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, key, empty), RegValue(""s)) << empty;
    EXPECT_EQ(GetRegValue(HKEY_CURRENT_USER, R"(Software\Nothing)", "Num"), RegValue(""s));
    EXPECT_EQ(GetRegValue(0x80000002u, key, "Num"), RegValue(""s)); // another root
    EXPECT_EQ(RegValueText(RegValue(-2)), "-2");
}

TEST_F(ServicesTest, WinAceInfoGivesTextForms)
{
    std::string path = "old", version = "old";
    GetWinAceInfo(path, version);
    EXPECT_EQ(path, "");
    EXPECT_EQ(version, "");
    reg::setValue(reg::hkey::CurrentUser, WinAceKey, "Path", reg::textValue(R"(C:\Ace\winace.exe)"));
    reg::setValue(reg::hkey::CurrentUser, WinAceKey, "Version", reg::dwordValue(211));
    GetWinAceInfo(path, version);
    EXPECT_EQ(path, R"(C:\Ace\winace.exe)");
    EXPECT_EQ(version, "211");
    reg::setValue(reg::hkey::CurrentUser, WinAceKey, "Path", reg::textValue(R"(C:\x)", reg::regtype::ExpandSz));
    reg::setValue(reg::hkey::CurrentUser, WinAceKey, "Version", reg::textValue("2.11"));
    GetWinAceInfo(path, version);
    EXPECT_EQ(path, "");
    EXPECT_EQ(version, "2.11");
}

TEST_F(ServicesTest, NextFreeDriveSkipsEveryUsedLetter)
{
    std::string drives = "[D:]\r\nPath=/tmp\r\nType=cdrom\r\n[E:]\r\nPath=/tmp\r\n";
    qm::test::writeFile(qm::fs::drivesFile(), drives);
    EXPECT_EQ(NextFreeDrive(), "F:\\");
    // A mapped letter counts as used, also where the drive table does not
    // know the connections; so does a drive of unknown type.
    stdfs::create_directories(tmp / "share");
    qm::test::writeFile(qm::net::neighbourhoodFile(), "[\\\\SRV\\s]\r\nPath=" + (tmp / "share").string() + "\r\n");
    ASSERT_EQ(qm::net::addConnection("F:", R"(\\SRV\s)", std::nullopt, std::nullopt, 1), 0);
    drives += "[G:]\r\nPath=/tmp\r\nType=jukebox\r\n";
    qm::test::writeFile(qm::fs::drivesFile(), drives);
    EXPECT_EQ(NextFreeDrive(), "H:\\");
    for (char c = 'H'; c <= 'Z'; ++c)
        drives += "["s + c + ":]\r\nPath=/tmp\r\n";
    qm::test::writeFile(qm::fs::drivesFile(), drives);
    EXPECT_EQ(NextFreeDrive(), ""); // never a letter past Z
}

TEST_F(ServicesTest, MapNetworkDriveUsesTheFirstCharacterAndRemembers)
{
    stdfs::create_directories(tmp / "share");
    qm::test::writeFile(qm::net::neighbourhoodFile(),
                        "[\\\\SRV\\s]\r\nPath=" + (tmp / "share").string() + "\r\nUser=ann\r\nPassword=pw\r\n");
    EXPECT_FALSE(MapNetworkDrive("e", R"(\\SRV\s)", std::nullopt, std::string("ann")));
    EXPECT_FALSE(MapNetworkDrive("e", R"(\\SRV\s)", std::string(""), std::string("ann")));
    EXPECT_TRUE(MapNetworkDrive("e:\\whatever", R"(\\SRV\s)", std::string("pw"), std::string("ann")));
    auto c = qm::net::findConnection('E');
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->persistent);
    EXPECT_FALSE(MapNetworkDrive("E", R"(\\SRV\s)", std::string("pw"), std::string("ann"))); // in use
    EXPECT_FALSE(MapNetworkDrive("", R"(\\SRV\s)", std::string("pw"), std::string("ann")));
    EXPECT_FALSE(MapNetworkDrive("F", R"(\\SRV\none)", std::string("pw"), std::string("ann")));
}

TEST_F(ServicesTest, PointerPairGoesThroughTheWindowRuntime)
{
    BusyPointer(ui);
    BusyPointer(ui);
    EXPECT_TRUE(ui.isBusy());
    NormalPointer(ui);
    EXPECT_FALSE(ui.isBusy());
}

TEST_F(ServicesTest, LaunchProgramKeepsAndReapsItsProcess)
{
    CShellExecute missing(ui);
    EXPECT_FALSE(missing.StillExecuting()); // nothing launched
    EXPECT_EQ(missing.LaunchProgram(0, win(tmp / "WinAce.exe")), 2);
    EXPECT_EQ(missing.launchCode(), 2);
    EXPECT_FALSE(missing.StillExecuting());
    EXPECT_EQ(missing.LaunchProgram(0, ""), 2);
    EXPECT_EQ(missing.LaunchProgram(0, R"(Q:\nodrive\x.exe)"), 3);

    CShellExecute se(ui);
    qm::test::writeProgramUntilReleased(tmp / "waiter", tmp / "release");
    ASSERT_EQ(se.LaunchProgram(0, win(tmp / "waiter") + ".exe", "", "", sw::ShowDefault), -1);
    int pid = se.processId();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(se.StillExecuting());
    qm::test::writeFile(tmp / "release", "");
    EXPECT_TRUE(qm::test::eventually([&] { return !se.StillExecuting(); }));
    EXPECT_FALSE(se.StillExecuting());
    EXPECT_FALSE(stdfs::exists("/proc/" + std::to_string(pid))) << "zombie left";

    // Any other member returns the object to idle, even while the process runs.
    fake("xdg-open");
    ASSERT_EQ(se.LaunchProgram(0, win(sleepPath), "300"), -1); // ended below
    pid = se.processId();
    EXPECT_TRUE(se.StillExecuting());
    EXPECT_EQ(se.LaunchURL(0, "https://example.org"), -1);
    EXPECT_EQ(se.launchCode(), 0);
    EXPECT_FALSE(se.StillExecuting());
    kill(pid, SIGTERM); // the abandoned child is reaped in the background
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(ServicesTest, ShellMembersHandTheirTargetOn)
{
    fake("xdg-open");
    fake("lp");
    stdfs::create_directories(tmp / "Docs");
    qm::test::writeFile(tmp / "Docs/report.txt", "x");
    CShellExecute se(ui);
    EXPECT_EQ(se.LaunchEmail(0, ""), -1);
    EXPECT_EQ(se.LaunchEmail(0, "ann@example.org"), -1);
    EXPECT_EQ(se.LaunchFolder(0, win(tmp / "docs")), -1); // folder names ignore case
    EXPECT_EQ(se.Explore(0, win(tmp / "Docs")), -1);
    EXPECT_EQ(se.PrintDocument(0, win(tmp / "Docs/report.txt")), -1);
    EXPECT_EQ(se.LaunchDocument(0, win(tmp / "Docs/REPORT.TXT"), ""), -1);
    EXPECT_FALSE(se.StillExecuting()); // the opener finished at once: no process to watch
    const std::string docs = (tmp / "Docs").string();
    EXPECT_EQ(calls(), "xdg-open\nmailto:\nxdg-open\nmailto:ann@example.org\nxdg-open\n" + docs + "\nxdg-open\n" + docs +
                           "\nlp\n" + docs + "/report.txt\nxdg-open\n" + docs + "/report.txt\n");
    EXPECT_EQ(se.PrintDocument(0, win(tmp / "Docs/none.txt")), 2);
    EXPECT_EQ(se.Explore(0, win(tmp / "Docs/report.txt")), 31);
    stdfs::remove(bin / "xdg-open");
    EXPECT_EQ(se.LaunchURL(0, "https://example.org"), 31);
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(ServicesTest, RunTimeFailureIsShownUnderTheMembersName)
{
    stdfs::path here = stdfs::current_path();
    stdfs::create_directories(tmp / "gone");
    stdfs::current_path(tmp / "gone");
    stdfs::remove(tmp / "gone");
    CShellExecute se(ui);
    std::int32_t r = se.LaunchProgram(0, R"(sub\prog.exe)");
    stdfs::current_path(here);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(se.StillExecuting());
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].title, "LaunchProgram");
    EXPECT_EQ(ui.boxes()[0].prompt.rfind("Error: 51. ", 0), 0u) << ui.boxes()[0].prompt;
    EXPECT_EQ(ui.boxes()[0].buttons, qm::ui::mb::OKOnly);
}

TEST_F(ServicesTest, WaitingForAProgramSleeps)
{
    // As the WinAce runner waits: StillExecuting and DoEvents in a loop
    // without a pause of its own.
    CShellExecute se(ui);
    double cpu0 = cpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    ASSERT_EQ(se.LaunchProgram(0, win(sleepPath), "1", "", sw::ShowDefault), -1);
    while (se.StillExecuting())
        ui.doEvents();
    auto waited = std::chrono::steady_clock::now() - t0;
    double cpu = cpuSeconds() - cpu0;
    EXPECT_GE(waited, std::chrono::milliseconds(950));
    EXPECT_GT(ui.doEventsCount(), 20);  // the window kept answering
    EXPECT_LT(ui.doEventsCount(), 500); // ... without spinning
    EXPECT_LT(cpu, 0.2) << "the wait kept a processor busy";
}

TEST_F(ServicesTest, RunAndWaitBlocksUntilTheProgramEnds)
{
    auto t0 = std::chrono::steady_clock::now();
    RunAndWait("");
    RunAndWait("NoSuchProgram.exe x");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(200));

    // "Notepad" is the user's editor; the file reaches it as a host path.
    fake("texteditor", "sleep 0.3\n");
    qm::test::ScopedEnv p("PATH", bin.string() + ":" + stdfs::path(sleepPath).parent_path().string());
    qm::test::ScopedEnv v("VISUAL", "texteditor");
    qm::test::writeFile(tmp / "Temp/read me.txt", "x");
    t0 = std::chrono::steady_clock::now();
    RunAndWait("Notepad.exe \"" + win(tmp / "temp/read me.txt") + "\"");
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(280));
    EXPECT_EQ(calls(), "texteditor\n" + (tmp / "Temp/read me.txt").string() + "\n");
}

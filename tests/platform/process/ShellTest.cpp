// Starting, polling, waiting and the shell verbs, with xdg-open, lp and the
// text editor replaced by recording scripts found through PATH.
#include "platform/fs/RtError.h"
#include "platform/process/ProgramLookup.h"
#include "platform/process/RunFromCopy.h"
#include "platform/process/Shell.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

namespace stdfs = std::filesystem;
using namespace qm::process;
using V = std::vector<std::string>;

namespace {

double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

bool processExists(pid_t pid)
{
    return stdfs::exists("/proc/" + std::to_string(pid));
}

V lines(const std::string& text)
{
    V out;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        out.push_back(text.substr(start, nl - start));
        start = nl == std::string::npos ? text.size() : nl + 1;
    }
    return out;
}

class ShellTest : public ::testing::Test {
protected:
    ShellTest()
        : sleepPath(*findOnPath("sleep")), bin(tmp / "bin"), log(tmp / "calls.log"),
          path("PATH", (tmp / "bin").string()), visual("VISUAL", std::nullopt), editor("EDITOR", std::nullopt)
    {
    }

    void SetUp() override { stdfs::create_directories(bin); }

    // A script in the fake PATH that records its name and arguments (one a
    // line, after a "--" line) and ends with `exitCode`.
    std::string fake(const std::string& name, int exitCode = 0, const std::string& extra = {})
    {
        return script(bin / name, exitCode, extra);
    }

    std::string script(const stdfs::path& p, int exitCode = 0, const std::string& extra = {})
    {
        qm::test::writeFile(p, "#!/bin/sh\n{ echo --; echo \"${0##*/}\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } >> '" +
                                   log.string() + "'\n" + extra + "exit " + std::to_string(exitCode) + "\n");
        stdfs::permissions(p, stdfs::perms::owner_all);
        return p.string();
    }

    V calls() { return stdfs::exists(log) ? lines(qm::test::readFile(log)) : V{}; }

    // C:\ is the test folder; any other drive letter is missing.
    PathMapper mapper()
    {
        return [root = tmp.str()](const std::string& p) {
            if (std::toupper(static_cast<unsigned char>(p[0])) != 'C')
                throw qm::RtError(qm::rterr::DeviceUnavailable, "Device unavailable");
            std::string r = root + p.substr(2);
            std::replace(r.begin(), r.end(), '\\', '/');
            return r;
        };
    }

    qm::test::TempDir tmp{"qm-shell"};
    std::string sleepPath;
    stdfs::path bin, log;
    qm::test::ScopedEnv path, visual, editor;
};

} // namespace

TEST_F(ShellTest, MissingProgramsAndFoldersGiveShellCodes)
{
    EXPECT_EQ(shellExecute({"open", (tmp / "nope").string()}).code, shellcode::FileNotFound);
    EXPECT_EQ(shellExecute({"open", (tmp / "no/dir/x.exe").string()}).code, shellcode::PathNotFound);
    EXPECT_EQ(shellExecute({"open", "no-such-program-here.exe"}).code, shellcode::FileNotFound);
    EXPECT_EQ(shellExecute({"open", ""}).code, shellcode::FileNotFound);
    // Windows-form paths: a missing drive is a missing path; without a mapper
    // nothing of that form can be reached.
    EXPECT_EQ(shellExecute({"open", R"(Q:\x\y.exe)"}, mapper()).code, shellcode::PathNotFound);
    EXPECT_EQ(shellExecute({"open", R"(C:\missing.exe)"}, mapper()).code, shellcode::FileNotFound);
    EXPECT_EQ(shellExecute({"open", R"(C:\bin)"}).code, shellcode::PathNotFound);
    EXPECT_EQ(shellExecute({"open", sleepPath, "1", (tmp / "nodir").string()}).code, shellcode::PathNotFound);
    EXPECT_EQ(shellExecute({"frobnicate", sleepPath}).code, shellcode::NoAssociation);
    EXPECT_TRUE(calls().empty());
}

TEST_F(ShellTest, KeptProcessIsPolledAndReaped)
{
    qm::test::writeProgramUntilReleased(tmp / "waiter", tmp / "release");
    ShellRequest rq{"open", (tmp / "waiter").string()};
    rq.keepProcess = true;
    ShellResult r = shellExecute(rq);
    ASSERT_EQ(r.code, shellcode::Success);
    ASSERT_TRUE(r.process.valid());
    pid_t pid = r.process.pid();
    EXPECT_TRUE(r.process.running());
    qm::test::writeFile(tmp / "release", "");
    while (r.process.running(std::chrono::milliseconds(20))) {
    }
    EXPECT_FALSE(r.process.running());
    EXPECT_EQ(r.process.exitCode(), 0);
    EXPECT_FALSE(processExists(pid)) << "ended child left as a zombie";
}

TEST_F(ShellTest, AbandonedChildIsReapedInBackground)
{
    pid_t pid;
    {
        ShellRequest rq{"open", sleepPath, "0.1"};
        rq.keepProcess = true;
        ShellResult r = shellExecute(rq);
        ASSERT_TRUE(r.process.valid());
        pid = r.process.pid();
    }
    EXPECT_TRUE(qm::test::eventually([&] { return !processExists(pid); }));
}

TEST_F(ShellTest, ProgramGetsArgumentsAndStartFolderAndExeRule)
{
    stdfs::create_directories(tmp / "work");
    std::string prog = script(tmp / "tool", 0, "pwd >> '" + log.string() + "'\n");
    ShellRequest rq{"open", prog + ".exe", R"(a "b c" -z"C:\x y\f.txt")", (tmp / "work").string()};
    rq.keepProcess = true;
    ShellResult r = shellExecute(rq);
    ASSERT_EQ(r.code, shellcode::Success);
    r.process.wait();
    // Program arguments are handed over as written: no path mapping.
    EXPECT_EQ(calls(), (V{"--", "tool", "a", "b c", R"(-zC:\x y\f.txt)", (tmp / "work").string()}));

    // As named first: a real "tool.exe" wins over "tool".
    script(tmp / "tool.exe", 0);
    stdfs::remove(log);
    ShellRequest rq2{"open", R"(C:\tool.exe)"};
    rq2.keepProcess = true;
    ShellResult r2 = shellExecute(rq2, mapper());
    ASSERT_EQ(r2.code, shellcode::Success);
    r2.process.wait();
    EXPECT_EQ(calls(), (V{"--", "tool.exe"}));

    // A bare name is found in the start folder, then on PATH.
    fake("onpath");
    ShellRequest rq3{"open", "onpath.exe"};
    rq3.keepProcess = true;
    ShellResult r3 = shellExecute(rq3);
    ASSERT_EQ(r3.code, shellcode::Success);
    r3.process.wait();
    EXPECT_EQ(calls().back(), "onpath");
}

TEST_F(ShellTest, ProgramWithoutExecutePermissionIsOpenedAsDocumentOrDenied)
{
    fake("xdg-open");
    qm::test::writeFile(tmp / "notes.txt", "x");
    EXPECT_EQ(shellExecute({"open", (tmp / "notes.txt").string()}).code, shellcode::Success);
    EXPECT_EQ(calls(), (V{"--", "xdg-open", (tmp / "notes.txt").string()}));
    if (geteuid() != 0) {
        stdfs::permissions(tmp / "notes.txt", stdfs::perms::none);
        EXPECT_EQ(shellExecute({"open", (tmp / "notes.txt").string()}).code, shellcode::AccessDenied);
    }
}

// An executable file that passes every look-up but that the system cannot
// run (text without "#!", or nothing at all) is a failed start, never success.
TEST_F(ShellTest, ExecutableOfUnknownFormatGivesBadFormat)
{
    for (const char* content : {"just some words\n", ""}) {
        SCOPED_TRACE(std::string("content: \"") + content + "\"");
        stdfs::path prog = tmp / "plain";
        qm::test::writeFile(prog, content);
        stdfs::permissions(prog, stdfs::perms::owner_all);

        ShellRequest rq{"open", prog.string()};
        rq.keepProcess = true;
        ShellResult r = shellExecute(rq);
        EXPECT_EQ(r.code, shellcode::BadFormat);
        EXPECT_FALSE(r.process.valid());

        Resolved resolved = resolveLaunch(prog.string(), {"x"});
        ASSERT_EQ(resolved.code, 0) << "the look-up itself finds the file";
        EXPECT_EQ(startResolved(resolved).code, shellcode::BadFormat);
        EXPECT_EQ(startCommandLine(prog.string() + " x").code, shellcode::BadFormat);
    }
    EXPECT_TRUE(calls().empty());
}

TEST_F(ShellTest, VerbsGoToXdgOpenAndLp)
{
    fake("xdg-open");
    fake("lp");
    stdfs::create_directories(tmp / "Docs");
    qm::test::writeFile(tmp / "Docs/a.txt", "x");
    auto M = mapper();
    EXPECT_EQ(shellExecute({"", "mailto:"}).code, shellcode::Success);
    EXPECT_EQ(shellExecute({"", "https://example.org/q?a=1"}).code, shellcode::Success);
    EXPECT_EQ(shellExecute({"open", R"(C:\docs)"}, M).code, shellcode::FileNotFound); // mapper is exact
    EXPECT_EQ(shellExecute({"explore", R"(C:\Docs)"}, M).code, shellcode::Success);
    EXPECT_EQ(shellExecute({"print", R"(C:\Docs\a.txt)"}, M).code, shellcode::Success);
    EXPECT_EQ(calls(), (V{"--", "xdg-open", "mailto:", "--", "xdg-open", "https://example.org/q?a=1", "--",
                          "xdg-open", (tmp / "Docs").string(), "--", "lp", (tmp / "Docs/a.txt").string()}));
    // Verbs that make no sense for the target.
    EXPECT_EQ(shellExecute({"explore", R"(C:\Docs\a.txt)"}, M).code, shellcode::NoAssociation);
    EXPECT_EQ(shellExecute({"print", R"(C:\Docs)"}, M).code, shellcode::NoAssociation);
    EXPECT_EQ(shellExecute({"print", "http://x"}).code, shellcode::NoAssociation);
    EXPECT_EQ(shellExecute({"print", R"(C:\Docs\b.txt)"}, M).code, shellcode::FileNotFound);
}

TEST(FileUrlTest, EncodesWhatAPathMayHoldAndKeepsTheSection)
{
    EXPECT_EQ(fileUrl("/opt/quill/Quillmate.html"), "file:///opt/quill/Quillmate.html");
    EXPECT_EQ(fileUrl("/home/ann/Quill mate #2/100%/Grüße.html", "frmData-7"),
              "file:///home/ann/Quill%20mate%20%232/100%25/Gr%C3%BC%C3%9Fe.html#frmData-7");
    EXPECT_EQ(fileUrl("/a?b", "x y"), "file:///a%3Fb#x%20y");
}

TEST_F(ShellTest, HandlerFailuresAndAbsenceGiveCodes)
{
    EXPECT_EQ(shellExecute({"", "mailto:a@b"}).code, shellcode::NoAssociation); // no xdg-open at all
    fake("xdg-open", 2);
    EXPECT_EQ(shellExecute({"", "file:///nothing"}).code, shellcode::FileNotFound);
    fake("xdg-open", 4);
    EXPECT_EQ(shellExecute({"", "foo:bar"}).code, shellcode::NoAssociation);
    // A handler that is still busy after the grace period counts as started
    // and is kept when asked.
    fake("xdg-open", 0, "exec sleep 300\n"); // ended below
    qm::test::ScopedEnv p("PATH", bin.string() + ":" + stdfs::path(sleepPath).parent_path().string());
    qm::test::writeFile(tmp / "d.txt", "x");
    ShellRequest rq{"open", (tmp / "d.txt").string()};
    rq.keepProcess = true;
    ShellResult r = shellExecute(rq);
    EXPECT_EQ(r.code, shellcode::Success);
    ASSERT_TRUE(r.process.valid());
    kill(r.process.pid(), SIGTERM);
    r.process.wait();
    EXPECT_EQ(r.process.exitCode(), 128 + SIGTERM);
}

TEST_F(ShellTest, NotepadIsTheUsersEditor)
{
    std::string ed = script(tmp / "myedit", 0);
    {
        qm::test::ScopedEnv v("VISUAL", ed + " --wait");
        ShellResult r = startCommandLine(R"(Notepad.exe "C:\read me.txt")", mapper());
        ASSERT_EQ(r.code, shellcode::Success);
        r.process.wait();
        EXPECT_EQ(calls(), (V{"--", "myedit", "--wait", (tmp / "read me.txt").string()}));
    }
    EXPECT_EQ(textEditorCommand(), V{}); // nothing set, nothing on PATH
    fake("xdg-open");
    EXPECT_EQ(textEditorCommand(), V{(bin / "xdg-open").string()});
    fake("mousepad");
    EXPECT_EQ(textEditorCommand(), V{(bin / "mousepad").string()});
    {
        qm::test::ScopedEnv e("EDITOR", "mousepad -n");
        qm::test::ScopedEnv v("VISUAL", "not-installed-editor");
        EXPECT_EQ(textEditorCommand(), (V{(bin / "mousepad").string(), "-n"}));
    }
    stdfs::remove(log);
    ShellRequest rq{"Open", "NOTEPAD", R"(C:\a.txt)"};
    rq.keepProcess = true;
    ShellResult r = shellExecute(rq, mapper());
    ASSERT_EQ(r.code, shellcode::Success);
    r.process.wait();
    EXPECT_EQ(calls(), (V{"--", "mousepad", (tmp / "a.txt").string()}));
}

TEST_F(ShellTest, CommandLineFindsUnquotedNamesWithBlanks)
{
    stdfs::create_directories(tmp / "My Tools");
    script(tmp / "My Tools/run", 0);
    ShellResult r = startCommandLine(tmp.str() + "/My Tools/run.exe  one \"two three\"");
    ASSERT_EQ(r.code, shellcode::Success);
    r.process.wait();
    EXPECT_EQ(calls(), (V{"--", "run", "one", "two three"}));
    EXPECT_EQ(startCommandLine(tmp.str() + "/My Tools/nothing x").code, shellcode::FileNotFound);
    EXPECT_EQ(startCommandLine(tmp.str() + "/No Dir/x").code, shellcode::PathNotFound);
    EXPECT_EQ(startCommandLine(tmp.str()).code, shellcode::AccessDenied); // a folder does not run
    EXPECT_EQ(startCommandLine("   ").code, shellcode::FileNotFound);
}

TEST_F(ShellTest, RunAndWaitWaitsWithoutBusyProcessor)
{
    auto t0 = std::chrono::steady_clock::now();
    runAndWait("");
    runAndWait("no-such-program arg");
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(200));

    double cpu0 = cpuSeconds();
    t0 = std::chrono::steady_clock::now();
    runAndWait("\"" + sleepPath + "\" 0.6");
    auto blocked = std::chrono::steady_clock::now() - t0;
    int hooks = 0;
    runAndWait("\"" + sleepPath + "\" 0.6", {}, [&] { ++hooks; });
    auto total = std::chrono::steady_clock::now() - t0;
    double cpu = cpuSeconds() - cpu0;
    EXPECT_GE(blocked, std::chrono::milliseconds(550));
    EXPECT_GE(total, std::chrono::milliseconds(1100));
    EXPECT_GT(hooks, 10);   // the owner's events ran while waiting
    EXPECT_LT(hooks, 1000); // ... but not in a spinning loop
    EXPECT_LT(cpu, 0.25) << "waiting used the processor";
}

// A hand-over of the started path that was not made for this very program
// (set by hand, inherited, damaged) is refused, and gone either way.
TEST(RunFromCopyTest, AHandOverNotMadeForThisProgramIsRefusedAndRemoved)
{
    for (const char* value : {"1:2:/media/usb0/Home.exe", "/media/usb0/Home.exe", ""}) {
        qm::test::ScopedEnv handover(RunCopyVariable, value);
        EXPECT_EQ(takeStartedPath(), std::nullopt) << value;
        EXPECT_EQ(std::getenv(RunCopyVariable), nullptr);
    }
}

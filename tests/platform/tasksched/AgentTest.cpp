// The agent program, run as the scheduler runs it: ticks at chosen times
// over a temporary tasks folder, events, and installing into fake cron and
// systemd commands (never the machine's own).
#include "TaskTestUtil.h"
#include "TestSupport.h"

#include "platform/tasksched/AgentInstall.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qmtest;
using qm::test::readFile;
using qm::test::writeFile;
namespace stdfs = std::filesystem;

namespace {

void writeScript(const stdfs::path& file, const std::string& body)
{
    writeFile(file, "#!/bin/sh\n" + body);
    stdfs::permissions(file, stdfs::perms::owner_all);
}

// Runs the agent with its output and errors together.
int agent(const std::string& args, std::string* out = nullptr)
{
    const std::string program = (qm::test::programDir() / "quillmate-task-agent").string();
    std::string text;
    const int code = qm::test::runCommand({"/bin/sh", "-c", "'" + program + "' " + args + " 2>&1"}, &text);
    if (out)
        *out = text;
    return code;
}

int lines(const stdfs::path& file)
{
    std::error_code ec;
    if (!stdfs::exists(file, ec))
        return 0;
    const std::string text = readFile(file);
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

class AgentTick : public ::testing::Test {
protected:
    AgentTick()
    {
        stdfs::create_directories(tasks_);
        stdfs::permissions(tasks_, stdfs::perms::owner_all);
        writeScript(dir_ / "fire.sh", "echo fired >> \"$1\"\n");
    }
    void job(const std::string& name, std::vector<TASK_TRIGGER> triggers, bool disabled = false)
    {
        Job j = jobRunning((dir_ / "fire.sh").string(), marker_.string(), std::move(triggers));
        j.Flags = disabled ? TASK_FLAG_DISABLED : 0;
        saveJob(tasks_ / (name + ".job"), j);
    }
    void ticks(std::initializer_list<const char*> times)
    {
        for (const char* at : times)
            ASSERT_EQ(tick(at), 0) << at;
    }
    int tick(const std::string& now, std::string* out = nullptr)
    {
        return agent("tick --tasks " + tasks_.string() + " --now " + now, out);
    }
    // The fired run has ended and its line is written.
    bool firedTimes(int n)
    {
        return eventually([&] { return lines(marker_) == n && readRunState(tasks_ / "Fire.job.state").Pid == 0; });
    }

    qm::test::TempDir dir_{"qm-agent"};
    stdfs::path tasks_ = dir_ / "Tasks";
    stdfs::path marker_ = dir_ / "marker";
};

TEST_F(AgentTick, ArmsThenFiresOncePerDuePeriod)
{
    job("Fire", {daily(2026, 1, 1, 21, 0)});
    ASSERT_EQ(tick("2026-01-02T22:00"), 0); // first sight: only armed
    EXPECT_EQ(readRunState(tasks_ / "Fire.job.state").LastFired, (DateTime{2026, 1, 2, 22, 0, 0}));
    EXPECT_EQ(tick("2026-01-03T20:59"), 0);
    ASSERT_EQ(tick("2026-01-03T21:00"), 0);
    ASSERT_TRUE(firedTimes(1));
    ASSERT_EQ(tick("2026-01-03T21:01"), 0);
    // Three days missed: one run.
    ASSERT_EQ(tick("2026-01-06T22:00"), 0);
    ASSERT_TRUE(firedTimes(2));

    std::string out;
    ASSERT_EQ(agent("tick --dry-run --tasks " + tasks_.string() + " --now 2026-01-07T21:30", &out), 0);
    EXPECT_EQ(out, "fire Fire.job\n");
    EXPECT_EQ(readRunState(tasks_ / "Fire.job.state").LastFired, (DateTime{2026, 1, 6, 22, 0, 0}));
    EXPECT_TRUE(firedTimes(2));
}

// One tick dated years ahead (a wrong clock, a restored machine) holds the
// schedule up only until the clock is right again, and says so once.
TEST_F(AgentTick, ATickFromTheFutureDoesNotStopTheSchedule)
{
    job("Fire", {daily(2026, 1, 1, 21, 0)});
    tick("2026-01-02T20:00");
    ASSERT_EQ(tick("2026-01-02T21:00"), 0);
    ASSERT_TRUE(firedTimes(1));
    ASSERT_EQ(tick("2030-06-01T12:00"), 0); // a missed stretch: one run
    ASSERT_TRUE(firedTimes(2));

    std::string said;
    ASSERT_EQ(tick("2026-01-02T21:05", &said), 0);
    EXPECT_EQ(said, "Fire.job: the clock went back from 6/1/2030 12:00:00 PM to 1/2/2026 9:05:00 PM; "
                    "its runs are counted from 1/2/2026 9:00:00 PM\n");
    for (int day = 3; day <= 6; ++day) {
        const std::string date = "2026-01-0" + std::to_string(day);
        ASSERT_EQ(tick(date + "T20:59", &said), 0);
        EXPECT_EQ(said, "") << date;
        ASSERT_EQ(tick(date + "T21:00"), 0);
        ASSERT_TRUE(firedTimes(day)) << date;
    }
}

// The clock put ahead fires the run of that later day. Once it is right
// again, the run that fell due meanwhile fires, also in the very minute the
// clock is set back, and only once.
TEST_F(AgentTick, ARunDueWhileTheClockWasAheadFiresAfterTheCorrection)
{
    job("Fire", {daily(2026, 1, 1, 21, 0)});
    tick("2026-01-02T20:58");
    ASSERT_EQ(tick("2026-01-02T20:59"), 0);
    ASSERT_EQ(tick("2026-01-05T12:00"), 0);
    ASSERT_TRUE(firedTimes(1));
    std::string said;
    ASSERT_EQ(tick("2026-01-02T21:00", &said), 0);
    EXPECT_EQ(said, "Fire.job: the clock went back from 1/5/2026 12:00:00 PM to 1/2/2026 9:00:00 PM; "
                    "its runs are counted from 1/2/2026 8:59:00 PM\n");
    ASSERT_TRUE(firedTimes(2));
    for (const char* at : {"2026-01-02T21:01", "2026-01-02T21:00", "2026-01-02T22:00"})
        ASSERT_EQ(tick(at), 0) << at;
    ASSERT_TRUE(firedTimes(2));
    ASSERT_EQ(tick("2026-01-03T21:00"), 0);
    ASSERT_TRUE(firedTimes(3));
}

// The run fired after the machine slept stands for the runs the sleep
// skipped: a clock set back after it fires none of them.
TEST_F(AgentTick, RunsASleepSkippedStayFiredWhenTheClockGoesBack)
{
    TASK_TRIGGER hourly = daily(2026, 1, 1, 0, 0);
    hourly.MinutesDuration = 23 * 60;
    hourly.MinutesInterval = 60;
    job("Fire", {hourly});
    tick("2026-01-02T23:00");
    ASSERT_EQ(tick("2026-01-03T07:30"), 0);
    ASSERT_TRUE(firedTimes(1));
    ASSERT_EQ(tick("2026-01-03T07:10"), 0);
    ASSERT_TRUE(firedTimes(1));
}

// Sleeps are gaps between looks too, but a later set-back of a few minutes
// does not reach back to them: the run that fell due while the task was
// disabled, and that the looks since then passed, stays unfired.
TEST_F(AgentTick, ASetBackFiresNoRunThatTheLooksPassed)
{
    job("Fire", {daily(2026, 1, 1, 21, 0)});
    ticks({"2026-01-02T20:00", "2026-01-02T21:00", "2026-01-03T21:00", "2026-01-04T10:00", "2026-01-04T20:58"});
    ASSERT_TRUE(firedTimes(2));
    job("Fire", {daily(2026, 1, 1, 21, 0)}, true);
    ticks({"2026-01-04T20:59", "2026-01-04T21:00", "2026-01-04T21:01"});
    job("Fire", {daily(2026, 1, 1, 21, 0)});
    ticks({"2026-01-04T21:02", "2026-01-04T21:06", "2026-01-04T21:10"});
    std::string said;
    ASSERT_EQ(tick("2026-01-04T21:04", &said), 0);
    EXPECT_EQ(said, "Fire.job: the clock went back from 1/4/2026 9:10:00 PM to 1/4/2026 9:04:00 PM; "
                    "its runs are counted from 1/4/2026 9:04:00 PM\n");
    ticks({"2026-01-04T21:05", "2026-01-04T22:00"});
    EXPECT_TRUE(firedTimes(2));
    ticks({"2026-01-05T21:00"});
    EXPECT_TRUE(firedTimes(3));
}

TEST_F(AgentTick, AClockSetBackNeverFiresARunTwice)
{
    job("Fire", {daily(2026, 1, 1, 21, 0)});
    tick("2026-01-02T20:00");
    ASSERT_EQ(tick("2026-01-02T21:00"), 0);
    ASSERT_TRUE(firedTimes(1));
    std::string said;
    ASSERT_EQ(tick("2026-01-02T21:03"), 0);
    ASSERT_EQ(tick("2026-01-02T21:00", &said), 0); // three minutes back: a correction
    EXPECT_EQ(said, "");
    ASSERT_TRUE(firedTimes(1));

    ASSERT_EQ(tick("2026-01-02T21:30"), 0);
    ASSERT_EQ(tick("2026-01-02T20:30", &said), 0); // an hour back
    EXPECT_NE(said.find("the clock went back"), std::string::npos) << said;
    ASSERT_EQ(tick("2026-01-02T21:00"), 0);
    ASSERT_TRUE(firedTimes(1));
    ASSERT_EQ(tick("2026-01-03T21:00"), 0);
    ASSERT_TRUE(firedTimes(2));
}

// Summer time ends: the hour from two to three comes twice, and the runs
// every half hour of it fire the first time only.
TEST_F(AgentTick, RepeatedRunsFireOnceWhenAnHourComesTwice)
{
    TASK_TRIGGER halfHourly = daily(2026, 1, 1, 1, 0);
    halfHourly.MinutesDuration = 180;
    halfHourly.MinutesInterval = 30;
    job("Fire", {halfHourly});
    tick("2026-10-25T00:00");
    int fired = 0;
    for (const char* at : {"01:00", "01:30", "02:00", "02:30", "03:00"}) {
        ASSERT_EQ(tick(std::string("2026-10-25T") + at), 0);
        ASSERT_TRUE(firedTimes(++fired)) << at;
    }
    for (const char* at : {"02:00", "02:30", "03:00"}) {
        ASSERT_EQ(tick(std::string("2026-10-25T") + at), 0);
        ASSERT_TRUE(firedTimes(fired)) << at;
    }
    ASSERT_EQ(tick("2026-10-25T03:30"), 0);
    ASSERT_TRUE(firedTimes(fired + 1));
}

TEST_F(AgentTick, NothingFiresFromWhatOthersMayWrite)
{
    job("Fire", {daily(2026, 1, 1, 21, 0)});
    tick("2026-01-02T20:00");
    chmod((tasks_ / "Fire.job").c_str(), 0666);
    std::string out;
    EXPECT_EQ(tick("2026-01-02T21:00", &out), 0);
    EXPECT_NE(out.find("Fire.job can be written by other users: skipped"), std::string::npos) << out;
    chmod((tasks_ / "Fire.job").c_str(), 0600);
    chmod(tasks_.c_str(), 0777);
    EXPECT_EQ(tick("2026-01-02T21:00", &out), 1);
    EXPECT_NE(out.find("can be written by other users: nothing fires"), std::string::npos) << out;
    EXPECT_EQ(lines(marker_), 0);
}

TEST_F(AgentTick, RunningAndDisabledTasksWaitTheirTurn)
{
    // Busy runs until the test releases it, so the next day's tick finds it
    // running however long that tick takes to come.
    qm::test::writeProgramUntilReleased(dir_ / "busy.sh", dir_ / "release");
    saveJob(tasks_ / "Busy.job", jobRunning((dir_ / "busy.sh").string(), "", {daily(2026, 1, 1, 21, 0)}));
    // Slow is ended with its trigger's minute; that day is its last.
    TASK_TRIGGER window = daily(2026, 1, 1, 21, 0);
    window.rgFlags = TASK_TRIGGER_FLAG_KILL_AT_DURATION_END | TASK_TRIGGER_FLAG_HAS_END_DATE;
    window.wEndYear = 2026;
    window.wEndMonth = 1;
    window.wEndDay = 2;
    window.MinutesDuration = 1;
    saveJob(tasks_ / "Slow.job", jobRunning("sleep", "30", {window}));
    Job off = jobRunning((dir_ / "fire.sh").string(), marker_.string(), {daily(2026, 1, 1, 21, 0)});
    off.Flags = TASK_FLAG_DISABLED;
    saveJob(tasks_ / "Off.job", off);
    tick("2026-01-02T20:00");

    ASSERT_EQ(tick("2026-01-02T21:00:59"), 0); // one second left of the trigger's minute
    const RunState running = readRunState(tasks_ / "Busy.job.state");
    ASSERT_NE(running.Pid, 0);
    ASSERT_TRUE(readRunState(tasks_ / "Slow.job.state").LastRun);
    ASSERT_EQ(tick("2026-01-03T21:00:30"), 0);
    EXPECT_EQ(readRunState(tasks_ / "Busy.job.state").LastRun, running.LastRun); // not started twice
    qm::test::writeFile(dir_ / "release", "");
    ASSERT_TRUE(eventually([&] { return readRunState(tasks_ / "Busy.job.state").Pid == 0; }));
    ASSERT_TRUE(eventually([&] { return readRunState(tasks_ / "Slow.job.state").Pid == 0; }));
    EXPECT_TRUE(readRunState(tasks_ / "Slow.job.state").Terminated);
    EXPECT_EQ(lines(marker_), 0);
}

TEST_F(AgentTick, EventsFireTheirTriggersOnly)
{
    job("Fire", {trigger(TASK_EVENT_TRIGGER_AT_SYSTEMSTART, 0, 0, 0)});
    std::string out;
    ASSERT_EQ(agent("event logon --dry-run --tasks " + tasks_.string(), &out), 0);
    EXPECT_EQ(out, "");
    ASSERT_EQ(agent("event boot --tasks " + tasks_.string()), 0);
    EXPECT_TRUE(firedTimes(1));
}

// A crontab that lives in a file: "no crontab for ..." until one is written.
class AgentInstall : public ::testing::Test {
protected:
    AgentInstall()
    {
        stdfs::create_directories(bin_);
        writeScript(bin_ / "crontab", "case \"$1\" in\n"
                                      "  -l) [ -f \"$FAKE_CRONTAB\" ] || { echo \"no crontab for tester\" >&2; exit 1; }\n"
                                      "      cat \"$FAKE_CRONTAB\" ;;\n"
                                      "  -r) rm -f \"$FAKE_CRONTAB\" ;;\n"
                                      "  -) cat > \"$FAKE_CRONTAB\" ;;\n"
                                      "esac\n");
    }
    std::string crontab() { return stdfs::exists(store_) ? readFile(store_) : std::string("<none>"); }
    // A copy of the agent in a folder of that name.
    stdfs::path agentIn(const std::string& folder)
    {
        const stdfs::path copy = dir_ / folder / "quillmate-task-agent";
        stdfs::create_directories(copy.parent_path());
        stdfs::copy_file(qm::test::programDir() / "quillmate-task-agent", copy);
        return copy;
    }
    // Runs that copy with its output and errors together.
    int agentAt(const stdfs::path& copy, const std::string& args, std::string* said)
    {
        return qm::test::runCommand({"/bin/sh", "-c", "\"$0\" " + args + " 2>&1", copy.string()}, said);
    }
    void fakeSystemctl()
    {
        writeScript(bin_ / "systemctl", "echo \"$*\" >> \"" + (dir_ / "systemctl.log").string() + "\"\n");
    }

    qm::test::TempDir dir_{"qm-install"};
    stdfs::path bin_ = dir_ / "bin";
    stdfs::path store_ = dir_ / "crontab.txt";
    qm::test::ScopedEnv path_{"PATH", bin_.string() + ":/usr/bin:/bin"};
    qm::test::ScopedEnv store_env_{"FAKE_CRONTAB", store_.string()};
    qm::test::ScopedEnv config_{"XDG_CONFIG_HOME", (dir_ / "config").string()};
};

TEST_F(AgentInstall, CronBlockIsOursAloneAndComesOutAgain)
{
    const std::string program = (qm::test::programDir() / "quillmate-task-agent").string();
    EXPECT_FALSE(agentTickInstalled());
    ASSERT_EQ(agent("install"), 0);
    EXPECT_TRUE(agentTickInstalled());
    EXPECT_EQ(crontab(), cronBlock(program));
    EXPECT_NE(crontab().find("* * * * * " + program + " tick\n@reboot " + program + " event boot\n"),
              std::string::npos);
    EXPECT_TRUE(stdfs::exists(dir_ / "config/autostart/quillmate-agent.desktop"));
    ASSERT_EQ(agent("uninstall"), 0);
    EXPECT_FALSE(agentTickInstalled());
    EXPECT_EQ(crontab(), "<none>");
    EXPECT_FALSE(stdfs::exists(dir_ / "config/autostart/quillmate-agent.desktop"));

    const std::string mine = "MAILTO=\"\"\r\n# my own\n0 1 * * * /usr/bin/true 50\\%\n";
    writeFile(store_, mine);
    ASSERT_EQ(agent("install --cron"), 0);
    ASSERT_EQ(agent("install --cron"), 0);
    EXPECT_EQ(crontab(), mine + cronBlock(program));
    ASSERT_EQ(agent("uninstall"), 0);
    EXPECT_EQ(crontab(), mine);
}

TEST(CronBlock, EditsKeepEveryOtherByte)
{
    const std::string block = cronBlock("/opt/q 100%/agent");
    EXPECT_NE(block.find("'/opt/q 100\\%/agent' tick"), std::string::npos);
    EXPECT_EQ(withCronBlock("a\nb", block), "a\nb\n" + block); // a final line end of its own
    EXPECT_EQ(withCronBlock("a\n" + cronBlock("/old") + "z\n", block), "a\n" + block + "z\n");
    EXPECT_EQ(withoutCronBlock("a\n" + block + "z"), "a\nz");
    EXPECT_EQ(withCronBlock(std::string(CronBlockBegin) + "\nhand edit\n", block), std::nullopt);
}

TEST_F(AgentInstall, SystemdUnitsWhenThereIsNoCron)
{
    stdfs::remove(bin_ / "crontab");
    writeScript(bin_ / "systemctl", "echo \"$*\" >> \"" + (dir_ / "systemctl.log").string() + "\"\n");
    qm::test::ScopedEnv onlyFakes("PATH", bin_.string());
    ASSERT_EQ(agent("install"), 0);
    const stdfs::path units = dir_ / "config/systemd/user";
    EXPECT_NE(readFile(units / "quillmate-agent.timer").find("OnCalendar=minutely\nPersistent=true\n"),
              std::string::npos);
    EXPECT_NE(readFile(units / "quillmate-agent.service").find(" tick\n"), std::string::npos);
    EXPECT_NE(readFile(dir_ / "systemctl.log").find("--user enable --now quillmate-agent.timer\n"), std::string::npos);
    EXPECT_TRUE(agentTickInstalled());
    ASSERT_EQ(agent("uninstall"), 0);
    EXPECT_FALSE(stdfs::exists(units / "quillmate-agent.timer"));
    EXPECT_FALSE(agentTickInstalled());
}

// Installed from a folder whose name holds a line break, the name would be
// a crontab line of its own: the install refuses, whatever the backend, and
// writes nothing anywhere.
TEST_F(AgentInstall, APathWithALineBreakIsRefusedAndNothingWritten)
{
    const stdfs::path agentCopy = agentIn("x\n* * * * * touch injected #");
    fakeSystemctl();
    qm::test::ScopedEnv onlyFakes("PATH", bin_.string());
    for (const std::string how : {"install", "install --cron", "install --systemd"}) {
        std::string said;
        EXPECT_EQ(agentAt(agentCopy, how, &said), 1) << how;
        EXPECT_NE(said.find("the agent cannot be installed from where it lies: its path holds a"), std::string::npos)
            << how << ": " << said;
    }
    EXPECT_EQ(crontab(), "<none>");
    EXPECT_FALSE(stdfs::exists(dir_ / "config"));
    EXPECT_EQ(readFile(dir_ / "systemctl.log").find("enable"), std::string::npos);
}

// systemd would refuse a unit whose program path holds a quote, a backslash
// or bytes that are not UTF-8: nothing is written. A crontab line carries
// them, and "="; only the log-on entry is then left out, and said so.
TEST_F(AgentInstall, EachFormRefusesOnlyWhatItCannotCarry)
{
    fakeSystemctl();
    for (const std::string folder : {"it's", "say \"x\"", "back\\slash", "latin1-\xe9"}) {
        std::string said;
        EXPECT_EQ(agentAt(agentIn(folder), "install --systemd", &said), 1) << folder;
        EXPECT_NE(said.find("the agent cannot be installed from where it lies: its path holds "), std::string::npos)
            << folder << ": " << said;
    }
    EXPECT_FALSE(stdfs::exists(dir_ / "config"));
    EXPECT_EQ(readFile(dir_ / "systemctl.log").find("enable"), std::string::npos);

    const stdfs::path agentCopy = agentIn("it's a=b");
    std::string said;
    EXPECT_EQ(agentAt(agentCopy, "install --cron", &said), 1);
    EXPECT_EQ(crontab(), cronBlock(agentCopy.string()));
    EXPECT_NE(said.find("the log-on entry cannot be installed from where the agent lies"), std::string::npos) << said;
    EXPECT_FALSE(stdfs::exists(dir_ / "config/autostart/quillmate-agent.desktop"));
}

// Installed again from where the log-on entry cannot go, the entry of the
// earlier copy goes too: the install says that log-on tasks will not run,
// and none do. One that cannot be taken out is named instead.
TEST_F(AgentInstall, AnEntryThatCannotBeWrittenTakesTheEarlierOneOut)
{
    const stdfs::path entry = dir_ / "config/autostart/quillmate-agent.desktop";
    std::string said;
    ASSERT_EQ(agentAt(agentIn("plain"), "install --cron", &said), 0) << said;
    ASSERT_TRUE(stdfs::exists(entry));
    const stdfs::path quoted = agentIn("it's");
    EXPECT_EQ(agentAt(quoted, "install --cron", &said), 1);
    EXPECT_EQ(crontab(), cronBlock(quoted.string()));
    EXPECT_NE(said.find("tasks that start at log-on will not run"), std::string::npos) << said;
    EXPECT_FALSE(stdfs::exists(entry));

    stdfs::create_directories(entry / "kept");
    EXPECT_EQ(agentAt(quoted, "install --cron", &said), 1);
    EXPECT_NE(said.find(entry.string() + ", could not be taken out ("), std::string::npos) << said;
    EXPECT_EQ(said.find("will not run"), std::string::npos) << said;
}

TEST_F(AgentInstall, NoBackendIsAnError)
{
    qm::test::ScopedEnv nothing("PATH", (dir_ / "empty").string());
    std::string out;
    EXPECT_EQ(agent("install", &out), 3);
    EXPECT_EQ(out, "no scheduler backend: install cron or run a systemd user session\n");
}

} // namespace

// Job files: the golden text both ways, values that the INI reader would
// change, texts that are no job, links planted in the place of job and
// state files, and the built Nightwick.job.
#include "TaskTestUtil.h"
#include "TestSupport.h"

#include "platform/tasksched/Schedule.h"

#include <gtest/gtest.h>

using namespace qmtest;

namespace {

std::string golden() { return qm::test::readFile(qm::test::sourceDir() / "tests/platform/tasksched/data/golden.job"); }

Job goldenJob()
{
    Job job;
    job.ApplicationName = "C:\\opt\\tools\\report";
    job.Parameters = "\"C:\\My Files\\a b.txt\"";
    job.WorkingDirectory = "C:\\tmp";
    job.Comment = "  two\rlines";
    job.Creator = "Quillmate";
    job.Priority = IDLE_PRIORITY_CLASS;
    job.Flags = TASK_FLAG_DELETE_WHEN_DONE | TASK_FLAG_DISABLED;
    job.MaxRunTimeMs = 3600000;
    job.IdleMinutes = 5;
    job.DeadlineMinutes = 65535;
    TASK_TRIGGER weekly = trigger(TASK_TIME_TRIGGER_WEEKLY, 2026, 3, 2, 8, 30);
    weekly.wEndYear = 2026;
    weekly.wEndMonth = 12;
    weekly.wEndDay = 31;
    weekly.rgFlags = TASK_TRIGGER_FLAG_HAS_END_DATE;
    weekly.MinutesDuration = 60;
    weekly.MinutesInterval = 15;
    weekly.Type.setWeeksInterval(2);
    weekly.Type.setDaysOfTheWeek(TASK_MONDAY | TASK_FRIDAY);
    TASK_TRIGGER monthly = trigger(TASK_TIME_TRIGGER_MONTHLYDATE, 2026, 1, 1, 23, 59);
    monthly.Type.setDays(monthDayBit(1) | monthDayBit(31));
    monthly.Type.setMonths(TASK_ALL_MONTHS);
    job.triggers = {weekly, monthly};
    return job;
}

TEST(JobFile, GoldenTextBothWays)
{
    Job job = goldenJob();
    ASSERT_EQ(parseJob(golden()), job);
    job.Comment = "  two\r\nlines"; // a line break is kept as a single CR
    EXPECT_EQ(formatJob(job), golden());
    // Word 2 of a monthly trigger is the high half of its days.
    EXPECT_EQ(job.triggers[1].Type.Word2, 0x4000);
}

TEST(JobFile, ValuesSurviveQuotesAndBlanks)
{
    Job job;
    for (const std::string v : {"'single'", " lead", "trail\t", "\"a\" \"b\"", "x=y;z", "[not a section]"}) {
        job.Parameters = v;
        job.Comment = v;
        const auto back = parseJob(formatJob(job));
        ASSERT_TRUE(back) << v;
        EXPECT_EQ(back->Parameters, v);
        EXPECT_EQ(back->Comment, v);
    }
}

TEST(JobFile, TextsThatAreNoJob)
{
    EXPECT_FALSE(parseJob(""));
    EXPECT_FALSE(parseJob("[Trigger0]\r\nType=1\r\n"));
    EXPECT_FALSE(parseJob("[Task]\r\nPriority=high\r\n"));
    EXPECT_FALSE(parseJob("[Task]\r\nFlags=-1\r\n"));
    EXPECT_FALSE(parseJob("[Task]\r\n[Trigger0]\r\nWord1=65536\r\n"));

    // Missing keys take the defaults; the triggers end at the first gap.
    const auto job = parseJob("[task]\nApplicationName=x\n[Trigger0]\nType=6\n[Trigger2]\nType=7\n");
    ASSERT_TRUE(job);
    EXPECT_EQ(job->ApplicationName, "x");
    EXPECT_EQ(job->Priority, NORMAL_PRIORITY_CLASS);
    EXPECT_EQ(job->MaxRunTimeMs, 259200000u); // 72 hours
    ASSERT_EQ(job->triggers.size(), 1u);
    EXPECT_EQ(job->triggers[0].TriggerType, TASK_EVENT_TRIGGER_AT_SYSTEMSTART);
}

TEST(JobFile, SavedFilesAreTheOwnersAlone)
{
    qm::test::TempDir dir;
    const auto file = dir / "x.job";
    qm::test::writeFile(file, "old");
    std::filesystem::permissions(file, std::filesystem::perms::all);
    saveJob(file, goldenJob());
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(loadJob(file), goldenJob());
}

// A link in the place of a task's file is neither read through nor written
// through: the write replaces the link itself, and what it points at, present
// or not, stays as it was.
TEST(JobFile, PlantedLinksAreReplacedNotFollowed)
{
    namespace stdfs = std::filesystem;
    qm::test::TempDir dir;
    const stdfs::path victim = dir / "victim";
    const stdfs::path nowhere = dir / "nowhere";
    const std::string precious = formatJob(goldenJob());
    qm::test::writeFile(victim, precious);
    const stdfs::path job = dir / "x.job";
    const stdfs::path state = dir / "x.job.state";
    const stdfs::path dangling = dir / "y.job.state";
    stdfs::create_symlink(victim, job);
    stdfs::create_symlink(victim, state);
    stdfs::create_symlink(nowhere, dangling);

    EXPECT_THROW(loadJob(job), qm::RtError);
    EXPECT_EQ(readRunState(state), RunState{});

    Job other;
    other.ApplicationName = "/bin/true";
    saveJob(job, other);
    updateRunState(state, [](RunState& s) { s.ExitCode = 7; });
    writeRunState(dangling, RunState{});

    EXPECT_EQ(qm::test::readFile(victim), precious);
    EXPECT_FALSE(stdfs::exists(stdfs::symlink_status(nowhere)));
    for (const stdfs::path& file : {job, state, dangling}) {
        EXPECT_TRUE(stdfs::is_regular_file(stdfs::symlink_status(file))) << file;
        EXPECT_EQ(stdfs::symlink_status(file).permissions() & stdfs::perms::all,
                  stdfs::perms::owner_read | stdfs::perms::owner_write)
            << file;
    }
    EXPECT_EQ(loadJob(job), other);
    EXPECT_EQ(readRunState(state).ExitCode, 7u);
}

TEST(JobFile, BuiltNightwickJobRunsNightwickDailyAtNine)
{
    const auto job = loadJob(qm::test::programDir() / "Nightwick.job");
    ASSERT_TRUE(job);
    EXPECT_EQ(job->Creator, "Quillmate");
    EXPECT_EQ(job->Parameters, "");
    EXPECT_TRUE(job->ApplicationName.ends_with("\\Nightwick"));
    ASSERT_EQ(job->triggers.size(), 1u);
    const TASK_TRIGGER& t = job->triggers[0];
    EXPECT_EQ(t.TriggerType, TASK_TIME_TRIGGER_DAILY);
    EXPECT_EQ(t.Type.DaysInterval(), 1);
    EXPECT_EQ(t.wStartHour, 21);
    EXPECT_EQ(t.wStartMinute, 0);
    EXPECT_EQ(nextRun(*job, DateTime{2025, 6, 1, 0, 0, 0}), (DateTime{2026, 1, 1, 21, 0, 0}));
}

} // namespace

// Clearing autoback.log: the confirmation, the two lines the new log holds,
// and what the user is told when the log cannot be replaced.
#include "app/ProgramState.h"
#include "mainwindow/LogClearing.h"
#include "mainwindow/Procedures.h"
#include "store/AutobackLog.h"
#include "FakeUiServices.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "ProgramHome.h"

#include <sys/wait.h>
#include <unistd.h>

using namespace qm::app;
using qm::ui::mb::No;
using qm::ui::mb::Yes;

namespace {

class LogClearingTest : public qm::test::ProgramHomeTest {
protected:
    // Answers the confirmation, clears through `log_` and gives the title of
    // the box that followed ("" when none).
    std::string clear(int answer)
    {
        ui_.clearRecords();
        ui_.answer(answer);
        if (answer == Yes)
            ui_.answer(qm::ui::mb::OK);
        clearLog(ui_, log_, clock_);
        return ui_.boxes().size() > 1 ? ui_.boxes()[1].title : std::string();
    }
    static std::string cleared(const std::string& when)
    {
        return when + "\tQuillmate logged cleared by user\r\n" + std::string(55, '-') + "\r\n";
    }

    qm::ui::FakeUiServices ui_;
    qm::store::AutobackLog log_{qm::store::AutobackLog::defaultPath()};
    qm::datetime::FixedClock clock_{{2026, 3, 7, 14, 5, 9}};
};

TEST_F(LogClearingTest, NoLeavesTheLogAsItWas)
{
    const std::string old = "3/1/2026 9:00:00 AM\tManual back-up started for Home\r\n\tno CR LF at the end";
    qm::test::writeFile(native("autoback.log"), old);
    EXPECT_EQ(clear(No), "");
    ASSERT_EQ(ui_.boxes().size(), 1u);
    const qm::ui::BoxRecord& ask = ui_.boxes()[0];
    EXPECT_EQ(ask.prompt, "Are you sure you want to clear the log file?");
    EXPECT_EQ(ask.title, "Please Confirm");
    EXPECT_EQ(ask.buttons, qm::ui::mb::YesNo);
    EXPECT_EQ(ask.icon, qm::ui::Icon::None);
    EXPECT_EQ(logText(), old);
}

TEST_F(LogClearingTest, YesLeavesTheTwoLinesAndTheNextRunFollowsThem)
{
    qm::test::writeFile(native("autoback.log"), std::string(5000, 'x') + "\r\n");
    EXPECT_EQ(clear(Yes), "Quillmate");
    EXPECT_EQ(ui_.boxes()[1].prompt, "Quillmate log file cleared successfully.");
    EXPECT_EQ(ui_.boxes()[1].icon, qm::ui::Icon::Information);
    EXPECT_EQ(logText(), cleared("3/7/2026 2:05:09 PM"));

    clock_.advanceSeconds(61);
    EXPECT_EQ(clear(Yes), "Quillmate");
    EXPECT_EQ(logText(), cleared("3/7/2026 2:06:10 PM"));

    // A manual run later writes through the same log object.
    log_.open();
    log_.dashes(qm::store::AutobackLog::PassSeparator);
    log_.event(clock_.now(), "Manual back-up started for Home");
    log_.close();
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tQuillmate logged cleared by user", dashes(55),
                                                    dashes(72), "<Now>\tManual back-up started for Home"}));
}

TEST_F(LogClearingTest, AMissingLogIsClearedWithSuccess)
{
    EXPECT_EQ(clear(Yes), "Quillmate");
    EXPECT_EQ(logText(), cleared("3/7/2026 2:05:09 PM"));
}

TEST_F(LogClearingTest, ALogThatCannotBeReplacedIsReportedAndKept)
{
    // A folder in the log's place cannot be deleted.
    std::filesystem::create_directories(native("autoback.log/inside"));
    EXPECT_EQ(clear(Yes), "Error");
    EXPECT_EQ(ui_.boxes()[1].prompt, "Unknown error in clearing the log.");
    EXPECT_EQ(ui_.boxes()[1].icon, qm::ui::Icon::Information);
    EXPECT_TRUE(std::filesystem::exists(native("autoback.log/inside")));
}

TEST_F(LogClearingTest, ALogInAReadOnlyFolderIsReportedAndKept)
{
    qm::test::writeFile(native("autoback.log"), "old\r\n");
    namespace stdfs = std::filesystem;
    const stdfs::perms readOnly = stdfs::perms::owner_read | stdfs::perms::owner_exec | stdfs::perms::group_read |
                                  stdfs::perms::group_exec | stdfs::perms::others_read | stdfs::perms::others_exec;
    stdfs::permissions(native(""), readOnly);
    // Root writes to any folder: the clearing runs as another user then.
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(2);
        qm::ui::FakeUiServices ui;
        ui.answer(Yes);
        ui.answer(qm::ui::mb::OK);
        qm::store::AutobackLog log(qm::store::AutobackLog::defaultPath());
        clearLog(ui, log, clock_);
        const bool reported = ui.boxes().size() == 2 && ui.boxes()[1].title == "Error" &&
                              ui.boxes()[1].prompt == "Unknown error in clearing the log.";
        ::_exit(reported ? 0 : 1);
    }
    int status = -1;
    ::waitpid(pid, &status, 0);
    stdfs::permissions(native(""), stdfs::perms::owner_all);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(logText(), "old\r\n");
}

TEST_F(LogClearingTest, TheCommandClearsTheProgramFoldersLog)
{
    qm::test::writeFile(native("autoback.log"), "old\r\n");
    ProgramState state(ui_);
    qm::test::FakeMainWindowView view;
    qm::test::FakeWindows windows;
    Procedures procs(state, view, windows.windows);
    ui_.answer(Yes);
    ui_.answer(qm::ui::mb::OK);
    dispatch(procs, Command::ClearLog);
    EXPECT_EQ(logLines(), (std::vector<std::string>{"<Now>\tQuillmate logged cleared by user", dashes(55)}));
}

} // namespace

// The runner's building blocks: its record loaders, the project check and
// the due rule.
#include "ProgramHome.h"

#include "platform/datetime/DateText.h"
#include "platform/profile/Profile.h"
#include "FakeUiServices.h"
#include "platform/zip/PavikZip.h"
#include "runner/DueRule.h"
#include "runner/RecordCheck.h"
#include "runner/RunRecords.h"
#include "store/Store.h"


namespace {

using qm::datetime::DateTime;
using qm::test::completeRecord;
using F = qm::store::ProjectField;

class RecordsTest : public qm::test::RunnerHome {
protected:
    qm::ui::FakeUiServices ui_;
    qm::store::Store store_{ui_};
};

TEST_F(RecordsTest, ZipLoadReadsTheZipKeysOnly)
{
    qm::store::ProjectRecord full = zipProject("Docs");
    full[F::ZIPComments] = "weekly";
    full[F::ZIPSkipIfNotExisting] = "yes";
    full[F::ZIPCompressionMethod] = "pvzDeflated";
    full[F::ACEBackFile] = "docs.ace";
    full[F::SFXBackFile] = "docs.exe";
    writeProject("Docs", full);

    const std::string path = win("Projects\\Docs");
    qm::runner::LoadProjectForRun(store_, path, "ZIP");
    const qm::store::ProjectRecord& r = store_.ProjectRecord(1);
    EXPECT_EQ(r[F::ProjectName], "Docs");
    EXPECT_EQ(r[F::ProjectFolder], full[F::ProjectFolder]);
    EXPECT_EQ(r[F::ZIPComments], "weekly");
    EXPECT_EQ(r[F::ZIPSkipIfNotExisting], "yes");
    EXPECT_EQ(r[F::ZIPCompressionMethod], "pvzDeflated");
    EXPECT_EQ(r[F::ZIPBackupFrequency], "1");
    // Never the other kind's keys, the self-extractor keys or the format.
    EXPECT_EQ(r[F::ACEBackFile], "");
    EXPECT_EQ(r[F::SFXBackFile], "");
    EXPECT_EQ(r[F::AutoBackupFormat], "");

    // An ACE load starts afresh: no ZIP key survives, UseTempFolder included.
    qm::profile::writeString(native("Projects/Docs"), "FILES AND FOLDERS-QMT", "UseTempFolder", "yes");
    qm::runner::LoadProjectForRun(store_, path, "ACE");
    EXPECT_EQ(store_.ProjectRecord(1)[F::ACEBackFile], "docs.ace");
    EXPECT_EQ(store_.ProjectRecord(1)[F::ProjectFolder], full[F::ProjectFolder]);
    EXPECT_EQ(store_.ProjectRecord(1)[F::UseTempFolder], "");
    EXPECT_EQ(store_.ProjectRecord(1)[F::ZIPComments], "");

    // Another kind (the case counts) reads the name alone.
    qm::runner::LoadProjectForRun(store_, path, "zip");
    EXPECT_EQ(store_.ProjectRecord(1), [] {
        qm::store::ProjectRecord only;
        only[F::ProjectName] = "Docs";
        return only;
    }());
}

TEST_F(RecordsTest, KeysAreFoundInAnyCaseAndMissingOnesStayEmpty)
{
    qm::test::writeFile(native("Projects/Odd"),
                        "[sources]\r\nprojectname=Odd\r\n[ace compression]\r\nacecompressionlevel=3\r\n"
                        "[ACE BACKUP OPTIONS]\r\nACELastBackupDate=3/1/2026\r\n");
    qm::runner::LoadProjectForRun(store_, win("Projects\\Odd"), "ACE");
    EXPECT_EQ(store_.ProjectRecord(1)[F::ProjectName], "Odd");
    EXPECT_EQ(store_.ProjectRecord(1)[F::ACECompressionLevel], "3");
    EXPECT_EQ(store_.ProjectRecord(1)[F::ACELastBackupDate], "3/1/2026");
    EXPECT_EQ(store_.ProjectRecord(1)[F::ACEBackFile], "");

    qm::runner::LoadProjectForRun(store_, win("Projects\\Missing"), "ZIP");
    EXPECT_EQ(store_.ProjectRecord(1), qm::store::ProjectRecord{});
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(RecordsTest, UserOptionsAndTheTemporaryFolder)
{
    qm::runner::LoadUserOptionsForRun(store_);
    EXPECT_EQ(store_.UserOptionsIni, win("Options") + "\\User Options");
    EXPECT_EQ(store_.UserOptionsRecord(1), qm::store::UserOptionsRecord{});
    EXPECT_EQ(store_.TempFolder, qm::fs::appPath() + "\\Temp");

    qm::test::writeFile(native("Options/User Options"),
                        "[USER OPTIONS]\r\nProjectINIBackupPath=C:\\bk\r\nUserBackINIOption=automatic\r\n"
                        "UserBackINISchedule=7\r\nUserTempFolder=   \r\nUserLastINIBackup=3/1/2026 9:00:00 PM\r\n"
                        "UserDefaultCompression=ZIP\r\n");
    qm::runner::LoadUserOptionsForRun(store_);
    const qm::store::UserOptionsRecord& u = store_.UserOptionsRecord(1);
    EXPECT_EQ(u.ProjectINIBackupPath, "C:\\bk");
    EXPECT_EQ(u.UserBackINISchedule, "7");
    EXPECT_EQ(u.UserLastINIBackup, "3/1/2026 9:00:00 PM");
    EXPECT_EQ(u.UserDefaultCompression, "ZIP");
    // The profile reader trims blanks, so a value of blanks reads as empty.
    EXPECT_EQ(store_.TempFolder, qm::fs::appPath() + "\\Temp");

    qm::profile::writeString(native("Options/User Options"), "USER OPTIONS", "UserTempFolder", "D:\\scratch");
    qm::runner::LoadUserOptionsForRun(store_);
    EXPECT_EQ(store_.TempFolder, "D:\\scratch");
}

// ---- The project check

std::string check(const qm::store::ProjectRecord& r, const std::string& kind)
{
    bool error = false;
    std::string msg = "untouched";
    qm::runner::CheckValues(r, error, kind, msg);
    EXPECT_EQ(error, msg != "untouched");
    return msg;
}

TEST(RunnerCheckValues, ChecksInOrderPerKind)
{
    EXPECT_EQ(check(qm::store::ProjectRecord{}, "zip"), "No Project has been selected for processing.");
    EXPECT_EQ(check(completeRecord(), "zip"), "untouched");
    EXPECT_EQ(check(completeRecord(), "ace"), "untouched");

    qm::store::ProjectRecord r = completeRecord();
    r[F::ProjectFolder].clear();
    EXPECT_EQ(check(r, "ace"),
              "You have not defined a source folder from which to archive files for your project, P");

    // Check 3 comes before check 7, and its message has two lines.
    r = completeRecord();
    r[F::ZIPBackFile].clear();
    r[F::ZIPUsePassword] = "yes";
    EXPECT_EQ(check(r, "zip"), "The ZIP filename for your Project has not been defined.\r\n"
                               " (Hint: It can be the same as your Project name.)");
    EXPECT_EQ(check(r, "ace"), "untouched"); // the ACE fields are complete

    r = completeRecord();
    r[F::ACEDefaultRestoreFromFolder].clear();
    EXPECT_EQ(check(r, "ace"), "The Target folder for your project, P has not been defined.");
    r = completeRecord();
    r[F::ZIPDoSubFolders].clear();
    EXPECT_EQ(check(r, "zip"), "The Process Subfolders option has not been set.");
    r[F::ZIPDoSubFolders] = " "; // blanks are a value
    EXPECT_EQ(check(r, "zip"), "untouched");

    r = completeRecord();
    r[F::ZIPUseComments] = "no";
    EXPECT_EQ(check(r, "zip"), "untouched");
    r[F::ACEUseComments] = "yes";
    EXPECT_EQ(check(r, "ace"),
              "You have checked the Use Comments box (ACE) but have not entered any text in the comment box.");
    r[F::ZIPUsePassword] = "yes";
    EXPECT_EQ(check(r, "zip"),
              "You have checked the Use Password box but have not entered any text in the password box.");
    EXPECT_EQ(check(qm::store::ProjectRecord{}, "exe"), "untouched");
    EXPECT_EQ(check(qm::store::ProjectRecord{}, "ZIP"), "untouched");
}

// ---- The due rule

TEST(RunnerDueRule, CalendarDaysAndWholeNumbers)
{
    const DateTime now{2026, 3, 7, 0, 1, 0};
    using qm::runner::projectDue;
    using qm::runner::scheduleDue;
    EXPECT_TRUE(projectDue("automatic", "ZIP", "ZIP", "1", "", now));
    EXPECT_FALSE(projectDue("Automatic", "ZIP", "ZIP", "1", "", now));
    EXPECT_FALSE(projectDue("automatic", "zip", "ZIP", "1", "", now));
    EXPECT_FALSE(projectDue("automatic", "ACE", "ZIP", "1", "", now));
    for (const char* bad : {"0", "", "-2", "1.5", "seven", "7 days"})
        EXPECT_FALSE(scheduleDue(bad, "", now)) << bad;
    // One date boundary is a day, whatever the hours.
    EXPECT_TRUE(scheduleDue("1", "3/6/2026 11:59:00 PM", now));
    EXPECT_FALSE(scheduleDue("1", "3/7/2026 12:00:30 AM", now));
    EXPECT_FALSE(scheduleDue("7", "3/1/2026 11:00:00 PM", now)); // 6 days
    EXPECT_TRUE(scheduleDue("7", "2/28/2026 11:00:00 PM", now)); // 7 days
    EXPECT_TRUE(scheduleDue(" 7 ", "2/28/2026", now));
    // A date that cannot be read counts as never backed up; one in the future does not.
    EXPECT_TRUE(scheduleDue("30", "yesterday", now));
    EXPECT_TRUE(scheduleDue("30", "2/30/2026", now));
    EXPECT_FALSE(scheduleDue("1", "3/9/2026", now));
}

} // namespace

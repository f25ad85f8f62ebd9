// Saving a record: the checks in their order, the extension question, and
// the commit of the file lists around the write of the record.
#include "editor/SaveRecord.h"

#include "EditorFixture.h"

#include "platform/profile/Profile.h"
#include "store/Store.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace qm::editor;
namespace mb = qm::ui::mb;
using F = qm::store::ProjectField;

namespace {

qm::store::ProjectRecord folders(const char* folder, const char* format, const char* target)
{
    qm::store::ProjectRecord r;
    r[F::ProjectFolder] = folder;
    r[F::AutoBackupFormat] = format;
    r[format == std::string("ACE") ? F::ACEDefaultRestoreFromFolder : F::ZIPDefaultRestoreFromFolder] = target;
    return r;
}

TEST(SaveChecksTest, FolderFormsInTheirOrder)
{
    struct Case {
        const char* folder;
        const char* format;
        const char* target;
        bool defaults;
        const char* refused; // nullptr: passes
    };
    const char* projectForm = "The Project Folder field is not properly formatted.\r\nIt must contain a valid "
                              "pathname\r\n(e.g., 'c:\\My Files\\My Projects').";
    const Case cases[] = {
        {"d:\\data", "ZIP", "e:\\", false, nullptr},
        {"C:\\data", "ZIP", "\\\\server\\share\\backups", false, nullptr},
        {"\\\\srv\\docs", "ACE", "x:\\b", false, nullptr},
        {"C:\\data", "", "", false, nullptr},
        {"C:\\data", "ZIP", "c:backups",
         false, "The Target Folder contains no path separator character; i.e., the backslash (\\) character."},
        {"C:\\data", "ACE", ":\\backups", false, "ACE Target Folder string cannot begin with a colon."},
        {"C:\\data", "ZIP", "backups", false,
         "The Target Folder field is not properly formatted.\r\nIt must contain a valid pathname\r\n"
         "(e.g., 'c:\\MyBackups')."},
        {"C:\\data", "ACE", "\\:\\b", false, "The ACE Target Folder is not properly formatted."},
        {"\\data", "ZIP", "e:\\", false, projectForm},
        {"C:data\\x", "ZIP", "e:\\", false, "The Project Folder is not properly formatted."},
        {"C:", "ZIP", "e:\\", false,
         "The Project Folder contains no path separator character; i.e., the backslash (\\) character."},
        // A network target does not clear the colon found before it.
        {"::\\data", "ZIP", "\\\\srv\\share", false, "Project Folder string cannot begin with a colon character"},
        // A later refusal replaces the colon's.
        {":data", "ZIP", "e:\\", false, "The Project Folder contains no path separator character; i.e., the "
                                        "backslash (\\) character."},
        // The defaults record may leave folders empty; what it holds is checked.
        {"", "", "", true, nullptr},
        {"", "ZIP", "", true, nullptr},
        {"\\data", "", "", true, projectForm},
        {"", "ACE", "backups", true,
         "The ACE Target Folder field is not properly formatted.\r\nIt must contain a valid pathname\r\n"
         "(e.g., 'c:\\MyBackups')."},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> got = folderFormError(folders(c.folder, c.format, c.target), c.defaults);
        EXPECT_EQ(got.value_or("(passes)"), c.refused ? c.refused : "(passes)")
            << c.folder << " " << c.format << " " << c.target;
    }
    EXPECT_EQ(CheckUNC("C:\\a\\\\b"), 0);
    EXPECT_EQ(CheckUNC("C:\\a\\b"), 1);
    EXPECT_EQ(CheckFirstChar(":x"), 1);
    EXPECT_EQ(CheckFirstChar(""), 0);
}

TEST(SaveChecksTest, RequiredValuesAndTheExtensionByFormat)
{
    qm::store::ProjectRecord r;
    const std::pair<F, const char*> steps[] = {
        {F::ProjectFolder, "The Project Folder field requires a value."},
        {F::AutoBackupFormat, "Automatic Back-up Format is a required field."},
        {F::ZIPBackFile, "The QMT Filename field requires a value."},
        {F::ZIPDefaultRestoreFromFolder, "The QMT Target Folder field requires a value."},
        {F::UseTempFolder, "Use Temporary Folder requires a yes or no setting."},
    };
    for (const auto& [field, message] : steps) {
        EXPECT_EQ(missingRequiredValue(r).value_or(""), message);
        r[field] = field == F::AutoBackupFormat ? "ZIP" : "x";
    }
    EXPECT_EQ(missingRequiredValue(r), std::nullopt);
    EXPECT_EQ(r[F::ZIPFilesToProcess], "*");

    r[F::AutoBackupFormat] = "ACE";
    r[F::ACEBackFile] = "b.ACE";
    EXPECT_EQ(missingRequiredValue(r).value_or(""), "The ACE target folder requires a value.");
    EXPECT_EQ(missingExtension(r, false), std::nullopt);
    r[F::AutoBackupFormat] = "ZIP";
    r[F::ZIPBackFile] = "backup.QMT";
    EXPECT_EQ(missingExtension(r, false), std::nullopt);
    r[F::ZIPBackFile] = "";
    EXPECT_EQ(missingExtension(r, true), std::nullopt);
}

class SaveTest : public qm::editor::test::EditorFixture {};

TEST_F(SaveTest, TheExtensionQuestionAddsItOrLeavesTheEditorOpen)
{
    record_[F::ZIPBackFile] = "backup.zip";
    record_[F::ZIPFilesToProcess] = "";
    RecordEditor& e = open("Work");
    const std::string before = projectText("Work");
    ui_.answer(mb::Cancel);
    e.cmdSave_Click();
    EXPECT_EQ(ui_.lastBox().prompt, "The QMT Filename must end with\r\na '.qmt' filename extension.\r\n"
                                    "Click 'Okay' to have Quillmate add\r\nthis extension, or click 'Cancel'\r\n"
                                    "to re-edit this field manually.");
    EXPECT_EQ(ui_.lastBox().buttons, mb::OKCancel);
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::None);
    EXPECT_EQ(ui_.lastBox().title, "Error!");
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPBackFile], "backup.zip");
    EXPECT_EQ(projectText("Work"), before);
    EXPECT_NE(view_.calls.back(), "closeWindow");

    ui_.answer(mb::OK);
    e.cmdSave_Click();
    EXPECT_EQ(ui_.lastBox().prompt, "Project data saved successfully.");
    const std::string saved = projectText("Work");
    EXPECT_NE(saved.find("ZIPBackFile=backup.zip.qmt\r\n"), std::string::npos);
    EXPECT_NE(saved.find("ZIPFilesToProcess=*\r\n"), std::string::npos);
    EXPECT_EQ(view_.calls.back(), "closeWindow");
}

TEST_F(SaveTest, TheDefaultsRecordSavesEmptyAndAProjectUnderOptionsIsChecked)
{
    record_ = {};
    writeProject("../Options/My Data Defaults", record_);
    state_.store.CurrentProjectIni = qm::store::Store::defaultsPath();
    RecordEditor defaults(state_, main_, view_, pickers_, dialogs_, {.defaults = true});
    defaults.Form_Load();
    defaults.cmdSave_Click();
    EXPECT_EQ(ui_.lastBox().title, "Success!");

    std::filesystem::create_directories(native("Options/Old"));
    writeProject("../Options/Old/Work", record_);
    state_.store.CurrentProjectIni = win("Options/Old/Work");
    RecordEditor project(state_, main_, view_, pickers_, dialogs_, {});
    project.Form_Load();
    project.cmdSave_Click();
    EXPECT_EQ(ui_.lastBox().prompt, "The Project Folder field requires a value.");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Critical);
}

// Records hold archive passwords in clear: a save leaves them to their owner,
// also when they were readable by all before.
TEST_F(SaveTest, ASavedRecordIsItsOwnersAlone)
{
    namespace stdfs = std::filesystem;
    record_[F::ZIPDefaultPassword] = "secret";
    RecordEditor& e = open("Work");
    stdfs::permissions(native("Projects/Work"), stdfs::perms(0644));
    e.cmdSave_Click();
    ASSERT_EQ(ui_.lastBox().prompt, "Project data saved successfully.");
    EXPECT_EQ(stdfs::status(native("Projects/Work")).permissions(), stdfs::perms(0600));

    writeProject("../Options/My Data Defaults", record_);
    stdfs::permissions(native("Options/My Data Defaults"), stdfs::perms(0644));
    state_.store.CurrentProjectIni = qm::store::Store::defaultsPath();
    RecordEditor defaults(state_, main_, view_, pickers_, dialogs_, {.defaults = true});
    defaults.Form_Load();
    defaults.cmdSave_Click();
    ASSERT_EQ(ui_.lastBox().title, "Success!");
    EXPECT_EQ(stdfs::status(native("Options/My Data Defaults")).permissions(), stdfs::perms(0600));
}

// A run of the runner while the editor is open stamps the file; Save keeps
// those stamps. A stamp changed in the editor is saved as it stands.
TEST_F(SaveTest, SaveKeepsTheStampsOfABackupMadeWhileTheEditorWasOpen)
{
    record_[F::ZIPLastBackupDate] = "3/1/2026 8:00:00 AM";
    record_[F::ZIPLastBackupFolder] = "D:\\backups";
    record_[F::ACELastBackupDate] = "3/1/2026 8:00:00 AM";
    RecordEditor& e = open("Work");
    qm::profile::writeStrings(native("Projects/Work"),
                              {{"Files and Folders-QMT", "ZIPLastBackupDate", "3/7/2026 2:05:09 PM"},
                               {"Files and Folders-QMT", "ZIPLastBackupFolder", "E:\\later"},
                               {"ACE Backup Options", "ACELastBackupDate", "3/7/2026 2:06:00 PM"}});
    state_.store.ProjectRecord(1)[F::ZIPComments] = "typed";
    state_.store.ProjectRecord(1)[F::ACELastBackupDate] = "3/2/2026 9:00:00 AM";
    e.cmdSave_Click();
    ASSERT_EQ(ui_.lastBox().prompt, "Project data saved successfully.");
    const qm::store::ProjectRecord saved = qm::store::Store::readProject(win("Projects/Work"));
    EXPECT_EQ(saved[F::ZIPLastBackupDate], "3/7/2026 2:05:09 PM");
    EXPECT_EQ(saved[F::ZIPLastBackupFolder], "E:\\later");
    EXPECT_EQ(saved[F::ACELastBackupDate], "3/2/2026 9:00:00 AM");
    EXPECT_EQ(saved[F::ZIPComments], "typed");
}

TEST_F(SaveTest, ListsAreCommittedAfterTheRecordIsWritten)
{
    record_[F::ZIPFilesToProcess] = "(list)";
    record_[F::SFXFilesToProcess] = "(list)";
    record_[F::ACEFilesToProcess] = "*.doc";
    listOf("Work-ZIP", "C:\\old\r\n");
    listOf("Work-ZIP-hold", "C:\\new\r\nC:\\more\r\n");
    listOf("Work-ZIPEXE", "C:\\kept\r\n");
    listOf("Work-ACE", "C:\\gone\r\n");
    listOf("Work-ACE-hold", "C:\\gone too\r\n");
    listOf("Other-ACEEXE-hold", "C:\\x\r\n");
    listOf("Other-ACEEXE", "C:\\x\r\n");
    RecordEditor& e = open("Work");
    e.NewZip = true;
    e.cmdSave_Click();
    EXPECT_EQ(ui_.lastBox().prompt, "Project data saved successfully.");
    EXPECT_EQ(listText("Work-ZIP"), "C:\\new\r\nC:\\more\r\n");
    EXPECT_EQ(listText("Work-ZIPEXE"), "C:\\kept\r\n");
    for (const char* gone : {"Work-ZIP-hold", "Work-ACE", "Work-ACE-hold", "Other-ACEEXE-hold"})
        EXPECT_FALSE(listed(gone)) << gone;
    EXPECT_TRUE(listed("Other-ACEEXE"));
    EXPECT_EQ(main_.calls.back(), "rebuildList");
}

TEST_F(SaveTest, AReadOnlyProjectFileIsReportedAndNothingChanges)
{
    record_[F::ZIPFilesToProcess] = "*";
    listOf("Work-ZIP", "C:\\old\r\n");
    listOf("Work-ZIP-hold", "C:\\new\r\n");
    RecordEditor& e = open("Work");
    const std::string before = projectText("Work");
    std::filesystem::permissions(native("Projects/Work"), std::filesystem::perms::owner_read);
    state_.store.ProjectRecord(1)[F::ZIPComments] = "typed";
    e.NewZip = true;
    e.cmdSave_Click();
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error saving the data: \r\n\r\nPath/File access error", 0), 0u);
    EXPECT_EQ(projectText("Work"), before);
    EXPECT_EQ(listText("Work-ZIP"), "C:\\old\r\n");
    EXPECT_TRUE(listed("Work-ZIP-hold"));
    EXPECT_NE(view_.calls.back(), "closeWindow");
    EXPECT_EQ(state_.store.ProjectRecord(1)[F::ZIPComments], "typed");
}

TEST_F(SaveTest, ACopyThatFailsLeavesTheOldListAndIsReported)
{
    record_[F::ZIPFilesToProcess] = "(list)";
    listOf("Work-ZIP", "C:\\old\r\n");
    listOf("Work-ZIP-hold", std::string(200000, 'x'));
    RecordEditor& e = open("Work");
    e.NewZip = true;
    {
        qm::test::FileSizeLimit limit(64 * 1024);
        e.cmdSave_Click();
    }
    EXPECT_EQ(ui_.lastBox().prompt.rfind("Error saving the data: \r\n\r\nDisk full", 0), 0u);
    EXPECT_EQ(listText("Work-ZIP"), "C:\\old\r\n");
    EXPECT_EQ(view_.calls.back(), "closeWindow");
}

} // namespace

// The user options file: load, save and the temporary folder.
#include "ProgramHome.h"

#include "platform/fs/RtError.h"
#include "platform/ui/MsgBoxStyle.h"

using qm::store::UserOptionsRecord;
using qm::test::readFile;
using qm::test::writeFile;

namespace {

UserOptionsRecord sampleOptions()
{
    UserOptionsRecord rec;
    for (int i = 0; i < UserOptionsRecord::FieldCount; ++i)
        rec.field(i) = "value " + std::to_string(i);
    rec.UserTempFolder = "D:\\Scratch";
    return rec;
}

using UserOptions = qm::test::StoreFixture;

TEST_F(UserOptions, SaveWritesElevenLinesAndSaysSo)
{
    store_.UserOptionsRecord(1) = sampleOptions();
    store_.UserOptionsRecord(1).UserView = "two\nlines";
    store_.SaveUserOptions();

    EXPECT_EQ(readFile(native("Options/User Options")),
              "[USER OPTIONS]\r\n"
              "UserZIPShellPath=value 0\r\n"
              "UserFavoriteAppPath=value 1\r\n"
              "ProjectINIBackupPath=value 2\r\n"
              "UserBackINIOption=value 3\r\n"
              "UserBackINISchedule=value 4\r\n"
              "UserSplitSize=value 5\r\n"
              "UserView=two\rlines\r\n"
              "UserTempFolder=D:\\Scratch\r\n"
              "UserLastINIBackup=value 8\r\n"
              "UserDefaultCompression=value 9\r\n");
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.lastBox().prompt, "User Options saved");
    EXPECT_EQ(ui_.lastBox().title, "Done!");
    EXPECT_EQ(ui_.lastBox().icon, qm::ui::Icon::Information);
    EXPECT_EQ(ui_.lastBox().buttons, qm::ui::mb::OKOnly);
}

TEST_F(UserOptions, SaveThenLoadGivesEveryFieldBack)
{
    store_.UserOptionsRecord(1) = sampleOptions();
    store_.SaveUserOptions();
    store_.UserOptionsRecord(1) = UserOptionsRecord();
    store_.RecordCount = 5;
    store_.LoadUserOptions();

    EXPECT_EQ(store_.UserOptionsRecord(1), sampleOptions());
    EXPECT_EQ(store_.RecordCount, 1);
    EXPECT_EQ(store_.UserOptionsIni, win("Options") + "\\User Options");
    // The temporary folder is taken as written, even though it does not exist.
    EXPECT_EQ(store_.TempFolder, "D:\\Scratch");
}

TEST_F(UserOptions, LoadFindsTheSectionInAnyCaseAndFallsBackToTemp)
{
    writeFile(native("Options/User Options"),
              "[user options]\nuserview = \"Details\" \nUserTempFolder=\nUserView=second\n");
    store_.LoadUserOptions();
    EXPECT_EQ(store_.UserOptionsRecord(1).UserView, "Details");
    EXPECT_EQ(store_.TempFolder, win("Temp"));

    std::filesystem::remove(native("Options/User Options"));
    store_.UserOptionsRecord(1) = sampleOptions();
    store_.LoadUserOptions();
    EXPECT_EQ(store_.UserOptionsRecord(1), UserOptionsRecord());
    EXPECT_EQ(store_.TempFolder, win("Temp"));
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(UserOptions, AFailedSaveThrowsWithoutTheBox)
{
    std::filesystem::remove_all(native("Options"));
    store_.UserOptionsRecord(1) = sampleOptions();
    try {
        store_.SaveUserOptions();
        FAIL() << "saved without an Options folder";
    } catch (const qm::RtError& e) {
        EXPECT_EQ(e.number, qm::rterr::PathNotFound);
        EXPECT_TRUE(e.description.ends_with(win("Options") + "\\User Options")) << e.description;
    }
    EXPECT_TRUE(ui_.boxes().empty());
    EXPECT_FALSE(std::filesystem::exists(native("Options")));
}

} // namespace

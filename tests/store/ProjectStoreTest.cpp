// Project files: the whole-file load, save and template, and record fields.
#include "ProgramHome.h"

#include "store/ProjectLayout.h"
#include "platform/fs/RtError.h"

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace fs = std::filesystem;
using qm::store::ProjectField;
using qm::store::ProjectRecord;
using qm::test::readFile;
using qm::test::writeFile;

namespace {

constexpr int Unused = static_cast<int>(ProjectField::Unused167);

std::string golden(const char* name) { return readFile(qm::test::sourceDir() / "tests/store/data" / name); }

// Every field holds "F" and its number; the unused one holds something that
// must never reach the file.
ProjectRecord numberedRecord()
{
    ProjectRecord rec;
    for (int i = 0; i < qm::store::ProjectFieldCount; ++i)
        rec.field(i) = i == Unused ? "never written" : "F" + std::to_string(i);
    return rec;
}

std::string lowerAscii(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

using ProjectFile = qm::test::StoreFixture;

TEST_F(ProjectFile, SaveWritesTheWholeFileByteForByte)
{
    store_.ProjectRecord(1) = numberedRecord();
    store_.CurrentProjectIni = win("Projects/Golden");
    writeFile(native("Projects/Golden"), "[SOURCES]\r\nProjectName=old\r\nstray=key\r\n");
    store_.SaveProject();

    const std::string text = readFile(native("Projects/Golden"));
    EXPECT_EQ(text, golden("golden-project"));
    EXPECT_EQ(qm::test::crlfLines(text), 221);
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(ProjectFile, LoadReadsEveryFieldInAnyCaseIntoAFreshRecord)
{
    const ProjectRecord expected = [] {
        ProjectRecord r = numberedRecord();
        r.field(Unused).clear();
        return r;
    }();
    writeFile(native("Projects/Upper"), golden("golden-project"));
    writeFile(native("Projects/lower"), lowerAscii(golden("golden-project")));

    for (const char* name : {"Projects/Upper", "Projects/lower"}) {
        SCOPED_TRACE(name);
        store_.RecordCount = 3;
        store_.ProjectRecord.redimPreserve(3);
        store_.ProjectRecord(1).field(Unused) = "left over";
        store_.CurrentProjectIni = win(name);
        store_.LoadProject();
        EXPECT_EQ(store_.RecordCount, 1);
        EXPECT_EQ(store_.ProjectRecord.size(), 1);
        ProjectRecord want = expected;
        if (std::string(name).ends_with("lower"))
            for (auto& f : want.fields)
                f = lowerAscii(f);
        EXPECT_EQ(store_.ProjectRecord(1), want);
    }
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(ProjectFile, PartialMissingAndUnnamedFilesGiveEmptyFields)
{
    writeFile(native("Projects/Short"), "[SOURCES]\nProjectName=Short\n");
    store_.CurrentProjectIni = win("Projects/Short");
    store_.LoadProject();
    ProjectRecord want;
    want[ProjectField::ProjectName] = "Short";
    EXPECT_EQ(store_.ProjectRecord(1), want);

    for (std::string path : {win("Projects/Missing"), win("No Such Folder/x"), std::string(), std::string("Q:\\x")}) {
        store_.ProjectRecord(1) = numberedRecord();
        store_.CurrentProjectIni = path;
        store_.LoadProject();
        EXPECT_EQ(store_.ProjectRecord(1), ProjectRecord()) << path;
    }
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(ProjectFile, ValuesComeBackAsTheProfileReaderGivesThem)
{
    ProjectRecord& rec = store_.ProjectRecord(1);
    rec[ProjectField::SFXPasswordPromptMsg] = "Password, please:";
    rec[ProjectField::SFXProjectIntro] = std::string(300, 'i');
    rec[ProjectField::ACEComments] = "Grüße – ümlauts";
    rec[ProjectField::ZIPComments] = "first line\r\nsecond line\nthird";
    rec[ProjectField::ProjectName] = "\"Quoted\"";
    store_.CurrentProjectIni = win("Projects/Values");
    store_.SaveProject();

    const std::string text = readFile(native("Projects/Values"));
    EXPECT_EQ(qm::test::crlfLines(text), 221);
    EXPECT_NE(text.find("\r\nZIPComments=first line\rsecond line\rthird\r\n"), std::string::npos);

    store_.LoadProject();
    const ProjectRecord& back = store_.ProjectRecord(1);
    EXPECT_EQ(back[ProjectField::ZIPComments], "first line\rsecond line\rthird");
    EXPECT_EQ(back[ProjectField::SFXPasswordPromptMsg], "Password, please:");
    EXPECT_EQ(back[ProjectField::SFXProjectIntro], std::string(255, 'i'));
    EXPECT_EQ(back[ProjectField::ACEComments], "Grüße – ümlauts");
    EXPECT_EQ(back[ProjectField::ProjectName], "Quoted");

    // Blanks around a value are written unchanged (a reader trims them).
    rec[ProjectField::ZIPComments] = "  padded  ";
    store_.SaveProject();
    EXPECT_NE(readFile(native("Projects/Values")).find("\r\nZIPComments=  padded  \r\n"), std::string::npos);
}

TEST_F(ProjectFile, AFailedSaveThrowsAndKeepsTheOldFile)
{
    writeFile(native("plain"), "a file, not a folder");
    store_.CurrentProjectIni = win("plain") + "\\Project";
    EXPECT_THROW(store_.SaveProject(), qm::RtError);

    // A write that fails part-way (the file size limit stands in for a full disk).
    const std::string old = "[SOURCES]\r\nProjectName=Old\r\n";
    writeFile(native("Projects/Old"), old);
    store_.CurrentProjectIni = win("Projects/Old");
    store_.ProjectRecord(1) = numberedRecord();
    int number = 0;
    {
        qm::test::FileSizeLimit limit(1000);
        number = qm::test::rtErrorNumber([&] { store_.SaveProject(); });
    }

    EXPECT_EQ(number, qm::rterr::DiskFull);
    EXPECT_EQ(readFile(native("Projects/Old")), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(native("Projects")), fs::directory_iterator()), 1);
}

TEST_F(ProjectFile, CreateWritesTheTemplateOnly)
{
    writeFile(native("Projects/My Project"), golden("golden-project"));
    store_.CurrentProjectIni = win("Projects/My Project");
    store_.ProjectRecord(1) = numberedRecord();
    store_.CreateProjectFile("My Project");

    const std::string text = readFile(native("Projects/My Project"));
    EXPECT_EQ(text, golden("golden-template"));
    EXPECT_EQ(qm::test::crlfLines(text), 74);
    EXPECT_EQ(store_.CurrentProjectIni, win("Projects/My Project"));
    EXPECT_EQ(store_.ProjectRecord(1), numberedRecord());

    store_.LoadProject();
    ProjectRecord want;
    want[ProjectField::ProjectName] = "My Project";
    EXPECT_EQ(store_.ProjectRecord(1), want);
}

TEST_F(ProjectFile, CreateRefusesNamesThatLeaveTheProjectsFolder)
{
    for (std::string name : {"", ".", "..", "..\\Options\\User Options", "a/b", "tab\there", "line\nbreak"}) {
        try {
            store_.CreateProjectFile(name);
            ADD_FAILURE() << "accepted \"" << name << "\"";
        } catch (const qm::RtError& e) {
            EXPECT_EQ(e.number, qm::rterr::BadFileName);
        }
    }
    EXPECT_TRUE(fs::is_empty(native("Projects")));
    EXPECT_TRUE(fs::is_empty(native("Options")));
}

TEST(ProjectRecordFields, ByIdNumberAndName)
{
    ProjectRecord rec;
    rec[ProjectField::ZIPDoSubFolders] = "yes";
    EXPECT_EQ(rec.field(45), "yes");
    ASSERT_NE(rec.byName("zipdosubfolders"), nullptr);
    EXPECT_EQ(*rec.byName("zipdosubfolders"), "yes");
    EXPECT_EQ(rec.byName("NoSuchField"), nullptr);
    EXPECT_EQ(rec.byName(""), nullptr);

    EXPECT_EQ(qm::store::fieldByName("ACESFXDoSubfolders"), ProjectField::ACESFXDoSubFolders);
    EXPECT_EQ(qm::store::fieldName(ProjectField::AutoBackupFormat), "AutoBackupFormat");
    EXPECT_EQ(static_cast<int>(ProjectField::AutoBackupFormat), 177);
    EXPECT_EQ(qm::store::fieldName(ProjectField::Unused167), "");
    EXPECT_EQ(qm::store::fieldByName("ACESFXInstallMode"), std::nullopt);

    for (int bad : {-1, 178}) {
        try {
            rec.field(bad);
            ADD_FAILURE() << bad;
        } catch (const qm::RtError& e) {
            EXPECT_EQ(e.number, 9);
        }
    }
}

} // namespace

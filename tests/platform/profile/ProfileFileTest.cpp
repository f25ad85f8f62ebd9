// The profile functions on real files.
#include "platform/profile/Profile.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/RtError.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
namespace pf = qm::profile;
using qm::test::readFile;
using qm::test::TempDir;
using qm::test::writeFile;

namespace {

TEST(ProfileFile, MissingOrUnreadableFileGivesTheDefault)
{
    TempDir dir;
    EXPECT_EQ(pf::getString(dir / "none.ini", "s", "k", "dflt"), "dflt");
    EXPECT_EQ(pf::getString(dir / "no folder" / "x.ini", "s", "k", ""), "");
    EXPECT_EQ(pf::getString(dir.path(), "s", "k", "dflt"), "dflt"); // a folder
    EXPECT_FALSE(fs::exists(dir / "none.ini"));
}

TEST(ProfileFile, WriteCreatesAMissingFileWithTheOneSectionAndKey)
{
    TempDir dir;
    pf::writeString(dir / "new.ini", "User Options", "UserView", "list");
    EXPECT_EQ(readFile(dir / "new.ini"), "[User Options]\r\nUserView=list\r\n");
    EXPECT_EQ(pf::getString(dir / "new.ini", "USER OPTIONS", "userview", ""), "list");
}

TEST(ProfileFile, WriteKeepsEveryOtherByteAndLeavesNoTemporaryFiles)
{
    TempDir dir;
    const std::string before = "[SOURCES]\r\nProjectName=\"My Project\"\r\n\r\n"
                               "[FILES AND FOLDERS-QMT]\r\nZIPLastBackupDate=1/2/2024\r\n"
                               "ZIPLastBackupFolder=C:\\old\r\n";
    writeFile(dir / "p", before);
    pf::writeString(dir / "p", "files and folders-qmt", "ziplastbackupdate", "3/7/2026 2:05:09 PM");
    std::string expected = before;
    expected.replace(expected.find("1/2/2024"), 8, "3/7/2026 2:05:09 PM");
    EXPECT_EQ(readFile(dir / "p"), expected);
    EXPECT_EQ(pf::getString(dir / "p", "Sources", "ProjectName", ""), "My Project");

    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(ProfileFile, SeveralKeysInOneRewriteEndAsOneWriteForEach)
{
    TempDir dir;
    const std::string before = "[SOURCES]\r\nProjectName=P\r\n\r\n[FILES AND FOLDERS-QMT]\r\nZIPLastBackupDate=1/2/2024\r\n"
                               "\r\n[BACKUP OPTIONS]\r\nZIPBackupOption=automatic\r\n";
    writeFile(dir / "one", before);
    writeFile(dir / "each", before);
    // A key that is there, one missing from its section, one whose section is missing.
    pf::writeStrings(dir / "one", {{"Files and Folders-QMT", "ZIPLastBackupDate", "3/7/2026"},
                                   {"Files and Folders-QMT", "ZIPLastBackupFolder", "C:\\out"},
                                   {"Comments", "ZIPComments", "a\r\nb"}});
    pf::writeString(dir / "each", "Files and Folders-QMT", "ZIPLastBackupDate", "3/7/2026");
    pf::writeString(dir / "each", "Files and Folders-QMT", "ZIPLastBackupFolder", "C:\\out");
    pf::writeString(dir / "each", "Comments", "ZIPComments", "a\r\nb");
    EXPECT_EQ(readFile(dir / "one"), readFile(dir / "each"));

    // One key that cannot be written: none is.
    const std::string now = readFile(dir / "one");
    EXPECT_THROW(pf::writeStrings(dir / "one", {{"Comments", "ZIPComments", "c"}, {"s", "bad=key", "v"}}),
                 qm::RtError);
    EXPECT_EQ(readFile(dir / "one"), now);
}

TEST(ProfileFile, FailedWritesThrowAndKeepTheOldFile)
{
    TempDir dir;
    writeFile(dir / "plain", "not a folder");
    try {
        pf::writeString(dir / "plain" / "x.ini", "s", "k", "v");
        FAIL() << "wrote below a regular file";
    } catch (const qm::RtError& e) {
        EXPECT_NE(e.number, 0);
    }

    const std::string before = "[s]\r\nk=v\r\n";
    writeFile(dir / "keep.ini", before);
    EXPECT_THROW(pf::writeString(dir / "keep.ini", "s", "bad=key", "v"), qm::RtError);
    EXPECT_EQ(readFile(dir / "keep.ini"), before);

    fs::create_directory(dir / "folder.ini");
    EXPECT_THROW(pf::writeString(dir / "folder.ini", "s", "k", "v"), qm::RtError);
}

TEST(ProfileFile, DeleteKeyAndSection)
{
    TempDir dir;
    writeFile(dir / "d.ini", "[a]\r\nx=1\r\ny=2\r\n\r\n[b]\r\nz=3\r\n");
    pf::deleteKey(dir / "d.ini", "a", "x");
    pf::deleteSection(dir / "d.ini", "B");
    EXPECT_EQ(readFile(dir / "d.ini"), "[a]\r\ny=2\r\n\r\n");
    pf::deleteKey(dir / "missing.ini", "a", "x");
    EXPECT_FALSE(fs::exists(dir / "missing.ini"));
}

// INI files hold passwords (records, options, the registry): whatever writes
// them leaves them to their owner, new or old, and a read-only file stays so.
TEST(ProfileFile, EveryWriteLeavesTheFileToItsOwnerAlone)
{
    TempDir dir;
    auto mode = [&](const char* name) { return fs::status(dir / name).permissions(); };
    const mode_t umask = ::umask(0);
    pf::writeString(dir / "new.ini", "s", "k", "v");
    pf::saveText(dir / "whole.ini", "[s]\r\nk=v\r\n");
    ::umask(umask);
    EXPECT_EQ(mode("new.ini"), fs::perms(0600));
    EXPECT_EQ(mode("whole.ini"), fs::perms(0600));

    for (const char* name : {"set.ini", "deleted.ini", "saved.ini", "read-only.ini"}) {
        writeFile(dir / name, "[s]\r\nk=v\r\nx=1\r\n");
        fs::permissions(dir / name, fs::perms(name == std::string("read-only.ini") ? 0444 : 0664));
    }
    pf::writeString(dir / "set.ini", "s", "k", "w");
    pf::deleteKey(dir / "deleted.ini", "s", "x");
    pf::saveDocument(dir / "saved.ini", pf::loadDocument(dir / "saved.ini"));
    pf::writeString(dir / "read-only.ini", "s", "k", "w");
    EXPECT_EQ(mode("set.ini"), fs::perms(0600));
    EXPECT_EQ(mode("deleted.ini"), fs::perms(0600));
    EXPECT_EQ(mode("saved.ini"), fs::perms(0600));
    EXPECT_EQ(mode("read-only.ini"), fs::perms(0400));
    EXPECT_EQ(readFile(dir / "set.ini"), "[s]\r\nk=w\r\nx=1\r\n");

    // Other whole-file writes keep the permissions the file had.
    writeFile(dir / "plain", "x");
    fs::permissions(dir / "plain", fs::perms(0644));
    qm::fs::writeFileAtomic(dir / "plain", "y");
    EXPECT_EQ(mode("plain"), fs::perms(0644));
}

// Two programs updating different keys of one file at the same time: no
// update is lost, and a reader only ever sees whole files.
TEST(ProfileFile, ConcurrentWritersInTwoProcessesLoseNothing)
{
    TempDir dir;
    const fs::path file = dir / "User Options";
    writeFile(file, "[USER OPTIONS]\r\nUserView=list\r\n");
    constexpr int Writes = 60;

    auto spawn = [&](auto body) {
        pid_t pid = ::fork();
        if (pid == 0) {
            bool ok = true;
            try {
                ok = body();
            } catch (...) {
                ok = false;
            }
            ::_exit(ok ? 0 : 1);
        }
        return pid;
    };
    std::vector<pid_t> writers;
    for (char who : {'a', 'b'})
        writers.push_back(spawn([&, who] {
            for (int i = 0; i < Writes; ++i)
                pf::writeString(file, "User Options", std::string(1, who) + std::to_string(i), "v");
            return true;
        }));
    const pid_t reader = spawn([&] {
        for (int i = 0; i < 300; ++i) {
            const std::string text = readFile(file);
            if (!text.starts_with("[USER OPTIONS]\r\n") || !text.ends_with("\r\n"))
                return false;
        }
        return true;
    });
    for (pid_t pid : writers) {
        int status = -1;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_EQ(status, 0);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(reader, &status, 0), reader);
    EXPECT_EQ(status, 0) << "a reader saw part of a file";

    const pf::IniDocument doc = pf::loadDocument(file);
    int lost = 0;
    for (char who : {'a', 'b'})
        for (int i = 0; i < Writes; ++i)
            lost += doc.value("User Options", std::string(1, who) + std::to_string(i)) ? 0 : 1;
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(doc.value("User Options", "UserView"), "list");
}

} // namespace

// The built stubs: what their files hold, and self-extractors made by our
// zip control with them, run offscreen through the headless copy.
#include "HeadlessSfx.h"
#include "SfxTestUtil.h"

#include "platform/fs/Drives.h"
#include "platform/process/RunFromCopy.h"
#include "platform/profile/Profile.h"
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/PavikZip.h"
#include "platform/zip/SfxBlock.h"
#include "sfxstub/ExitStatus.h"
#include "sfxstub/Session.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace qm::sfxstub::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::readFile;

class StubProgram : public ::testing::Test {
protected:
    stdfs::path stub(const char* name) { return qm::test::programDir() / name; }

    // A self-extractor of `files` made with `stubName`; the archive's methods in `methods`.
    stdfs::path make(const char* stubName, int method, std::vector<int>* methods = nullptr)
    {
        qm::zip::PavikZip z;
        z.ArchivePath = win(tmp / "made.exe");
        z.SourceFolder = win(src);
        z.Method = method;
        z.SfxStubPath = win(stub(stubName));
        z.SfxDefaultFolder = destination;
        EXPECT_EQ(z.Build(), 0);
        if (methods) {
            qm::zip::ArchiveReader r;
            r.open(tmp / "made.exe");
            for (const auto& e : r.entries())
                methods->push_back(e.method);
        }
        return tmp / "made.exe";
    }
    // Copies the self-extractor into an empty folder and runs it there.
    int runIn(const stdfs::path& made, const stdfs::path& folder, std::string* out)
    {
        stdfs::remove_all(folder);
        stdfs::create_directories(folder);
        qm::test::copyHeadlessSfx(made, folder / "setup.exe");
        return qm::test::runSfx(folder / "setup.exe", out);
    }
    bool sameTree(const stdfs::path& out)
    {
        return qm::test::runCommand({"diff", "-r", "-x", "setup.exe", src.string(), out.string()}) == 0;
    }

    qm::test::TempDir tmp{"qm-sfx-program"};
    stdfs::path src = tmp / "src";
    std::string destination; // of the self-extractors made
    void SetUp() override
    {
        for (const char* s : {"pvksfxbz.bin", "pvksfx32.bin"})
            if (!stdfs::exists(stub(s)))
                GTEST_FAIL() << s << " is not built in " << qm::test::programDir();
        qm::zip::test::makeFiles(src, {{"notes.txt", qm::zip::test::textBytes(60000)},
                                       {"photos/raw.bin", qm::zip::test::randomBytes(40000)},
                                       {"photos/list.txt", "a\r\nb\r\n"},
                                       {"empty.txt", ""}});
    }
};

TEST_F(StubProgram, StubsHoldNoMarkerAndNoWholeSignature)
{
    const auto m = qm::sfx::marker();
    const std::string marker(reinterpret_cast<const char*>(m.data()), m.size());
    for (const char* s : {"pvksfxbz.bin", "pvksfx32.bin"}) {
        const std::string bytes = readFile(stub(s));
        EXPECT_GT(bytes.size(), qm::sfx::MarkerSearchStart);
        for (const std::string& sig : {std::string("PK\1\2", 4), std::string("PK\3\4", 4), std::string("PK\5\6", 4),
                                      marker})
            EXPECT_EQ(bytes.find(sig), std::string::npos) << s;
    }
}

TEST_F(StubProgram, ExtractsStoredAndBurrowsWheelerEntriesAndReportsDamage)
{
    std::vector<int> methods;
    const stdfs::path made = make("pvksfxbz.bin", 18, &methods);
    EXPECT_NE(std::find(methods.begin(), methods.end(), 0), methods.end());
    EXPECT_NE(std::find(methods.begin(), methods.end(), 18), methods.end());
    std::string out;
    EXPECT_EQ(runIn(made, tmp / "out", &out), 0) << out;
    EXPECT_TRUE(sameTree(tmp / "out"));

    // One byte of stored data changed: the CRC check fails.
    std::string bytes = readFile(made);
    const size_t at = bytes.find(readFile(src / "photos/raw.bin").substr(100, 32));
    ASSERT_NE(at, std::string::npos);
    bytes[at] = char(bytes[at] ^ 1);
    qm::test::writeFile(tmp / "bad.exe", bytes);
    EXPECT_EQ(runIn(tmp / "bad.exe", tmp / "bad", &out), 110) << out;
    EXPECT_FALSE(stdfs::exists(tmp / "bad" / "photos" / "raw.bin"));
}

TEST_F(StubProgram, OnlyTheDeflateStubReadsDeflatedEntries)
{
    const stdfs::path made = make("pvksfx32.bin", 8);
    std::string out;
    EXPECT_EQ(runIn(made, tmp / "out32", &out), 0) << out;
    EXPECT_TRUE(sameTree(tmp / "out32"));
    // The other stub reports the entries it cannot decode: a failed run.
    EXPECT_EQ(runIn(make("pvksfxbz.bin", 8), tmp / "outbz", &out), 40) << out;
    EXPECT_FALSE(stdfs::exists(tmp / "outbz" / "notes.txt"));
}

TEST_F(StubProgram, ADestinationInDriveFormIsReachedThroughTheDriveTable)
{
    stdfs::create_directories(tmp / "Existing Out");
    destination = win(tmp / "existing out"); // a drive path, in another case than on disk
    std::string out;
    EXPECT_EQ(runIn(make("pvksfxbz.bin", 18), tmp / "run", &out), 0) << out;
    EXPECT_TRUE(sameTree(tmp / "Existing Out"));
}

TEST_F(StubProgram, ADriveTableThatCannotBeReadCountsAsEmpty)
{
    const stdfs::path made = make("pvksfxbz.bin", 18);
    stdfs::create_directories(tmp / "platform" / "drives"); // a folder in its place
    qm::test::ScopedEnv platform("QUILLMATE_PLATFORM_DIR", (tmp / "platform").string());
    std::string out;
    EXPECT_EQ(runIn(made, tmp / "out", &out), 0) << out;
    EXPECT_TRUE(sameTree(tmp / "out"));
    EXPECT_EQ(out.rfind("The drive table cannot be read"), out.find("The drive table cannot be read")) << out;
    EXPECT_NE(out.find("The drive table cannot be read"), std::string::npos) << out;
}

TEST_F(StubProgram, AnArchiveOfEntriesSharingBytesEndsAsDamaged)
{
    // Sixteen directory records pointing at one local header of 1 MiB of zeros.
    constexpr size_t Size = 1 << 20;
    qm::test::writeFile(tmp / "shared.exe",
                        qm::test::sfxProgramPart(make("pvksfxbz.bin", 18)) + sharedHeaderZip(16, Size));
    std::string out;
    EXPECT_EQ(runIn(tmp / "shared.exe", tmp / "shared", &out), 110) << out;
    EXPECT_LE(bytesBelow(tmp / "shared") - stdfs::file_size(tmp / "shared" / "setup.exe"), Size);
}

TEST_F(StubProgram, WithoutADisplayQuestionsTakeTheirCancelAnswer)
{
    // No configuration block: the message goes to standard error.
    qm::test::writeFile(tmp / "plain.exe", readFile(stub("pvksfxbz.bin")));
    stdfs::permissions(tmp / "plain.exe", stdfs::perms::owner_all);
    std::string out;
    EXPECT_EQ(qm::test::runSfx(tmp / "plain.exe", &out), 255) << out;
    EXPECT_NE(out.find(InvalidConfigurationText), std::string::npos) << out;
    EXPECT_EQ(qm::test::runSfxWithoutDisplay(tmp / "plain.exe", &out), 255) << out;

    // As the zip control makes it, the program asks for its destination
    // first: Exit, and nothing is extracted.
    const stdfs::path made = make("pvksfxbz.bin", 18);
    stdfs::create_directories(tmp / "asked");
    qm::test::copySfxWithConfig(made, tmp / "asked" / "setup.exe", [](qm::sfx::SfxConfig&) {});
    EXPECT_EQ(qm::test::runSfx(tmp / "asked" / "setup.exe", &out), 190) << out;
    EXPECT_EQ(qm::zip::test::allFiles(tmp / "asked"), std::vector<std::string>{"setup.exe"});

    // Damaged, its end record missing, the destination given: the last disk
    // is asked for and Cancel ends the run; the failure message follows.
    std::string bytes = readFile(made);
    bytes.resize(bytes.size() - 22);
    qm::test::writeFile(tmp / "cut.exe", bytes);
    stdfs::create_directories(tmp / "cut");
    qm::sfx::SfxConfig seen;
    qm::test::copySfxWithConfig(tmp / "cut.exe", tmp / "cut" / "setup.exe", [&](qm::sfx::SfxConfig& c) {
        c.AskDestination = 0;
        seen = c;
    });
    for (bool offscreen : {true, false}) {
        const stdfs::path program = tmp / "cut" / "setup.exe";
        const int status = offscreen ? qm::test::runSfx(program, &out) : qm::test::runSfxWithoutDisplay(program, &out);
        EXPECT_EQ(status, 190) << out;
        EXPECT_NE(out.find(seen.InsertLastDiskText + " [" + seen.CancelCaption + "]"), std::string::npos) << out;
        EXPECT_NE(out.find("190"), std::string::npos) << out; // the failure message's result
    }
}

TEST_F(StubProgram, ASetSplitBesideItsProgramIsExtractedWholeOrItsMissingPartNamed)
{
    qm::zip::test::makeFiles(src, {{"photos/big.bin", qm::zip::test::randomBytes(900000, 21)}});
    const stdfs::path made = tmp / "made";
    stdfs::create_directories(made);
    qm::zip::PavikZip z;
    z.ArchivePath = win(made / "Home.exe");
    z.SourceFolder = win(src);
    z.Method = 18;
    z.SfxStubPath = win(stub("pvksfxbz.bin"));
    z.SplitPartSize = 600000;
    ASSERT_EQ(z.Build(), 0);
    auto namesIn = [](const stdfs::path& folder) {
        std::vector<std::string> n = qm::zip::test::allFiles(folder);
        std::sort(n.begin(), n.end());
        return n;
    };
    ASSERT_EQ(namesIn(made), (std::vector<std::string>{"Home.exe", "Home.z02", "Home.z03"}));
    auto lay = [&](const stdfs::path& folder, const std::vector<std::string>& parts) {
        stdfs::create_directories(folder);
        qm::test::copyHeadlessSfx(made / "Home.exe", folder / "Home.exe");
        for (const std::string& p : parts)
            stdfs::copy_file(made / p, folder / p);
    };
    std::string out;
    lay(tmp / "whole", {"Home.z02", "Home.z03"});
    EXPECT_EQ(qm::test::runSfx(tmp / "whole" / "Home.exe", &out), 0) << out;
    EXPECT_EQ(qm::test::runCommand({"diff", "-r", "-x", "Home.*", src.string(), (tmp / "whole").string()}), 0);

    lay(tmp / "short", {"Home.z02"});
    EXPECT_EQ(resultOfExitStatus(qm::test::runSfx(tmp / "short" / "Home.exe", &out)), result::PartMissing) << out;
    EXPECT_NE(out.find(partMissingText(win(tmp / "short" / "Home.z03"))), std::string::npos) << out;
    EXPECT_EQ(namesIn(tmp / "short"), (std::vector<std::string>{"Home.exe", "Home.z02"}));
}

// From a removable drive whose disk is really mounted on its folder the stub
// goes on from a copy of itself in the temporary folder, which it leaves
// empty; where that folder takes no copy it runs from where it lies.
TEST_F(StubProgram, FromAMountedRemovableDriveTheStubRunsFromACopyOfItself)
{
    qm::zip::test::DiskSwapper swapper(tmp / "media", true, 0, /*mounts*/ true);
    if (!swapper.mounted())
        GTEST_SKIP() << "the disks are mounts, which this process may not make";
    destination = win(tmp / "out");
    qm::test::copyHeadlessSfx(make("pvksfxbz.bin", 18), swapper.folder("disk1") / "setup.exe");
    qm::test::TempDir temp("qm-sfx-temp");
    const int made = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(made, temp.path().c_str(), IN_CREATE);
    for (const stdfs::path& tmpdir : {temp.path(), tmp / "none"}) {
        qm::test::ScopedEnv env("TMPDIR", tmpdir.string());
        std::string out;
        stdfs::remove_all(tmp / "out");
        EXPECT_EQ(qm::test::runSfx(swapper.folder("drive") / "setup.exe", &out), 0) << out;
        EXPECT_TRUE(sameTree(tmp / "out")) << tmpdir;
    }
    char events[4096];
    EXPECT_GT(read(made, events, sizeof events), 0); // the copy's folder
    close(made);
    EXPECT_TRUE(qm::zip::test::allFiles(temp.path()).empty());
}

// A spanned set on a drive whose disks are really mounted on its folder in
// turn, run by a stub that asks for its disks through its standard output
// (AskingStub.cpp). Started from disk 1 on a removable drive the program
// runs from its copy: at each prompt the disk in the drive comes out (a plain
// unmount, refused while anything holds it) and the next goes in. On a drive
// that is not removable it runs where it lies.
TEST_F(StubProgram, ASpannedSetIsExtractedFromDisksReallyMountedInTurn)
{
    qm::zip::test::DiskSwapper swapper(tmp / "media", true, 0, /*mounts*/ true);
    if (!swapper.mounted())
        GTEST_SKIP() << "the disks are mounts, which this process may not make";
    swapper.labelsFollow = false;
    qm::zip::test::makeFiles(src, {{"photos/big.bin", qm::zip::test::randomBytes(700000, 21)}});
    qm::zip::ZipEventHandlers h;
    swapper.answerRequestsOf(h);
    qm::zip::PavikZip z;
    z.addEventSink(&h);
    z.ArchivePath = "A:\\Home.exe";
    z.SourceFolder = win(src);
    z.Method = 18;
    z.SfxStubPath = win(QM_ASKING_STUB);
    z.SfxDefaultFolder = win(tmp / "out");
    z.SfxRunAfter = "C:\\bin\\sh|-c \"env > \\\"$0\\\"\" " + win(tmp / "after.env"); // what it starts sees
    z.SpanMode = 1;
    z.SplitPartSize = int64_t(stdfs::file_size(QM_ASKING_STUB)) + 100000;
    ASSERT_EQ(z.Build(), 0);
    const int disks = swapper.highestAsked();
    ASSERT_GE(disks, 3);
    swapper.insert("disk1");
    qm::test::copyHeadlessSfx(swapper.folder("disk1") / "Home.exe", swapper.folder("disk1") / "Home.exe");

    const std::string program = (swapper.folder("drive") / "Home.exe").string();
    qm::test::TempDir temp("qm-sfx-temp");
    qm::test::ScopedEnv tmpdir("TMPDIR", temp.str());
    auto runsFrom = [](const qm::test::BackgroundProgram& p) {
        return stdfs::read_symlink("/proc/" + std::to_string(p.pid()) + "/exe").string();
    };
    qm::profile::writeString(qm::fs::drivesFile(), "A:", "Type", "fixed");
    // Cancel at the first prompt, on a fixed drive and on a removable one; then the whole set.
    for (const auto& [removable, cancel] : {std::pair{false, true}, std::pair{true, true}, std::pair{true, false}}) {
        if (removable)
            swapper.insert("disk1");
        qm::test::BackgroundProgram run({program}, /*talk*/ true);
        while (std::optional<std::string> prompt = run.line()) {
            EXPECT_EQ(runsFrom(run).rfind(temp.str(), 0) == 0, removable) << runsFrom(run);
            const size_t digit = prompt->find_first_of("0123456789"); // none: the last disk
            const int disk = digit == std::string::npos ? disks : std::stoi(prompt->substr(digit));
            if (!cancel)
                swapper.insert("disk" + std::to_string(disk));
            run.say(cancel ? "cancel" : "ok");
        }
        EXPECT_EQ(run.wait(), cancel ? 190 : 0) << removable;
        EXPECT_TRUE(qm::zip::test::allFiles(temp.path()).empty());
    }
    EXPECT_EQ(qm::zip::test::filesBelow(tmp / "out"), qm::zip::test::filesBelow(src));
    const std::string seen = readFile(tmp / "after.env");
    EXPECT_NE(seen.find("TMPDIR="), std::string::npos);
    EXPECT_EQ(seen.find(qm::process::RunCopyVariable), std::string::npos);
}

TEST_F(StubProgram, HeadlessCopyRefusesAFileWithoutConfiguration)
{
    qm::test::writeFile(tmp / "plain.exe", readFile(stub("pvksfxbz.bin")));
    std::filesystem::permissions(tmp / "plain.exe", std::filesystem::perms::owner_all);
    EXPECT_THROW(qm::test::copyHeadlessSfx(tmp / "plain.exe", tmp / "x.exe"), std::runtime_error);
}

} // namespace
} // namespace qm::sfxstub::test

// The built Nightwick backing up onto a file system that is nearly full: a
// small tmpfs mounted for the test, which needs root (without it the test
// is skipped; the zip control's own disk-full tests, through the file-size
// limit and write faults, still run). The old archive stays, the log holds
// a clean error and the project is not stamped.
#include "ProgramHome.h"
#include "ZipTestUtil.h"

#include "platform/zip/PavikZip.h"

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace {

namespace stdfs = std::filesystem;

class NightwickDiskFull : public qm::test::RunnerHome {
protected:
    void SetUp() override
    {
        if (!stdfs::exists(nightwick_))
            GTEST_FAIL() << "Nightwick is not built in " << qm::test::programDir();
        if (::geteuid() != 0)
            GTEST_SKIP() << "a small file system is mounted only as root; disk full is tested in-process elsewhere";
        stdfs::create_directories(native("small"));
        if (::mount("qm-disk-full", native("small").c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m,mode=0755") != 0)
            GTEST_SKIP() << "no small file system could be mounted here (" << std::strerror(errno) << ")";
        mounted_ = true;
    }
    void TearDown() override
    {
        if (mounted_)
            ::umount2(native("small").c_str(), MNT_DETACH);
    }

    const stdfs::path nightwick_ = qm::test::programDir() / "Nightwick";
    bool mounted_ = false;
    qm::test::ScopedEnv noDisplay_{"DISPLAY", std::nullopt};
    qm::test::ScopedEnv noWayland_{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(NightwickDiskFull, TheOldArchiveStaysTheLogSaysWhyAndNothingIsStamped)
{
    qm::store::ProjectRecord record = zipProject("Full");
    record[F::ZIPDefaultRestoreFromFolder] = win("small");
    record[F::ZIPCompressionMethod] = "pvzDeflated";
    makeSource("Full", {{"small.txt", "fits easily"}});
    writeProject("Full", record);
    ASSERT_EQ(qm::test::BackgroundProgram({nightwick_.string()}).wait(), 0);
    const stdfs::path archive = native("small/Full.qmt");
    const std::string old = qm::test::readFile(archive);
    ASSERT_FALSE(old.empty());

    // Due again, with more than the file system holds (data that does not shrink).
    writeProject("Full", record);
    const std::string due = projectText("Full");
    makeSource("Full", {{"big.bin", qm::zip::test::randomBytes(1536 * 1024)}, {"small.txt", "changed"}});
    const size_t logBefore = logLines().size();
    ASSERT_EQ(qm::test::BackgroundProgram({nightwick_.string()}).wait(), 1); // the run failed

    EXPECT_EQ(qm::test::readFile(archive), old);
    EXPECT_EQ(projectText("Full"), due);
    EXPECT_EQ(std::vector<std::string>{"Full.qmt"}, qm::zip::test::allFiles(native("small")));
    const std::vector<std::string> lines = logLines();
    ASSERT_GE(lines.size(), logBefore + 3);
    const std::string error = qm::zip::PavikZip().ErrorText(0, qm::zip::result::DiskFull);
    EXPECT_EQ(lines[logBefore + 1], "<Now>\t" + error + " for Full");
    EXPECT_EQ(lines[logBefore + 2], "<Now>\tTarget Drive/Directory has insufficient space to store your database. "
                                    "Choose another location and try again.");
    std::printf("backup onto a full 1 MiB file system: result %d logged, old archive kept, nothing stamped\n",
                qm::zip::result::DiskFull);
}

} // namespace

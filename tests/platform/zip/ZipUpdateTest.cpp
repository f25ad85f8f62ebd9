// Stamping an archive with the date of its newest entry.
#include "ZipTestUtil.h"

#include "store/ZipUpdate.h"

#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
namespace dt = qm::datetime;
using qm::store::clsZipUpdate;
using qm::test::TempDir;

class ZipDateStamp : public ::testing::Test {
protected:
    // An archive of files with the given local modification times.
    stdfs::path archiveOf(const std::vector<dt::DateTime>& dates, const std::string& name = "a.zip")
    {
        stdfs::path src = tmp.path() / ("src-" + name);
        stdfs::create_directories(src);
        for (size_t i = 0; i < dates.size(); ++i) {
            stdfs::path f = src / ("f" + std::to_string(i) + ".txt");
            qm::test::writeFile(f, "x");
            struct timespec ts[2] = {{dt::toTimeT(dates[i]), 0}, {dt::toTimeT(dates[i]), 0}};
            ::utimensat(AT_FDCWD, f.c_str(), ts, 0);
        }
        PavikZip z;
        z.ArchivePath = win(tmp.path() / name);
        z.SourceFolder = win(src);
        if (dates.empty()) {
            // No files: an empty archive, written by hand.
            qm::test::writeFile(tmp.path() / name, rawZip({}));
        } else {
            EXPECT_EQ(z.Build(), result::Ok);
        }
        return tmp.path() / name;
    }
    static time_t mtime(const stdfs::path& p)
    {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_mtime;
    }

    TempDir tmp{"qm-zip-date"};
    PavikZip zip;
};

TEST_F(ZipDateStamp, NewestEntryDateBecomesTheFileDate)
{
    dt::DateTime newest{2021, 3, 7, 14, 5, 10};
    stdfs::path a = archiveOf({{2019, 1, 2, 3, 4, 6}, newest, {2020, 12, 31, 23, 59, 58}, newest});
    std::string path = win(a);
    qm::store::CheckDate(zip, path);
    EXPECT_EQ(mtime(a), dt::toTimeT(newest));
    EXPECT_EQ(zip.ArchivePath, path); // the control names the stamped file afterwards

    clsZipUpdate u(zip);
    EXPECT_TRUE(u.UpdateZipDate(path));
    EXPECT_EQ(u.NewestDate, newest);
    EXPECT_TRUE(u.UpdateZipDate(path)); // a reused object starts again from 1980
    EXPECT_EQ(u.NewestDate, newest);
}

TEST_F(ZipDateStamp, EmptyArchiveGetsTheFirstDosDay)
{
    stdfs::path a = archiveOf({});
    clsZipUpdate u(zip);
    EXPECT_TRUE(u.UpdateZipDate(win(a)));
    EXPECT_EQ(mtime(a), dt::toTimeT(dt::DateTime{1980, 1, 1, 0, 0, 0}));
}

TEST_F(ZipDateStamp, LocalTimeFollowsTheZoneRulesOfThatDate)
{
    qm::test::ScopedEnv tz("TZ", "Europe/Berlin");
    ::tzset();
    dt::DateTime summer{2020, 7, 1, 12, 0, 0};
    stdfs::path a = archiveOf({summer, {2020, 1, 15, 12, 0, 0}});
    clsZipUpdate u(zip);
    EXPECT_TRUE(u.UpdateZipDate(win(a)));
    EXPECT_EQ(mtime(a), time_t(1593597600)); // 2020-07-01 10:00:00 UTC: summer time, whatever today is
    ::unsetenv("TZ");
}

TEST_F(ZipDateStamp, ReadOnlyOrUnlistableFilesAreLeftAlone)
{
    stdfs::path a = archiveOf({{2021, 5, 5, 5, 5, 6}});
    struct timespec keep[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, a.c_str(), keep, 0);
    stdfs::permissions(a, stdfs::perms::owner_write | stdfs::perms::group_write | stdfs::perms::others_write,
                       stdfs::perm_options::remove);
    clsZipUpdate u(zip);
    EXPECT_FALSE(u.UpdateZipDate(win(a)));
    EXPECT_EQ(mtime(a), 1000000000);

    stdfs::path junk = tmp.path() / "junk.zip";
    qm::test::writeFile(junk, "not an archive");
    ::utimensat(AT_FDCWD, junk.c_str(), keep, 0);
    EXPECT_FALSE(u.UpdateZipDate(win(junk)));
    EXPECT_EQ(mtime(junk), 1000000000);
    EXPECT_FALSE(u.UpdateZipDate(win(tmp.path() / "missing.zip")));
}

TEST_F(ZipDateStamp, AccessTimeStaysAndOtherListenersStillHearEveryEntry)
{
    stdfs::path a = archiveOf({{2022, 2, 2, 2, 2, 2}, {2022, 2, 3, 2, 2, 2}});
    // A self-extractor: the archive behind a stub is stamped the same way.
    std::string bytes = qm::test::readFile(a);
    qm::test::writeFile(a, std::string(3000, 'S') + bytes);
    struct timespec ts[2] = {{1111111111, 0}, {1111111111, 0}};
    ::utimensat(AT_FDCWD, a.c_str(), ts, 0);

    Recorder window; // the main window's own handler
    zip.addEventSink(&window);
    {
        clsZipUpdate u(zip);
        EXPECT_TRUE(u.UpdateZipDate(win(a)));
        EXPECT_EQ(zip.sinks().size(), 2u);
    }
    EXPECT_EQ(zip.sinks().size(), 1u); // released with the object
    EXPECT_EQ(window.listed.size(), 2u);
    struct stat st {};
    ::stat(a.c_str(), &st);
    EXPECT_EQ(st.st_atime, 1111111111);
    EXPECT_EQ(st.st_mtime, dt::toTimeT(dt::DateTime{2022, 2, 3, 2, 2, 2}));
}

} // namespace
} // namespace qm::zip::test

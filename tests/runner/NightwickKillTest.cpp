// The built Nightwick killed at random moments (seeded) while it backs up a
// due project whose files change from run to run: after every kill the
// previous archive is there as it was, or the new one is complete; the
// project file is as it was or correctly stamped; and what a killed run
// left behind is cleared by the next one, so nothing piles up.
#include "ProgramHome.h"
#include "ZipTestUtil.h"

#include "platform/profile/IniDocument.h"
#include "runner/Runner.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <zlib.h>

namespace {

namespace stdfs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int Kills = 20;

class NightwickKill : public qm::test::RunnerHome {
protected:
    void SetUp() override
    {
        if (!stdfs::exists(nightwick_))
            GTEST_FAIL() << "Nightwick is not built in " << qm::test::programDir();
    }

    // The project's files in round `round`: each round changes every file.
    static std::map<std::string, std::string> files(unsigned round)
    {
        std::map<std::string, std::string> f;
        for (unsigned i = 0; i < 16; ++i)
            f["part" + std::to_string(i / 4) + "/file" + std::to_string(i) + ".txt"] =
                qm::zip::test::textBytes(1024 * 1024 + i, round * 100 + i);
        return f;
    }


    // Whether the archive tests whole and holds exactly `expected`.
    bool holds(const stdfs::path& archive, const std::map<std::string, std::string>& expected)
    {
        qm::zip::PavikZip zip;
        qm::zip::test::Recorder rec;
        zip.addEventSink(&rec);
        zip.ArchivePath = qm::zip::test::win(archive);
        if (zip.Test() != 0 || zip.ListEntries() != 0)
            return false;
        std::map<std::string, uint32_t> listed;
        for (const qm::zip::ListedEntry& e : rec.listed)
            if (e.name.back() != '\\')
                listed[e.name] = e.crc;
        std::map<std::string, uint32_t> wanted;
        for (const auto& [name, bytes] : expected) {
            std::string shown = name;
            std::replace(shown.begin(), shown.end(), '/', '\\');
            wanted[shown] = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
        }
        const bool peerAgrees = !qm::test::haveProgram("unzip") ||
                                qm::test::runCommand({"unzip", "-tq", archive.string()}) == 0;
        return listed == wanted && peerAgrees;
    }

    const stdfs::path nightwick_ = qm::test::programDir() / "Nightwick";
    qm::test::ScopedEnv noDisplay_{"DISPLAY", std::nullopt};
    qm::test::ScopedEnv noWayland_{"WAYLAND_DISPLAY", std::nullopt};
    qm::test::ScopedEnv workers_{"QUILLMATE_ZIP_WORKERS", "2"};
    qm::test::ScopedEnv now_{"QUILLMATE_FAKE_NOW", "2026-03-07 13:05:09"};
};

TEST_F(NightwickKill, KilledRunsKeepThePreviousArchiveOrAWholeNewOneAndLeaveNothingBehind)
{
    // Deflated, which the peer reads too, at the highest level: the build
    // takes a good part of the run.
    qm::store::ProjectRecord record = zipProject("Big");
    record[F::ZIPCompressionMethod] = "pvzDeflated";
    record[F::ZIPCompressionLevel] = "high";
    makeSource("Big", files(0));
    writeProject("Big", record);
    const std::string due = projectText("Big");
    qm::profile::IniDocument doc(due);
    doc.setValue("Files and Folders-QMT", "ZIPLastBackupDate", "3/7/2026 1:05:09 PM");
    const std::string dateStamped = doc.text();
    doc.setValue("Files and Folders-QMT", "ZIPLastBackupFolder", win("out"));
    const std::string stamped = doc.text();
    const stdfs::path archive = native("out/Big.qmt");

    // A whole first run: the previous archive of every later one, and how long a run takes.
    const auto start = Clock::now();
    ASSERT_EQ(qm::test::BackgroundProgram({nightwick_.string()}).wait(), 0);
    const auto runTime = Clock::now() - start;
    ASSERT_TRUE(holds(archive, files(0)));
    ASSERT_EQ(projectText("Big"), stamped);

    std::mt19937 rng(28);
    // Nothing happens before the run's timer fires: the kills fall from just
    // before it to a little past the whole first run (an update of the
    // archive takes longer than the first build).
    const long runMs = long(std::chrono::duration_cast<std::chrono::milliseconds>(runTime).count());
    std::uniform_int_distribution<long> delay(qm::runner::Timer1Interval * 19 / 20, runMs + runMs / 10);
    int keptOld = 0, newUnstamped = 0, newStamped = 0, mostTemporaries = 0, ended = 0;
    for (unsigned round = 1; round <= unsigned(Kills); ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        writeProject("Big", record); // due again
        makeSource("Big", files(round));
        const std::string before = qm::test::readFile(archive);

        qm::test::BackgroundProgram run({nightwick_.string()});
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(rng)));
        const bool killed = run.kill();

        // The previous archive byte for byte, or a new one that is whole.
        const bool replaced = qm::test::readFile(archive) != before;
        if (replaced) {
            EXPECT_TRUE(holds(archive, files(round)));
        }
        const std::string project = projectText("Big");
        EXPECT_TRUE(project == due || project == dateStamped || project == stamped) << project;
        // Stamped only once the new archive is in place; a run that ended is stamped.
        EXPECT_TRUE(project == due || replaced);
        EXPECT_TRUE(killed || project == stamped);
        (replaced ? project == stamped ? newStamped : newUnstamped : keptOld)++;
        ended += !killed;

        const int left = std::max(qm::test::temporaries(native("out")), qm::test::temporaries(native("Projects")));
        EXPECT_LE(left, 1) << "temporary files pile up";
        mostTemporaries = std::max(mostTemporaries, left);
        const std::string log = logText();
        EXPECT_TRUE(log.empty() || log.compare(log.size() - 2, 2, "\r\n") == 0) << "half a log line";
    }

    // One more whole run clears what the last kill left.
    writeProject("Big", record);
    ASSERT_EQ(qm::test::BackgroundProgram({nightwick_.string()}).wait(), 0);
    EXPECT_TRUE(holds(archive, files(Kills)));
    EXPECT_EQ(qm::test::temporaries(native("out")), 0);
    EXPECT_EQ(qm::test::temporaries(native("Projects")), 0);
    EXPECT_EQ(projectText("Big"), stamped);
    std::printf("Nightwick killed %d times (a run takes %lld ms, %d ended before the kill): previous archive kept "
                "%d, new archive not yet stamped %d, new archive stamped %d; at most %d temporary file(s) left at "
                "once\n",
                Kills, static_cast<long long>(runMs), ended, keptOld, newUnstamped, newStamped, mostTemporaries);
}

} // namespace

// The data-file restore (QMBackupData.exe, run headless) killed at 20
// moments while it puts the project files back over older ones: after every
// kill each project file is the old one or the restored one, whole, none is
// missing and no other file shows in the Projects folder; what a killed
// restore left behind is cleared by the next one.
#include "app/ProgramState.h"
#include "mainwindow/Procedures.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "HeadlessSfx.h"
#include "ProgramHome.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <thread>

using namespace qm::app;

namespace {

namespace stdfs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int Kills = 20;
constexpr int Projects = 8;

// The project files in `version`: records with long comments, so that
// putting them back takes a while.
std::map<std::string, std::string> projectFiles(unsigned version)
{
    static const char* words[] = {"backup", "archive", "folder", "nightly", "project", "restore", "drive", "copy"};
    std::map<std::string, std::string> files;
    std::mt19937 rng(version);
    for (int p = 0; p < Projects; ++p) {
        const std::string name = "Project " + std::to_string(p);
        std::string text = "[SOURCES]\r\nProjectName=" + name + "\r\n[COMMENTS]\r\n";
        for (int line = 0; text.size() < 1024 * 1024; ++line) {
            text += "ZIPComments" + std::to_string(line) + "=";
            for (int w = 0; w < 12; ++w)
                text += std::string(words[rng() % 8]) + " ";
            text += "v" + std::to_string(version) + "\r\n";
        }
        files[name] = text;
    }
    return files;
}

class DataRestoreKill : public qm::test::ProgramHomeTest {
protected:
    DataRestoreKill() : ProgramHomeTest({"Projects", "Options", "Temp", "databk"})
    {
        ui_.setUnscriptedResult(qm::ui::mb::OK);
        qm::test::writeFile(native("Options/User Options"),
                            "[USER OPTIONS]\r\nProjectINIBackupPath=" + win("databk") + "\r\n");
        state_.store.UserOptionsRecord(1).ProjectINIBackupPath = win("databk");
    }

    void putProjects(const std::map<std::string, std::string>& files)
    {
        for (const auto& [name, text] : files)
            qm::test::writeFile(native("Projects/" + name), text);
    }

    // The files of the Projects folder that a listing shows (no hidden ones).
    std::map<std::string, std::string> shownProjects() const
    {
        std::map<std::string, std::string> files;
        for (const auto& e : stdfs::directory_iterator(native("Projects")))
            if (e.path().filename().string().front() != '.')
                files[e.path().filename().string()] = qm::test::readFile(e.path());
        return files;
    }

    // The most temporary files left beside one project file.
    int temporariesOfOneFile() const
    {
        std::map<std::string, int> count;
        for (const auto& e : stdfs::directory_iterator(native("Projects"))) {
            const std::string name = e.path().filename().string();
            if (name.front() == '.' && name.ends_with(".tmp"))
                ++count[name.substr(0, name.rfind(".~"))];
        }
        int most = 0;
        for (const auto& [file, n] : count)
            most = std::max(most, n);
        return most;
    }

    qm::ui::FakeUiServices ui_;
    ProgramState state_{ui_};
    qm::test::FakeMainWindowView view_;
    qm::test::FakeWindows windows_;
    Procedures procs_{state_, view_, windows_.windows};
    qm::test::ScopedEnv offscreen_{"QT_QPA_PLATFORM", "offscreen"};
};

TEST_F(DataRestoreKill, KilledRestoresLeaveEveryProjectFileOldOrNewAndWhole)
{
    const auto restored = projectFiles(1);
    const auto older = projectFiles(2);
    stdfs::copy_file(qm::test::programDir() / "pvksfxbz.bin", native("pvksfxbz.bin"));
    putProjects(restored);
    procs_.BackUpDB();
    ASSERT_EQ(ui_.lastBox().prompt, "Quillmate data files backed up successfully to " + win("databk") +
                                        "\\QMBackupData.exe");
    const stdfs::path program = native("databk/restore.exe");
    qm::test::copyHeadlessSfx(native("databk/QMBackupData.exe"), program);

    // A whole restore over the older files, and how long it takes.
    putProjects(older);
    const auto start = Clock::now();
    ASSERT_EQ(qm::test::BackgroundProgram({program.string()}).wait(), 0);
    const long runMs =
        long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    ASSERT_EQ(shownProjects(), restored);

    // The kills fall from the start to a little past the end of such a run,
    // one in each twentieth of it, at a random point of that twentieth.
    std::mt19937 rng(34);
    std::uniform_real_distribution<double> within(0.0, 1.0);
    int allOld = 0, allNew = 0, some = 0, ended = 0, mostTemporaries = 0;
    for (int kill = 1; kill <= Kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        putProjects(older);
        qm::test::BackgroundProgram restoring({program.string()});
        std::this_thread::sleep_for(
            std::chrono::milliseconds(long((kill - 1 + within(rng)) * (runMs + runMs / 10) / Kills)));
        ended += !restoring.kill();

        const auto shown = shownProjects();
        int newer = 0;
        for (const auto& [name, text] : restored) {
            const auto it = shown.find(name);
            if (it == shown.end()) {
                ADD_FAILURE() << name << " is missing";
                continue;
            }
            EXPECT_TRUE(it->second == text || it->second == older.at(name)) << name << " is not whole";
            newer += it->second == text;
        }
        EXPECT_EQ(shown.size(), restored.size()) << "a file shows that is no project";
        (newer == 0 ? allOld : newer == Projects ? allNew : some)++;
        // A killed restore leaves the file it was writing; the next one to
        // write that file clears it.
        EXPECT_LE(temporariesOfOneFile(), 1) << "temporary files pile up";
        mostTemporaries = std::max(mostTemporaries, qm::test::temporaries(native("Projects")));
    }
    // One more whole run clears what the last kill left.
    putProjects(older);
    ASSERT_EQ(qm::test::BackgroundProgram({program.string()}).wait(), 0);
    EXPECT_EQ(shownProjects(), restored);
    EXPECT_EQ(qm::test::temporaries(native("Projects")), 0);
    std::printf("restores killed %d times (a whole one takes %ld ms, %d ended before the kill): all files old %d, "
                "all restored %d, some restored %d; at most %d temporary file(s) left at once\n",
                Kills, runMs, ended, allOld, allNew, some, mostTemporaries);
}

} // namespace

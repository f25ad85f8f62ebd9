// Archive copies ("Send QMT to", "Send EXE to") killed at 20 moments, with
// the helper SendLoop.cpp copying two projects' archives in turn into one
// folder: after every kill each copy there is one project's file whole, the
// sources and the Projects folder are as they were, and what a killed copy
// left behind is cleared by the next copy of that file. And two helpers
// sending two projects' sets of one name into one folder at once.
#include "platform/fs/SetAside.h"
#include "platform/zip/PavikZip.h"

#include "ProgramHome.h"
#include "ZipTestUtil.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <thread>

namespace {

namespace stdfs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int Kills = 20;
constexpr std::size_t ArchiveSize = 24 * 1024 * 1024;

// Bytes that differ for every seed.
std::string archiveBytes(unsigned seed)
{
    std::mt19937 rng(seed);
    std::string bytes(ArchiveSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const std::uint32_t v = rng();
        bytes.replace(i, 4, reinterpret_cast<const char*>(&v), 4);
    }
    return bytes;
}

class ArchiveCopyKill : public qm::test::ProgramHomeTest {
protected:
    ArchiveCopyKill() : ProgramHomeTest({"Projects", "even", "odd", "disk"})
    {
        unsigned seed = 1;
        for (const char* name : {"Even", "Odd"}) {
            const std::string folder = name == std::string("Even") ? "even" : "odd";
            qm::store::ProjectRecord r = zipProject(name);
            r[F::ZIPBackFile] = "Big.qmt";
            r[F::SFXBackFile] = "Big.exe";
            r[F::ZIPDefaultRestoreFromFolder] = win(folder);
            writeProject(name, r);
            for (const char* file : {"Big.qmt", "Big.exe"}) {
                sources_[folder + "/" + file] = archiveBytes(seed++);
                qm::test::writeFile(native(folder + "/" + file), sources_[folder + "/" + file]);
            }
        }
    }

    // Every file of a folder of the program folder with its bytes.
    std::map<std::string, std::string> filesIn(const std::string& folder) const
    {
        std::map<std::string, std::string> files;
        for (const auto& e : stdfs::directory_iterator(native(folder)))
            files[e.path().filename().string()] = qm::test::readFile(e.path());
        return files;
    }

    // Whether the copy `file` in "disk" is missing (not copied yet) or one
    // project's file whole; gives which one in `from`.
    bool wholeCopy(const std::string& file, std::string& from) const
    {
        if (!stdfs::exists(native("disk/" + file))) {
            from = "none";
            return true;
        }
        const std::string bytes = qm::test::readFile(native("disk/" + file));
        for (const char* folder : {"even", "odd"})
            if (bytes == sources_.at(std::string(folder) + "/" + file)) {
                from = folder;
                return true;
            }
        return false;
    }

    const std::string helper_ = QM_SEND_LOOP;
    std::map<std::string, std::string> sources_;
};

TEST_F(ArchiveCopyKill, KilledCopiesLeaveAWholeFileAndTheSourcesAlone)
{
    const auto projects = filesIn("Projects");
    // A whole run of a few rounds, and how long it takes.
    const auto start = Clock::now();
    ASSERT_EQ(qm::test::BackgroundProgram({helper_, "send", "4"}).wait(), 0);
    const long runMs =
        long(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    std::string from;
    ASSERT_TRUE(wholeCopy("Big.qmt", from) && from == "even");

    // The kills fall from the start to the end of such a run, one in each
    // twentieth of it, at a random point of that twentieth.
    std::mt19937 rng(34);
    std::uniform_real_distribution<double> within(0.0, 1.0);
    int mostTemporaries = 0;
    std::map<std::string, int> found;
    for (int kill = 1; kill <= Kills; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        qm::test::BackgroundProgram sending({helper_, "send", "0"});
        std::this_thread::sleep_for(std::chrono::milliseconds(long((kill - 1 + within(rng)) * runMs / Kills)));
        EXPECT_TRUE(sending.kill()) << "the helper ended by itself";

        for (const char* file : {"Big.qmt", "Big.exe"}) {
            EXPECT_TRUE(wholeCopy(file, from)) << file << " is not whole";
            ++found[std::string(file) + " from " + from];
        }
        EXPECT_EQ(filesIn("Projects"), projects);
        for (const char* folder : {"even", "odd"})
            for (const char* file : {"Big.qmt", "Big.exe"})
                EXPECT_EQ(qm::test::readFile(native(std::string(folder) + "/" + file)),
                          sources_.at(std::string(folder) + "/" + file));
        // A killed copy leaves its temporary file; the next copy of that file clears it.
        const int left = qm::test::temporaries(native("disk"));
        EXPECT_LE(left, 2) << "temporary files pile up";
        mostTemporaries = std::max(mostTemporaries, left);
    }
    // One whole run clears what the last kill left.
    ASSERT_EQ(qm::test::BackgroundProgram({helper_, "send", "2"}).wait(), 0);
    EXPECT_EQ(qm::test::temporaries(native("disk")), 0);
    EXPECT_TRUE(wholeCopy("Big.exe", from) && from == "even");

    std::printf("copies killed %d times (a run of 4 rounds takes %ld ms):", Kills, runMs);
    for (const auto& [what, n] : found)
        std::printf(" %s %d,", what.c_str(), n);
    std::printf(" at most %d temporary file(s) left at once\n", mostTemporaries);
}

// Two programs sending two projects' sets of one name ("Set.qmt.zip", of
// three and of five parts) into one folder at once, round after round: each
// time the test holds the name there as a writer does, the folder holds one
// of the two sets whole and nothing else, and so it does at the end; every
// box either says the copy was done or that the folder is left to the other
// copy, never that it keeps what it held.
class SendRace : public qm::test::ProgramHomeTest {
protected:
    SendRace() : ProgramHomeTest({"Projects", "even", "odd", "disk", "src"})
    {
        for (const auto& [name, bytes] : {std::pair<std::string, size_t>{"Even", 150000}, {"Odd", 300000}}) {
            const std::string folder = name == "Even" ? "even" : "odd";
            qm::store::ProjectRecord r = zipProject(name);
            r[F::ZIPBackFile] = "Set.qmt";
            r[F::ZIPDefaultRestoreFromFolder] = win(folder);
            writeProject(name, r);
            stdfs::remove_all(native("src"));
            qm::test::writeFile(native("src/a.bin"), qm::zip::test::randomBytes(bytes, unsigned(bytes)));
            qm::zip::PavikZip z;
            z.ArchivePath = win(folder + "/Set.qmt.zip");
            z.SourceFolder = win("src");
            z.SplitPartSize = 65536;
            EXPECT_EQ(z.Build(), 0);
            sets_[folder] = visibleFiles(native(folder));
        }
    }
    // The files of a folder but the hidden ones (a writer's temporary files, its copies aside).
    static std::map<std::string, std::string> visibleFiles(const stdfs::path& folder)
    {
        std::map<std::string, std::string> files;
        for (const auto& e : stdfs::directory_iterator(folder))
            if (e.path().filename().string()[0] != '.')
                files[e.path().filename().string()] = qm::test::readFile(e.path());
        return files;
    }
    // Whether "disk" holds nothing, or one project's set whole and nothing else.
    bool oneSetWhole() const
    {
        const std::map<std::string, std::string> now = visibleFiles(native("disk"));
        return now.empty() || now == sets_.at("even") || now == sets_.at("odd");
    }

    const std::string helper_ = QM_SEND_LOOP;
    std::map<std::string, std::map<std::string, std::string>> sets_;
};

TEST_F(SendRace, TwoSendsOfOneSetAtOnceLeaveOneSetWholeAndEveryBoxTrue)
{
    constexpr int Rounds = 150;
    qm::test::BackgroundProgram even({helper_, "race", std::to_string(Rounds), "Even"}, true);
    qm::test::BackgroundProgram odd({helper_, "race", std::to_string(Rounds), "Odd"}, true);
    std::atomic<int> running{2};
    std::optional<std::string> refused[2];
    int status[2] = {-1, -1};
    std::thread waiters[2];
    qm::test::BackgroundProgram* helpers[2] = {&even, &odd};
    for (int i = 0; i < 2; ++i)
        waiters[i] = std::thread([&, i] {
            refused[i] = helpers[i]->line();
            status[i] = helpers[i]->wait();
            --running;
        });
    const stdfs::path last = native("disk/Set.qmt.zip");
    int looks = 0;
    while (running > 0) {
        qm::fs::SetAside held(last, qm::fs::SetAside::asideName(last), {}, true, qm::fs::SetAside::Hold::NameOnly);
        if (held.holds()) { // else a writer has it
            EXPECT_TRUE(oneSetWhole()) << "look " << looks;
            ++looks;
            held.settle(true);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // the writers' turn
    }
    for (std::thread& w : waiters)
        w.join();
    EXPECT_EQ(status[0], 0);
    EXPECT_EQ(status[1], 0);
    EXPECT_TRUE(oneSetWhole());
    EXPECT_FALSE(visibleFiles(native("disk")).empty());
    EXPECT_EQ(qm::test::temporaries(native("disk")), 0);
    qm::zip::PavikZip test;
    test.ArchivePath = win("disk/Set.qmt.zip");
    EXPECT_EQ(test.Test(), 0);
    std::printf("two sends of %d rounds each: %d looks at the folder, %s and %s sends left to the other copy\n",
                Rounds, looks, refused[0].value_or("?").c_str(), refused[1].value_or("?").c_str());
}

} // namespace

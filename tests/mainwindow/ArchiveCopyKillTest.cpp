// Archive copies ("Send QMT to", "Send EXE to") killed at 20 moments, with
// the helper SendLoop.cpp copying two projects' archives in turn into one
// folder: after every kill each copy there is one project's file whole, the
// sources and the Projects folder are as they were, and what a killed copy
// left behind is cleared by the next copy of that file.
#include "ProgramHome.h"

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

} // namespace

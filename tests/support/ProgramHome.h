#pragma once
// A program folder of its own for each test: QUILLMATE_HOME points at a
// fresh folder (with the data folders the test asks for) and XDG_DATA_HOME
// at a fresh data folder (where the tasks folder lives). Helpers give the
// Windows form of paths below it, write project files (raw lines or whole
// records as the main program writes them) and source folders, and read
// autoback.log with its date-time texts checked.
//
//   class MyTest : public qm::test::ProgramHomeTest {
//   protected:
//       MyTest() : ProgramHomeTest({"Projects", "Options"}) {}
//   };
//
// StoreFixture and RunnerHome are the two usual set-ups.
#include "platform/fs/Paths.h"
#include "store/ProjectFile.h"
#include "store/ProjectRecord.h"
#include "store/Store.h"

#include "FakeUiServices.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace qm::test {

class ProgramHomeTest : public ::testing::Test {
protected:
    using F = qm::store::ProjectField;

    // `folders`: made below the program folder before the test starts.
    explicit ProgramHomeTest(std::initializer_list<const char*> folders = {})
        : home_("qm-home"), data_("qm-data"), homeEnv_("QUILLMATE_HOME", home_.str()),
          dataEnv_("XDG_DATA_HOME", data_.str())
    {
        for (const char* d : folders)
            std::filesystem::create_directories(home_ / d);
    }
    // Operations that make a folder of the program current (the data-file
    // backup, ...) leave it so; the process goes back before it is removed.
    ~ProgramHomeTest() override
    {
        std::error_code ec;
        std::filesystem::current_path(cwd_, ec);
    }

    // ---- Paths
    std::filesystem::path native(const std::string& rel) const { return home_ / rel; }
    // The Windows form of a path below the program folder.
    std::string win(const std::string& rel) const { return qm::fs::fromNative(home_ / rel); }
    // The tasks folder below the data folder.
    std::filesystem::path tasks() const { return data_ / "quillmate" / "Tasks"; }

    // ---- Project files
    // A project file with the given body (lines joined by CR LF).
    void project(const std::string& file, std::initializer_list<std::string> lines)
    {
        std::string text;
        for (const std::string& l : lines)
            text += l + "\r\n";
        std::filesystem::create_directories(native("Projects"));
        qm::test::writeFile(native("Projects/" + file), text);
    }
    // Writes the whole project file as the main program does.
    void writeProject(const std::string& fileName, const qm::store::ProjectRecord& r)
    {
        qm::test::writeFile(home_ / "Projects" / fileName, qm::store::projectFileText(r));
    }
    std::string projectText(const std::string& fileName) const
    {
        return qm::test::readFile(home_ / "Projects" / fileName);
    }
    // A source folder "src-<name>" holding `files` (relative name -> bytes).
    std::string makeSource(const std::string& name, const std::map<std::string, std::string>& files)
    {
        const std::filesystem::path dir = home_ / ("src-" + name);
        std::filesystem::create_directories(dir);
        for (const auto& [rel, bytes] : files) {
            std::filesystem::create_directories((dir / rel).parent_path());
            qm::test::writeFile(dir / rel, bytes);
        }
        return win("src-" + name);
    }
    // A project due for an automatic ZIP backup every day, never backed up:
    // source "src-<name>", target "out", archive "<name>.qmt".
    qm::store::ProjectRecord zipProject(const std::string& name) const
    {
        qm::store::ProjectRecord r;
        r[F::ProjectName] = name;
        r[F::ProjectFolder] = win("src-" + name);
        r[F::ZIPBackFile] = name + ".qmt";
        r[F::ZIPDefaultRestoreFromFolder] = win("out");
        r[F::ZIPDoSubFolders] = "yes";
        r[F::ZIPPreservePaths] = "yes";
        r[F::ZIPUseComments] = "no";
        r[F::ZIPUsePassword] = "no";
        r[F::ZIPBackupOption] = "automatic";
        r[F::ZIPBackupFrequency] = "1";
        r[F::AutoBackupFormat] = "ZIP";
        return r;
    }

    // A project due for an automatic ACE backup every day, never backed up:
    // source "src-<name>" with its subfolders, target "out", archive "<name>.ace".
    qm::store::ProjectRecord aceProject(const std::string& name) const
    {
        qm::store::ProjectRecord r;
        r[F::ProjectName] = name;
        r[F::ProjectFolder] = win("src-" + name);
        r[F::ACEBackFile] = name + ".ace";
        r[F::ACEDefaultRestoreFromFolder] = win("out");
        r[F::ACEDoSubFolders] = "yes";
        r[F::ACEBackupOption] = "automatic";
        r[F::ACEBackupFrequency] = "1";
        r[F::AutoBackupFormat] = "ACE";
        return r;
    }

    // ---- autoback.log
    std::string logText() const
    {
        const std::filesystem::path p = home_ / "autoback.log";
        return std::filesystem::exists(p) ? qm::test::readFile(p) : std::string();
    }
    // The log's lines (each must end CR LF); an event line's date-time text
    // must read as M/d/yyyy h:mm:ss AM|PM and is replaced by "<Now>".
    std::vector<std::string> logLines() const
    {
        static const std::regex stamp(R"(^\d{1,2}/\d{1,2}/\d{4} \d{1,2}:\d{2}:\d{2} (AM|PM)\t)");
        std::vector<std::string> out;
        const std::string text = logText();
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find("\r\n", pos);
            if (end == std::string::npos) {
                ADD_FAILURE() << "log line without CR LF: " << text.substr(pos);
                break;
            }
            std::string line = text.substr(pos, end - pos);
            std::smatch m;
            if (std::regex_search(line, m, stamp))
                line = "<Now>\t" + m.suffix().str();
            out.push_back(line);
            pos = end + 2;
        }
        return out;
    }
    static std::string dashes(int n = 72) { return std::string(size_t(n), '-'); }

    // ---- Waiting
    // Runs `fn` and tells whether it finished (within EventLimit) although
    // nobody writes to the named pipes `fifos`. When it has not, the pipes
    // are opened for writing until it does, so that a test never hangs.
    static bool finishesWithoutWriters(const std::vector<std::filesystem::path>& fifos,
                                       const std::function<void()>& fn)
    {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            fn();
            done = true;
        });
        const bool inTime = eventually([&] { return done.load(); });
        while (!done) {
            for (const std::filesystem::path& f : fifos)
                if (int fd = ::open(f.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC); fd >= 0)
                    ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        worker.join();
        return inTime;
    }

    qm::test::TempDir home_;
    qm::test::TempDir data_;
    qm::test::ScopedEnv homeEnv_;
    qm::test::ScopedEnv dataEnv_;
    std::filesystem::path cwd_ = std::filesystem::current_path();
};

// The store's tests: Projects and Options made, boxes to the scripted fake.
class StoreFixture : public ProgramHomeTest {
protected:
    StoreFixture() : ProgramHomeTest({"Projects", "Options"}) {}

    qm::ui::FakeUiServices ui_;
    qm::store::Store store_{ui_};
};

// The runner's tests: every data folder made, and "out" for the archives.
class RunnerHome : public ProgramHomeTest {
protected:
    RunnerHome() : ProgramHomeTest({"Projects", "Options", "Filelists", "Temp", "out"}) {}
};

// A record whose checks pass for a ZIP and an ACE backup: project "P" from
// C:\src to C:\out.
inline qm::store::ProjectRecord completeRecord()
{
    using F = qm::store::ProjectField;
    qm::store::ProjectRecord r;
    r[F::ProjectName] = "P";
    r[F::ProjectFolder] = "C:\\src";
    r[F::ZIPBackFile] = "p.qmt";
    r[F::ZIPDefaultRestoreFromFolder] = "C:\\out";
    r[F::ZIPDoSubFolders] = "no";
    r[F::ACEBackFile] = "p.ace";
    r[F::ACEDefaultRestoreFromFolder] = "C:\\out";
    r[F::ACEDoSubFolders] = "no";
    return r;
}

// Number of CR LF line ends in a text.
inline int crlfLines(const std::string& text)
{
    int n = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
        ++n;
    return n;
}

} // namespace qm::test

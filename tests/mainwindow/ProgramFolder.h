#pragma once
// A program folder of its own for each test (QUILLMATE_HOME) and a data
// folder of its own (XDG_DATA_HOME, where the tasks folder lives), with
// helpers to write project files in it.
#include "platform/fs/Paths.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

class ProgramFolderTest : public ::testing::Test {
protected:
    ProgramFolderTest()
        : home_("qm-mw"), data_("qm-mw-data"), homeEnv_("QUILLMATE_HOME", home_.str()),
          dataEnv_("XDG_DATA_HOME", data_.str())
    {
    }

    std::filesystem::path native(const std::string& rel) const { return home_ / rel; }
    std::string win(const std::string& rel) const { return qm::fs::fromNative(home_ / rel); }
    std::filesystem::path tasks() const { return data_ / "quillmate" / "Tasks"; }

    // A project file with the given body (lines joined by CR LF).
    void project(const std::string& file, std::initializer_list<std::string> lines)
    {
        std::string text;
        for (const std::string& l : lines)
            text += l + "\r\n";
        std::filesystem::create_directories(native("Projects"));
        qm::test::writeFile(native("Projects/" + file), text);
    }

    // Runs `fn` and tells whether it finished within a few seconds although
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
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!done && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool inTime = done;
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
};

#pragma once
// A program folder of its own for each test (QUILLMATE_HOME) and a data
// folder of its own (XDG_DATA_HOME, where the tasks folder lives), with
// helpers to write project files in it.
#include "platform/fs/Paths.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

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

    qm::test::TempDir home_;
    qm::test::TempDir data_;
    qm::test::ScopedEnv homeEnv_;
    qm::test::ScopedEnv dataEnv_;
};

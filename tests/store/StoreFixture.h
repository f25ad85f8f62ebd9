#pragma once
// A program folder of its own for each test: QUILLMATE_HOME points at a fresh
// folder with Projects and Options in it, boxes go to the scripted fake.
#include "store/Store.h"
#include "platform/fs/Paths.h"
#include "platform/ui/FakeUiServices.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class StoreFixture : public ::testing::Test {
protected:
    StoreFixture()
        : home_("qm-store"), env_("QUILLMATE_HOME", home_.str())
    {
        std::filesystem::create_directories(home_ / "Projects");
        std::filesystem::create_directories(home_ / "Options");
    }

    // The Windows form of a path below the program folder.
    std::string win(const std::string& rel) const { return qm::fs::fromNative(home_ / rel); }
    std::filesystem::path native(const std::string& rel) const { return home_ / rel; }

    qm::test::TempDir home_;
    qm::test::ScopedEnv env_;
    qm::ui::FakeUiServices ui_;
    qm::store::Store store_{ui_};
};

// Number of CR LF line ends in a text.
inline int crlfLines(const std::string& text)
{
    int n = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
        ++n;
    return n;
}

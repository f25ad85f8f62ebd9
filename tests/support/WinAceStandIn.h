#pragma once
// The built WinAce stand-in, installed for one test: a copy (hard link when
// it can) in <folder>/WinAce/WinAce with the program folder's pvksfx32.bin
// beside the folder, and "--install" run, which writes its Path and Version
// into this test program's own registry and lays its self-extractor stub.
// Each copy keeps its own action.log.
//
//   const std::string winace = qm::test::installWinAce(home_.path());  // Windows form
//   state.Form1.WinAceLocation = winace;
//   qm::test::actionLog(home_.path())   // the lines of its action.log
//   qm::test::uninstallWinAce()         // its registration taken out
#include "platform/fs/Paths.h"
#include "platform/registry/Registry.h"

#include "TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm::test {

inline std::filesystem::path winAceCopy(const std::filesystem::path& folder)
{
    return folder / "WinAce" / "WinAce";
}

inline std::string installWinAce(const std::filesystem::path& folder)
{
    namespace stdfs = std::filesystem;
    const stdfs::path copy = winAceCopy(folder);
    stdfs::create_directories(copy.parent_path());
    std::error_code ec;
    stdfs::create_hard_link(programDir() / "WinAce" / "WinAce", copy, ec);
    if (ec)
        stdfs::copy_file(programDir() / "WinAce" / "WinAce", copy, stdfs::copy_options::overwrite_existing);
    stdfs::copy_file(programDir() / "pvksfx32.bin", folder / "pvksfx32.bin", stdfs::copy_options::overwrite_existing);
    std::string output;
    EXPECT_EQ(runCommand({copy.string(), "--install"}, &output), 0) << output;
    return qm::fs::fromNative(copy);
}

// Takes the registration out again: no WinAce is installed.
inline void uninstallWinAce()
{
    qm::registry::deleteKey(qm::registry::hkey::CurrentUser, R"(SOFTWARE\e-merge\WinAce)");
}

// The lines of the copy's action.log (CR LF line ends taken off).
inline std::vector<std::string> actionLog(const std::filesystem::path& folder)
{
    const std::string text = readFile(folder / "WinAce" / "action.log");
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t end = text.find("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

} // namespace qm::test

// The stand-in's listing window, offscreen, fed by the program's own run: a
// listing reaches it (and nothing else does), with a row per entry (folders
// too) and the count of files, or no rows and why the listing failed.
#include "platform/datetime/DateText.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/ui/ReportList.h"
#include "platform/winace/forms/ListWindow.h"

#include "FormTest.h"
#include "TestSupport.h"

#include <QLabel>

#include <chrono>

namespace {

namespace stdfs = std::filesystem;

TEST(WinAceListWindow, ShowsTheEntriesOfAListingOrWhyItFailed)
{
    qm::test::TempDir home("qm-winace-list");
    qm::test::writeFile(home / "src/a.txt", "alpha");
    qm::test::writeFile(home / "src/sub/c.txt", "gamma!");
    const qm::datetime::DateTime when{2024, 1, 2, 3, 4, 5};
    qm::fs::setModifiedTime(qm::fs::fromNative(home / "src/a.txt"),
                            std::chrono::system_clock::from_time_t(qm::datetime::toTimeT(when)));
    const stdfs::path cwd = stdfs::current_path();
    stdfs::current_path(home / "src");
    const std::string archive = qm::fs::fromNative(home / "Home.ace");
    const stdfs::path own = home.path();

    std::vector<std::vector<std::string>> shown; // per window: the cells, then the closing line
    const qm::winace::ListingWindow window = [&](const qm::winace::Request& r, const qm::winace::Outcome& out) {
        qm::winace::ListWindow list(r.archive, out);
        const auto& files = qm::test::child<qm::ui::ReportList>(list, "lvwFiles");
        std::vector<std::string> cells;
        for (int row = 0; row < files.topLevelItemCount(); ++row)
            for (int column = 0; column < 4; ++column)
                cells.push_back(files.cell(row, column));
        cells.push_back(qm::test::child<QLabel>(list, "lblSummary").text().toStdString());
        EXPECT_EQ(list.windowTitle().toStdString(), "WinAce - " + r.archive.substr(r.archive.rfind('\\') + 1));
        shown.push_back(cells);
    };
    EXPECT_EQ(qm::winace::runProgram({"a", "-r", archive}, own, window), 0);
    EXPECT_EQ(qm::winace::runProgram({"t", archive}, own, window), 0);
    EXPECT_TRUE(shown.empty());

    EXPECT_EQ(qm::winace::runProgram({"l", archive}, own, window), 0);
    ASSERT_EQ(shown.size(), 1u);
    const std::vector<std::string>& cells = shown[0];
    ASSERT_EQ(cells.size(), 3 * 4 + 1u);
    EXPECT_EQ(cells[0], "a.txt");
    EXPECT_EQ(cells[1], "5");
    EXPECT_EQ(cells[3], qm::datetime::formatDateTime(when));
    EXPECT_EQ(cells[4], "sub\\");
    EXPECT_EQ(cells[8], "sub\\c.txt");
    EXPECT_EQ(cells[9], "6");
    // Two files and a folder: the folder is a row but not a file, here as in action.log.
    EXPECT_EQ(cells[12], "2 file(s), 11 bytes");
    const std::string log = qm::test::readFile(own / "action.log");
    EXPECT_NE(log.find("\r\n2 file(s), 11 bytes\r\nDone.\r\n"), std::string::npos) << log;

    qm::test::writeFile(home / "bad.ace", "not an archive");
    EXPECT_EQ(qm::winace::runProgram({"l", qm::fs::fromNative(home / "bad.ace")}, own, window), 2);
    ASSERT_EQ(shown.size(), 2u);
    ASSERT_EQ(shown[1].size(), 1u);
    EXPECT_EQ(shown[1][0].rfind("Error: ", 0), 0u) << shown[1][0];
    stdfs::current_path(cwd);
}

} // namespace

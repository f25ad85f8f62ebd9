// A share mapped to a drive letter through the log-in dialog's logic is a
// drive for the built Nightwick program too: a due project whose folder is
// on that drive is backed up from the share.
#include "pickers/MapDrive.h"
#include "platform/net/Connections.h"
#include "platform/net/Neighbourhood.h"

#include "ProgramHome.h"

#include <sstream>

namespace {

class MappedDriveBackup : public qm::test::RunnerHome {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(qm::test::programDir() / "Nightwick"))
            GTEST_FAIL() << "Nightwick is not built in " << qm::test::programDir();
        if (!qm::test::haveProgram("python3"))
            GTEST_SKIP() << "python3 is needed to read the archive back";
        qm::net::installDriveHooks();
    }
    void TearDown() override
    {
        std::filesystem::remove(qm::net::connectionsFile());
        std::filesystem::remove(qm::net::neighbourhoodFile());
    }

    qm::test::ScopedEnv noDisplay_{"DISPLAY", std::nullopt};
    qm::test::ScopedEnv noWayland_{"WAYLAND_DISPLAY", std::nullopt};
};

TEST_F(MappedDriveBackup, NightwickBacksUpAFolderOfTheMappedShare)
{
    makeSource("share", {{"docs/report.txt", std::string(5000, 'r')}, {"docs/sub/notes.txt", "notes\r\n"}});
    std::filesystem::create_directories(qm::net::neighbourhoodFile().parent_path());
    qm::test::writeFile(qm::net::neighbourhoodFile(),
                        "[\\\\FILESRV\\public]\r\nPath=" + native("src-share").string() + "\r\n");
    qm::ui::FakeUiServices ui;
    ui.setUnscriptedResult(qm::ui::mb::OK);
    ASSERT_TRUE(qm::pickers::mapDriveOkay(ui, "E", "\\\\FILESRV\\public", "", ""));
    ASSERT_EQ(ui.lastBox().title, "Success!") << ui.lastBox().prompt;

    qm::store::ProjectRecord record = zipProject("Docs");
    record[F::ProjectFolder] = "E:\\docs";
    writeProject("Docs", record);
    std::string output;
    {
        qm::test::ScopedEnv now("QUILLMATE_FAKE_NOW", "2026-03-07 13:05:09");
        EXPECT_EQ(qm::test::runCommand({(qm::test::programDir() / "Nightwick").string(), "usemax"}, &output), 0);
    }
    ASSERT_EQ(logLines().at(1), "<Now>\tDocs") << output;

    std::string entries;
    ASSERT_EQ(qm::test::runCommand({"python3", (qm::test::sourceDir() / "tests/runner/archive_peer.py").string(),
                                    native("out/Docs.qmt").string(), native("src-share/docs").string()},
                                   &entries),
              0)
        << entries;
    std::vector<std::string> verdicts;
    std::istringstream lines(entries);
    for (std::string line; std::getline(lines, line);)
        verdicts.push_back(line.substr(0, line.find('\t')) + " " + line.substr(line.rfind('\t') + 1));
    EXPECT_EQ(verdicts, (std::vector<std::string>{"report.txt same", "sub/ same", "sub/notes.txt same"}));
}

} // namespace

// What a run of many small projects costs beyond their archives: no thread
// started for builds that small, and the connection table read from its
// file once while it stays the same.
#include "ProgramHome.h"

#include "FakeUiServices.h"
#include "platform/datetime/Clock.h"
#include "platform/fs/Drives.h"
#include "platform/net/Connections.h"
#include "platform/net/Neighbourhood.h"
#include "runner/Runner.h"

namespace {

class QuietView : public qm::runner::RunnerView {
public:
    void setCaption(const std::string&) override {}
    void setStatus(const std::string&) override {}
    void setProgress(const std::string&, int) override {}
    void unloadMainWindow() override {}
    void unloadAllWindows() override {}
    void endProcess() override {}
};

// Rewrites the connection table after the `at`-th archive is made.
class TableChanger : public qm::zip::ZipEvents {
public:
    TableChanger(int at, std::string text) : at_(at), text_(std::move(text)) {}
    void OperationDone(int) override
    {
        if (++done_ == at_)
            qm::test::writeFile(qm::net::connectionsFile(), text_);
    }

private:
    int at_;
    std::string text_;
    int done_ = 0;
};

class RunnerCost : public qm::test::RunnerHome {
protected:
    RunnerCost()
    {
        // Nightwick's own start-up: mapped letters come from the connection table.
        qm::net::installDriveHooks();
    }
    ~RunnerCost() override
    {
        qm::fs::setConnectedDriveSource({});
        qm::fs::setUncResolver({});
    }

    qm::ui::FakeUiServices ui_;
    qm::datetime::FixedClock clock_{qm::datetime::DateTime{2026, 3, 7, 14, 5, 9}};
    QuietView view_;
};

TEST_F(RunnerCost, SmallProjectsStartNoThreadAndTheConnectionTableIsReadAgainOnlyWhenItChanged)
{
    const int projects = 4;
    for (int i = 0; i < projects; ++i) {
        const std::string name = "P" + std::to_string(i);
        std::map<std::string, std::string> files;
        for (int f = 0; f < 6; ++f)
            files["d" + std::to_string(f % 2) + "/f" + std::to_string(f) + ".txt"] =
                std::string(3000 + size_t(f) * 100, char('a' + i));
        makeSource(name, files);
        writeProject(name, zipProject(name));
    }

    // Just before the run: a share mapped to a letter, behind a folder of its own.
    std::filesystem::create_directories(native("share"));
    std::filesystem::create_directories(qm::net::neighbourhoodFile().parent_path());
    qm::test::writeFile(qm::net::neighbourhoodFile(),
                        "[\\\\FILESRV\\public]\r\nType=disk\r\nPath=" + native("share").string() + "\r\n");
    const std::string table = "[Q:]\r\nRemote=\\\\FILESRV\\public\r\n";
    qm::test::writeFile(qm::net::connectionsFile(), table);
    const uint64_t readsBefore = qm::net::connectionTableReads();

    qm::runner::Runner runner(ui_, clock_, view_);
    runner.winAceLookup = [](std::string& path, std::string& version) {
        path.clear();
        version.clear();
    };
    TableChanger changer(2, table + "[R:]\r\nRemote=\\\\FILESRV\\public\r\n");
    runner.PavikZip1.addEventSink(&changer);
    runner.Form_Load({});
    runner.Timer1_Timer();
    runner.PavikZip1.removeEventSink(&changer);

    for (int i = 0; i < projects; ++i)
        EXPECT_TRUE(std::filesystem::exists(native("out/P" + std::to_string(i) + ".qmt"))) << i;
    EXPECT_EQ(runner.PavikZip1.threadsStarted(), 0);
    // Once for the table as written before the run, once after it changed.
    EXPECT_EQ(qm::net::connectionTableReads() - readsBefore, 2u);
    EXPECT_EQ(qm::fs::driveType("R:\\"), qm::fs::drivetype::Remote);
}

} // namespace

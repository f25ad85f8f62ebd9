// The ZIP manager's main window offscreen, on a real zip control and on
// archives made by Info-ZIP zip: what the window shows idle and busy, its
// rows and menus, delete, test, abort and closing while a build runs. The
// logic's other roads run without the window (ZipManagerTest.cpp).
#include "ZipToolHome.h"

#include "platform/zip/ResultCodes.h"
#include "zipmanager/ZipManager.h"
#include "zipmanager/forms/frmMain.h"
#include "zipmanager/forms/frmResults.h"
#include "zipmanager/forms/frmZip.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <memory>

using namespace qm::zipmanager;
namespace mb = qm::ui::mb;

namespace {

class FrmMainTest : public ZipToolHome {
protected:
    FrmMainTest() { form_.show(); }

    void open(const std::string& rel)
    {
        form_.xZip.ArchivePath = win(rel);
        form_.Form_Load();
    }
    std::string status() const { return form_.lblStatusBar->text().toStdString(); }
    bool actionsEnabled() const { return form_.mnuActions->menuAction()->isEnabled(); }
    std::vector<std::pair<std::string, std::string>> namesAndPaths() const
    {
        std::vector<std::pair<std::string, std::string>> out;
        for (const ZipListRow& r : form_.rows())
            out.emplace_back(r.text(), r.path());
        return out;
    }
    // The next results window: its text goes to `text`, then it is closed.
    void collectResults(std::string& text)
    {
        onModal<frmResults>([&text](frmResults& r) {
            text = r.Text();
            r.cmdOk->click();
        });
    }
    // The next add-files dialog takes `files` and is left with "&Zip!".
    void addFilesDialog(const std::string& files)
    {
        onModal<frmZip>([files](frmZip& d) {
            d.txtFilesToProcess->setPlainText(QString::fromStdString(files));
            d.cmdZip->click();
        });
    }
    // Opens "keep.zip" (one entry) and sets up an add of forty files in
    // "src", so that the build yields many times; `act` runs at its fifth
    // yield. Gives the archive's bytes before the add.
    std::string addManyFilesTo(const std::function<void()>& act)
    {
        qm::test::writeFile(native("a.txt"), "a");
        zipWith("keep.zip", {}, {"a.txt"});
        for (int i = 0; i < 40; ++i)
            qm::test::writeFile(native("src/f" + std::to_string(i) + ".txt"), std::string(20000, char('a' + i % 26)));
        open("keep.zip");
        auto yields = std::make_shared<int>(0);
        ui_.onDoEvents([this, yields, act] {
            if (form_.xZip.CurrentOperation() == qm::zip::operation::Zip && ++*yields == 5)
                act();
        });
        addFilesDialog(win("src"));
        return qm::test::readFile(native("keep.zip"));
    }

    frmMain form_{services_};
};

TEST_F(FrmMainTest, AFileThatIsNoArchiveIsNotOpened)
{
    qm::test::writeFile(native("notes.zip"), "this is not an archive");
    open("notes.zip");
    EXPECT_EQ(status(), "Could not read " + win("notes.zip"));
    EXPECT_EQ(form_.windowTitle().toStdString(), IdleCaption);
    EXPECT_FALSE(actionsEnabled());
    EXPECT_TRUE(form_.xZip.ArchivePath.empty());
    EXPECT_EQ(form_.lstMain->topLevelItemCount(), 0);
    EXPECT_FALSE(form_.cmdAbort->isEnabled());
    EXPECT_FALSE(form_.prbGlobalProgress->isVisible());
}

TEST_F(FrmMainTest, FolderRowsAndDeletingSelectedRows)
{
    qm::test::writeFile(native("top.txt"), "top");
    qm::test::writeFile(native("keep.txt"), "keep");
    qm::test::writeFile(native("docs/a.txt"), "a");
    zipWith("set.zip", {}, {"top.txt", "keep.txt", "docs/", "docs/a.txt"});
    open("set.zip");
    ASSERT_EQ(namesAndPaths(), (std::vector<std::pair<std::string, std::string>>{
                                   {"top.txt", ""}, {"keep.txt", ""}, {"<dir>", "docs"}, {"a.txt", "docs"}}));

    emit form_.mnuActions->aboutToShow();
    EXPECT_FALSE(form_.mnuActionsRemove->isEnabled());
    form_.lstMain->topLevelItem(0)->setSelected(true);
    form_.lstMain->topLevelItem(3)->setSelected(true);
    emit form_.mnuActions->aboutToShow();
    EXPECT_TRUE(form_.mnuActionsRemove->isEnabled());

    ui_.answer(mb::OK);
    std::string results, mask;
    bool subfolders = true;
    onModal<frmResults>([&](frmResults& r) {
        results = r.Text();
        mask = form_.xZip.FileMask;
        subfolders = form_.xZip.IncludeSubfolders;
        r.cmdOk->click();
    });
    form_.mnuActionsRemove->trigger();
    EXPECT_EQ(ui_.boxes().at(0).prompt, RemoveQuestion);
    EXPECT_EQ(mask, "top.txt\r\ndocs\\a.txt\r\n");
    EXPECT_FALSE(subfolders);
    EXPECT_NE(results.find("Removing completed: "), std::string::npos) << results;
    EXPECT_EQ(namesAndPaths(),
              (std::vector<std::pair<std::string, std::string>>{{"keep.txt", ""}, {"<dir>", "docs"}}));
    EXPECT_EQ(unzipNames("set.zip"), (std::vector<std::string>{"keep.txt", "docs/"}));
}

TEST_F(FrmMainTest, TestOfADamagedArchiveShowsTheControlsText)
{
    qm::test::writeFile(native("a.txt"), "the quick brown fox jumps over the lazy dog");
    zipWith("bad.zip", {"-0"}, {"a.txt"});
    std::string bytes = qm::test::readFile(native("bad.zip"));
    const std::size_t at = bytes.find("quick");
    ASSERT_NE(at, std::string::npos);
    bytes[at] ^= 0x20;
    qm::test::writeFile(native("bad.zip"), bytes);
    open("bad.zip");
    const std::string before = status();

    std::string results;
    collectResults(results);
    form_.mnuActionsTest->trigger();
    EXPECT_NE(results.find("Testing a.txt\r\n"), std::string::npos) << results;
    EXPECT_NE(results.find("Testing completed: " +
                           form_.xZip.ErrorText(0, qm::zip::result::DataError) + "\r\n"),
              std::string::npos)
        << results;
    EXPECT_EQ(status(), "Testing completed.");
    EXPECT_NE(before, status());
}

TEST_F(FrmMainTest, AbortDuringAnAddKeepsTheOldArchive)
{
    bool busyMeanwhile = false;
    const std::string old = addManyFilesTo([&] {
        busyMeanwhile = form_.cmdAbort->isEnabled() && !actionsEnabled();
        form_.cmdAbort->click();
    });
    std::string results;
    collectResults(results);
    form_.mnuActionsAdd->trigger();
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_NE(results.find("Zipping completed: " + form_.xZip.ErrorText(0, qm::zip::result::UserAbort)),
              std::string::npos)
        << results;
    EXPECT_EQ(qm::test::readFile(native("keep.zip")), old);
    EXPECT_EQ(form_.lstMain->topLevelItemCount(), 1); // relisted
    EXPECT_FALSE(form_.cmdAbort->isEnabled());
}

TEST_F(FrmMainTest, ClosingDuringAnAddWaitsForTheControl)
{
    bool stillOpen = false;
    const std::string old = addManyFilesTo([&] {
        form_.close();
        stillOpen = form_.isVisible();
    });
    // No results window is scripted: none may show once the window is closing.
    form_.mnuActionsAdd->trigger();
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(form_.isVisible());
    EXPECT_EQ(qm::test::readFile(native("keep.zip")), old);
    EXPECT_EQ(ui_.modalShows().size(), 1u);
}

} // namespace

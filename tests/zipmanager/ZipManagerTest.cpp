// The ZIP manager's logic without its window, on a real zip control and on
// archives made by Info-ZIP zip: opening, delete, a warning while listing,
// File New on an existing name (also killed while it builds), and disk
// requests. The window is a recording view whose dialogs answer through the
// test.
#include "ZipToolHome.h"

#include "zipmanager/DialogFields.h"
#include "zipmanager/ZipManager.h"

#include "FakeZipManagerView.h"
#include "ZipTestUtil.h"

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace qm::zipmanager;
namespace mb = qm::ui::mb;

namespace {

class ZipManagerTest : public ZipToolHome {
protected:
    void open(const std::string& rel)
    {
        manager_.xZip.ArchivePath = win(rel);
        manager_.Form_Load();
    }
    // The add-files dialog's "&Zip!" with `files` typed as the files to add.
    void addFilesDialog(const std::string& files)
    {
        view_.onAddFiles = [files](qm::zip::PavikZip& zip) {
            AddFilesFields fields = addFilesLoad(zip);
            fields.files = files;
            addFilesWrite(zip, fields);
            return true;
        };
    }

    // File New on "old.zip" adding `files`.
    void newOnOld(const std::string& files)
    {
        files_.files.push_back({win("old.zip")});
        addFilesDialog(files);
        manager_.mnuFileNew_Click();
    }
    // The same in a process of its own, killed as the build takes its first
    // file, or (`whenDone`) as it reports that it is done.
    void newKilled(const std::string& files, bool whenDone)
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            qm::zip::ZipEventHandlers kill;
            if (whenDone)
                kill.onOperationDone = [this](int) {
                    if (manager_.xZip.CurrentOperation() == qm::zip::operation::Zip)
                        ::raise(SIGKILL);
                };
            else
                kill.onBeforeZip = [](const std::string&, bool&) { ::raise(SIGKILL); };
            manager_.xZip.addEventSink(&kill);
            newOnOld(files);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }

    qm::test::FakeZipManagerView view_;
    ZipManager manager_{ui_, files_, view_};
};

TEST_F(ZipManagerTest, AnEmptyArchiveIsOpenedWithoutResults)
{
    qm::test::writeFile(native("empty.zip"), std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    open("empty.zip");
    EXPECT_EQ(view_.status, win("empty.zip") + " opened.");
    EXPECT_EQ(view_.caption, win("empty.zip") + " - Quillmate ZIP Manager");
    EXPECT_TRUE(view_.actionsMenu);
    EXPECT_TRUE(view_.list.empty());
    EXPECT_TRUE(view_.results.empty());
}

TEST_F(ZipManagerTest, CancelledDeleteRemovesNothing)
{
    qm::test::writeFile(native("a.txt"), "a");
    zipWith("one.zip", {}, {"a.txt"});
    open("one.zip");
    view_.list.at(0).Selected = true;
    ui_.answer(mb::Cancel);
    manager_.mnuActionsRemove_Click();
    EXPECT_EQ(unzipNames("one.zip"), std::vector<std::string>{"a.txt"});
}

TEST_F(ZipManagerTest, AWarningDuringAListingShowsTheResultsFirst)
{
    qm::test::writeFile(native("a.txt"), "a");
    zipWith("w.zip", {}, {"a.txt"});
    // The control raises no warnings while it lists; a second sink reports one.
    qm::zip::ZipEventHandlers relay;
    relay.onFileListed = [this](const qm::zip::ListedEntry&) { manager_.Warning("a.txt", 101); };
    manager_.xZip.addEventSink(&relay);
    view_.status = NoArchiveStatus; // as the window starts
    std::string statusMeanwhile;
    view_.onResults = [&](const std::string&) { statusMeanwhile = view_.status; };
    open("w.zip");
    manager_.xZip.removeEventSink(&relay);
    EXPECT_EQ(view_.results, std::vector<std::string>{"Warning: " + manager_.xZip.ErrorText(1, 101) + "\r\n"});
    EXPECT_EQ(statusMeanwhile, NoArchiveStatus);
    EXPECT_EQ(view_.status, win("w.zip") + " opened.");
}

TEST_F(ZipManagerTest, NewOnAnExistingNameKeepsItWhenTheAddIsCancelled)
{
    qm::test::writeFile(native("a.txt"), "a");
    zipWith("first.zip", {}, {"a.txt"});
    zipWith("second.zip", {}, {"a.txt"});
    const std::string second = qm::test::readFile(native("second.zip"));
    open("first.zip");

    files_.files.push_back({win("second.zip")});
    manager_.mnuFileNew_Click(); // the add-files dialog is cancelled
    EXPECT_EQ(view_.dialogs, std::vector<std::string>{"AddFiles"});
    EXPECT_EQ(qm::test::readFile(native("second.zip")), second);
    EXPECT_EQ(manager_.xZip.ArchivePath, win("first.zip"));
    EXPECT_EQ(view_.status, win("first.zip") + " opened.");
}

TEST_F(ZipManagerTest, NewReplacesAnExistingFileOnlyWhenFilesAreAdded)
{
    qm::test::writeFile(native("a.txt"), "a");
    qm::test::writeFile(native("b.txt"), "b");
    zipWith("old.zip", {}, {"a.txt"});
    files_.files.push_back({win("old.zip")});
    addFilesDialog(win("b.txt"));
    manager_.mnuFileNew_Click();
    EXPECT_EQ(files_.requests.at(0).title, "New Zip File");
    EXPECT_EQ(view_.names(), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(view_.status, win("old.zip") + " opened.");
}

TEST_F(ZipManagerTest, NewOnAnExistingNameKeepsTheOldArchiveUntilTheBuildSucceeds)
{
    qm::test::writeFile(native("a.txt"), "a");
    zipWith("old.zip", {}, {"a.txt"});
    const std::string old = qm::test::readFile(native("old.zip"));
    files_.files.push_back({win("old.zip")});
    addFilesDialog(win("missing.txt")); // nothing to add: the build fails
    manager_.mnuFileNew_Click();
    EXPECT_EQ(qm::test::readFile(native("old.zip")), old);
    EXPECT_EQ(view_.names(), std::vector<std::string>{"a.txt"});
    EXPECT_FALSE(std::filesystem::exists(native(".old.zip.previous")));

    // Built from the archive's own folder: the old archive it replaces is not taken in.
    files_.files.push_back({win("old.zip")});
    addFilesDialog(win("*"));
    manager_.mnuFileNew_Click();
    EXPECT_NE(qm::test::readFile(native("old.zip")), old);
    const std::vector<std::string> names = unzipNames("old.zip"); // with the folders' names
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].ends_with("/a.txt")) << names[0];
    EXPECT_FALSE(std::filesystem::exists(native(".old.zip.previous")));
}

TEST_F(ZipManagerTest, ANewKilledLeavesTheOldArchiveOrTheWholeNewOne)
{
    const qm::test::ScopedEnv oneThread("QUILLMATE_ZIP_WORKERS", "1"); // no threads to fork across
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        qm::test::writeFile(native(name), name);
    zipWith("old.zip", {}, {"a.txt"});
    const std::string old = qm::test::readFile(native("old.zip"));
    newKilled(win("b.txt"), false);
    EXPECT_EQ(qm::test::readFile(native("old.zip")), old);
    // The next command on that name takes away what the killed build left.
    auto hidden = [this] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(native("")))
            if (e.path().filename().string().front() == '.')
                names.push_back(e.path().filename().string());
        return names;
    };
    ASSERT_FALSE(hidden().empty());
    open("old.zip");
    EXPECT_EQ(hidden(), std::vector<std::string>{});

    // The archive made next is what a failed New leaves.
    newOnOld(win("c.txt"));
    newOnOld(win("missing.txt"));
    EXPECT_EQ(view_.names(), std::vector<std::string>{"c.txt"});

    newKilled(win("b.txt"), true);
    open("old.zip");
    EXPECT_EQ(view_.names(), std::vector<std::string>{"b.txt"});
    EXPECT_FALSE(std::filesystem::exists(native(".old.zip.previous")));
}

TEST_F(ZipManagerTest, WhatAKilledNewLeftAsideIsSettledByTheNextCommand)
{
    qm::test::writeFile(native("a.txt"), "a");
    qm::test::writeFile(native("b.txt"), "b");
    zipWith("a.zip", {}, {"a.txt"});
    zipWith("b.zip", {}, {"b.txt"});
    const std::filesystem::path aside = native(".old.zip.previous");
    // Its place is free: it comes back.
    std::filesystem::rename(native("a.zip"), aside);
    open("old.zip");
    EXPECT_EQ(view_.names(), std::vector<std::string>{"a.txt"});

    // A whole archive in its place is newer: a failed New leaves that one, and the copy aside goes.
    std::filesystem::rename(native("old.zip"), aside);
    std::filesystem::rename(native("b.zip"), native("old.zip"));
    newOnOld(win("missing.txt"));
    EXPECT_EQ(view_.names(), std::vector<std::string>{"b.txt"});
    EXPECT_FALSE(std::filesystem::exists(aside));

    // In place of a spanned set's first disk, whole or not (nothing on it
    // tells), it is never put back: both stay as they are.
    const std::string first = std::string("PK\x07\x08", 4) + "the first disk";
    std::filesystem::copy_file(native("old.zip"), aside);
    qm::test::writeFile(native("old.zip"), first);
    open("old.zip");
    EXPECT_EQ(qm::test::readFile(native("old.zip")), first);
    EXPECT_TRUE(std::filesystem::exists(aside));
}

// A removable drive as a real one is: one folder whatever disk is in it.
TEST_F(ZipManagerTest, ASpannedNewOverAnArchiveLeavesItsDisksAsWritten)
{
    qm::zip::test::DiskSwapper swapper(native("media"), true);
    qm::zip::ZipEventHandlers swap;
    swap.onDiskRequest = [&swapper](int disk, bool&) { swapper.insert("disk" + std::to_string(disk == 0 ? 5 : disk)); };
    manager_.xZip.addEventSink(&swap);
    ui_.onProblem({}); // every disk prompt is answered OK
    qm::test::writeFile(native("a.txt"), "a");
    qm::test::writeFile(native("big.bin"), qm::zip::test::randomBytes(300000));
    manager_.xZip.ArchivePath = "A:\\backup.zip";
    manager_.xZip.FileMask = win("a.txt");
    ASSERT_EQ(manager_.xZip.Build(), qm::zip::result::Ok);

    manager_.xZip.SpanMode = 1;
    files_.files.push_back({"A:\\backup.zip"});
    view_.onAddFiles = [this](qm::zip::PavikZip& zip) {
        AddFilesFields fields = addFilesLoad(zip);
        fields.files = win("big.bin");
        fields.splitting = true;
        fields.splitSize = "64"; // what one disk takes
        addFilesWrite(zip, fields);
        return true;
    };
    manager_.mnuFileNew_Click();
    EXPECT_EQ(view_.names(), std::vector<std::string>{"big.bin"});
    EXPECT_EQ(qm::zip::test::allFiles(native("media/disk1")), std::vector<std::string>{"backup.zip"});
    EXPECT_EQ(qm::zip::test::allFiles(native("media/disk5")), std::vector<std::string>{"backup.zip"});

    // The first disk back in: opening and testing the set change no disk.
    swapper.insert("disk1");
    const std::string first = qm::test::readFile(native("media/disk1/backup.zip"));
    manager_.Form_Load();
    EXPECT_EQ(view_.names(), std::vector<std::string>{"big.bin"});
    manager_.mnuActionsTest_Click();
    ASSERT_FALSE(view_.results.empty());
    EXPECT_NE(view_.results.back().find("Testing completed: " + manager_.xZip.ErrorText(0, qm::zip::result::Ok)),
              std::string::npos)
        << view_.results.back();
    EXPECT_TRUE(qm::test::readFile(native("media/disk1/backup.zip")) == first);
    manager_.xZip.removeEventSink(&swap);
}

// New on a name that is a link, to a text file or to an archive: the link
// itself goes, the new archive takes its place, and what it led to stays.
TEST_F(ZipManagerTest, NewOnALinkReplacesTheLinkItself)
{
    qm::test::writeFile(native("a.txt"), "a");
    qm::test::writeFile(native("notes.txt"), "a text of 21 bytes.\r\n");
    zipWith("real.zip", {}, {"a.txt"});
    const std::string real = qm::test::readFile(native("real.zip"));
    for (const char* to : {"notes.txt", "real.zip"}) {
        std::filesystem::remove(native("old.zip"));
        std::filesystem::create_symlink(native(to), native("old.zip"));
        files_.files.push_back({win("old.zip")});
        addFilesDialog(win("a.txt"));
        manager_.mnuFileNew_Click();
        EXPECT_FALSE(std::filesystem::is_symlink(native("old.zip"))) << to;
        EXPECT_EQ(view_.names().size(), 1u) << to;
        EXPECT_EQ(qm::test::readFile(native("notes.txt")), "a text of 21 bytes.\r\n");
        EXPECT_EQ(qm::test::readFile(native("real.zip")), real);
    }
}

TEST_F(ZipManagerTest, NewOnAFileThatCannotBeDeletedStartsNothing)
{
    qm::test::writeFile(native("a.txt"), "a");
    zipWith("locked.zip", {}, {"a.txt"});
    ASSERT_EQ(::chmod(native("locked.zip").c_str(), 0444), 0);
    const std::string old = qm::test::readFile(native("locked.zip"));
    files_.files.push_back({win("locked.zip")});
    addFilesDialog(win("a.txt"));
    ui_.answer(mb::OK);
    manager_.mnuFileNew_Click();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].title, "Error!");
    EXPECT_NE(ui_.boxes()[0].prompt.find(win("locked.zip")), std::string::npos);
    EXPECT_EQ(qm::test::readFile(native("locked.zip")), old);
    EXPECT_TRUE(manager_.xZip.ArchivePath.empty());
    EXPECT_EQ(view_.caption, IdleCaption);
}

TEST_F(ZipManagerTest, DiskRequestsAskForTheLastDiskFirst)
{
    bool ready = true;
    ui_.answer(mb::Cancel);
    manager_.DiskRequest(0, ready);
    EXPECT_FALSE(ready);
    EXPECT_EQ(ui_.boxes().at(0).prompt,
              "This zip file is part of a multiple disks zip file. Please insert the last disk of the set.");
    EXPECT_EQ(ui_.boxes()[0].style, mb::OKCancel | mb::Information);
    ui_.answer(mb::OK);
    manager_.DiskRequest(3, ready);
    EXPECT_TRUE(ready);
    EXPECT_EQ(ui_.boxes().at(1).prompt, "Please insert disk #3");
}

} // namespace

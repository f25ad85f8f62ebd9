// The restore dialog offscreen, shown by the restore command through the
// real window factory: its load, the file list and a restore by its
// buttons. With QM_RESTORE_SCREENSHOTS set to a folder, pictures of the
// restore dialog, the contents window with rows and the extraction target
// dialog are saved there.
#include "platform/ui/ReportList.h"
#include "platform/ui/TreeView.h"
#include "platform/zip/ZipEvents.h"
#include "restore/RestoreRun.h"
#include "restore/ViewZip.h"
#include "restore/forms/QtRestoreForms.h"
#include "restore/forms/RestoreFrm.h"
#include "restore/forms/ViewZipRestore.h"
#include "restore/forms/frmViewZip.h"

#include "FormTest.h"
#include "RestoreHome.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <cstdlib>

namespace {

using namespace qm::restore;
using F = qm::store::ProjectField;

class RestoreFrmTest : public qm::test::RestoreHome {
protected:
    RestoreFrmTest() { windows_.restore.onRestore = [this](RestoreRun& run) { forms_.showRestore(run); }; }

    // The restore command with `script` run on the shown dialog.
    void restoreWith(const std::function<void(RestoreFrm&)>& script)
    {
        ui_.onShowModal([script](QWidget& w) {
            auto& d = dynamic_cast<RestoreFrm&>(w);
            d.show();
            script(d);
        });
        restore_.RestoreArchive();
    }
    static void pick(QListWidget* list, const std::string& name)
    {
        const QList<QListWidgetItem*> found = list->findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name;
        list->setCurrentItem(found.front());
    }
    static void save(QWidget& w, const char* name)
    {
        if (const char* dir = std::getenv("QM_RESTORE_SCREENSHOTS"))
            w.grab().save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
    }

    qm::restore::QtRestoreForms forms_{state_, view_};
};

TEST_F(RestoreFrmTest, TheDialogListsTheBackupFolderAndRestoresTheChosenArchive)
{
    std::filesystem::create_directories(native("target"));
    addProject("Home", {{"a.txt", "alpha"}, {"docs/b.txt", "beta"}});
    for (const char* other : {"old.ACE", "setup.exe", "notes.txt", "part.zip"})
        qm::test::writeFile(native(std::string("out/") + other), "x");
    qm::store::ProjectRecord r = zipProject("Home");
    r[F::ACEBackFile] = "Home.ace";
    r[F::ProjectFolder] = win("target");
    writeProject("Home", r);
    select("Home");

    restoreWith([&](RestoreFrm& d) {
        EXPECT_EQ(d.windowTitle(), "Choose Drive, Directory, and File to Restore");
        EXPECT_EQ(qm::test::texts(d.File1), (std::vector<std::string>{"Home.qmt", "old.ACE", "part.zip", "setup.exe"}));
        EXPECT_EQ(d.Label4->text().toStdString(), win("out"));
        EXPECT_EQ(d.Label8->text().toStdString(), win("out"));
        EXPECT_EQ(d.Label6->text().toStdString(), "Home.qmt, Home.ace or the .EXE version of archive file.");
        EXPECT_EQ(d.txtTargetFolder->text().toStdString(), win("target"));
        EXPECT_TRUE(d.SkipOptions[0]->isChecked());
        EXPECT_FALSE(d.DateOptions[0]->isChecked() || d.DateOptions[1]->isChecked());
        EXPECT_EQ(d.vsIndexTab1->currentIndex(), 0);
        EXPECT_TRUE(d.Frame5->isHidden());

        pick(d.File1, "old.ACE");
        EXPECT_FALSE(d.Frame4->isEnabled());
        EXPECT_FALSE(d.SkipOptions[2]->isEnabled());
        pick(d.File1, "Home.qmt");
        EXPECT_TRUE(d.Frame4->isEnabled());
        EXPECT_TRUE(d.SkipOptions[2]->isEnabled());
        save(d, "RestoreFrm");

        // A click on a drive points the list at its root.
        d.SSTree1->select("C:");
        EXPECT_EQ(d.Label8->text().toStdString(), "C:");
        EXPECT_EQ(d.File1List.Path(), "C:\\");
        d.SSTree1->select("My Computer");
        EXPECT_EQ(d.Label8->text().toStdString(), "My Computer");
        EXPECT_EQ(d.File1List.Path(), "C:\\");

        // Back to the project's folder, and restore.
        d.Label8->setText(QString::fromStdString(win("out")));
        d.File1List.setPath(win("out"));
        d.File1->clear();
        for (const std::string& n : d.File1List.names())
            d.File1->addItem(QString::fromStdString(n));
        pick(d.File1, "Home.qmt");
        d.RestoreBut->click();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_EQ(tree(native("target")), tree(native("src-Home")));
    EXPECT_EQ(prompts(), std::vector<std::string>{"Success!: Restore operation successful."});
    EXPECT_TRUE(view_.visible);
}

TEST_F(RestoreFrmTest, ItsCloseBoxIsCancel)
{
    addProject("Home", {{"a.txt", "alpha"}});
    select("Home");
    restoreWith([&](RestoreFrm& d) {
        EXPECT_FALSE(view_.visible);
        d.close();
        EXPECT_FALSE(d.isVisible());
    });
    EXPECT_TRUE(view_.visible);
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(RestoreFrmTest, ScreenshotsOfTheContentsWindowAndTheTargetDialog)
{
    if (!std::getenv("QM_RESTORE_SCREENSHOTS"))
        GTEST_SKIP() << "QM_RESTORE_SCREENSHOTS is not set";
    forms_.showContents({"Viewing: Home (C:\\out\\Home.qmt)", "C:\\out\\Home.qmt", "Form1", ""});
    const qm::datetime::DateTime when{2026, 3, 7, 14, 5, 9};
    int n = 0;
    for (const char* name : {"a.txt", "docs\\", "docs\\notes.txt", "run.bat", "pictures\\holiday.jpg"}) {
        qm::zip::ListedEntry entry;
        entry.name = name;
        entry.size = 1200 * ++n;
        entry.compressedSize = 700 * n;
        entry.modified = entry.created = when;
        entry.attributes = 32;
        forms_.addContentsRow(n, entry);
    }
    forms_.setContentsSummary({"Files: ", "4", "Compressed size: ", "7000", "Uncompressed size: ", "12000", "Ratio:",
                               "42%", "Spanned: ", "False"});
    forms_.setContentsComment("Weekly back-up of the home folder");
    forms_.showContentsList();
    frmViewZip& w = forms_.viewZip();
    w.ListView1->topLevelItem(2)->setSelected(true);
    save(w, "frmViewZip");

    ViewZipRestore d(ui_);
    d.preset(std::string("C:\\out"));
    d.show();
    d.SSTree1->select("C:");
    save(d, "ViewZipRestore");
    w.close();
}

} // namespace

// The archive contents window and its extraction target dialog offscreen:
// an archive made by our zip control listed into a real window, the target
// dialog answered through the scripted modal show. With
// QM_RESTORE_SCREENSHOTS naming a folder, the target dialog and the box of
// a file nothing opened are saved there as pictures.
#include "platform/ui/QtUiServices.h"
#include "platform/ui/ReportList.h"
#include "platform/ui/TreeView.h"
#include "restore/ViewZip.h"
#include "restore/forms/QtRestoreForms.h"
#include "restore/forms/ViewZipRestore.h"
#include "restore/forms/frmViewZip.h"

#include "FormTest.h"
#include "RestoreHome.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

using namespace qm::restore;
using qm::ui::mb::No;
using qm::ui::mb::OK;

// Saves `w` as <name>.png when QM_RESTORE_SCREENSHOTS names a folder.
void shoot(QWidget& w, const char* name)
{
    if (const char* folder = std::getenv("QM_RESTORE_SCREENSHOTS")) {
        QApplication::processEvents();
        w.grab().save(QString(folder) + "/" + name + ".png");
    }
}

// The recorded box shown once more as the program shows it, and saved.
void shootBox(const qm::ui::BoxRecord& box, const char* name)
{
    if (!std::getenv("QM_RESTORE_SCREENSHOTS"))
        return;
    qm::ui::QtUiServices real;
    qm::test::whenShown<QMessageBox>([name](QMessageBox* b) {
        shoot(*b, name);
        b->button(QMessageBox::Ok)->click();
    });
    real.msgBox(box.prompt, box.style, box.title);
}

// Opens the nodes of a drive tree down to the folder `path` and selects it.
void openTo(qm::ui::TreeView& tree, const std::string& path)
{
    std::string key = path.substr(0, 2);
    tree.expand(key);
    for (std::size_t at = 3; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '\\')
            continue;
        key = path.substr(0, at);
        tree.expand(key);
    }
    tree.select(path);
}

class ContentsWindowTest : public qm::test::RestoreHome {
protected:
    ContentsWindowTest()
    {
        std::filesystem::create_directories(native("target"));
        forms_.setContentsHost({&busy_, [this](const std::string& parent, const std::string& command) {
                                    relists_.push_back(parent + "|" + command);
                                }});
    }
    ~ContentsWindowTest() override
    {
        if (QWidget* w = forms_.contentsVisible() ? &forms_.viewZip() : nullptr)
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The archive "out\x.qmt" of `files`, listed into a contents window
    // opened as a project's listing does ("Form1") or the command line's.
    frmViewZip& open(const std::map<std::string, std::string>& files, const std::string& parent = "Form1")
    {
        makeSource("x", files);
        makeArchive(win("src-x"), archive_);
        writeProject("x", zipProject("x")); // the project the main window has loaded
        state_.store.CurrentProjectIni = win("Projects/x");
        state_.store.LoadProject();
        return show({"Viewing: x (" + archive_ + ")", archive_, parent, ""});
    }
    // The archive made before, listed into a contents window opened as
    // `opening` says.
    frmViewZip& show(const ContentsOpening& opening)
    {
        forms_.showContents(opening);
        qm::zip::PavikZip z;
        qm::zip::ZipEventHandlers h;
        int n = 0;
        h.onFileListed = [&](const qm::zip::ListedEntry& e) { forms_.addContentsRow(++n, e); };
        z.addEventSink(&h);
        z.ArchivePath = archive_;
        EXPECT_EQ(z.ListEntries(), 0);
        forms_.setContentsSummary({"Files: ", std::to_string(n), "", "", "", "", "", "", "Spanned: ", "False"});
        forms_.showContentsList();
        return forms_.viewZip();
    }
    static void selectRows(frmViewZip& w, std::initializer_list<std::string> names)
    {
        w.ListView1->clearSelection();
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            for (const std::string& n : names)
                if (w.ListView1->topLevelItem(i)->text(0).toStdString() == n)
                    w.ListView1->topLevelItem(i)->setSelected(true);
    }
    // The target dialog answers with the folder "target" and the option
    // buttons `skip` and `date` (or closes by its frame).
    void answerTarget(int skip = 0, int date = 0, bool close = false)
    {
        ui_.onShowModal([this, skip, date, close](QWidget& w) {
            auto& d = dynamic_cast<ViewZipRestore&>(w);
            d.show();
            targetLabel_ = d.Label3->text().toStdString();
            EXPECT_TRUE(d.SkipOptions[0]->isChecked());
            EXPECT_TRUE(d.DateOptions[0]->isChecked());
            if (close) {
                d.close();
                return;
            }
            openTo(*d.SSTree1, win("target"));
            d.SkipOptions[size_t(skip)]->setChecked(true);
            d.DateOptions[size_t(date)]->setChecked(true);
            d.cmdOkay->click();
        });
    }

    qm::restore::QtRestoreForms forms_{state_, view_};
    const std::string archive_ = win("out/x.qmt");
    std::vector<std::string> relists_;
    std::string targetLabel_;
};

TEST_F(ContentsWindowTest, ExtractTakesExactlyTheSelectedRowsWhateverTheSorting)
{
    frmViewZip& w = open({{"a.txt", "A"}, {"b.txt", "B"}, {"c.txt", "C"}, {"sub/a.txt", "deep"}});
    w.ListView1_ColumnClick(0); // descending
    EXPECT_EQ(qm::test::texts(w.ListView1, 0).front(), "sub\\a.txt");
    selectRows(w, {"c.txt", "a.txt"});
    answerTarget();
    w.cmdExtract->click();
    EXPECT_EQ(tree(native("target")), (std::map<std::string, std::string>{{"a.txt", "A"}, {"c.txt", "C"}}));
    EXPECT_EQ(w.logic().PavikZip1.FileMask, "a.txt\r\nc.txt\r\n"); // listing order
    EXPECT_EQ(state_.ChosenFolder, win("target"));
    EXPECT_EQ(targetLabel_, win("out")); // the project's back-up folder
    EXPECT_EQ(prompts(), std::vector<std::string>{"Quillmate: Files unzipped successfully."});
    EXPECT_TRUE(w.Frame5->isHidden());
}

TEST_F(ContentsWindowTest, OverwriteAllAfterSkipIfExistsOverwritesAndSkipsAreShownAndLogged)
{
    frmViewZip& w = open({{"a.txt", "A"}, {"b.txt", "B"}});
    qm::test::writeFile(native("target/a.txt"), "changed");
    ui_.answer(OK); // extract all
    answerTarget(1);
    w.cmdExtract->click();
    EXPECT_EQ(qm::test::readFile(native("target/a.txt")), "changed");
    EXPECT_EQ(qm::test::readFile(native("target/b.txt")), "B");
    EXPECT_EQ(w.logic().SkipOptions, 1);
    EXPECT_EQ(w.SkippedTxt->text().toStdString().rfind("a.txt: \r\n", 0), 0u);
    ASSERT_EQ(logLines().size(), 1u);
    EXPECT_EQ(logLines()[0].rfind("<Now>\ta.txt skipped: ", 0), 0u);

    ui_.answer(OK);
    answerTarget(0);
    w.cmdExtract->click();
    EXPECT_EQ(qm::test::readFile(native("target/a.txt")), "A");
    EXPECT_EQ(logLines().size(), 1u);
}

TEST_F(ContentsWindowTest, DeleteRemovesTheSelectedEntriesAndListsAgain)
{
    frmViewZip& w = open({{"a.txt", "A"}, {"b.txt", "B"}, {"sub/b.txt", "deep"}});
    QPointer<frmViewZip> window(&w);
    selectRows(w, {"b.txt"});
    w.cmdDelete->click();
    EXPECT_EQ(prompts(), std::vector<std::string>{"Quillmate: File(s) successfully deleted."});
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(forms_.contentsVisible());
    EXPECT_TRUE(view_.visible);
    EXPECT_TRUE(relists_.empty()); // from the event loop, once the window is gone
    ui_.fireTimers();
    EXPECT_EQ(relists_, std::vector<std::string>{"Form1|"});

    std::string listing;
    ASSERT_EQ(qm::test::runCommand({"unzip", "-l", native("out/x.qmt").string()}, &listing), 0);
    EXPECT_NE(listing.find(" a.txt"), std::string::npos) << listing;
    EXPECT_EQ(listing.find(" b.txt"), std::string::npos) << listing;
    EXPECT_NE(listing.find("sub/b.txt"), std::string::npos) << listing;
}

TEST_F(ContentsWindowTest, DeleteRefusesNoSelectionAndASpannedArchive)
{
    frmViewZip& w = open({{"a.txt", "A"}});
    const std::string before = qm::test::readFile(native("out/x.qmt"));
    w.cmdDelete->click();
    EXPECT_EQ(prompts().back(), "Quillmate: You have not selected any files to delete.");
    w.Label10->setText("True");
    selectRows(w, {"a.txt"});
    w.cmdDelete->click();
    EXPECT_EQ(ui_.boxes().back().title, "Error!");
    EXPECT_EQ(ui_.boxes().back().prompt.rfind("This archive file was created using the span method.", 0), 0u);
    EXPECT_EQ(qm::test::readFile(native("out/x.qmt")), before);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 1);
}

TEST_F(ContentsWindowTest, OpenAsksBeforeABatchFileAndHandsATextFileToTheEditor)
{
    const std::filesystem::path editor = native("editor");
    qm::test::writeFile(editor, "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$0\")/edited\"\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    qm::test::ScopedEnv visual("VISUAL", editor.string());
    frmViewZip& w = open({{"run.bat", "echo"}, {"docs/my notes.txt", "notes"}});

    selectRows(w, {"run.bat"});
    ui_.answer(No);
    w.cmdOpen->click();
    EXPECT_EQ(ui_.boxes().back().title, "Executable File Selected");
    EXPECT_TRUE(std::filesystem::is_empty(native("Temp")));

    selectRows(w, {"docs\\my notes.txt"});
    w.OpenMnu->trigger();
    EXPECT_EQ(qm::test::readFile(native("edited")), "1\n" + native("Temp/my notes.txt").string() + "\n");
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_FALSE(ui_.isBusy());
    w.logic().CheckWork();
    EXPECT_TRUE(std::filesystem::is_empty(native("Temp")));

    // A name that leads out of the Temp folder is refused.
    w.AddListedRow(3, {"..\\evil.txt", "1", "1", "", "", "32"});
    selectRows(w, {"..\\evil.txt"});
    w.cmdOpen->click();
    EXPECT_EQ(ui_.boxes().back().title, "Error!");
    EXPECT_TRUE(std::filesystem::is_empty(native("Temp")));
}

TEST_F(ContentsWindowTest, ClosingTheTargetDialogByItsFrameExtractsNothing)
{
    frmViewZip& w = open({{"a.txt", "A"}});
    state_.ChosenFolder = win("out");
    selectRows(w, {"a.txt"});
    answerTarget(0, 0, true);
    w.cmdExtract->click();
    EXPECT_TRUE(std::filesystem::is_empty(native("target")));
    EXPECT_EQ(state_.ChosenFolder, "");
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(ContentsWindowTest, OneSortOrderFlipsWithEveryHeaderClick)
{
    frmViewZip& w = open({{"a", std::string(9, 'x')}, {"b", std::string(10, 'x')}, {"c", std::string(200, 'x')}});
    w.ListView1_ColumnClick(1); // Size, descending as text
    EXPECT_EQ(qm::test::texts(w.ListView1, 1), (std::vector<std::string>{"9", "200", "10"}));
    w.ListView1_ColumnClick(1);
    EXPECT_EQ(qm::test::texts(w.ListView1, 1), (std::vector<std::string>{"10", "200", "9"}));
    w.ListView1_ColumnClick(0); // another column: descending again
    EXPECT_EQ(qm::test::texts(w.ListView1, 0), (std::vector<std::string>{"c", "b", "a"}));
}

TEST_F(ContentsWindowTest, TheTargetDialogRefusesWhatIsNoFolderAndReturnsAFolderItMade)
{
    ViewZipRestore d(ui_);
    d.preset(std::nullopt);
    d.show();
    d.SSTree1->select("Desktop");
    d.cmdOkay->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(ui_.boxes().back().prompt.ends_with("\r\n\r\nOr not a valid filename.")) << ui_.boxes().back().prompt;

    openTo(*d.SSTree1, win("target"));
    EXPECT_EQ(d.Label3->text().toStdString(), win("target"));
    d.cmdMakeNewDir->click();
    EXPECT_EQ(d.Text1->text().toStdString(), win("target"));
    d.Text1->setText(QString::fromStdString(win("target") + "\\New"));
    d.Command1->click();
    EXPECT_EQ(ui_.boxes().back().title, "Folder Created");
    EXPECT_TRUE(std::filesystem::is_directory(native("target/New")));
    EXPECT_EQ(d.SSTree1->selectedKey(), win("target") + "\\New");
    d.SkipOptions[2]->setChecked(true);
    d.DateOptions[2]->setChecked(true);
    d.cmdOkay->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.answer().folder, win("target") + "\\New");
    EXPECT_EQ(d.answer().SkipOptions, 2);
    EXPECT_EQ(d.answer().DateOptions, 2);

    // A folder whose parent is missing is not made.
    d.Text1->setText(QString::fromStdString(win("nowhere") + "\\New"));
    d.Command1->click();
    EXPECT_EQ(ui_.boxes().back().title, "Error!");
    EXPECT_EQ(ui_.boxes().back().prompt.rfind("Error number: 76", 0), 0u) << ui_.boxes().back().prompt;
}

// The dialog invites Okay for the folder it shows: with no node chosen that
// folder is the target (the project's back-up folder here).
TEST_F(ContentsWindowTest, OkayWithNoNodeChosenExtractsIntoTheFolderTheDialogShows)
{
    frmViewZip& w = open({{"a.txt", "A"}, {"sub/b.txt", "B"}});
    ui_.answer(OK); // extract all
    ui_.onShowModal([this](QWidget& dialog) {
        auto& d = dynamic_cast<ViewZipRestore&>(dialog);
        d.show();
        targetLabel_ = d.Label3->text().toStdString();
        EXPECT_EQ(d.SSTree1->selectedKey(), "");
        shoot(d, "ViewZipRestore");
        d.cmdOkay->click();
    });
    w.cmdExtract->click();
    EXPECT_EQ(targetLabel_, win("out"));
    EXPECT_EQ(state_.ChosenFolder, win("out"));
    EXPECT_EQ(qm::test::readFile(native("out/a.txt")), "A");
    EXPECT_EQ(qm::test::readFile(native("out/sub/b.txt")), "B");
    EXPECT_EQ(prompts().back(), "Quillmate: Files unzipped successfully.");
}

// What the dialog shows is checked as a chosen node is; a node chosen on
// the visible tab wins over it.
TEST_F(ContentsWindowTest, TheShownFolderMustBeAFolderAndAChosenNodeComesFirst)
{
    qm::test::writeFile(native("file.txt"), "x");
    ViewZipRestore d(ui_);
    d.preset(std::nullopt);
    d.show();
    d.cmdOkay->click(); // nothing chosen, nothing shown
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(ui_.boxes().back().prompt, "Please select a drive or folder from the list");

    d.preset(win("file.txt"));
    d.cmdOkay->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(ui_.boxes().back().prompt, "Please select a foldername (directory), not a filename.");
    d.preset(win("gone"));
    d.cmdOkay->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(ui_.boxes().back().prompt.ends_with("Or not a valid filename.")) << ui_.boxes().back().prompt;
    EXPECT_FALSE(d.answer().folder);

    // A node clicked on the Local tab is what the label shows, also once the
    // Network tab (nothing chosen there) is in front.
    openTo(*d.SSTree1, win("target"));
    d.preset(win("out"));
    d.vsIndexTab1->setCurrentIndex(1);
    d.cmdOkay->click();
    EXPECT_EQ(d.answer().folder, win("out"));

    d.vsIndexTab1->setCurrentIndex(0);
    d.cmdOkay->click();
    EXPECT_EQ(d.answer().folder, win("target"));
}

// An archive opened by its path shows no target folder: Okay with no node
// chosen asks for one, and the dialog stays open for the choice.
TEST_F(ContentsWindowTest, AnArchiveOpenedByPathAsksForATargetFolder)
{
    makeSource("x", {{"a.txt", "A"}, {"sub/b.txt", "B"}});
    makeArchive(win("src-x"), archive_);
    const std::string argument = native("out/x.qmt").string();
    frmViewZip& w = show({"Viewing: " + argument, archive_, "", argument});
    w.cmdSelectAll->click();
    ui_.onShowModal([this](QWidget& dialog) {
        auto& d = dynamic_cast<ViewZipRestore&>(dialog);
        d.show();
        EXPECT_EQ(d.Label3->text().toStdString(), "");
        d.cmdOkay->click();
        EXPECT_TRUE(d.isVisible());
        shoot(d, "target-none-shown");
        openTo(*d.SSTree1, win("target"));
        d.cmdOkay->click();
    });
    w.cmdExtract->click();
    EXPECT_EQ(prompts(), (std::vector<std::string>{"Error!: Please select a drive or folder from the list",
                                                   "Quillmate: Files unzipped successfully."}));
    shootBox(ui_.boxes()[0], "target-none-chosen-box");
    EXPECT_EQ(tree(native("target")), (std::map<std::string, std::string>{{"a.txt", "A"}, {"sub/b.txt", "B"}}));
}

// With no opener (nor text editor) installed, Open says which file it
// could not open and what is needed; the window goes on.
TEST_F(ContentsWindowTest, OpenWithNoOpenerInstalledSaysWhatCouldNotBeOpenedAndWhatIsNeeded)
{
    frmViewZip& w = open({{"docs/pic.png", "PNG"}, {"notes.txt", "notes"}});
    std::filesystem::create_directories(native("no opener"));
    qm::test::ScopedEnv path("PATH", native("no opener").string());
    qm::test::ScopedEnv visual("VISUAL", std::nullopt);
    qm::test::ScopedEnv editor("EDITOR", std::nullopt);
    auto needs = [this](const std::string& file) {
        return "The file could not be opened:\r\n\r\n" + win("Temp") + "\\" + file +
               "\r\n\r\nOpening it needs the desktop's opener, xdg-open\r\n"
               "(Debian package xdg-utils), and a program\r\nfor its kind of file.";
    };
    selectRows(w, {"docs\\pic.png"});
    w.cmdOpen->click();
    selectRows(w, {"notes.txt"});
    w.cmdOpen->click();
    ASSERT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.boxes()[0].prompt, needs("pic.png"));
    EXPECT_EQ(ui_.boxes()[1].prompt, needs("notes.txt"));
    for (const qm::ui::BoxRecord& b : ui_.boxes()) {
        EXPECT_EQ(b.title, "Error!");
        EXPECT_EQ(b.icon, qm::ui::Icon::Critical);
    }
    EXPECT_FALSE(ui_.isBusy());
    EXPECT_TRUE(w.isVisible());
    shootBox(ui_.boxes()[0], "OpenFailure");
}

} // namespace

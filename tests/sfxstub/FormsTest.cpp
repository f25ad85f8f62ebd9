// The self-extractor's windows, offscreen: button sets, Escape and the close
// box, the password field, the progress cells, the destination dialog and
// the folder browser. With QM_SFX_SCREENSHOTS set to a folder, the message
// box, destination dialog and progress window are saved there as PNG files.
#include "TestSupport.h"

#include "platform/fs/Paths.h"
#include "sfxstub/Prompts.h"
#include "sfxstub/forms/QtSfxUi.h"
#include "sfxstub/forms/SfxDialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <gtest/gtest.h>

namespace qm::sfxstub {
namespace {

namespace stdfs = std::filesystem;

void key(QWidget* w, int k, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
}

void shoot(QWidget* w, const char* name)
{
    if (const char* dir = std::getenv("QM_SFX_SCREENSHOTS")) {
        QApplication::processEvents();
        w->grab().save(QString(dir) + "/" + name + ".png");
    }
}

class SfxForms : public ::testing::Test {
protected:
    SfxForms()
    {
        c.OkCaption = "OK";
        c.CancelCaption = "Cancel";
        c.AbortCaption = "Stop";
        c.SkipFileCaption = "Skip file";
        c.SkipAlwaysCaption = "Skip all";
        c.YesCaption = "Yes";
        c.NoCaption = "No";
        c.YesToAllCaption = "Yes to all";
        c.NoToAllCaption = "No to all";
        c.ContinueCaption = "Continue";
        c.ExitCaption = "Exit";
        c.AgreeCaption = "I agree";
        c.RefuseCaption = "I do not agree";
        c.Caption = "Demo setup";
        c.PasswordText = "This file is protected by a password. Enter the password:";
        c.ProgressText = "Extracting files...";
        c.ProgressNoteText = "Overall progress:";
        c.DestinationText = "Extract the files into this folder:";
        c.BrowseTitle = "Choose a folder";
        c.ConfirmAbortText = "Do you want to stop?";
        c.DestinationFolder = "C:\\tmp";
        ui.RegisterSfxClasses(c);
    }
    QString captions(const pvkMessageBoxClass& box)
    {
        QStringList l;
        for (auto* b : box.buttons)
            l << b->text();
        return l.join("|");
    }
    SfxConfig c;
    QtSfxUi ui;
};

TEST_F(SfxForms, MessageBoxButtonsEscapeAndCloseBox)
{
    const struct {
        int style;
        const char* captions;
        int clickSecond;
        int escape; // 0: Escape is ignored
    } cases[] = {
        {style::Ok, "OK", 1, 0},
        {style::OkCancel, "OK|Cancel", 2, 2},
        {style::YesNoCancel, "Yes|No|Cancel", 7, 2},
        {style::YesNo, "Yes|No", 7, 7},
        {style::YesNoAll, "Yes|No|Yes to all|No to all", 7, 7},
        {style::ContinueExit, "Continue|Exit", 11, 11},
        {style::Agreement, "I agree|I do not agree", 11, 11},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.style);
        BoxRequest req("The file C:\\data\\report.txt exists already. Do you want to replace it?", c.Caption,
                       k.style, Icon::Question);
        pvkMessageBoxClass box(c, ui.fonts(), req, nullptr);
        EXPECT_EQ(box.objectName(), "pvkMessageBoxClass");
        EXPECT_EQ(captions(box), k.captions);
        EXPECT_EQ(box.scrolling != nullptr, k.style == style::Agreement);
        box.show();
        if (k.style == style::YesNoAll)
            shoot(&box, "message-box");
        key(&box, Qt::Key_Escape);
        if (k.escape) {
            EXPECT_FALSE(box.isVisible());
            EXPECT_EQ(box.result(), k.escape);
        } else {
            EXPECT_TRUE(box.isVisible());
        }
        box.show();
        box.buttons[box.buttons.size() > 1 ? 1 : 0]->click();
        EXPECT_EQ(box.result(), k.clickSecond);
        box.show();
        box.close();
        EXPECT_EQ(box.result(), ClosedByFrame);
    }
    // The stop question opens with No as its default button.
    pvkMessageBoxClass abort(c, ui.fonts(), confirmAbortBox(c), nullptr);
    EXPECT_FALSE(abort.buttons[0]->isDefault());
    EXPECT_TRUE(abort.buttons[1]->isDefault());
}

TEST_F(SfxForms, PasswordDialogTakesEightyCharactersAndGivesItsButtons)
{
    pvkGetPasswordClass dialog(c, ui.fonts(), "C:\\very\\long\\path\\to\\the\\protected\\file.txt", nullptr);
    dialog.show();
    dialog.password->setFocus();
    dialog.password->insert(QString(100, 'p'));
    EXPECT_EQ(dialog.password->text().size(), 80);
    EXPECT_EQ(dialog.password->echoMode(), QLineEdit::Password);
    dialog.okButton->click();
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(c.LastPassword, std::string(80, 'p'));
    dialog.show();
    dialog.skipFile->click();
    EXPECT_EQ(dialog.result(), -1);
    dialog.show();
    dialog.skipAlways->click();
    EXPECT_EQ(dialog.result(), -4);
    dialog.show();
    key(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible()) << "Escape does not close the password dialog";
    dialog.close();
    EXPECT_EQ(dialog.result(), ClosedByFrame);
}

TEST_F(SfxForms, ProgressWindowCellsAndItsStopQuestion)
{
    std::vector<int> answers{button::No, button::Yes};
    std::vector<int> styles;
    pvkExtractClass w(c, ui.fonts(), [&](const BoxRequest& b) {
        styles.push_back(b.style);
        int a = answers.front();
        answers.erase(answers.begin());
        return a;
    });
    w.show();
    w.setFile("data\\photos\\holiday\\beach.jpg (40%)");
    w.setPercent(50);
    EXPECT_EQ(w.bar->filled(), 50 * (w.bar->cells() + 1) / 101);
    EXPECT_GT(w.bar->cells(), 10);
    EXPECT_EQ((w.bar->width() - 2) % 8, 0);
    shoot(&w, "progress-window");
    w.close(); // asks; No keeps the run going
    EXPECT_EQ(w.stop(), 0);
    w.abortButton->click(); // asks; Yes stops it
    EXPECT_EQ(w.stop(), -1);
    EXPECT_EQ(styles, (std::vector<int>{style::YesNo | style::SecondDefault, style::YesNo | style::SecondDefault}));
}

TEST_F(SfxForms, DestinationDialogStaysOpenUntilTheFolderIsReady)
{
    std::vector<std::string> offered;
    pvkGetDirClass d(c, ui.fonts(), [&](const std::string& f) {
        offered.push_back(f);
        return offered.size() == 1 ? result::NoDestination : result::Ok;
    }, nullptr);
    d.show();
    EXPECT_EQ(d.folder->text(), "C:\\tmp");
    shoot(&d, "destination-dialog");
    d.folder->setText("C:\\tmp\\first");
    d.okButton->click();
    EXPECT_TRUE(d.isVisible());
    d.folder->setText("C:\\tmp\\second");
    d.okButton->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), 0);
    EXPECT_EQ(offered, (std::vector<std::string>{"C:\\tmp\\first", "C:\\tmp\\second"}));
    d.show();
    d.exitButton->click();
    EXPECT_EQ(d.result(), -1);
}

TEST_F(SfxForms, FolderBrowserWalksFoldersAndDrives)
{
    qm::test::TempDir tmp("qm-sfx-browse");
    stdfs::create_directories(tmp / "Alpha" / "INNER");
    stdfs::create_directories(tmp / "disk");
    stdfs::create_directories(qm::fs::platformDir());
    qm::test::writeFile(qm::fs::platformDir() / "drives",
                        "[E:]\nPath=" + (tmp / "disk").string() + "\nType=removable\n");
    c.DestinationFolder = qm::fs::fromNative(tmp / "Alpha");
    pvkBrowseClass b(c, ui.fonts(), nullptr);
    b.show();
    EXPECT_EQ(b.path->fullText(), c.DestinationFolder + "\\");
    ASSERT_EQ(b.folders->count(), 2); // the parent entry and INNER
    EXPECT_EQ(b.folders->item(0)->text(), "");
    EXPECT_EQ(b.folders->item(1)->text(), "Inner");
    b.folders->setCurrentRow(1);
    key(b.folders, Qt::Key_Space, " ");
    EXPECT_EQ(b.path->fullText(), qm::fs::fromNative(tmp / "Alpha" / "INNER") + "\\");
    key(b.folders, Qt::Key_Backspace);
    key(b.folders, Qt::Key_Backspace);
    EXPECT_EQ(b.path->fullText(), qm::fs::fromNative(tmp.path()) + "\\");
    std::vector<std::string> drives;
    for (const DriveItem& d : b.drives->items())
        drives.push_back(d.caption().substr(0, 2));
    EXPECT_EQ(drives, (std::vector<std::string>{"c:", "e:"}));
    emit b.drives->driveChosen('E');
    EXPECT_EQ(b.path->fullText(), "E:\\");
    b.okButton->click();
    EXPECT_EQ(b.result(), 0);
    EXPECT_EQ(c.DestinationFolder, "E:\\");
    stdfs::remove(qm::fs::platformDir() / "drives");
}

TEST_F(SfxForms, LabelsShortenPathsToTheirWidth)
{
    pvkLabelClass l(ui.fonts(), nullptr);
    l.resize(120, 20);
    l.setShortening(true);
    l.setFullText("C:\\Program Files\\Some Vendor\\Product\\data\\file.txt");
    EXPECT_EQ(l.text().left(6), "C:\\...");
    EXPECT_LT(l.fontMetrics().horizontalAdvance(l.text()), 120);
    EXPECT_EQ(l.fullText(), "C:\\Program Files\\Some Vendor\\Product\\data\\file.txt");
}

} // namespace
} // namespace qm::sfxstub

// The ZIP manager's dialogs, each driven through its ShowForm on a real zip
// control: what they show, what they write back and when they stay open.
#include "ZipToolHome.h"

#include "platform/datetime/DateText.h"
#include "platform/zip/PavikZip.h"
#include "zipmanager/forms/frmFilters.h"
#include "zipmanager/forms/frmOptions.h"
#include "zipmanager/forms/frmPassword.h"
#include "zipmanager/forms/frmSfx.h"
#include "zipmanager/forms/frmUnzip.h"
#include "zipmanager/forms/frmZip.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

using namespace qm::zipmanager;
namespace mb = qm::ui::mb;

namespace {

class DialogsTest : public ZipToolHome {
protected:
    // Shows dialog D through ShowForm with `script` answering it; gives the result.
    template <class D>
    bool show(std::function<void(D&)> script)
    {
        D dialog(services_);
        onModal<D>(script);
        bool result = false;
        dialog.ShowForm(zip_, result);
        return result;
    }

    qm::zip::PavikZip zip_;
};

void click(QPushButton* b) { b->click(); }

// ---- frmZip

TEST_F(DialogsTest, AddFilesShowsAndWritesBackTheControlsSettings)
{
    zip_.SkipWhenExisting = true;
    zip_.SkipWhenOlderVersion = true;
    zip_.KeepFolderNames = false;
    zip_.IncludeSubfolders = true;
    zip_.Level = 9;
    zip_.Method = 8;
    zip_.SplitPartSize = 131072;
    EXPECT_TRUE(show<frmZip>([](frmZip& d) {
        EXPECT_TRUE(d.chkSkipIfExisting->isChecked());
        EXPECT_FALSE(d.chkSkipIfNotExisting->isChecked());
        EXPECT_TRUE(d.chkSkipIfOlderVersion->isChecked());
        EXPECT_FALSE(d.chkPreservePaths->isChecked());
        EXPECT_EQ(d.cmbCompLevel->currentText(), "Normal");
        EXPECT_EQ(d.txtSplitSize->text(), "128");
        EXPECT_FALSE(d.chkSplitting->isChecked());
        EXPECT_FALSE(d.txtSplitSize->isEnabled());
        d.txtFilesToProcess->setPlainText("a.txt\nb.txt");
        click(d.cmdZip);
    }));
    EXPECT_TRUE(zip_.SkipWhenExisting);
    EXPECT_FALSE(zip_.SkipWhenMissing);
    EXPECT_TRUE(zip_.SkipWhenOlderVersion);
    EXPECT_FALSE(zip_.KeepFolderNames);
    EXPECT_EQ(zip_.Level, 9); // "Normal" stands for the level the control had
    EXPECT_EQ(zip_.Method, 18);
    EXPECT_EQ(zip_.SplitPartSize, 0); // splitting left unchecked
    EXPECT_EQ(zip_.FileMask, "a.txt\r\nb.txt");
}

TEST_F(DialogsTest, AddFilesTakesATypedHostPathAsAFullPathAndLeavesOtherNamesAlone)
{
    EXPECT_TRUE(show<frmZip>([](frmZip& d) {
        d.txtFilesToProcess->setPlainText("/x/a.txt\n//SRV/share/b.txt\nsub/c.txt\nC:\\y\\d.txt");
        click(d.cmdZip);
    }));
    EXPECT_EQ(zip_.FileMask, qm::fs::fromNative("/x/a.txt") + "\r\n//SRV/share/b.txt\r\nsub/c.txt\r\nC:\\y\\d.txt");
    EXPECT_TRUE(qm::fs::fromNative("/x/a.txt").ends_with(":\\x\\a.txt"));
}

TEST_F(DialogsTest, AddFilesLevelsGrayedBoxesAndBrowsing)
{
    files_.files.push_back({win("x\\a.txt"), win("x\\b.txt")});
    files_.files.push_back({win("c.txt")});
    EXPECT_TRUE(show<frmZip>([](frmZip& d) {
        d.cmbCompLevel->setCurrentIndex(3);
        d.chkSkipIfOlderDate->setCheckState(Qt::PartiallyChecked);
        click(d.cmdFilesToProcess);
        click(d.cmdFilesToProcess);
        click(d.cmdZip);
    }));
    EXPECT_EQ(zip_.Level, 0);
    EXPECT_TRUE(zip_.SkipWhenOlderDate);
    EXPECT_EQ(zip_.FileMask, win("x\\a.txt") + "\r\n" + win("x\\b.txt") + "\r\n" + win("c.txt") + "\r\n");
    EXPECT_EQ(files_.requests.at(0).title, "Select files to process");
}

TEST_F(DialogsTest, SplitSizeIsInKAndMustBeAtLeast64K)
{
    ui_.answer(mb::OK);
    ui_.answer(mb::OK);
    EXPECT_TRUE(show<frmZip>([this](frmZip& d) {
        d.chkSplitting->setChecked(true);
        EXPECT_TRUE(d.txtSplitSize->isEnabled());
        d.txtSplitSize->clear();
        click(d.cmdZip);
        d.txtSplitSize->setText("63");
        click(d.cmdZip);
        EXPECT_EQ(ui_.boxes().size(), 2u);
        d.txtSplitSize->setText("100");
        click(d.cmdZip);
    }));
    EXPECT_EQ(ui_.boxes().at(0).prompt, SplitSizeMessage);
    EXPECT_EQ(zip_.SplitPartSize, 102400);
}

TEST_F(DialogsTest, AddFilesCancelAndFrameCloseWriteNothing)
{
    zip_.Method = 8;
    EXPECT_FALSE(show<frmZip>([](frmZip& d) {
        d.cmbCompLevel->setCurrentIndex(0);
        click(d.cmdCancel);
    }));
    EXPECT_FALSE(show<frmZip>([](frmZip& d) {
        d.cmbCompLevel->setCurrentIndex(0);
        d.close();
    }));
    EXPECT_EQ(zip_.Level, 6);
    EXPECT_EQ(zip_.Method, 8);
}

TEST_F(DialogsTest, SubDialogChangesStayWhenAddFilesIsCancelled)
{
    EXPECT_FALSE(show<frmZip>([this](frmZip& d) {
        onModal<frmPassword>([](frmPassword& p) {
            p.txtPassword->setText("s3cret");
            click(p.cmdOk);
        });
        click(d.cmdPasswordProtect);
        click(d.cmdCancel);
    }));
    EXPECT_EQ(zip_.Password, "s3cret");
}

TEST_F(DialogsTest, NumberFieldsTakeDigitsOnly)
{
    frmZip d(services_);
    d.txtSplitSize->setFocus();
    for (char c : std::string("1a-2.3"))
        QCoreApplication::postEvent(d.txtSplitSize,
                                    new QKeyEvent(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c))));
    QCoreApplication::processEvents();
    EXPECT_EQ(d.txtSplitSize->text(), "123");
    d.txtSplitSize->clear();
    d.txtSplitSize->insert("12x");
    EXPECT_EQ(d.txtSplitSize->text(), "");
}

// ---- frmFilters

TEST_F(DialogsTest, FiltersShowSizesInKAndAttributesAsRows)
{
    zip_.SmallestSize = 1536;
    zip_.RequiredAttributes = 32 | 1;
    EXPECT_TRUE(show<frmFilters>([](frmFilters& d) {
        EXPECT_EQ(d.txtMinSizeToProcess->text(), "1.5");
        EXPECT_EQ(d.lstRequiredAttributes->topLevelItemCount(), 7);
        EXPECT_TRUE(d.lstRequiredAttributes->topLevelItem(0)->isSelected()); // Archive
        EXPECT_TRUE(d.lstRequiredAttributes->topLevelItem(3)->isSelected()); // Read-Only
        EXPECT_EQ(d.mebMinDateToProcess->text(), "12/30/1899");
        EXPECT_EQ(d.mebMinDateToProcess->toolTip(), "Format is 12/27/2039");
        d.lstRequiredAttributes->clearSelection();
        d.lstRequiredAttributes->topLevelItem(2)->setSelected(true); // Hidden
        d.lstRequiredAttributes->topLevelItem(4)->setSelected(true); // System
        d.lstExcludedAttributes->topLevelItem(2)->setSelected(true); // the same bit in both lists
        click(d.cmdOk);
    }));
    EXPECT_EQ(zip_.SmallestSize, 1536);
    EXPECT_EQ(zip_.RequiredAttributes, 6);
    EXPECT_EQ(zip_.ExcludedAttributes, 2);
    EXPECT_EQ(zip_.OldestDate, qm::datetime::DateTime{});
    EXPECT_TRUE(show<frmFilters>([](frmFilters& d) {
        d.lstRequiredAttributes->clearSelection();
        click(d.cmdOk);
    }));
    EXPECT_EQ(zip_.RequiredAttributes, 0);
}

TEST_F(DialogsTest, FiltersStayOpenOnABadDateOrAnOversizedSize)
{
    ui_.answer(mb::OK);
    ui_.answer(mb::OK);
    EXPECT_TRUE(show<frmFilters>([this](frmFilters& d) {
        d.txtMaxSizeToProcess->setText("500");
        d.mebMaxDateToProcess->setText("2/30/2026");
        click(d.cmdOk);
        d.mebMaxDateToProcess->setText("3/1/2026 11:30:00 PM");
        d.txtMinSizeToProcess->setText("2097152");
        click(d.cmdOk);
        d.txtMinSizeToProcess->setText("2097151");
        click(d.cmdOk);
    }));
    ASSERT_EQ(ui_.boxes().size(), 2u);
    EXPECT_EQ(ui_.boxes()[0].prompt, "Date values are invalid. The format is 12/27/2039");
    EXPECT_EQ(ui_.boxes()[0].style, mb::OKOnly | mb::Exclamation);
    EXPECT_EQ(ui_.boxes()[1].prompt, SizeLimitMessage);
    EXPECT_EQ(zip_.LargestSize, 512000);
    EXPECT_EQ(zip_.SmallestSize, 2097151LL * 1024);
    EXPECT_EQ(zip_.NewestDate, (qm::datetime::DateTime{2026, 3, 1, 23, 30, 0}));
}

TEST_F(DialogsTest, FiltersCancelWritesNothing)
{
    EXPECT_FALSE(show<frmFilters>([](frmFilters& d) {
        d.txtMinSizeToProcess->setText("7");
        click(d.cmdCancel);
    }));
    EXPECT_EQ(zip_.SmallestSize, 0);
}

// ---- frmOptions

TEST_F(DialogsTest, OptionsHeadersSpanAndTemporaryFolder)
{
    zip_.HeaderSet = 5;
    zip_.SpanMode = 7;
    zip_.UseTempArchive = true;
    zip_.TempArchiveFolder = "C:\\tmp";
    EXPECT_TRUE(show<frmOptions>([](frmOptions& d) {
        EXPECT_TRUE(d.chkExtraExtTimeStamp->isChecked());
        EXPECT_FALSE(d.chkExtraFileTimes->isChecked());
        EXPECT_TRUE(d.chkExtraSecurityDsc->isChecked());
        EXPECT_FALSE(d.chkExtraUnicode->isChecked());
        EXPECT_FALSE(d.optNever->isChecked() || d.optAlways->isChecked() || d.optRemovableDrives->isChecked());
        EXPECT_TRUE(d.txtTempFolder->isEnabled());
        EXPECT_TRUE(d.cmdBrowseTempFolder->isEnabled());
        EXPECT_EQ(d.txtTempFolder->text(), "C:\\tmp");
        click(d.cmdOk);
    }));
    EXPECT_EQ(zip_.HeaderSet, 5);
    EXPECT_EQ(zip_.SpanMode, 7);

    files_.folders.push_back(std::string("C:\\var\\tmp"));
    EXPECT_TRUE(show<frmOptions>([](frmOptions& d) {
        click(d.cmdBrowseTempFolder);
        EXPECT_EQ(d.txtTempFolder->text(), "C:\\var\\tmp");
        const QColor enabledBase = d.txtTempFolder->palette().color(QPalette::Base);
        d.chkUseTempFolder->click();
        EXPECT_FALSE(d.txtTempFolder->isEnabled());
        EXPECT_FALSE(d.cmdBrowseTempFolder->isEnabled());
        EXPECT_NE(d.txtTempFolder->palette().color(QPalette::Base), enabledBase);
        for (QCheckBox* b : {d.chkExtraExtTimeStamp, d.chkExtraSecurityDsc})
            b->setChecked(false);
        d.optRemovableDrives->setChecked(true);
        click(d.cmdOk);
    }));
    EXPECT_EQ(files_.folderTitles.at(0), "Please select the temp directory");
    EXPECT_EQ(zip_.HeaderSet, 0);
    EXPECT_EQ(zip_.SpanMode, 2);
    EXPECT_FALSE(zip_.UseTempArchive);
    EXPECT_EQ(zip_.TempArchiveFolder, "C:\\var\\tmp");
}

// ---- frmSfx

TEST_F(DialogsTest, SelfExtractorStubPathsAndTexts)
{
    const std::string home = qm::fs::appPath();
    zip_.SfxStubPath = home + "\\..\\..\\..\\Sfx\\Pvksfx16.bin";
    zip_.SfxString[1] = "Old title";
    EXPECT_TRUE(show<frmSfx>([](frmSfx& d) {
        EXPECT_TRUE(d.chkMakeSfx->isChecked());
        EXPECT_TRUE(d.txtIntro->isEnabled());
        EXPECT_EQ(d.cmbSelfBinModule->currentText(), "32-bit Self-Extractor");
        EXPECT_EQ(d.txtSWindowTitle->text(), "Old title");
        d.txtIntro->setText("Hello");
        d.txtSuccess->setText("Done");
        d.txtDefaultFolder->setText("C:\\out");
        click(d.cmdOk);
    }));
    EXPECT_EQ(zip_.SfxStubPath, home + "\\..\\..\\..\\Sfx\\Pvksfx32.bin");
    EXPECT_EQ(zip_.SfxMessageText[3], "Hello");
    EXPECT_EQ(zip_.SfxMessageText[0], "Done");
    EXPECT_EQ(zip_.SfxDefaultFolder, "C:\\out");

    files_.files.push_back({"C:\\icons\\x.ico"});
    EXPECT_TRUE(show<frmSfx>([](frmSfx& d) {
        d.cmbSelfBinModule->setCurrentIndex(0);
        click(d.cmdIcon);
        click(d.cmdOk);
    }));
    EXPECT_EQ(zip_.SfxStubPath, home + "\\..\\..\\..\\Sfx\\Pvksfx16.bin");
    EXPECT_EQ(zip_.SfxIconPath, "C:\\icons\\x.ico");
    EXPECT_EQ(files_.requests.at(0).title, "Select icon file");
    EXPECT_EQ(files_.requests.at(0).filter, "Icon files (*.ico)|*.ico");
    EXPECT_EQ(files_.requests.at(0).initialFolder, home);
}

TEST_F(DialogsTest, SelfExtractorCancelOrAClearedBoxMakesAPlainArchive)
{
    zip_.SfxStubPath = "C:\\x.bin";
    EXPECT_FALSE(show<frmSfx>([](frmSfx& d) { click(d.cmdCancel); }));
    EXPECT_EQ(zip_.SfxStubPath, "");
    zip_.SfxStubPath = "C:\\x.bin";
    EXPECT_FALSE(show<frmSfx>([](frmSfx& d) {
        d.chkMakeSfx->setChecked(false);
        EXPECT_FALSE(d.txtIntro->isEnabled());
        click(d.cmdOk);
    }));
    EXPECT_EQ(zip_.SfxStubPath, "");
}

// ---- frmUnzip and frmPassword

ZipListRow listRow(const std::string& name, const std::string& path, bool selected)
{
    ZipListRow r;
    r.texts[NameColumn] = name;
    r.texts[PathColumn] = path;
    r.Selected = selected;
    return r;
}

TEST_F(DialogsTest, UnzipTakesTheSelectedRowsAndAlwaysIncludesSubfolders)
{
    const std::vector<ZipListRow> rows{listRow("a.txt", "", true), listRow("b.txt", "", false),
                                       listRow("c.txt", "docs", true), listRow("d.txt", "", true)};
    zip_.IncludeSubfolders = false;
    zip_.ExtractFolder = "C:\\out";
    files_.folders.push_back(std::string("C:\\restore"));
    frmUnzip dialog(services_);
    onModal<frmUnzip>([](frmUnzip& d) {
        EXPECT_EQ(d.txtFilesToProcess->toPlainText(), "a.txt\ndocs\\c.txt\nd.txt\n");
        EXPECT_TRUE(d.chkProcessSubFolders->isChecked());
        EXPECT_EQ(d.txtExtractDirectory->text(), "C:\\out");
        click(d.cmdExtractDirectory);
        click(d.cmdExtract);
    });
    bool result = false;
    dialog.ShowForm(zip_, rows, result);
    EXPECT_TRUE(result);
    EXPECT_TRUE(zip_.IncludeSubfolders);
    EXPECT_EQ(zip_.ExtractFolder, "C:\\restore");
    EXPECT_EQ(zip_.FileMask, "a.txt\r\ndocs\\c.txt\r\nd.txt\r\n");
    EXPECT_EQ(files_.folderTitles.at(0), "Please select the Extracting Directory");
}

TEST_F(DialogsTest, UnzipWithoutSelectionShowsTheControlsFiles)
{
    zip_.FileMask = "*.txt";
    frmUnzip dialog(services_);
    onModal<frmUnzip>([](frmUnzip& d) {
        EXPECT_EQ(d.txtFilesToProcess->toPlainText(), "*.txt");
        d.txtExtractDirectory->setText("C:\\elsewhere");
        click(d.cmdCancel);
    });
    bool result = true;
    dialog.ShowForm(zip_, {listRow("a.txt", "", false)}, result);
    EXPECT_FALSE(result);
    EXPECT_EQ(zip_.ExtractFolder, "");
}

TEST_F(DialogsTest, OnePasswordForBothDialogs)
{
    EXPECT_TRUE(show<frmPassword>([](frmPassword& d) {
        EXPECT_EQ(d.lblPasswordExplanation->text().toStdString(), PasswordExplanation);
        EXPECT_EQ(d.txtPassword->echoMode(), QLineEdit::Password);
        d.txtPassword->setText("pw1");
        click(d.cmdOk);
    }));
    frmUnzip unzip(services_);
    onModal<frmUnzip>([](frmUnzip& d) {
        EXPECT_EQ(d.txtDefaultPassword->text(), "pw1");
        d.txtDefaultPassword->setText("pw2");
        click(d.cmdExtract);
    });
    bool result = false;
    unzip.ShowForm(zip_, {}, result);
    EXPECT_TRUE(show<frmPassword>([](frmPassword& d) {
        EXPECT_EQ(d.txtPassword->text(), "pw2");
        d.txtPassword->clear();
        click(d.cmdOk);
    }));
    EXPECT_EQ(zip_.Password, "");
}

} // namespace

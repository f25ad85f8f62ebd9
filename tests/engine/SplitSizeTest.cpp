// The split-size dialog: presets, the stored size on load in each mode, and
// what Okay, Cancel and closing hand back.
#include "engine/SplitSize.h"
#include "engine/forms/QtEngineForms.h"
#include "engine/forms/frmSplitSize.h"
#include "app/ProgramState.h"
#include "FakeUiServices.h"
#include "store/ProjectRecord.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "FakeWindows.h"
#include "FormTest.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qm::engine;
using F = qm::store::ProjectField;

namespace {

using qm::test::nextTab;

class SplitSizeTest : public ::testing::Test {
protected:
    SplitSizeTest() { ui_.setUnscriptedResult(qm::ui::mb::OK); }

    qm::store::ProjectRecord& record() { return state_.store.ProjectRecord(1); }
    // The dialog in `mode`, loaded as showing it loads it.
    std::unique_ptr<frmSplitSize> open(const std::string& mode)
    {
        auto d = std::make_unique<frmSplitSize>(state_);
        d->ArchiveType = mode;
        d->ParentForm = "Form1";
        d->show();
        return d;
    }
    std::optional<int> selected(const frmSplitSize& d) const
    {
        for (std::size_t i = 0; i < d.Option1.size(); ++i)
            if (d.Option1[i]->isChecked())
                return static_cast<int>(i);
        return std::nullopt;
    }

    qm::ui::FakeUiServices ui_;
    qm::app::ProgramState state_{ui_};
    qm::app::Form1Variables& f_ = state_.Form1;
};

TEST_F(SplitSizeTest, DesignAndPresets)
{
    frmSplitSize d(state_);
    EXPECT_EQ(d.windowTitle(), "Split Size");
    const char* captions[] = {"360 kbytes", "720 kbytes", "1.2 megabytes", "1.44 megabytes", "ZIP 100 megabytes",
                              "SuperDisk 120 megabytes", "ZIP 250 megabytes"};
    const char* values[] = {"362000", "730000", "1213000", "1457000", "95000000", "120000000", "238000000"};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(d.Option1[i]->text().toStdString(), captions[i]);
        d.Option1[i]->setChecked(true);
        EXPECT_EQ(d.Text1->text().toStdString(), values[i]);
    }
    EXPECT_EQ(d.Label2->text(), "Value:");
    EXPECT_EQ(d.Label1->text(), "'Value' must be a number only, in kbytes");
    EXPECT_EQ(d.Label3->text(), "Target drive/folder:");
    EXPECT_EQ(d.Text1->toolTip(), "You can change this value, or click okay to continue with current value");
    EXPECT_EQ(d.cmdGetTarget->text(), "...");
    EXPECT_EQ(d.cmdOkay->text(), "&Okay");
    EXPECT_EQ(d.Command1->text(), "&Cancel");
    EXPECT_EQ(presetText(std::nullopt), "");
    EXPECT_EQ(nextTab(d.Option1[6]), d.Text1);
    EXPECT_EQ(nextTab(d.Text1), d.Text2);
    EXPECT_EQ(nextTab(d.Text2), d.cmdGetTarget);
    EXPECT_EQ(nextTab(d.cmdOkay), d.Command1);
}

TEST_F(SplitSizeTest, StoredSizeSelectsItsPreset)
{
    record()[F::ZIPDefaultSplitSize] = "1457000";
    state_.ChosenFolder = "F:\\";
    auto d = open("ZIP");
    EXPECT_EQ(selected(*d), 3);
    EXPECT_EQ(d->Text1->text(), "1457000");
    EXPECT_EQ(d->Text2->text(), "F:\\");
    EXPECT_FALSE(d->Text2->isHidden());

    record()[F::ZIPDefaultSplitSize] = "5000000";
    d = open("ZIP");
    EXPECT_EQ(selected(*d), std::nullopt);
    EXPECT_EQ(d->Text1->text(), "5000000");

    record()[F::ZIPDefaultSplitSize] = "lots";
    d = open("ZIP");
    EXPECT_EQ(selected(*d), std::nullopt);
    EXPECT_EQ(d->Text1->text(), "lots");
}

TEST_F(SplitSizeTest, ZipModeWithoutAStoredSizeShowsNothing)
{
    state_.ChosenFolder = "F:\\";
    auto d = open("ZIP");
    EXPECT_EQ(selected(*d), std::nullopt);
    EXPECT_EQ(d->Text1->text(), "");
    EXPECT_EQ(d->Text2->text(), "");
}

TEST_F(SplitSizeTest, AceModesReadTheirOwnFieldAndHaveNoTarget)
{
    record()[F::ACEDefaultSplitSize] = "730000";
    record()[F::ACESFXDefaultSplitSize] = "238000000";
    record()[F::ZIPDefaultSplitSize] = "362000";
    state_.ChosenFolder = "G:\\parts";
    auto ace = open("ACE");
    EXPECT_EQ(selected(*ace), 1);
    EXPECT_EQ(ace->Text1->text(), "730000");
    EXPECT_TRUE(ace->Label3->isHidden());
    EXPECT_TRUE(ace->Text2->isHidden());
    EXPECT_TRUE(ace->cmdGetTarget->isHidden());
    EXPECT_EQ(ace->Text2->text(), "G:\\parts");
    auto sfx = open("ACEEXE");
    EXPECT_EQ(selected(*sfx), 6);
    EXPECT_EQ(sfx->Text1->text(), "238000000");

    record()[F::ACEDefaultSplitSize].clear();
    ace = open("ACE");
    EXPECT_EQ(selected(*ace), std::nullopt);
    EXPECT_EQ(ace->Text1->text(), "");
}

TEST_F(SplitSizeTest, ChoosingAPresetWritesOnlyTheValueBox)
{
    f_.ZipSplitSize = "old";
    auto d = open("ZIP");
    d->Option1[6]->setChecked(true);
    EXPECT_EQ(d->Text1->text(), "238000000");
    EXPECT_EQ(f_.ZipSplitSize, "old");
    EXPECT_EQ(f_.AceSplitSize, "");
}

TEST_F(SplitSizeTest, OkayHandsBackSizeAndTarget)
{
    auto d = open("ZIP");
    d->Option1[6]->setChecked(true);
    d->Text2->setText("F:\\parts");
    d->cmdOkay->click();
    EXPECT_EQ(f_.ZipSplitSize, "238000000");
    EXPECT_EQ(f_.AceSplitSize, "238000000");
    EXPECT_EQ(state_.ChosenFolder, "F:\\parts");
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(SplitSizeTest, OkayInAceModeCopiesTheLoadedFolderBack)
{
    record()[F::ACEDefaultSplitSize] = "1213000";
    state_.ChosenFolder = "H:\\x";
    auto d = open("ACE");
    state_.ChosenFolder = "changed meanwhile";
    d->cmdOkay->click();
    EXPECT_EQ(state_.ChosenFolder, "H:\\x");
    EXPECT_EQ(f_.AceSplitSize, "1213000");
    EXPECT_EQ(f_.ZipSplitSize, "1213000");
}

TEST_F(SplitSizeTest, OkayRefusesAnythingButAPositiveWholeNumber)
{
    for (const char* size : {"", "0", "-5", "1.5", "12abc", "abc", "1e6", "99999999999999999999999"}) {
        ui_.clearRecords();
        f_.ZipSplitSize = "before";
        auto d = open("ZIP");
        d->Text1->setText(size);
        d->Text2->setText("F:\\");
        d->cmdOkay->click();
        ASSERT_EQ(ui_.boxes().size(), 1u) << size;
        EXPECT_EQ(ui_.boxes()[0].prompt,
                  "Please choose a Split Size from the options, or type in a valid number in the box provided.");
        EXPECT_EQ(ui_.boxes()[0].title, "Error!");
        EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::Critical);
        EXPECT_TRUE(d->isVisible()) << size; // stays open
        EXPECT_EQ(f_.ZipSplitSize, "before");
    }
    auto d = open("ZIP");
    d->Text1->setText(" 4096 ");
    d->Text2->setText("F:\\");
    d->cmdOkay->click();
    EXPECT_EQ(f_.ZipSplitSize, "4096");
}

TEST_F(SplitSizeTest, ZipModeNeedsATarget)
{
    f_.ZipSplitSize = "before";
    auto d = open("ZIP");
    d->Text1->setText("362000");
    d->cmdOkay->click();
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].prompt, "Please choose a target drive or folder.");
    EXPECT_EQ(ui_.boxes()[0].title, "Error!");
    EXPECT_EQ(ui_.boxes()[0].icon, qm::ui::Icon::Critical);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(f_.ZipSplitSize, "before");
    // The ACE modes have no target part and need none.
    auto ace = open("ACE");
    ace->Text1->setText("362000");
    ace->cmdOkay->click();
    EXPECT_EQ(f_.AceSplitSize, "362000");
}

TEST_F(SplitSizeTest, CancelAndClosingInEachMode)
{
    for (int how = 0; how < 2; ++how) {
        f_.ZipSplitSize = "362000";
        f_.AceSplitSize = "730000";
        state_.ChosenFolder = "F:\\";
        auto zip = open("ZIP");
        how == 0 ? zip->Command1->click() : (void)zip->close();
        EXPECT_EQ(f_.ZipSplitSize, "") << how; // the split backup then ends
        EXPECT_EQ(f_.AceSplitSize, "730000");
        EXPECT_EQ(state_.ChosenFolder, "F:\\");

        for (const char* mode : {"ACE", "ACEEXE"}) {
            f_.ZipSplitSize = "362000";
            f_.AceSplitSize = "730000";
            auto ace = open(mode);
            how == 0 ? ace->Command1->click() : (void)ace->close();
            EXPECT_EQ(f_.AceSplitSize, "Abort") << mode << how;
            EXPECT_EQ(f_.ZipSplitSize, "362000");
        }
    }
    EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(SplitSizeTest, OkayThenCloseDoesNotCancel)
{
    auto d = open("ACE");
    d->Text1->setText("5000");
    d->cmdOkay->click();
    d->close();
    EXPECT_EQ(f_.AceSplitSize, "5000");
}

TEST_F(SplitSizeTest, TargetButtonWaitsForAPicker)
{
    auto d = open("ZIP");
    EXPECT_FALSE(d->cmdGetTarget->isEnabled());
    qm::test::FakePickerForms pickers;
    using qm::pickers::FolderAnswer;
    pickers.folders = {FolderAnswer::okay("K:\\"), FolderAnswer::cancel(), FolderAnswer::okay("L:\\")};
    frmSplitSize withPicker(state_, &pickers);
    withPicker.ArchiveType = "ZIP";
    withPicker.show();
    EXPECT_TRUE(withPicker.cmdGetTarget->isEnabled());
    f_.ZipTypeBut.setValue(qm::session::kind::ZipMulti, true);
    withPicker.cmdGetTarget->click();
    ASSERT_EQ(pickers.folderRequests.size(), 1u);
    EXPECT_EQ(pickers.folderRequests[0].ParentForm, "frmSplitSize");
    EXPECT_EQ(withPicker.Text2->text(), "K:\\");
    EXPECT_EQ(state_.ChosenFolder, "K:\\");
    // Cancel in the picker leaves Text2 and empties ChosenFolder; a folder
    // chosen for a spanned kind goes to ChosenFolder only.
    withPicker.cmdGetTarget->click();
    EXPECT_EQ(withPicker.Text2->text(), "K:\\");
    EXPECT_EQ(state_.ChosenFolder, "");
    f_.ZipTypeBut.setValue(qm::session::kind::ZipSpan, true);
    withPicker.cmdGetTarget->click();
    EXPECT_EQ(pickers.folderRequests.size(), 3u);
    EXPECT_EQ(withPicker.Text2->text(), "K:\\");
    EXPECT_EQ(state_.ChosenFolder, "L:\\");
}

TEST_F(SplitSizeTest, ShownModallyThroughTheWindowRuntime)
{
    QtEngineForms forms(state_);
    record()[F::ZIPDefaultSplitSize] = "95000000";
    state_.ChosenFolder = "F:\\";
    ui_.onShowModal([](QWidget& w) {
        auto& d = dynamic_cast<frmSplitSize&>(w);
        EXPECT_EQ(d.ArchiveType, "ZIP");
        EXPECT_EQ(d.ParentForm, "Form1");
        d.show();
        d.cmdOkay->click();
    });
    EXPECT_TRUE(forms.showSplitSize("ZIP", "Form1"));
    EXPECT_EQ(f_.ZipSplitSize, "95000000");
    // Cancel (or the frame's close) tells the caller nothing was chosen.
    ui_.onShowModal([](QWidget& w) {
        w.show();
        dynamic_cast<frmSplitSize&>(w).Command1->click();
    });
    EXPECT_FALSE(forms.showSplitSize("ZIP", "Form1"));
    EXPECT_TRUE(ui_.problems().empty());
}

} // namespace

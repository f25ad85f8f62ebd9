// The about box offscreen: its texts, its links (opened first, then the box
// closes, whatever the link gave) and one box at a time.
#include "app/ProgramState.h"
#include "mainwindow/Procedures.h"
#include "mainwindow/forms/QtMainForms.h"
#include "mainwindow/forms/frmAbout.h"
#include "FakeUiServices.h"

#include "FakeMainWindowView.h"
#include "FakeWindows.h"
#include "FormTest.h"
#include "ProgramHome.h"
#include "RecordingLauncher.h"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

using namespace qm::app;
using qm::test::child;

namespace {

class AboutTest : public qm::test::ProgramHomeTest {
protected:
    std::string text(const char* name) const
    {
        return child<QLabel>(*forms_.about(), name).text().toStdString();
    }
    static void click(QWidget* w)
    {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &release);
    }
    static int openBoxes()
    {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            n += qobject_cast<frmAbout*>(w) && w->isVisible();
        return n;
    }
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    qm::ui::FakeUiServices ui_;
    qm::test::RecordingLauncher launcher_;
    ProgramState state_{ui_, &launcher_};
    QtMainForms forms_{state_};
};

TEST_F(AboutTest, ShowsTheProgramAndTheMakersLinks)
{
    forms_.showAbout();
    frmAbout& about = *forms_.about();
    EXPECT_EQ(about.objectName(), "frmAbout");
    EXPECT_EQ(about.windowTitle(), "About Quillmate");
    EXPECT_FALSE(about.isModal());
    EXPECT_EQ(text("lblTitle"), "Quillmate");
    EXPECT_EQ(text("lblVersion"), "Version 3.0");
    EXPECT_EQ(text("lblDescription"), "Back up your favorite files and folders, manually or via scheduler. Also "
                                      "create highly customized, self-extracting archive files.");
    EXPECT_TRUE(text("lblDisclaimer").ends_with("visit our web site:"));
    EXPECT_EQ(text("Label1"), "https://quillmate.example.org/");
    EXPECT_EQ(text("Label2"), "help@quillmate.example.org");
    EXPECT_EQ(child<QPushButton>(about, "cmdOK").text(), "OK");
    EXPECT_EQ(about.findChildren<QFrame*>("Line1").size(), 2);
    EXPECT_FALSE(child<QLabel>(about, "picIcon").pixmap().isNull());
    EXPECT_FALSE(child<QLabel>(about, "Image2").pixmap().isNull());
    const bool comic = QFontDatabase::families().contains("Comic Sans MS");
    EXPECT_EQ(about.lblTitle->font().family() == "Comic Sans MS", comic);
}

TEST_F(AboutTest, ALinkOpensFirstAndTheBoxClosesEvenWhenItFails)
{
    forms_.showAbout();
    launcher_.result = qm::process::shellcode::NoAssociation;
    bool openMeanwhile = false;
    ui_.answerWith([&](qm::ui::BoxRecord& box) {
        openMeanwhile = forms_.about() && forms_.about()->isVisible();
        box.result = qm::ui::mb::OK;
    });
    click(forms_.about()->Label1);
    ASSERT_EQ(launcher_.requests.size(), 1u);
    EXPECT_EQ(launcher_.requests[0].file, "https://quillmate.example.org/");
    ASSERT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(ui_.boxes()[0].prompt,
              "There was an error launching your default web browser or connecting to the internet.");
    EXPECT_TRUE(openMeanwhile);
    EXPECT_EQ(openBoxes(), 0);
    settle();
    EXPECT_EQ(forms_.about(), nullptr);

    launcher_.result = qm::process::shellcode::Success;
    forms_.showAbout();
    click(forms_.about()->Label2);
    EXPECT_EQ(launcher_.requests.back().file, "mailto:help@quillmate.example.org");
    EXPECT_EQ(ui_.boxes().size(), 1u);
    EXPECT_EQ(openBoxes(), 0);
}

TEST_F(AboutTest, OneBoxAtATimeAndOkClosesIt)
{
    qm::test::FakeMainWindowView view;
    qm::test::FakeWindows windows;
    Procedures procs(state_, view, windows.windows);
    dispatch(procs, Command::About); // nothing to show it with yet
    EXPECT_EQ(openBoxes(), 0);
    procs.setMainForms(forms_);
    dispatch(procs, Command::About);
    frmAbout* first = forms_.about();
    dispatch(procs, Command::About);
    EXPECT_EQ(forms_.about(), first);
    EXPECT_EQ(openBoxes(), 1);

    first->cmdOK->click();
    EXPECT_EQ(openBoxes(), 0);
    dispatch(procs, Command::About); // before the closed one is gone
    EXPECT_NE(forms_.about(), first);
    settle();
    EXPECT_EQ(openBoxes(), 1);
    EXPECT_TRUE(launcher_.requests.empty());
}

} // namespace

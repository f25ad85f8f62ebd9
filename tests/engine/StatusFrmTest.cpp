// The progress window: its controls, the texts the backup gives it, and
// Cancel, which raises the owner's abort request and unloads the window.
#include "engine/forms/StatusFrm.h"

#include "FormTest.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cstdlib>

namespace {

using qm::engine::StatusFrm;
using qm::engine::StatusWindow;
using qm::test::child;

TEST(StatusFrmTest, Controls)
{
    StatusFrm f;
    EXPECT_EQ(f.windowTitle(), "Status display (ZIP conversion)");
    EXPECT_EQ(child<QLabel>(f, "Label4").text(), "Current file processing:");
    EXPECT_EQ(child<QLabel>(f, "Label3").text(), "Percent complete:");
    EXPECT_EQ(child<QLabel>(f, "Label2").text(), "Current file skipped (possible error):");
    EXPECT_EQ(child<QLabel>(f, "lblSkipped").text(), "(none)");
    EXPECT_EQ(child<QPushButton>(f, "cmdCancel").text(), "&Cancel");
    for (const char* name : {"Label1", "lblArchiveFile", "lblFilename", "lblPctComplete"})
        EXPECT_NO_THROW(child<QLabel>(f, name)) << name;
    EXPECT_EQ(child<QProgressBar>(f, "vsElastic1").maximum(), 100);
    EXPECT_EQ(f.Label1->font().pointSize(), 12);
    EXPECT_TRUE(f.Label1->font().bold());
}

TEST(StatusFrmTest, TextsGoToTheWindowMadeOnDemand)
{
    StatusWindow status;
    EXPECT_EQ(status.current(), nullptr);
    status.setCaption("Compressing Home files");
    status.setBanner("Compressing");
    status.setArchiveFile("C:\\out\\Home.qmt");
    status.setFilename("docs\\a.txt");
    status.setPercent(37);
    status.setSkipped("b.txt: \r\nThe file could not be read.");
    StatusFrm* f = status.current();
    ASSERT_NE(f, nullptr);
    EXPECT_FALSE(f->isVisible()); // made hidden; shown only by the operation
    status.show();
    EXPECT_TRUE(f->isVisible());
    EXPECT_EQ(f->windowTitle(), "Compressing Home files");
    EXPECT_EQ(f->lblArchiveFile->text(), "C:\\out\\Home.qmt");
    EXPECT_EQ(f->lblFilename->text(), "docs\\a.txt");
    EXPECT_EQ(f->lblPctComplete->text(), "37");
    EXPECT_EQ(f->vsElastic1->value(), 37);
    EXPECT_EQ(f->lblSkipped->text(), "b.txt: \nThe file could not be read.");
    status.setBannerSmall();
    status.setBanner("Please wait while archive file is copied to your disk\r\n(could take a few minutes).");
    EXPECT_EQ(f->Label1->font().pointSize(), 8);
    EXPECT_EQ(f->Label1->margin(), 0);
    EXPECT_EQ(f->Label1->text(), "Please wait while archive file is copied to your disk\n(could take a few minutes).");

    // A look at the window during a run, when asked for (QM_SCREENSHOT_DIR).
    if (const char* dir = std::getenv("QM_SCREENSHOT_DIR"))
        f->grab().save(QString(dir) + "/StatusFrm.png");
}

TEST(StatusFrmTest, CancelRaisesTheAbortRequestAndUnloads)
{
    StatusWindow status;
    int cancels = 0;
    status.onCancel([&] { ++cancels; });
    status.show();
    QPointer<StatusFrm> first = status.current();
    first->cmdCancel->click();
    EXPECT_EQ(cancels, 1);
    EXPECT_FALSE(first->isVisible());
    // Progress after Cancel fills a new, hidden window.
    status.setPercent(50);
    ASSERT_NE(status.current(), first.data());
    EXPECT_FALSE(status.current()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    // The operation's own unload after its build is no Cancel.
    status.unload();
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(status.current(), nullptr);
}

} // namespace

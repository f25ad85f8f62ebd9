// The Qt services, offscreen: boxes answered by a timer that finds them and
// presses a button, modal shows, the override cursor, DoEvents and timers,
// the window guard, and the fake's modal script with a real form.
#include "platform/ui/QtUiServices.h"
#include "platform/ui/WindowGuard.h"

#include "FakeUiServices.h"
#include "FormTest.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QEventLoop>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>

using namespace qm::ui;
using qm::test::whenShown;

namespace {

void clickStandard(QMessageBox* box, QMessageBox::StandardButton which)
{
    QAbstractButton* b = box->button(which);
    ASSERT_NE(b, nullptr);
    b->click();
}

} // namespace

TEST(QtUi, MessageBoxShowsTitleIconButtonsAndDefault)
{
    QtUiServices ui;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool noIsDefault = false;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        clickStandard(box, QMessageBox::Cancel);
    });
    const int r = ui.msgBox("First line\r\nSecond line", mb::YesNoCancel + mb::Question + mb::DefaultButton2);
    EXPECT_EQ(r, mb::Cancel);
    EXPECT_EQ(title, "Quillmate");
    EXPECT_EQ(text, "First line\nSecond line");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, 3);
    EXPECT_TRUE(noIsDefault);
}

TEST(QtUi, MessageBoxResultsMapToTheClassicValues)
{
    QtUiServices ui;
    const struct {
        int style;
        QMessageBox::StandardButton press;
        int expected;
    } cases[] = {
        {mb::OKOnly, QMessageBox::Ok, mb::OK},
        {mb::OKCancel, QMessageBox::Ok, mb::OK},
        {mb::AbortRetryIgnore, QMessageBox::Retry, mb::Retry},
        {mb::AbortRetryIgnore, QMessageBox::Ignore, mb::Ignore},
        {mb::YesNo, QMessageBox::Yes, mb::Yes},
        {mb::RetryCancel, QMessageBox::Cancel, mb::Cancel},
    };
    for (const auto& c : cases) {
        whenShown<QMessageBox>([&](QMessageBox* box) { clickStandard(box, c.press); });
        EXPECT_EQ(ui.msgBox("x", c.style, "Error!"), c.expected) << c.style;
    }
}

TEST(QtUi, ClosingABoxGivesItsRefusingAnswer)
{
    QtUiServices ui;
    for (auto [style, expected] : {std::pair{mb::YesNo, mb::No}, std::pair{mb::OKOnly, mb::OK},
                                   std::pair{mb::YesNoCancel, mb::Cancel}}) {
        whenShown<QMessageBox>([](QMessageBox* box) { box->close(); });
        EXPECT_EQ(ui.msgBox("x", style), expected) << style;
    }
}

TEST(QtUi, MessageTextIsNeverReadAsMarkup)
{
    QtUiServices ui;
    Qt::TextFormat format = Qt::AutoText;
    QString title;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        format = box->textFormat();
        title = box->windowTitle();
        box->close();
    });
    ui.msgBox("<b>C:\\home\\ann</b>", mb::OKOnly + mb::Critical, "Error!");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(title, "Error!");
}

TEST(QtUi, InputBoxGivesTheTextOrEmptyWhenCancelled)
{
    QtUiServices ui;
    QString title, label, shownDefault;
    whenShown<QInputDialog>([&](QInputDialog* d) {
        title = d->windowTitle();
        label = d->labelText();
        shownDefault = d->textValue();
        d->setTextValue("Backup 2");
        d->accept();
    });
    EXPECT_EQ(ui.inputBox("Enter name:", "", "Backup 1"), "Backup 2");
    EXPECT_EQ(title, "Quillmate");
    EXPECT_EQ(label, "Enter name:");
    EXPECT_EQ(shownDefault, "Backup 1");

    whenShown<QInputDialog>([](QInputDialog* d) { d->reject(); });
    EXPECT_EQ(ui.inputBox("Enter name:", "Rename Project", "keep"), "");
}

TEST(QtUi, ModalShowReturnsWhenTheFormIsHiddenClosedOrDeleted)
{
    QtUiServices ui;
    {
        QWidget form;
        bool wasModal = false;
        QTimer::singleShot(20, [&] {
            wasModal = form.isVisible() && form.windowModality() == Qt::ApplicationModal;
            form.hide();
        });
        ui.showModal(form);
        EXPECT_TRUE(wasModal);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.windowModality(), Qt::NonModal);
    }
    {
        QPointer<QWidget> form = new QWidget;
        form->setAttribute(Qt::WA_DeleteOnClose);
        QTimer::singleShot(20, [form] { form->close(); });
        ui.showModal(*form);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
    }
    {
        QPointer<QWidget> form = new QWidget;
        QTimer::singleShot(20, [form] { delete form.data(); });
        ui.showModal(*form);
        EXPECT_TRUE(form.isNull());
    }
    {
        QDialog dialog;
        QTimer::singleShot(20, [&] { dialog.accept(); });
        ui.showModal(dialog);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
}

TEST(QtUi, OneNormalPointerUndoesAnyNumberOfBusy)
{
    QtUiServices ui;
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    ui.busyPointer();
    ui.busyPointer();
    ui.busyPointer();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(ui.isBusy());

    // A box waiting for the user shows the arrow; the hourglass comes back.
    Qt::CursorShape duringBox = Qt::WaitCursor;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        duringBox = QGuiApplication::overrideCursor()->shape();
        box->close();
    });
    ui.msgBox("Disk full", mb::OKOnly);
    EXPECT_EQ(duringBox, Qt::ArrowCursor);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

    ui.normalPointer();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(ui.isBusy());
    ui.normalPointer();   // harmless when not busy
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        QtUiServices leftBusy;
        leftBusy.busyPointer();
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtUi, DoEventsRunsPendingEventsAndTimersFireFromTheLoop)
{
    QtUiServices ui;
    bool posted = false;
    QTimer::singleShot(0, [&] { posted = true; });
    ui.doEvents();
    EXPECT_TRUE(posted);

    int order = 0, first = 0, second = 0;
    QEventLoop loop;
    ui.singleShot(40, [&] {
        second = ++order;
        loop.quit();
    });
    ui.singleShot(10, [&] { first = ++order; });
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);   // safety net
    loop.exec();
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 2);
}

namespace {
class StubbornWindow : public QWidget {
protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};
} // namespace

TEST(QtUi, WindowGuardNoticesCloseAndDeletion)
{
    {
        QWidget w;
        w.show();
        WindowGuard guard(&w);
        EXPECT_FALSE(guard.closed());
        w.close();
        EXPECT_TRUE(guard.closed());
        EXPECT_FALSE(guard.deleted());
        w.show();
        EXPECT_FALSE(guard.closed());
    }
    {
        StubbornWindow w;
        w.show();
        WindowGuard guard(&w);
        w.close();                       // refused
        EXPECT_FALSE(guard.closed());
    }
    {
        auto* w = new QWidget;
        w->show();
        WindowGuard guard(w);
        delete w;
        EXPECT_TRUE(guard.deleted());
        EXPECT_TRUE(guard.closed());
        EXPECT_EQ(guard.window(), nullptr);
    }
}

TEST(FakeUiModal, TheScriptGetsTheFormAndShowModalReturnsAfterIt)
{
    FakeUiServices ui;
    QDialog form;
    auto* ok = new QPushButton("OK", &form);
    ok->setObjectName("cmdOK");
    bool clicked = false;
    QObject::connect(ok, &QPushButton::clicked, [&] { clicked = true; });

    ui.onShowModal([](QWidget& w) {
        auto* button = w.findChild<QPushButton*>("cmdOK");
        ASSERT_NE(button, nullptr);
        button->click();
    });
    ui.showModal(form);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(ui.modalShows(), std::vector<QWidget*>{&form});
    EXPECT_TRUE(ui.problems().empty());

    ui.showModal(form);                  // no script left
    EXPECT_EQ(ui.problems().size(), 1u);
    EXPECT_EQ(ui.modalShows().size(), 2u);
}

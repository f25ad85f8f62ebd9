#include "platform/ui/QtUiServices.h"

#include "platform/ui/MsgBoxStyle.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <map>

namespace qm::ui {

namespace {

// Prompts come with CR LF (or a lone CR) as line breaks.
QString promptText(const std::string& text)
{
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString titleText(const std::string& title)
{
    return QString::fromStdString(shownTitle(title));
}

QWidget* boxParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox::StandardButton standardButton(int result)
{
    switch (result) {
    case mb::OK: return QMessageBox::Ok;
    case mb::Cancel: return QMessageBox::Cancel;
    case mb::Abort: return QMessageBox::Abort;
    case mb::Retry: return QMessageBox::Retry;
    case mb::Ignore: return QMessageBox::Ignore;
    case mb::Yes: return QMessageBox::Yes;
    case mb::No: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

QMessageBox::Icon boxIcon(Icon icon)
{
    switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Ends a local event loop when the watched widget is hidden for good.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* w, QEventLoop* loop) : QObject(loop), w_(w), loop_(loop) {}

protected:
    bool eventFilter(QObject* obj, QEvent* ev) override
    {
        // A minimised window gets a hide event too, but stays visible.
        if (obj == w_ && ev->type() == QEvent::Hide && !w_->isVisible())
            loop_->quit();
        return false;
    }

private:
    QPointer<QWidget> w_;
    QEventLoop* loop_;
};

// While a box or modal form waits for the user, the arrow shows over the
// busy pointer; the hourglass comes back when it closes.
class ArrowWhileWaiting {
public:
    explicit ArrowWhileWaiting(bool busy) : active_(busy)
    {
        if (active_)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileWaiting()
    {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
    }
    ArrowWhileWaiting(const ArrowWhileWaiting&) = delete;
    ArrowWhileWaiting& operator=(const ArrowWhileWaiting&) = delete;

private:
    bool active_;
};

} // namespace

QtUiServices::~QtUiServices()
{
    if (busy_)
        normalPointer();
}

int QtUiServices::msgBox(const std::string& prompt, int style, const std::string& title)
{
    QMessageBox box(boxParent());
    box.setWindowTitle(titleText(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(promptText(prompt));
    box.setIcon(boxIcon(iconOf(style)));
    box.setWindowModality(Qt::ApplicationModal);

    std::map<QAbstractButton*, int> results;
    const auto order = buttonResults(buttonSetOf(style));
    for (size_t i = 0; i < order.size(); ++i) {
        QPushButton* button = box.addButton(standardButton(order[i]));
        results[button] = order[i];
        if (static_cast<int>(i) + 1 == defaultButtonOf(style))
            box.setDefaultButton(button);
        if (order[i] == escapeResultOf(style))
            box.setEscapeButton(button);
    }

    {
        ArrowWhileWaiting arrow(busy_);
        box.exec();
    }
    auto it = results.find(box.clickedButton());
    return it != results.end() ? it->second : escapeResultOf(style);
}

std::string QtUiServices::inputBox(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText)
{
    QInputDialog dialog(boxParent());
    dialog.setWindowTitle(titleText(title));
    dialog.setLabelText(promptText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(QString::fromStdString(defaultText));
    dialog.setWindowModality(Qt::ApplicationModal);
    ArrowWhileWaiting arrow(busy_);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toStdString();
}

void QtUiServices::showModal(QWidget& form)
{
    ArrowWhileWaiting arrow(busy_);
    if (auto* dialog = qobject_cast<QDialog*>(&form)) {
        dialog->exec();
        return;
    }

    QPointer<QWidget> w(&form);
    const Qt::WindowModality previous = w->windowModality();
    if (w->isVisible())
        w->hide();   // modality can only change while hidden
    w->setWindowModality(Qt::ApplicationModal);

    QEventLoop loop;
    QObject::connect(w, &QObject::destroyed, &loop, &QEventLoop::quit);
    auto* watcher = new HideWatcher(w, &loop);
    w->installEventFilter(watcher);
    w->show();
    if (w && w->isVisible())
        loop.exec(QEventLoop::DialogExec);

    if (w) {
        w->removeEventFilter(watcher);
        w->setWindowModality(previous);
    }
}

void QtUiServices::busyPointer()
{
    if (!busy_) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        busy_ = true;
    }
}

void QtUiServices::normalPointer()
{
    if (busy_) {
        QGuiApplication::restoreOverrideCursor();
        busy_ = false;
    }
}

void QtUiServices::doEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtUiServices::singleShot(int ms, std::function<void()> fn)
{
    QTimer::singleShot(ms < 0 ? 0 : ms, QCoreApplication::instance(), [fn = std::move(fn)] { fn(); });
}

} // namespace qm::ui

#include "runner/forms/NightwickForm.h"

#include "platform/ui/WidgetKit.h"
#include "runner/Runner.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::runner {

NightwickForm::NightwickForm(QWidget* parent) : QWidget(parent)
{
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(MainCaption));

    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    ZipProgressTxt = new QLineEdit(this);
    ZipProgressTxt->setObjectName("ZipProgressTxt");
    ZipProgressTxt->setReadOnly(true);
    vsElastic2 = new QProgressBar(this);
    vsElastic2->setObjectName("vsElastic2");
    vsElastic2->setRange(0, 100);
    vsElastic2->setValue(0);
    Command1 = new QPushButton(tr("&Quit"), this);
    Command1->setObjectName("Command1");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ZipProgressTxt);
    layout->addWidget(vsElastic2);
    layout->addLayout(buttons);
    resize(520, 150);
    qm::ui::placeOnScreen(*this);

    Timer1.setObjectName("Timer1");
    Timer1.setInterval(Timer1Interval);
    connect(&Timer1, &QTimer::timeout, this, [this] {
        Timer1.stop();
        if (runner_)
            runner_->Timer1_Timer();
    });
    connect(Command1, &QPushButton::clicked, this, [this] {
        if (runner_)
            runner_->Command1_Click();
    });
}

void NightwickForm::attach(Runner& runner)
{
    runner_ = &runner;
    Timer1.start();
}

void NightwickForm::setCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void NightwickForm::setStatus(const std::string& text)
{
    status_ = text;
    if (isVisible())
        Label1->setText(QString::fromStdString(text));
}

void NightwickForm::setProgress(const std::string& text, int percent)
{
    progress_ = text;
    percent_ = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    if (isVisible()) {
        ZipProgressTxt->setText(QString::fromStdString(text));
        vsElastic2->setValue(percent_);
    }
}

void NightwickForm::showEvent(QShowEvent* event)
{
    // A hidden window only keeps what it is told (laying out texts nobody
    // sees costs a run of small projects dearly); it shows the latest now.
    Label1->setText(QString::fromStdString(status_));
    ZipProgressTxt->setText(QString::fromStdString(progress_));
    vsElastic2->setValue(percent_);
    QWidget::showEvent(event);
}

void NightwickForm::unloadMainWindow()
{
    hide();
}

void NightwickForm::unloadAllWindows()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->hide();
    hide();
}

void NightwickForm::endProcess()
{
    Timer1.stop();
    QCoreApplication::exit(0);
}

void NightwickForm::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (runner_)
        runner_->Command1_Click();
    else
        hide();
}

} // namespace qm::runner

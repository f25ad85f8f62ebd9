#include "engine/forms/StatusFrm.h"

#include "platform/ui/WidgetKit.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qm::engine {

namespace {

using qm::ui::named;

// Labels break lines at LF; the texts of the logic break them with CR LF.
QString labelText(const std::string& text)
{
    QString t = qm::ui::qs(text);
    t.replace("\r\n", "\n");
    return t;
}

void colour(QLabel* label, const QColor& text, const QColor* background = nullptr)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, text);
    if (background) {
        p.setColor(QPalette::Window, *background);
        label->setAutoFillBackground(true);
    }
    label->setPalette(p);
}

} // namespace

StatusFrm::StatusFrm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("StatusFrm");
    setWindowTitle("Status display (ZIP conversion)");
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = named<QLabel>(this, "Label1");
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setTextFormat(Qt::PlainText);
    Label1->setMargin(8);
    QFont banner = Label1->font();
    banner.setPointSize(12);
    banner.setBold(true);
    Label1->setFont(banner);
    const QColor teal(0, 128, 128);
    colour(Label1, QColor(0, 255, 0), &teal);

    lblArchiveFile = named<QLabel>(this, "lblArchiveFile");
    lblArchiveFile->setAlignment(Qt::AlignCenter);
    lblArchiveFile->setTextFormat(Qt::PlainText);
    colour(lblArchiveFile, Qt::blue);
    Label4 = named<QLabel>(this, "Label4", "Current file processing:");
    lblFilename = named<QLabel>(this, "lblFilename");
    lblFilename->setTextFormat(Qt::PlainText);
    Label3 = named<QLabel>(this, "Label3", "Percent complete:");
    lblPctComplete = named<QLabel>(this, "lblPctComplete");
    colour(lblPctComplete, Qt::blue);
    Label2 = named<QLabel>(this, "Label2", "Current file skipped (possible error):");
    lblSkipped = named<QLabel>(this, "lblSkipped", "(none)");
    lblSkipped->setTextFormat(Qt::PlainText);
    lblSkipped->setWordWrap(true);
    lblSkipped->setMinimumHeight(lblSkipped->fontMetrics().lineSpacing() * 2); // a name and its reason
    vsElastic1 = qm::ui::field<QProgressBar>(this, "vsElastic1");
    vsElastic1->setRange(0, 100);
    vsElastic1->setValue(0);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");

    auto* grid = new QGridLayout;
    grid->addWidget(Label4, 0, 0);
    grid->addWidget(lblFilename, 0, 1);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(lblPctComplete, 1, 1);
    grid->addWidget(Label2, 2, 0, Qt::AlignTop);
    grid->addWidget(lblSkipped, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lblArchiveFile);
    layout->addLayout(grid);
    layout->addWidget(vsElastic1);
    layout->addStretch(1);
    layout->addLayout(buttons);

    resize(540, 250);
    qm::ui::placeOnScreen(*this);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void StatusFrm::cmdCancel_Click()
{
    close();
}

void StatusFrm::unload()
{
    unloading_ = true;
    close();
}

void StatusFrm::closeEvent(QCloseEvent* event)
{
    if (!unloading_ && cancelAction)
        cancelAction();
    unloaded_ = true;
    QWidget::closeEvent(event);
}

// ---- StatusWindow

StatusWindow::~StatusWindow()
{
    delete form_.data();
}

StatusFrm& StatusWindow::form()
{
    if (form_ && form_->unloaded())
        form_ = nullptr; // closed: it deletes itself; a new one takes its place
    if (!form_) {
        form_ = new StatusFrm;
        form_->cancelAction = [this] {
            if (cancel_)
                cancel_();
        };
    }
    return *form_;
}

void StatusWindow::show() { form().show(); }

void StatusWindow::unload()
{
    if (form_ && !form_->unloaded())
        form_->unload();
    form_ = nullptr;
}

void StatusWindow::setCaption(const std::string& text) { form().setWindowTitle(qm::ui::qs(text)); }

void StatusWindow::setBanner(const std::string& text) { form().Label1->setText(labelText(text)); }

void StatusWindow::setBannerSmall()
{
    QLabel* banner = form().Label1;
    QFont f = banner->font();
    f.setPointSize(8);
    banner->setFont(f);
    banner->setMargin(0);
}

void StatusWindow::setArchiveFile(const std::string& text) { form().lblArchiveFile->setText(qm::ui::qs(text)); }

void StatusWindow::setFilename(const std::string& text)
{
    QLabel* l = form().lblFilename;
    l->setText(qm::ui::qs(text));
    l->repaint();
}

void StatusWindow::setPercent(int percent)
{
    StatusFrm& f = form();
    f.lblPctComplete->setText(QString::number(percent));
    f.vsElastic1->setValue(std::clamp(percent, 0, 100));
}

void StatusWindow::setSkipped(const std::string& text) { form().lblSkipped->setText(labelText(text)); }

} // namespace qm::engine

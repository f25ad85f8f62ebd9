#include "mainwindow/forms/frmAbout.h"

#include "app/ProgramState.h"
#include "mainwindow/OutsidePrograms.h"
#include "mainwindow/forms/Pictures.h"
#include "platform/ui/WidgetKit.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::app {

namespace {

using qm::ui::field;
using qm::ui::named;

QLabel* link(QWidget* parent, const char* name, const char* text)
{
    auto* l = named<QLabel>(parent, name, text);
    QFont f = l->font();
    f.setUnderline(true);
    l->setFont(f);
    l->setStyleSheet("color: #1f4fbf;");
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

} // namespace

frmAbout::frmAbout(ProgramState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName("frmAbout");
    setAttribute(Qt::WA_DeleteOnClose);

    picIcon = field<QLabel>(this, "picIcon");
    picIcon->setPixmap(logoPixmap(48));
    Image2 = field<QLabel>(this, "Image2");
    Image2->setPixmap(productPixmap(96));

    lblTitle = named<QLabel>(this, "lblTitle", "Quillmate");
    QFont title = lblTitle->font();
    if (QFontDatabase::families().contains("Comic Sans MS"))
        title.setFamily("Comic Sans MS");
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 2);
    lblTitle->setFont(title);
    lblVersion = named<QLabel>(this, "lblVersion", "Version 3.0");
    lblDescription = named<QLabel>(this, "lblDescription",
                                   "Back up your favorite files and folders, manually or via scheduler. Also "
                                   "create highly customized, self-extracting archive files.");
    lblDescription->setWordWrap(true);
    lblDisclaimer = named<QLabel>(this, "lblDisclaimer", AboutNotice);
    lblDisclaimer->setWordWrap(true);
    Label1 = link(this, "Label1", WebAddress);
    Label2 = link(this, "Label2", MailAddress);
    for (std::size_t i = 0; i < Line1.size(); ++i) {
        Line1[i] = field<QFrame>(this, "Line1");
        Line1[i]->setProperty("Index", static_cast<int>(i));
        Line1[i]->setFrameShape(QFrame::HLine);
        Line1[i]->setFrameShadow(QFrame::Sunken);
    }
    cmdOK = named<QPushButton>(this, "cmdOK", "OK");
    cmdOK->setDefault(true);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(6);
    texts->addWidget(lblDescription);
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addLayout(texts, 1);
    top->addWidget(Image2, 0, Qt::AlignTop);
    auto* links = new QVBoxLayout;
    links->addWidget(Label1);
    links->addWidget(Label2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Line1[0]);
    layout->addWidget(lblDisclaimer);
    layout->addLayout(links);
    layout->addWidget(Line1[1]);
    layout->addLayout(buttons);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    Label1->installEventFilter(this);
    Label2->installEventFilter(this);

    Form_Load();
    // As high as the wrapped texts need at this width.
    setFixedSize(480, layout->heightForWidth(480));
    qm::ui::placeOnScreen(*this);
}

void frmAbout::Form_Load() { setWindowTitle("About Quillmate"); }

void frmAbout::cmdOK_Click() { close(); }

void frmAbout::Label1_Click()
{
    OutsidePrograms(state_.ui(), state_.launcher()).GoFenwold();
    close();
}

void frmAbout::Label2_Click()
{
    OutsidePrograms(state_.ui(), state_.launcher()).EmailAuthor();
    close();
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label1) {
            Label1_Click();
            return true;
        }
        if (watched == Label2) {
            Label2_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qm::app

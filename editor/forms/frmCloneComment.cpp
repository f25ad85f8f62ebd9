#include "editor/forms/frmCloneComment.h"

#include "platform/ui/WidgetKit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace qm::editor {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;
using qm::ui::str;

namespace {

constexpr std::array<const char*, 5> Sources{"QMT (ZIP)", "EXE (ZIP)", "ACE", "EXE (ACE)",
                                             "New Comment (enter in text box) --------------->"};

} // namespace

frmCloneComment::frmCloneComment(CloneComment& logic, QWidget* parent) : QDialog(parent), logic_(logic)
{
    setObjectName("frmCloneComment");
    setWindowTitle("Re-Use Comment");

    Frame4 = named<QGroupBox>(this, "Frame4", "All settings apply only to Current Project");
    lblProjectName = field<QLabel>(Frame4, "lblProjectName");
    QFont bold = lblProjectName->font();
    bold.setBold(true);
    lblProjectName->setFont(bold);
    (new QVBoxLayout(Frame4))->addWidget(lblProjectName);

    Frame1 = named<QGroupBox>(this, "Frame1", "Source Comment");
    auto* sources = new QVBoxLayout(Frame1);
    auto* group = new QButtonGroup(this);
    for (int k = 0; k < 5; ++k) {
        auto* b = named<QRadioButton>(Frame1, "Option1", Sources[static_cast<std::size_t>(k)]);
        b->setProperty("Index", k);
        group->addButton(b, k);
        sources->addWidget(b);
        Option1[static_cast<std::size_t>(k)] = b;
        connect(b, &QRadioButton::clicked, this, [this, k] {
            logic_.Option1_Click(k);
            refresh();
        });
    }

    Frame3 = named<QGroupBox>(this, "Frame3", "Source Comment currently selected");
    txtComment = field<QPlainTextEdit>(Frame3, "txtComment");
    txtComment->installEventFilter(this);
    connect(txtComment, &QPlainTextEdit::textChanged, this,
            [this] { logic_.txtComment = str(txtComment->toPlainText().replace('\n', "\r\n")); });
    (new QVBoxLayout(Frame3))->addWidget(txtComment);

    Frame2 = named<QGroupBox>(this, "Frame2", "Destination Comment");
    auto* destinations = new QVBoxLayout(Frame2);
    Check1 = named<QCheckBox>(Frame2, "Check1", Sources[0]);
    Check2 = named<QCheckBox>(Frame2, "Check2", Sources[1]);
    Check3 = named<QCheckBox>(Frame2, "Check3", Sources[2]);
    Check4 = named<QCheckBox>(Frame2, "Check4", Sources[3]);
    checks_ = {Check1, Check2, Check3, Check4};
    for (int k = 0; k < CommentKinds; ++k) {
        QCheckBox* box = checks_[static_cast<std::size_t>(k)];
        destinations->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [this, k](bool on) {
            logic_.Check_Click(k, on);
            refresh();
        });
    }

    Command2 = named<QPushButton>(this, "Command2", "&Clone");
    Command1 = named<QPushButton>(this, "Command1", "&Cancel");
    connect(Command2, &QPushButton::clicked, this, [this] {
        if (logic_.Command2_Click())
            accept();
        else
            refresh();
    });
    connect(Command1, &QPushButton::clicked, this, &QDialog::reject);

    auto* middle = new QHBoxLayout;
    middle->addWidget(Frame1);
    middle->addWidget(Frame3, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Frame2);
    bottom->addStretch(1);
    auto* buttons = new QVBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    bottom->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame4);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);
    qm::ui::chainTabOrder({Option1[0], Option1[1], Option1[2], Option1[3], Option1[4], txtComment, Check1, Check2,
                           Check3, Check4, Command2, Command1});
    resize(640, 380);
    qm::ui::placeOnScreen(*this);
    refresh();
}

bool frmCloneComment::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtComment && event->type() == QEvent::FocusOut && !refreshing_) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        // Another window coming up (a box) is no loss of the focus here.
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            logic_.txtComment_LostFocus();
            refresh();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmCloneComment::refresh()
{
    refreshing_ = true;
    lblProjectName->setText(qs(logic_.lblProjectName));
    for (int k = 0; k < 5; ++k) {
        const QSignalBlocker blocker(Option1[static_cast<std::size_t>(k)]);
        if (logic_.Option1 == k)
            Option1[static_cast<std::size_t>(k)]->setChecked(true);
    }
    const QString shown = qs(logic_.txtComment).replace("\r\n", "\n").replace('\r', '\n');
    if (txtComment->toPlainText() != shown) {
        const QSignalBlocker blocker(txtComment);
        txtComment->setPlainText(shown);
    }
    txtComment->setEnabled(logic_.txtCommentEnabled);
    for (int k = 0; k < CommentKinds; ++k) {
        const QSignalBlocker blocker(checks_[static_cast<std::size_t>(k)]);
        checks_[static_cast<std::size_t>(k)]->setChecked(logic_.Check[static_cast<std::size_t>(k)]);
    }
    if (logic_.focusComment) {
        logic_.focusComment = false;
        txtComment->setFocus();
    }
    refreshing_ = false;
}

} // namespace qm::editor

#include "editor/forms/SlotForms.h"

#include "platform/ui/WidgetKit.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <array>

namespace qm::editor {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;
using qm::ui::str;

namespace {

constexpr const char* PathHeading = "Full pathname to File (e.g., C:\\MyFiles\\MyProgram.exe)";

struct SlotTexts {
    std::array<const char*, 3> headings;
    const char* note;
};

const SlotTexts ExtensionTexts{
    {"Brief Description", "Filename Extension", PathHeading},
    "All three columns (Brief Description, Filename Extension, and Full Pathname) are required for each "
    "association you create. NOTE: The items below can be entered in any order. Blank items are okay, if all "
    "three columns of the item are blank.",
};

const SlotTexts GroupTexts{
    {PathHeading, "Windows Taskbar Display Name", nullptr},
    "Both columns (Full pathname and Windows Taskbar Display Name) are required for each program group item you "
    "create. NOTE: The items below can be entered in any order but will be created on the taskbar in the order "
    "shown (unless the item is blank, in which case it is ignored).",
};

} // namespace

SlotForm::SlotForm(SlotEditor& logic, const char* name, QWidget* parent) : QDialog(parent), logic_(logic)
{
    setObjectName(name);
    const int parts = logic_.parts();
    const SlotTexts& texts = logic_.kind() == SlotKind::Extensions ? ExtensionTexts : GroupTexts;

    auto* note = named<QLabel>(this, "Label1", texts.note);
    note->setWordWrap(true);
    auto* rows = new QGridLayout;
    rows->addWidget(named<QLabel>(this, "Label2", "Item"), 0, 0);
    for (int p = 0; p < parts; ++p)
        rows->addWidget(new QLabel(texts.headings[static_cast<std::size_t>(p)], this), 0, p + 1);
    for (int k = 0; k < SlotCount; ++k) {
        rows->addWidget(new QLabel(QString("%1.").arg(k + 1, 2, 10, QChar('0')), this), k + 1, 0);
        for (int p = 0; p < parts; ++p) {
            const int index = k * parts + p;
            auto* box = field<QLineEdit>(this, "Text1");
            box->setProperty("Index", index);
            box->setText(qs(logic_.Text1[static_cast<std::size_t>(index)]));
            if (logic_.isPathnameBox(index))
                box->installEventFilter(this);
            connect(box, &QLineEdit::textChanged, this, [this, index, box](const QString& text) {
                if (logic_.Text1_Change(index, str(text))) {
                    const QSignalBlocker blocker(box);
                    box->clear();
                }
            });
            rows->addWidget(box, k + 1, p + 1);
            Text1.push_back(box);
        }
    }
    for (int p = 1; p <= parts; ++p)
        rows->setColumnStretch(p, 1);
    auto* hint = new QLabel("Macros available for pathname: %w, %s, %d, %t, %e, %p, %v", this);

    Frame1 = named<QGroupBox>(this, "Frame1", "Remove item #");
    Combo1 = field<QComboBox>(Frame1, "Combo1");
    Combo1->setEditable(true);
    for (int k = 1; k <= SlotCount; ++k)
        Combo1->addItem(QString("0%1").arg(k));
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText({});
    cmdGo = named<QPushButton>(Frame1, "cmdGo", "&Go");
    auto* remove = new QHBoxLayout(Frame1);
    remove->addWidget(cmdGo);
    remove->addWidget(Combo1);
    cmdSave = named<QPushButton>(this, "cmdSave", "&Save");
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");
    connect(cmdGo, &QPushButton::clicked, this, [this] {
        logic_.Combo1 = str(Combo1->currentText());
        logic_.cmdGo_Click();
        refresh();
    });
    connect(cmdSave, &QPushButton::clicked, this, [this] {
        if (logic_.cmdSave_Click())
            accept();
    });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Frame1);
    bottom->addStretch(1);
    bottom->addWidget(cmdSave);
    bottom->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(rows);
    layout->addWidget(hint);
    if (logic_.kind() == SlotKind::ProgramGroup) {
        Label15 = named<QLabel>(this, "Label15", qs(logic_.Label15));
        QFont font("Comic Sans MS");
        font.setBold(true);
        Label15->setFont(font);
        layout->addWidget(Label15);
    }
    layout->addLayout(bottom);
    std::vector<QWidget*> order(Text1.begin(), Text1.end());
    order.insert(order.end(), {cmdGo, Combo1, cmdSave, cmdCancel});
    qm::ui::chainTabOrder(order);
    setWindowTitle(qs(logic_.caption));
    resize(parts == 3 ? 860 : 720, 420);
    qm::ui::placeOnScreen(*this);
}

bool SlotForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        auto* box = qobject_cast<QLineEdit*>(watched);
        // Another window coming up (a box) is no loss of the focus here.
        if (box && why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            QPointer<QLineEdit> alive(box);
            logic_.Text1_LostFocus(box->property("Index").toInt(), [alive] {
                if (alive)
                    alive->setFocus();
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SlotForm::refresh()
{
    for (std::size_t i = 0; i < Text1.size(); ++i) {
        const QSignalBlocker blocker(Text1[i]);
        Text1[i]->setText(qs(logic_.Text1[i]));
    }
}

frmExtensions::frmExtensions(SlotEditor& logic, QWidget* parent) : SlotForm(logic, "frmExtensions", parent) {}

frmProgramGroup::frmProgramGroup(SlotEditor& logic, QWidget* parent) : SlotForm(logic, "frmProgramGroup", parent) {}

} // namespace qm::editor

#include "engine/forms/frmSplitSize.h"

#include "engine/SplitSize.h"
#include "app/ProgramState.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/ui/WidgetKit.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <vector>

namespace qm::engine {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

frmSplitSize::frmSplitSize(qm::app::ProgramState& state, qm::pickers::PickerForms* pickers, QWidget* parent)
    : QDialog(parent), state_(state), pickers_(pickers)
{
    setObjectName("frmSplitSize");
    setWindowTitle("Split Size");

    vsElastic1 = field<QWidget>(this, "vsElastic1");
    group_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < SplitPresets.size(); ++i) {
        auto* b = named<QRadioButton>(vsElastic1, "Option1", qs(SplitPresets[i].caption));
        b->setProperty("Index", static_cast<int>(i));
        group_->addButton(b, static_cast<int>(i));
        Option1[i] = b;
    }
    Label2 = named<QLabel>(vsElastic1, "Label2", "Value:");
    Text1 = field<QLineEdit>(vsElastic1, "Text1");
    Text1->setToolTip("You can change this value, or click okay to continue with current value");
    Label2->setBuddy(Text1);
    Label1 = named<QLabel>(vsElastic1, "Label1", "'Value' must be a number only, in kbytes");
    Label3 = named<QLabel>(vsElastic1, "Label3", "Target drive/folder:");
    Text2 = field<QLineEdit>(vsElastic1, "Text2");
    Label3->setBuddy(Text2);
    cmdGetTarget = named<QPushButton>(vsElastic1, "cmdGetTarget", "...");
    cmdGetTarget->setEnabled(pickers_ != nullptr);
    cmdGetTarget->setFixedWidth(cmdGetTarget->fontMetrics().horizontalAdvance("...") + 24);
    cmdOkay = named<QPushButton>(vsElastic1, "cmdOkay", "&Okay");
    cmdOkay->setDefault(true);
    Command1 = named<QPushButton>(vsElastic1, "Command1", "&Cancel");

    auto* presets = new QVBoxLayout;
    for (QRadioButton* b : Option1)
        presets->addWidget(b);
    auto* fields = new QGridLayout;
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(Text1, 0, 1, 1, 2);
    fields->addWidget(Label1, 1, 1, 1, 2);
    fields->addWidget(Label3, 2, 0);
    fields->addWidget(Text2, 2, 1);
    fields->addWidget(cmdGetTarget, 2, 2);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOkay);
    buttons->addWidget(Command1);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addStretch(1);
    right->addLayout(buttons);
    auto* inner = new QHBoxLayout(vsElastic1);
    inner->addLayout(presets);
    inner->addSpacing(12);
    inner->addLayout(right, 1);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(vsElastic1);

    std::vector<QWidget*> tabOrder(Option1.begin(), Option1.end());
    tabOrder.insert(tabOrder.end(), {Text1, Text2, cmdGetTarget, cmdOkay, Command1});
    qm::ui::chainTabOrder(tabOrder);

    connect(group_, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on)
            Option1_Click();
    });
    connect(cmdGetTarget, &QPushButton::clicked, this, [this] { cmdGetTarget_Click(); });
    connect(cmdOkay, &QPushButton::clicked, this, [this] { cmdOkay_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void frmSplitSize::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    answered_ = false;
    QDialog::showEvent(event);
}

void frmSplitSize::Form_Load()
{
    const SplitSizeView view = splitSizeLoad(ArchiveType, state_.store.ProjectRecord(1), state_.ChosenFolder);
    if (!view.targetVisible) {
        Label3->hide();
        Text2->hide();
        cmdGetTarget->hide();
    }
    if (view.preset)
        Option1[static_cast<std::size_t>(*view.preset)]->setChecked(true);
    Text1->setText(qs(view.Text1));
    Text2->setText(qs(view.Text2));
}

void frmSplitSize::Option1_Click()
{
    std::optional<int> selected;
    for (std::size_t i = 0; i < Option1.size(); ++i) {
        if (Option1[i]->isChecked()) {
            selected = static_cast<int>(i);
            break;
        }
    }
    Text1->setText(qs(presetText(selected)));
}

void frmSplitSize::cmdGetTarget_Click()
{
    if (!pickers_)
        return;
    const qm::pickers::FolderAnswer answer = pickers_->chooseTargetDir(qm::pickers::SplitSizeRequest());
    if (std::optional<std::string> folder = qm::pickers::SplitSizeTarget(state_, answer))
        Text2->setText(qs(*folder));
}

void frmSplitSize::cmdOkay_Click()
{
    if (!splitSizeOkay(state_, ArchiveType, qm::ui::str(Text1->text()), qm::ui::str(Text2->text())))
        return;
    answered_ = true;
    accept();
}

void frmSplitSize::Command1_Click() { reject(); }

void frmSplitSize::reject()
{
    if (!answered_) {
        splitSizeCancel(state_, ArchiveType);
        answered_ = true;
    }
    QDialog::reject();
}

} // namespace qm::engine

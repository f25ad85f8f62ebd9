#include "engine/forms/frmSplitSize.h"

#include "engine/SplitSize.h"
#include "app/ProgramState.h"
#include "pickers/PickerForms.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm::engine {

namespace {
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
} // namespace

frmSplitSize::frmSplitSize(qm::app::ProgramState& state, qm::pickers::PickerForms* pickers, QWidget* parent)
    : QDialog(parent), state_(state), pickers_(pickers)
{
    setObjectName("frmSplitSize");
    setWindowTitle("Split Size");

    vsElastic1 = new QWidget(this);
    vsElastic1->setObjectName("vsElastic1");
    group_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < SplitPresets.size(); ++i) {
        auto* b = new QRadioButton(qs(SplitPresets[i].caption), vsElastic1);
        b->setObjectName("Option1");
        b->setProperty("Index", static_cast<int>(i));
        group_->addButton(b, static_cast<int>(i));
        Option1[i] = b;
    }
    Label2 = new QLabel("Value:", vsElastic1);
    Label2->setObjectName("Label2");
    Text1 = new QLineEdit(vsElastic1);
    Text1->setObjectName("Text1");
    Text1->setToolTip("You can change this value, or click okay to continue with current value");
    Label2->setBuddy(Text1);
    Label1 = new QLabel("'Value' must be a number only, in kbytes", vsElastic1);
    Label1->setObjectName("Label1");
    Label3 = new QLabel("Target drive/folder:", vsElastic1);
    Label3->setObjectName("Label3");
    Text2 = new QLineEdit(vsElastic1);
    Text2->setObjectName("Text2");
    Label3->setBuddy(Text2);
    cmdGetTarget = new QPushButton("...", vsElastic1);
    cmdGetTarget->setObjectName("cmdGetTarget");
    cmdGetTarget->setEnabled(pickers_ != nullptr);
    cmdGetTarget->setFixedWidth(cmdGetTarget->fontMetrics().horizontalAdvance("...") + 24);
    cmdOkay = new QPushButton("&Okay", vsElastic1);
    cmdOkay->setObjectName("cmdOkay");
    cmdOkay->setDefault(true);
    Command1 = new QPushButton("&Cancel", vsElastic1);
    Command1->setObjectName("Command1");

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

    QWidget* previous = Option1[0];
    for (std::size_t i = 1; i < Option1.size(); ++i) {
        setTabOrder(previous, Option1[i]);
        previous = Option1[i];
    }
    for (QWidget* w : std::initializer_list<QWidget*>{Text1, Text2, cmdGetTarget, cmdOkay, Command1}) {
        setTabOrder(previous, w);
        previous = w;
    }

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
    Text1->setText(QString::fromStdString(view.Text1));
    Text2->setText(QString::fromStdString(view.Text2));
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
    Text1->setText(QString::fromStdString(presetText(selected)));
}

void frmSplitSize::cmdGetTarget_Click()
{
    if (!pickers_)
        return;
    qm::pickers::FolderRequest request;
    request.ParentForm = "frmSplitSize";
    if (std::optional<std::string> folder = splitSizeTargetChosen(state_, pickers_->chooseTargetDir(request)))
        Text2->setText(QString::fromStdString(*folder));
}

void frmSplitSize::cmdOkay_Click()
{
    if (!splitSizeOkay(state_, ArchiveType, Text1->text().toStdString(), Text2->text().toStdString()))
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

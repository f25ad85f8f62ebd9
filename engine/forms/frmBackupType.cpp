#include "engine/forms/frmBackupType.h"

#include "app/ProgramState.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"
#include "session/BackupType.h"
#include "store/SystemLookups.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <vector>

namespace qm::engine {

using namespace qm::session; // the archive kinds and the dialog's logic
using qm::ui::named;
using qm::ui::qs;

frmBackupType::frmBackupType(qm::app::ProgramState& state, QWidget* parent)
    : QDialog(parent), state_(state)
{
    setObjectName("frmBackupType");
    setWindowTitle("Archive Options");

    Frame1 = named<QGroupBox>(this, "Frame1");
    group_ = new QButtonGroup(this);
    for (const ArchiveKind& k : archiveKinds()) {
        auto* b = named<QRadioButton>(Frame1, "ZipTypeBut", qs(k.caption));
        b->setProperty("Index", k.index);
        b->setToolTip(qs(k.tooltip));
        group_->addButton(b, k.index);
        ZipTypeBut[static_cast<std::size_t>(k.index)] = b;
    }
    Check1 = named<QCheckBox>(Frame1, "Check1", qs(DeleteFlagCaption));
    Check1->setToolTip(qs(DeleteFlagTooltip));

    // One column: the ZIP and EXE kinds (option 3 beside option 2), then the ACE kinds.
    auto* grid = new QGridLayout(Frame1);
    const int rows[ArchiveKindCount] = {0, 1, 2, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    for (int i = 0; i < ArchiveKindCount; ++i)
        grid->addWidget(ZipTypeBut[static_cast<std::size_t>(i)], rows[i], i == kind::ExeMulti ? 1 : 0);
    grid->addWidget(Check1, 11, 0, 1, 2);

    cmdOkay = named<QPushButton>(this, "cmdOkay", "&Okay");
    cmdOkay->setDefault(true);
    cmdCancel = named<QPushButton>(this, "cmdCancel", "&Cancel");
    Label1 = named<QLabel>(this, "Label1", qs(MultipleTypesText));
    Label1->setWordWrap(true);
    Label1->setMinimumWidth(180);

    auto* side = new QVBoxLayout;
    side->addWidget(Label1);
    side->addStretch(1);
    side->addWidget(cmdOkay);
    side->addWidget(cmdCancel);
    auto* top = new QHBoxLayout(this);
    top->addWidget(Frame1, 1);
    top->addLayout(side);

    std::vector<QWidget*> tabOrder(ZipTypeBut.begin(), ZipTypeBut.end());
    tabOrder.insert(tabOrder.end(), {Check1, cmdOkay, cmdCancel});
    qm::ui::chainTabOrder(tabOrder);

    connect(cmdOkay, &QPushButton::clicked, this, [this] { cmdOkay_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    apply(designSetup());
}

void frmBackupType::apply(const BackupTypeSetup& setup)
{
    Frame1->setTitle(qs(setup.frameCaption));
    for (int i = 0; i < ArchiveKindCount; ++i)
        ZipTypeBut[static_cast<std::size_t>(i)]->setVisible(setup.shown[static_cast<std::size_t>(i)]);
    Label1->setVisible(setup.label1Visible);
    Check1->setVisible(setup.check1Visible);
    setOption(setup.preset);
}

void frmBackupType::setOption(std::optional<int> index)
{
    group_->setExclusive(false);
    for (QRadioButton* b : ZipTypeBut)
        b->setChecked(false);
    group_->setExclusive(true);
    if (index && *index >= 0 && *index < ArchiveKindCount)
        ZipTypeBut[static_cast<std::size_t>(*index)]->setChecked(true);
}

void frmBackupType::cmdOkay_Click()
{
    std::array<bool, ArchiveKindCount> set{};
    for (int i = 0; i < ArchiveKindCount; ++i)
        set[static_cast<std::size_t>(i)] = ZipTypeBut[static_cast<std::size_t>(i)]->isChecked();
    backupTypeOkay(state_.Form1, set, Check1->isChecked());
    answered_ = true;
    accept();
}

void frmBackupType::cmdCancel_Click() { reject(); }

void frmBackupType::reject()
{
    if (!answered_) {
        backupTypeCancel(state_.Form1);
        answered_ = true;
    }
    QDialog::reject();
}

void frmBackupType::showEvent(QShowEvent* event)
{
    answered_ = false;
    QDialog::showEvent(event);
}

void frmBackupType::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        qm::store::NormalPointer(state_.ui());
    QDialog::changeEvent(event);
}

} // namespace qm::engine

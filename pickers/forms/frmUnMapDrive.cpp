#include "pickers/forms/frmUnMapDrive.h"

#include "pickers/DriveTree.h"
#include "pickers/NetworkMap.h"
#include "pickers/forms/TreeParts.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm::pickers {

using qm::ui::field;
using qm::ui::named;
using qm::ui::qs;

frmUnMapDrive::frmUnMapDrive(qm::ui::UiServices& ui, QWidget* parent) : QDialog(parent), ui_(ui)
{
    setObjectName("frmUnMapDrive");
    setWindowTitle(qs(UnMapDriveCaption));
    vsElastic1 = field<QWidget>(this, "vsElastic1");
    cmdOkay = named<QPushButton>(vsElastic1, "cmdOkay", "&Unmap");
    cmdOkay->setDefault(true);
    cmdCancel = named<QPushButton>(vsElastic1, "cmdCancel", "&Cancel");
    SSTree1 = field<qm::ui::TreeView>(vsElastic1, "SSTree1");
    bindDriveTree(*SSTree1, *this, ui);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOkay);
    buttons->addWidget(cmdCancel);
    auto* panel = new QVBoxLayout(vsElastic1);
    panel->addWidget(SSTree1, 1);
    panel->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(vsElastic1);
    resize(380, 400);
    qm::ui::chainTabOrder({SSTree1, cmdOkay, cmdCancel});

    connect(cmdOkay, &QPushButton::clicked, this, [this] { cmdOkay_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmUnMapDrive::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void frmUnMapDrive::Form_Load() { DriveTreeSetup(*SSTree1); }

void frmUnMapDrive::GetDrives() { qm::pickers::GetDrives(*SSTree1); }

void frmUnMapDrive::cmdOkay_Click()
{
    if (!unmapDriveOkay(ui_, SSTree1->selectedKey()))
        return;
    ending_ = Ending::Okay;
    accept();
}

void frmUnMapDrive::cmdCancel_Click()
{
    ending_ = Ending::Cancel;
    reject();
}

} // namespace qm::pickers

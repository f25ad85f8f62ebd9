#include "pickers/forms/frmNetworkMap.h"

#include "pickers/NetworkMap.h"
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

frmNetworkMap::frmNetworkMap(qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive, QWidget* parent)
    : QDialog(parent), ui_(ui), mapNetworkDrive_(std::move(mapNetworkDrive))
{
    setObjectName("frmNetworkMap");
    setWindowTitle(qs(NetworkMapCaption));
    vsElastic1 = field<QWidget>(this, "vsElastic1");
    Command2 = named<QPushButton>(vsElastic1, "Command2", "Map Selected &Network Drive");
    Command2->setEnabled(static_cast<bool>(mapNetworkDrive_));
    cmdOkay = named<QPushButton>(vsElastic1, "cmdOkay", "&Okay");
    cmdOkay->setDefault(true);
    cmdCancel = named<QPushButton>(vsElastic1, "cmdCancel", "&Cancel");
    imlNWImages = makeNetworkImages(this);
    tvwNetwork = field<qm::ui::TreeView>(vsElastic1, "tvwNetwork");
    network_.bind(*tvwNetwork, ui);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    buttons->addWidget(cmdOkay);
    buttons->addWidget(cmdCancel);
    auto* panel = new QVBoxLayout(vsElastic1);
    panel->addWidget(tvwNetwork, 1);
    panel->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(vsElastic1);
    resize(440, 420);
    qm::ui::chainTabOrder({tvwNetwork, Command2, cmdOkay, cmdCancel});

    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(cmdOkay, &QPushButton::clicked, this, [this] { cmdOkay_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmNetworkMap::showEvent(QShowEvent* event)
{
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
    QDialog::showEvent(event);
}

void frmNetworkMap::Form_Load() { network_.load(*tvwNetwork, imlNWImages, ui_); }

void frmNetworkMap::Command2_Click()
{
    // The browser stays as it is, whatever the mapping did.
    if (mapNetworkDrive_)
        mapNetworkDrive_(MapDriveHost{*this, "frmNetworkMap", tvwNetwork->selectedKey()});
}

void frmNetworkMap::cmdOkay_Click()
{
    if (!networkMapOkay(ui_, tvwNetwork->selectedKey()))
        return;
    ending_ = Ending::Okay;
    accept();
    ui_.normalPointer();
}

void frmNetworkMap::cmdCancel_Click()
{
    ending_ = Ending::Cancel;
    reject();
}

} // namespace qm::pickers

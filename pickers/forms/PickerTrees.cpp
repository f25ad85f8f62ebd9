#include "pickers/forms/PickerTrees.h"

#include "pickers/DriveTree.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/UiServices.h"
#include "platform/ui/WidgetKit.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::pickers {

using qm::ui::field;
using qm::ui::TreeView;

PickerTrees::PickerTrees(QWidget& dialog, qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive,
                         const char* mapCaption)
    : dialog_(dialog), ui_(ui), mapNetworkDrive_(std::move(mapNetworkDrive))
{
    vsElastic1 = field<QWidget>(&dialog, "vsElastic1");
    vsElastic2 = field<QWidget>(vsElastic1, "vsElastic2");
    vsElastic3 = field<QWidget>(vsElastic1, "vsElastic3");
    vsIndexTab1 = field<QTabWidget>(vsElastic2, "vsIndexTab1");
    localPage = new QWidget;
    networkPage = new QWidget;
    vsIndexTab1->addTab(localPage, "Local");
    vsIndexTab1->addTab(networkPage, "Network");

    imlNWImages = makeNetworkImages(&dialog);
    SSTree1 = field<TreeView>(localPage, "SSTree1");
    SSTree1->setToolTip("Select the drive and/or folder");
    bindDriveTree(*SSTree1, dialog, ui);
    tvwNetwork = field<TreeView>(networkPage, "tvwNetwork");
    network_.bind(*tvwNetwork, ui);
    Command2 = qm::ui::named<QPushButton>(networkPage, "Command2", mapCaption);
    Command2->setEnabled(static_cast<bool>(mapNetworkDrive_));

    networkLayout = new QVBoxLayout(networkPage);
    networkLayout->addWidget(tvwNetwork, 1);
    auto* mapRow = new QHBoxLayout;
    mapRow->addStretch(1);
    mapRow->addWidget(Command2);
    networkLayout->addLayout(mapRow);
    auto* tabs = new QVBoxLayout(vsElastic2);
    tabs->setContentsMargins(0, 0, 0, 0);
    tabs->addWidget(vsIndexTab1);
    auto* whole = new QVBoxLayout(vsElastic1);
    whole->addWidget(vsElastic2, 1);
    whole->addWidget(vsElastic3);
    auto* outer = new QVBoxLayout(&dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(vsElastic1);
}

bool PickerTrees::mapNetworkDrive()
{
    return mapNetworkDrive_ &&
           mapNetworkDrive_(MapDriveHost{dialog_, qm::ui::str(dialog_.objectName()), tvwNetwork->selectedKey()});
}

PickerTrees::~PickerTrees() = default;

void PickerTrees::load()
{
    DriveTreeSetup(*SSTree1);
    network_.load(*tvwNetwork, imlNWImages, ui_);
    vsIndexTab1->setCurrentIndex(0);
}

void PickerTrees::rebuildDrives()
{
    SSTree1->clear();
    DriveTreeSetup(*SSTree1);
}

bool PickerTrees::onNetworkTab() const { return vsIndexTab1->currentIndex() == 1; }

std::string PickerTrees::selectedKey() const
{
    return onNetworkTab() ? tvwNetwork->selectedKey() : SSTree1->selectedKey();
}

} // namespace qm::pickers

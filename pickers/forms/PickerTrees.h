#pragma once
// The part both picker dialogs share: the tab control vsIndexTab1 with the
// drive tree SSTree1 on its "Local" tab and the network tree tvwNetwork
// (pictures imlNWImages) and the map-drive button Command2 on its "Network"
// tab, the tree logic bound to them, the network root the dialog holds
// while it lives, and the panels: vsElastic1 the whole window, vsElastic2
// the tabs, vsElastic3 below them for the dialog's buttons. The dialog lays
// out the "Local" page and vsElastic3.
#include "pickers/forms/TreeParts.h"

#include <string>

class QPushButton;
class QTabWidget;
class QVBoxLayout;
class QWidget;

namespace qm::ui {
class ImageList;
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::pickers {

class PickerTrees {
public:
    // The controls are made as children of `dialog`, whose closing stops a
    // fill that is under way. Command2 carries `mapCaption` and is disabled
    // without a command.
    PickerTrees(QWidget& dialog, qm::ui::UiServices& ui, MapDriveCommand mapNetworkDrive, const char* mapCaption);
    ~PickerTrees();
    PickerTrees(const PickerTrees&) = delete;
    PickerTrees& operator=(const PickerTrees&) = delete;

    QTabWidget* vsIndexTab1 = nullptr;
    QWidget* localPage = nullptr;   // tab 0 "Local"
    QWidget* networkPage = nullptr; // tab 1 "Network"
    qm::ui::TreeView* SSTree1 = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;
    qm::ui::ImageList* imlNWImages = nullptr;
    QPushButton* Command2 = nullptr;
    QWidget* vsElastic1 = nullptr;
    QWidget* vsElastic2 = nullptr;
    QWidget* vsElastic3 = nullptr;
    QVBoxLayout* networkLayout = nullptr; // the tree, then the map-drive row

    // Command2 clicked on the network tree's selected node: true when the
    // dialog is to close and be shown again afresh.
    bool mapNetworkDrive();
    // The load's part: both trees set up, the "Local" tab selected.
    void load();
    // SSTree1 emptied and its drive part built again.
    void rebuildDrives();
    bool onNetworkTab() const;
    // The selected node's key of the current tab's tree ("" when none).
    std::string selectedKey() const;

private:
    QWidget& dialog_;
    qm::ui::UiServices& ui_;
    MapDriveCommand mapNetworkDrive_;
    NetworkRoot network_;
};

} // namespace qm::pickers

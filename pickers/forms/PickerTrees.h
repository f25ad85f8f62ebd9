#pragma once
// The part both picker dialogs share: the tab control vsIndexTab1 with the
// drive tree SSTree1 on its "Local" tab and the network tree tvwNetwork
// (pictures imlNWImages) on its "Network" tab, the tree logic bound to
// them, and the network root the dialog holds while it lives. The dialog
// lays out the two tab pages and adds its own controls to them.
#include "platform/net/Enumeration.h"

#include <memory>
#include <string>

class QTabWidget;
class QWidget;

namespace qm::ui {
class ImageList;
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::pickers {

class NetResource;

class PickerTrees {
public:
    // The controls are made as children of `dialog`, whose closing stops a
    // fill that is under way.
    PickerTrees(QWidget& dialog, qm::ui::UiServices& ui);
    ~PickerTrees();
    PickerTrees(const PickerTrees&) = delete;
    PickerTrees& operator=(const PickerTrees&) = delete;

    QTabWidget* vsIndexTab1 = nullptr;
    QWidget* localPage = nullptr;   // tab 0 "Local"
    QWidget* networkPage = nullptr; // tab 1 "Network"
    qm::ui::TreeView* SSTree1 = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;
    qm::ui::ImageList* imlNWImages = nullptr;

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
    qm::ui::ImageList* driveImages_ = nullptr;
    qm::net::SystemNetwork network_;
    std::unique_ptr<NetResource> root_;
};

} // namespace qm::pickers

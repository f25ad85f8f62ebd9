#pragma once
// The two trees of the restore dialog and the extraction target dialog:
// the tab control vsIndexTab1 with the drive tree SSTree1 on its "Local"
// tab and the network tree tvwNetwork (pictures imlNWImages) on its
// "Network" tab, their expansion bound to the tree logic, and the network
// root the dialog holds while it lives. The dialog places vsIndexTab1 and
// decides what a click on a node does.
#include "platform/net/Enumeration.h"

#include <memory>
#include <string>

class QTabWidget;
class QWidget;

namespace qm::pickers {
class NetResource;
}
namespace qm::ui {
class ImageList;
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::restore {

class RestoreTrees {
public:
    // The controls are made as children of `dialog`, whose closing stops a
    // folder fill that is under way.
    RestoreTrees(QWidget& dialog, qm::ui::UiServices& ui);
    ~RestoreTrees();
    RestoreTrees(const RestoreTrees&) = delete;
    RestoreTrees& operator=(const RestoreTrees&) = delete;

    QTabWidget* vsIndexTab1 = nullptr;
    qm::ui::TreeView* SSTree1 = nullptr;
    qm::ui::TreeView* tvwNetwork = nullptr;
    qm::ui::ImageList* imlNWImages = nullptr;

    // The load's part: both trees set up, the "Local" tab shown.
    void load();
    // The selected node's key of the tree on the visible tab ("" none).
    std::string selectedKey() const;

private:
    QWidget& dialog_;
    qm::ui::UiServices& ui_;
    qm::net::SystemNetwork network_;
    std::unique_ptr<qm::pickers::NetResource> root_;
};

} // namespace qm::restore

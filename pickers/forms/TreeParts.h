#pragma once
// What every dialog of the pickers with a drive or network tree is made
// of: the trees' pictures, the drive tree's expansion, the network root a
// dialog holds while it lives, and the map-drive command behind a network
// tree's Command2.
#include "platform/net/Enumeration.h"

#include <functional>
#include <memory>
#include <string>

class QObject;
class QWidget;

namespace qm::ui {
class ImageList;
class TreeView;
class UiServices;
} // namespace qm::ui

namespace qm::pickers {

class NetResource;

// The dialog the map-drive command runs in.
struct MapDriveHost {
    QWidget& window;
    std::string name;        // "PickDirFrm", "ChooseTargetDir" or "frmNetworkMap"
    std::string selectedKey; // the node selected in its tvwNetwork ("" none)
};
// The map-drive command: true when the host is to close and be shown again
// afresh (a picker, after frmMapDrive's closing steps).
using MapDriveCommand = std::function<bool(const MapDriveHost&)>;

// The pictures of SSTree1, and imlNWImages, made as children of `owner`.
qm::ui::ImageList* makeDriveImages(QObject* owner);
qm::ui::ImageList* makeNetworkImages(QObject* owner);

// SSTree1 of `window` shows the drive pictures and fills a node as it is
// opened (a fill stops once the window closes).
void bindDriveTree(qm::ui::TreeView& SSTree1, QWidget& window, qm::ui::UiServices& ui);

// The network root of one dialog, over the machine's network.
class NetworkRoot {
public:
    NetworkRoot();
    ~NetworkRoot();
    NetworkRoot(const NetworkRoot&) = delete;
    NetworkRoot& operator=(const NetworkRoot&) = delete;

    // tvwNetwork fills a node as it is opened, once the root is made.
    void bind(qm::ui::TreeView& tvwNetwork, qm::ui::UiServices& ui);
    // The set-up of the load: the pictures, a new root, "Entire Network"
    // and the providers below it.
    void load(qm::ui::TreeView& tvwNetwork, const qm::ui::ImageList* images, qm::ui::UiServices& ui);

private:
    qm::net::SystemNetwork network_;
    std::unique_ptr<NetResource> root_;
};

} // namespace qm::pickers

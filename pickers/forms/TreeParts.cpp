#include "pickers/forms/TreeParts.h"

#include "pickers/DriveTree.h"
#include "pickers/NetResource.h"
#include "pickers/NetworkTree.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/WindowGuard.h"

namespace qm::pickers {

namespace {

template <std::size_t N>
qm::ui::ImageList* makeImages(QObject* owner, const std::array<TreeImage, N>& images)
{
    auto* list = new qm::ui::ImageList(owner);
    for (const TreeImage& image : images)
        list->add(image.key, image.iconName);
    return list;
}

} // namespace

qm::ui::ImageList* makeDriveImages(QObject* owner) { return makeImages(owner, DriveTreeImages); }

qm::ui::ImageList* makeNetworkImages(QObject* owner)
{
    qm::ui::ImageList* list = makeImages(owner, NetworkImages);
    list->setObjectName("imlNWImages");
    return list;
}

void bindDriveTree(qm::ui::TreeView& SSTree1, QWidget& window, qm::ui::UiServices& ui)
{
    SSTree1.setImageList(makeDriveImages(&window));
    SSTree1.onExpand([&SSTree1, &window, &ui](const std::string& key) {
        ExpandDriveNode(SSTree1, key, ui, qm::ui::yieldWithin(&window, ui));
    });
}

NetworkRoot::NetworkRoot() = default;
NetworkRoot::~NetworkRoot() = default;

void NetworkRoot::bind(qm::ui::TreeView& tvwNetwork, qm::ui::UiServices& ui)
{
    tvwNetwork.onExpand([this, &tvwNetwork, &ui](const std::string& key) {
        if (root_)
            ExpandNetworkNode(tvwNetwork, *root_, key, ui);
    });
}

void NetworkRoot::load(qm::ui::TreeView& tvwNetwork, const qm::ui::ImageList* images, qm::ui::UiServices& ui)
{
    tvwNetwork.setImageList(images);
    root_ = std::make_unique<NetResource>(network_);
    NetworkTreeSetup(tvwNetwork, *root_, ui);
}

} // namespace qm::pickers

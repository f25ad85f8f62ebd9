#include "restore/forms/RestoreTrees.h"

#include "pickers/DriveTree.h"
#include "pickers/NetResource.h"
#include "pickers/NetworkTree.h"
#include "platform/ui/TreeView.h"
#include "platform/ui/WidgetKit.h"
#include "platform/ui/WindowGuard.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace qm::restore {

namespace {

template <std::size_t N>
qm::ui::ImageList* images(QWidget& owner, const std::array<qm::pickers::TreeImage, N>& table)
{
    auto* list = new qm::ui::ImageList(&owner);
    for (const qm::pickers::TreeImage& image : table)
        list->add(image.key, image.iconName);
    return list;
}

// A tab page holding one tree.
QWidget* page(qm::ui::TreeView* tree)
{
    auto* w = new QWidget;
    auto* layout = new QVBoxLayout(w);
    layout->addWidget(tree);
    return w;
}

} // namespace

RestoreTrees::RestoreTrees(QWidget& dialog, qm::ui::UiServices& ui) : dialog_(dialog), ui_(ui)
{
    vsIndexTab1 = qm::ui::field<QTabWidget>(&dialog, "vsIndexTab1");
    SSTree1 = qm::ui::field<qm::ui::TreeView>(nullptr, "SSTree1");
    SSTree1->setToolTip("Select the drive and/or folder");
    SSTree1->setImageList(images(dialog, qm::pickers::DriveTreeImages));
    SSTree1->onExpand([this](const std::string& key) {
        qm::pickers::ExpandDriveNode(*SSTree1, key, ui_, qm::ui::yieldWithin(&dialog_, ui_));
    });
    tvwNetwork = qm::ui::field<qm::ui::TreeView>(nullptr, "tvwNetwork");
    imlNWImages = images(dialog, qm::pickers::NetworkImages);
    imlNWImages->setObjectName("imlNWImages");
    tvwNetwork->onExpand([this](const std::string& key) {
        if (root_)
            qm::pickers::ExpandNetworkNode(*tvwNetwork, *root_, key, ui_);
    });
    vsIndexTab1->addTab(page(SSTree1), "Local");
    vsIndexTab1->addTab(page(tvwNetwork), "Network");
}

RestoreTrees::~RestoreTrees() = default;

void RestoreTrees::load()
{
    qm::pickers::DriveTreeSetup(*SSTree1);
    tvwNetwork->setImageList(imlNWImages);
    root_ = std::make_unique<qm::pickers::NetResource>(network_);
    qm::pickers::NetworkTreeSetup(*tvwNetwork, *root_, ui_);
    vsIndexTab1->setCurrentIndex(0);
}

std::string RestoreTrees::selectedKey() const
{
    return vsIndexTab1->currentIndex() == 1 ? tvwNetwork->selectedKey() : SSTree1->selectedKey();
}

} // namespace qm::restore

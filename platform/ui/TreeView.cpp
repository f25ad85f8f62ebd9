#include "platform/ui/TreeView.h"

#include "platform/fs/RtError.h"
#include "platform/ui/WidgetKit.h"

#include <QApplication>
#include <QStyle>

#include <map>

namespace qm::ui {

namespace {

enum Role { KeyRole = Qt::UserRole + 1, TagRole, ImageRole, SelectedImageRole };

// The window style's picture for a theme icon name the trees use.
QStyle::StandardPixmap stylePicture(const std::string& iconName)
{
    static const std::map<std::string, QStyle::StandardPixmap> pictures{
        {"user-desktop", QStyle::SP_DesktopIcon},
        {"computer", QStyle::SP_ComputerIcon},
        {"drive-harddisk", QStyle::SP_DriveHDIcon},
        {"drive-removable-media", QStyle::SP_DriveFDIcon},
        {"drive-optical", QStyle::SP_DriveCDIcon},
        {"folder", QStyle::SP_DirIcon},
        {"folder-open", QStyle::SP_DirOpenIcon},
        {"folder-remote", QStyle::SP_DirLinkIcon},
        {"network-server", QStyle::SP_DriveNetIcon},
        {"network-workgroup", QStyle::SP_DriveNetIcon},
        {"network-wired", QStyle::SP_DriveNetIcon},
        {"printer", QStyle::SP_FileDialogDetailedView},
        {"text-x-generic", QStyle::SP_FileIcon},
    };
    auto it = pictures.find(iconName);
    return it == pictures.end() ? QStyle::SP_FileIcon : it->second;
}

qm::RtError notFound(const std::string& key)
{
    return qm::RtError(treeerr::ElementNotFound, "Element not found: " + key);
}

} // namespace

void ImageList::add(const std::string& key, const std::string& iconName)
{
    QIcon icon = QIcon::fromTheme(qs(iconName), QApplication::style()->standardIcon(stylePicture(iconName)));
    for (auto& [k, i] : icons_)
        if (k == key) {
            i = icon;
            return;
        }
    icons_.emplace_back(key, icon);
}

bool ImageList::contains(const std::string& key) const
{
    for (const auto& entry : icons_)
        if (entry.first == key)
            return true;
    return false;
}

QIcon ImageList::icon(const std::string& key) const
{
    for (const auto& [k, i] : icons_)
        if (k == key)
            return i;
    return {};
}

TreeView::TreeView(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (expandHandler_)
            expandHandler_(keyOf(item));
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* now, QTreeWidgetItem* before) {
        if (before)
            showImage(before, false);
        if (now)
            showImage(now, true);
        if (now && clickHandler_)
            clickHandler_(keyOf(now));
    });
}

std::string TreeView::keyOf(const QTreeWidgetItem* item)
{
    return item ? str(item->data(0, KeyRole).toString()) : std::string();
}

QTreeWidgetItem* TreeView::node(const std::string& key) const
{
    auto it = nodes_.find(key);
    return it == nodes_.end() ? nullptr : it->second;
}

QTreeWidgetItem* TreeView::found(const std::string& key) const
{
    if (QTreeWidgetItem* item = node(key))
        return item;
    throw notFound(key);
}

void TreeView::showImage(QTreeWidgetItem* item, bool selected)
{
    if (!images_)
        return;
    std::string image = str(item->data(0, ImageRole).toString());
    std::string chosen = str(item->data(0, SelectedImageRole).toString());
    item->setIcon(0, images_->icon(selected && !chosen.empty() ? chosen : image));
}

void TreeView::add(const std::string& parent, const std::string& key, const std::string& text,
                   const std::string& image, const std::string& selectedImage)
{
    if (nodes_.count(key))
        throw qm::RtError(treeerr::KeyNotUnique, "Key is not unique in collection: " + key);
    QTreeWidgetItem* above = parent.empty() ? nullptr : found(parent);
    auto* item = above ? new QTreeWidgetItem(above) : new QTreeWidgetItem(this);
    item->setText(0, qs(text));
    item->setData(0, KeyRole, qs(key));
    item->setData(0, ImageRole, qs(image));
    item->setData(0, SelectedImageRole, qs(selectedImage));
    showImage(item, false);
    nodes_[key] = item;
}

void TreeView::forget(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
    nodes_.erase(keyOf(item));
}

void TreeView::remove(const std::string& key)
{
    QTreeWidgetItem* item = found(key);
    forget(item);
    delete item;
}

void TreeView::clear()
{
    nodes_.clear();
    QTreeWidget::clear();
}

bool TreeView::contains(const std::string& key) const { return node(key) != nullptr; }

std::string TreeView::parentKey(const std::string& key) const
{
    QTreeWidgetItem* item = node(key);
    return item ? keyOf(item->parent()) : std::string();
}

int TreeView::childCount(const std::string& key) const { return found(key)->childCount(); }

std::string TreeView::text(const std::string& key) const { return str(found(key)->text(0)); }

std::string TreeView::image(const std::string& key) const { return str(found(key)->data(0, ImageRole).toString()); }

std::string TreeView::tag(const std::string& key) const { return str(found(key)->data(0, TagRole).toString()); }

void TreeView::setTag(const std::string& key, const std::string& tag) { found(key)->setData(0, TagRole, qs(tag)); }

void TreeView::setExpandable(const std::string& key, bool expandable)
{
    found(key)->setChildIndicatorPolicy(expandable ? QTreeWidgetItem::ShowIndicator
                                                   : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TreeView::expand(const std::string& key)
{
    QTreeWidgetItem* item = found(key);
    if (item->isExpanded()) // opened already: its handler has run
        return;
    item->setExpanded(true);
}

void TreeView::ensureVisible(const std::string& key)
{
    QTreeWidgetItem* item = found(key);
    std::vector<QTreeWidgetItem*> above;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        above.push_back(p);
    for (auto it = above.rbegin(); it != above.rend(); ++it)
        if (!(*it)->isExpanded())
            (*it)->setExpanded(true);
    scrollToItem(item);
}

std::string TreeView::selectedKey() const
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? std::string() : keyOf(selected.first());
}

void TreeView::select(const std::string& key)
{
    QTreeWidgetItem* item = found(key);
    setCurrentItem(item);
    item->setSelected(true);
}

void TreeView::setUpdating(bool on) { setUpdatesEnabled(on); }

void TreeView::refresh() { viewport()->update(); }

} // namespace qm::ui

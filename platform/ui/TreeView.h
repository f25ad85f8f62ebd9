#pragma once
// The tree control over Qt: a QTreeWidget whose nodes are reached by key
// (KeyedTree.h), with pictures from an image list by key. The node that is
// selected shows its selected image. The host window hears of an opened
// node and of a change of the selected node through its handlers.
//
//   SSTree1 = field<TreeView>(this, "SSTree1");
//   SSTree1->setImageList(images);
//   SSTree1->onExpand([this](const std::string& key) { ... });
#include "platform/ui/KeyedTree.h"

#include <QIcon>
#include <QObject>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qm::ui {

// Pictures by key. Each is the desktop theme's icon of the name given,
// else a like picture of the window style.
class ImageList : public QObject {
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr) : QObject(parent) {}
    // Adds (or replaces) the picture of `key`, e.g. add("folder", "folder").
    void add(const std::string& key, const std::string& iconName);
    bool contains(const std::string& key) const;
    // The picture of `key`; a null icon when there is none.
    QIcon icon(const std::string& key) const;
    int count() const { return static_cast<int>(icons_.size()); }

private:
    std::vector<std::pair<std::string, QIcon>> icons_;
};

class TreeView : public QTreeWidget, public KeyedTree {
    Q_OBJECT
public:
    explicit TreeView(QWidget* parent = nullptr);

    void setImageList(const ImageList* images) { images_ = images; }
    const ImageList* imageList() const { return images_; }
    // Runs when a node has been opened (by the user or by expand()).
    void onExpand(std::function<void(const std::string&)> handler) { expandHandler_ = std::move(handler); }
    // Runs when another node becomes the selected one (a click or the keys).
    void onNodeClick(std::function<void(const std::string&)> handler) { clickHandler_ = std::move(handler); }

    // ---- KeyedTree
    void add(const std::string& parent, const std::string& key, const std::string& text, const std::string& image,
             const std::string& selectedImage = {}) override;
    void remove(const std::string& key) override;
    void clear() override;
    bool contains(const std::string& key) const override;
    std::string parentKey(const std::string& key) const override;
    int childCount(const std::string& key) const override;
    std::string text(const std::string& key) const override;
    std::string image(const std::string& key) const override;
    std::string tag(const std::string& key) const override;
    void setTag(const std::string& key, const std::string& tag) override;
    void setExpandable(const std::string& key, bool expandable) override;
    void expand(const std::string& key) override;
    void ensureVisible(const std::string& key) override;
    std::string selectedKey() const override;
    void setUpdating(bool on) override;
    void refresh() override;

    // The node's item; nullptr when the key is not in the tree.
    QTreeWidgetItem* node(const std::string& key) const;
    // Selects the node (its click handler runs).
    void select(const std::string& key);
    // The key of an item of this tree.
    static std::string keyOf(const QTreeWidgetItem* item);

private:
    QTreeWidgetItem* found(const std::string& key) const; // throws ElementNotFound
    void forget(QTreeWidgetItem* item);
    void showImage(QTreeWidgetItem* item, bool selected);

    const ImageList* images_ = nullptr;
    std::unordered_map<std::string, QTreeWidgetItem*> nodes_;
    std::function<void(const std::string&)> expandHandler_;
    std::function<void(const std::string&)> clickHandler_;
};

} // namespace qm::ui

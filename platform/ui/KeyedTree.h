#pragma once
// A tree control as program logic sees it: nodes reached by a key that is
// unique in the whole tree (compared exactly), each with a text, an image
// and a selected image (keys into the tree's image list) and a Tag text.
// Qt-free, so that the logic that fills a tree runs over any tree; the Qt
// tree is TreeView.h.
#include <string>

namespace qm::ui {

// Run-time errors of the tree's node collection.
namespace treeerr {
inline constexpr int ElementNotFound = 35601;
inline constexpr int KeyNotUnique = 35602;
} // namespace treeerr

class KeyedTree {
public:
    virtual ~KeyedTree() = default;

    // Adds a node: at the top when `parent` is empty, else as the last child
    // of `parent`. Throws qm::RtError KeyNotUnique when the key is in the
    // tree already, ElementNotFound when the parent is not.
    virtual void add(const std::string& parent, const std::string& key, const std::string& text,
                     const std::string& image, const std::string& selectedImage = {}) = 0;
    // Removes the node with its children; ElementNotFound when it is missing.
    virtual void remove(const std::string& key) = 0;
    virtual void clear() = 0;

    virtual bool contains(const std::string& key) const = 0;
    // The parent's key; "" for a node at the top or a missing node.
    virtual std::string parentKey(const std::string& key) const = 0;
    virtual int childCount(const std::string& key) const = 0;
    virtual std::string text(const std::string& key) const = 0;
    virtual std::string image(const std::string& key) const = 0;
    virtual std::string tag(const std::string& key) const = 0;
    virtual void setTag(const std::string& key, const std::string& tag) = 0;

    // Expandable: the node shows its expansion sign even without children
    // (it is filled when opened). Loaded (false): the sign only with children.
    virtual void setExpandable(const std::string& key, bool expandable) = 0;
    // Opens the node (the tree's expansion handler runs for it).
    virtual void expand(const std::string& key) = 0;
    // Opens the node's parents and scrolls it into view.
    virtual void ensureVisible(const std::string& key) = 0;
    // The selected node's key; "" when none is selected.
    virtual std::string selectedKey() const = 0;
    // Holds the tree from repainting (false) and lets it repaint again (true).
    virtual void setUpdating(bool on) = 0;
    virtual void refresh() = 0;
};

} // namespace qm::ui

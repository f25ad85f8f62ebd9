#include "pickers/NetworkTree.h"

#include "pickers/NetResource.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/RtError.h"
#include "platform/ui/UiServices.h"

#include <vector>

namespace qm::pickers {

namespace fs = qm::fs;
using qm::ui::KeyedTree;

namespace {

constexpr const char* RootKey = "_ROOT";
constexpr const char* Placeholder = "_FAKE";

void reportError(qm::ui::UiServices& ui, const qm::RtError& e)
{
    ui.msgBox("Error number: " + std::to_string(e.number) + "\r\n" + e.description, qm::ui::mb::OKOnly);
}

// A resource's node below `parent`, with its placeholder unless it is a
// printer share.
void addResource(KeyedTree& tree, const std::string& parent, const NetResource& r)
{
    const std::string key = r.RemoteName();
    const std::string image = NetworkImage(r);
    tree.add(parent, key, r.ShortName(), image, image);
    tree.setTag(key, "N");
    if (r.ResourceType() != 255)
        tree.add(key, key + Placeholder, "FAKE", "server", "server");
}

void fillFolder(KeyedTree& tree, const std::string& key)
{
    const std::vector<fs::FileEntry> entries = fs::listFolder(key);
    for (const fs::FileEntry& e : entries)
        if (!(e.attributes & fs::attr::Directory))
            tree.add(key, key + "\\" + e.name, e.name, "file", "file");
    for (const fs::FileEntry& e : entries) {
        if (!(e.attributes & fs::attr::Directory))
            continue;
        const std::string child = key + "\\" + e.name;
        tree.add(key, child, e.name, "folder", "folder");
        tree.add(child, child + Placeholder, "FAKE", "folder", "folder");
        tree.setTag(child, "N");
    }
    tree.setTag(key, "Y");
}

void fillContainer(KeyedTree& tree, NetResource& root, const std::string& key)
{
    // The keys from the node up to the root, top first.
    std::vector<std::string> path;
    for (std::string k = key; !k.empty() && k != RootKey; k = tree.parentKey(k))
        path.insert(path.begin(), k);
    NetResource* found = &root;
    for (const std::string& k : path) {
        std::shared_ptr<NetResource> next = found->Children().Item(k);
        if (!next)
            throw qm::RtError(91, "Object variable or With block variable not set");
        found = next.get();
    }
    for (const std::shared_ptr<NetResource>& child : found->Children())
        addResource(tree, key, *child);
    tree.refresh();
    tree.setTag(key, "Y");
}

} // namespace

std::string NetworkImage(const NetResource& resource)
{
    const std::string image = fs::foldCase(resource.ResourceTypeName());
    for (const TreeImage& known : NetworkImages)
        if (image == known.key)
            return image;
    return "network";
}

void NetworkTreeSetup(KeyedTree& tvwNetwork, NetResource& root, qm::ui::UiServices& ui)
{
    tvwNetwork.add("", RootKey, "Entire Network", "root", "root");
    tvwNetwork.setTag(RootKey, "Y");
    try {
        for (const std::shared_ptr<NetResource>& provider : root.Children()) {
            addResource(tvwNetwork, RootKey, *provider);
            tvwNetwork.ensureVisible(provider->RemoteName());
        }
    } catch (const qm::RtError& e) {
        reportError(ui, e);
    }
}

void FillNetworkNode(KeyedTree& tvwNetwork, NetResource& root, const std::string& key, qm::ui::UiServices& ui)
{
    try {
        tvwNetwork.remove(key + Placeholder);
        const std::string image = tvwNetwork.image(key);
        const bool share = image == "share" && fs::isFolder(key);
        if (image == "folder" || share)
            fillFolder(tvwNetwork, key);
        else
            fillContainer(tvwNetwork, root, key);
    } catch (const qm::RtError& e) {
        reportError(ui, e);
    }
}

void ExpandNetworkNode(KeyedTree& tvwNetwork, NetResource& root, const std::string& key, qm::ui::UiServices& ui)
{
    if (tvwNetwork.contains(key) && tvwNetwork.tag(key) == "N")
        FillNetworkNode(tvwNetwork, root, key, ui);
}

} // namespace qm::pickers

#pragma once
// The network tree tvwNetwork that the pickers, the restore dialog and the
// network browser show: "Entire Network" (key "_ROOT"), the providers below
// it, and further levels read only when the user opens a node: domains,
// servers and shares from the network (NetResource), inside a share its
// files and folders. Plain logic over a KeyedTree; each host binds its
// tree's expansion to ExpandNetworkNode.
//
// A node that can have children is added with one placeholder child (key &
// "_FAKE", text "FAKE") and Tag "N"; filling it removes the placeholder and
// sets Tag "Y". Keys: a resource's RemoteName; a file or folder in a share
// its parent's key & "\" & its name.
#include "pickers/DriveTree.h"
#include "platform/ui/KeyedTree.h"

#include <array>
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::pickers {

class NetResource;

// The pictures of imlNWImages. A resource whose lower-cased type name is
// none of their keys ("generic", "") shows the "network" picture.
inline constexpr std::array<TreeImage, 13> NetworkImages{{
    {"directory", "folder"},
    {"root", "network-workgroup"},
    {"group", "network-workgroup"},
    {"ndscontainer", "network-workgroup"},
    {"network", "network-wired"},
    {"server", "network-server"},
    {"tree", "network-workgroup"},
    {"domain", "network-workgroup"},
    {"share", "folder-remote"},
    {"adminshare", "folder-remote"},
    {"printer", "printer"},
    {"folder", "folder"},
    {"file", "text-x-generic"},
}};

// The picture key of a resource.
std::string NetworkImage(const NetResource& resource);

// Adds the root and one node per provider of `root`, each opened to view.
void NetworkTreeSetup(qm::ui::KeyedTree& tvwNetwork, NetResource& root, qm::ui::UiServices& ui);
// Replaces the node's placeholder by its children. Any run-time error stops
// the fill where it happens and shows "Error number: " & number & CR LF &
// description; the node keeps what was added and its Tag stays "N".
void FillNetworkNode(qm::ui::KeyedTree& tvwNetwork, NetResource& root, const std::string& key,
                     qm::ui::UiServices& ui);
// A node was opened: filled when its Tag is "N".
void ExpandNetworkNode(qm::ui::KeyedTree& tvwNetwork, NetResource& root, const std::string& key,
                       qm::ui::UiServices& ui);

} // namespace qm::pickers

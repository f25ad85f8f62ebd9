#pragma once
// What the pickers ask of a node's key when the user confirms: a key of the
// drive tree or the network tree is a path ("C:", "C:\x", "\\SRV\share\x")
// or the name of something that is none ("Desktop", "My Computer", "_ROOT",
// a provider, a domain, a server).
#include <string>

namespace qm {
struct RtError;
}

namespace qm::pickers {

// Whether the key is a drive path or a network path of a share.
bool isPathKey(const std::string& key);

// The file attributes of what the key names. Throws qm::RtError: 91 for no
// key (no node selected), 52 for a key that is no path, and the file
// layer's errors (53, 76, 71, ...) for a path that cannot be asked.
int KeyAttributes(const std::string& key);

// The run-time error of an Okay with no node selected (91).
qm::RtError NoNodeError();

// The text of the pickers' "Error: " boxes: "Error: " & number & CR LF &
// description.
std::string ErrorText(const qm::RtError& e);

} // namespace qm::pickers

#pragma once
// The files one run writes, by their names without case, so that a name
// that differs from one written before in case only is told from another
// file where the folder tells case apart, and from the same file where it
// does not (a FAT medium, a case-insensitive mount: foldsCase).
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm::fs {

class CaseTwins {
public:
    enum class Seen {
        New,       // no file of the run has this name, nor one that is the same file here
        SameName,  // a file of the run has this very name
        OtherCase, // a file of the run has a name that differs in case only, and is this file here
    };
    // The open folder that holds the first `count` names of a path (the
    // caller's to close), or -1 when it is not there.
    using OpenFolder = std::function<int(std::size_t count)>;

    // What the run wrote as `comps` (a file's folders and name); notes it
    // for the next ones when it is new. `stem` names the probe's
    // temporary file.
    Seen see(const std::vector<std::string>& comps, const OpenFolder& open, std::string_view stem);

private:
    std::unordered_multimap<std::string, std::vector<std::string>> written_; // by the joined names without case
    std::unordered_map<std::string, bool> folding_;                          // folders asked, by joined names
};

} // namespace qm::fs

#pragma once
// The extraction target dialog ViewZipRestore in plain C++: what its Okay
// and its Make button decide, with the messages they show. The contents
// window opens the dialog and writes its answer (ViewZip::Extract).
#include <optional>
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::restore {

// How the dialog ended: Okay with a folder and the option buttons chosen
// (their indexes), or Cancel (its button or the window's frame).
struct ExtractTargetAnswer {
    std::optional<std::string> folder;
    std::optional<int> SkipOptions; // 0 "Overwrite all", 1 "Skip if Exists", 2 "Skip if Not Exists"
    std::optional<int> DateOptions; // 0 "No date checks", 1 "Skip if Older", 2 "Skip if Older Version"
};

// Okay on the node `key` of the visible tab's tree, or, when none is
// selected (""), on the folder the dialog shows as its current target
// folder (`Label3`): that path when it names a folder. Otherwise a box
// says why (nothing chosen or shown: the picker's "select a drive or
// folder"; a file; or the error of a path that is no folder: the tree
// roots, a network container, a path gone) and the dialog stays open.
std::optional<std::string> extractTargetOkay(qm::ui::UiServices& ui, const std::string& key,
                                             const std::string& Label3);

// Make: makes the one folder `Text1` names (its parent must exist). The
// folder after the "Folder Created" box; nothing after an error's box (a
// text that is neither a drive path nor a network path is refused).
std::optional<std::string> makeExtractFolder(qm::ui::UiServices& ui, const std::string& Text1);

} // namespace qm::restore

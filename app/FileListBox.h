#pragma once
// A file list box: the names of the files of one folder (normal and
// read-only files; hidden files and folders are not listed) that match its
// pattern, in case-free alphabetical order, as read by the last Refresh.
// One or, with MultiSelect, several names can be selected. The main
// window's File1 (the Projects folder) and the pickers' file lists are made
// of it.
#include <string>
#include <vector>

namespace qm::app {

class FileListBox {
public:
    explicit FileListBox(bool multiSelect = false) : multiSelect_(multiSelect) {}

    // The folder listed (Windows form).
    const std::string& Path() const { return path_; }
    // Sets the folder and reads it.
    void setPath(const std::string& folder);
    // The masks a name must match, separated by ";" ("*.exe;*.com"),
    // without regard to case; "*.*" (every file) unless set. Setting it
    // reads the folder afresh.
    const std::string& Pattern() const { return pattern_; }
    void setPattern(const std::string& pattern);
    // Reads the folder afresh; a missing or unreadable folder lists nothing.
    // Nothing is selected afterwards.
    void Refresh();

    int ListCount() const { return static_cast<int>(names_.size()); }
    // Name at position i (0-based); empty outside the list.
    std::string List(int i) const;
    const std::vector<std::string>& names() const { return names_; }
    // Whether a listed name equals `name`, ignoring case.
    bool contains(const std::string& name) const;

    // ---- Selection
    bool MultiSelect() const { return multiSelect_; }
    // Whether the name at position i is selected; false outside the list.
    bool Selected(int i) const;
    // Selects or deselects one name; without MultiSelect, selecting one
    // deselects the others. A position outside the list is ignored.
    void setSelected(int i, bool on);
    // The selected names in list order.
    std::vector<std::string> selectedNames() const;

private:
    bool multiSelect_ = false;
    std::string path_;
    std::string pattern_ = "*.*";
    std::vector<std::string> names_;
    std::vector<bool> selected_;
};

} // namespace qm::app

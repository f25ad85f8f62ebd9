#pragma once
// File1: the main window's file list, the source of the project names. It
// holds the names of the files of one folder (normal and read-only files;
// hidden files and folders are not listed) in case-free alphabetical order,
// as read by the last Refresh.
#include <string>
#include <vector>

namespace qm::app {

class FileListBox {
public:
    // The folder listed (Windows form).
    const std::string& Path() const { return path_; }
    // Sets the folder and reads it.
    void setPath(const std::string& folder);
    // Reads the folder afresh; a missing or unreadable folder lists nothing.
    void Refresh();

    int ListCount() const { return static_cast<int>(names_.size()); }
    // Name at position i (0-based); empty outside the list.
    std::string List(int i) const;
    const std::vector<std::string>& names() const { return names_; }
    // Whether a listed name equals `name`, ignoring case.
    bool contains(const std::string& name) const;

private:
    std::string path_;
    std::vector<std::string> names_;
};

} // namespace qm::app

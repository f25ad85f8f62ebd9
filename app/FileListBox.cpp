#include "app/FileListBox.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/WinPath.h"

#include <algorithm>

namespace qm::app {

void FileListBox::setPath(const std::string& folder)
{
    path_ = folder;
    Refresh();
}

void FileListBox::Refresh()
{
    names_.clear();
    if (path_.empty())
        return;
    try {
        names_ = qm::fs::dirNames(qm::fs::joinPath(path_, "*.*"), qm::fs::attr::Normal);
    } catch (const std::exception&) {
        names_.clear();
    }
    std::stable_sort(names_.begin(), names_.end(),
                     [](const std::string& a, const std::string& b) { return qm::fs::lessNoCase(a, b); });
}

std::string FileListBox::List(int i) const
{
    return i >= 0 && i < ListCount() ? names_[static_cast<std::size_t>(i)] : std::string();
}

bool FileListBox::contains(const std::string& name) const
{
    return std::any_of(names_.begin(), names_.end(),
                       [&](const std::string& n) { return qm::fs::equalsNoCase(n, name); });
}

} // namespace qm::app

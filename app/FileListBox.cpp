#include "app/FileListBox.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Text.h"
#include "platform/fs/Wildcard.h"
#include "platform/fs/WinPath.h"

#include <algorithm>

namespace qm::app {

namespace {

bool matchesPattern(const std::string& name, const std::string& pattern)
{
    std::size_t start = 0;
    while (start <= pattern.size()) {
        std::size_t end = pattern.find(';', start);
        if (end == std::string::npos)
            end = pattern.size();
        std::string_view mask = qm::fs::trimBlanks(std::string_view(pattern).substr(start, end - start));
        if (!mask.empty() && qm::fs::matchesMask(name, mask))
            return true;
        start = end + 1;
    }
    return false;
}

} // namespace

void FileListBox::setPath(const std::string& folder)
{
    path_ = folder;
    Refresh();
}

void FileListBox::setPattern(const std::string& pattern)
{
    pattern_ = pattern;
    Refresh();
}

void FileListBox::Refresh()
{
    names_.clear();
    selected_.clear();
    if (path_.empty())
        return;
    try {
        for (std::string& name : qm::fs::dirNames(qm::fs::joinPath(path_, "*.*"), qm::fs::attr::Normal))
            if (matchesPattern(name, pattern_))
                names_.push_back(std::move(name));
    } catch (const std::exception&) {
        names_.clear();
    }
    std::stable_sort(names_.begin(), names_.end(),
                     [](const std::string& a, const std::string& b) { return qm::fs::lessNoCase(a, b); });
    selected_.assign(names_.size(), false);
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

bool FileListBox::Selected(int i) const
{
    return i >= 0 && i < ListCount() && selected_[static_cast<std::size_t>(i)];
}

void FileListBox::setSelected(int i, bool on)
{
    if (i < 0 || i >= ListCount())
        return;
    if (on && !multiSelect_)
        selected_.assign(names_.size(), false);
    selected_[static_cast<std::size_t>(i)] = on;
}

std::vector<std::string> FileListBox::selectedNames() const
{
    std::vector<std::string> out;
    for (int i = 0; i < ListCount(); ++i)
        if (Selected(i))
            out.push_back(names_[static_cast<std::size_t>(i)]);
    return out;
}

} // namespace qm::app

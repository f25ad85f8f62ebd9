#pragma once
// Names and lists of the control: splitting its list properties, the stored
// form of entry names, names that are safe to extract, and the matching of
// archive entries against the files to process and the exclude masks.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm::zip::names {

// The items of a list property: separated by CR, LF or "|", blanks around
// each item dropped, empty items left out.
std::vector<std::string> splitList(std::string_view text);

// An archive name as events show it: "\" between folders.
std::string shown(std::string_view archiveName);

// The stored form of a name: "/" between folders, no drive, no leading
// separator, no "." or ".." components; a folder ends in "/". Empty when
// nothing is left.
std::string toStored(std::string_view name, bool folder);

// The components of an archive name when writing it below a folder is safe:
// not absolute, no drive, no ".." component, no NUL or other control
// character. std::nullopt otherwise. "\" counts as a separator. A folder
// entry's final "/" gives no component.
std::optional<std::vector<std::string>> safeComponents(std::string_view name);

// Which entries an operation takes: each item is a mask for the last
// component ("*.txt") or, when it names folders, for the whole name
// ("docs\*.txt"). With subfolders, a plain mask applies in every folder and a
// folder mask also to the folders below it. No items means every entry.
// Names match without case, but an item without wildcards that is the
// whole name of an entry to the letter (told by `note`, for every entry,
// before matching) takes only what it names to the letter: where "a.txt"
// is an entry, the item "a.txt" never brings "A.txt".
class EntrySelector {
public:
    EntrySelector(std::vector<std::string> items, bool includeSubfolders);
    void note(std::string_view archiveName);
    bool matches(std::string_view archiveName) const;
    bool takesAll() const { return items_.empty(); }

private:
    struct Item {
        std::string folder; // "" for a plain mask
        std::string mask;   // "" when the item names a folder ("docs\")
        std::string whole;  // without wildcards: the item as an entry's name would be
        bool exact = false; // an entry has that very name
    };
    struct Split; // an archive name taken apart
    bool takes(const Item& it, const Split& n, bool exact) const;
    std::vector<Item> items_;
    std::unordered_multimap<std::string, size_t> literal_; // items by `whole`, made by the first note
    bool indexed_ = false;
    bool subfolders_;
};

// The exclude masks: a bare word or ".word" is a file type ("tmp" leaves out
// "*.tmp"); anything else is a mask, matched against the file name, or
// against the relative path when it names folders.
class ExcludeSet {
public:
    explicit ExcludeSet(std::string_view text);
    bool excludes(std::string_view relativePath) const;
    bool empty() const { return masks_.empty(); }

private:
    std::vector<std::string> masks_;
};

} // namespace qm::zip::names

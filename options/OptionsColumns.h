#pragma once
// The user options grid GridEX1 as data: one card over element 1 of the
// shared UserOptionsRecord, eleven columns in order, column n showing record
// field n - 1. Column 10 is keyed DefaultCompressionFormat and edits
// UserDefaultCompression; column 11 ("nothing", Dummy) shows no field and
// stays hidden. The split sizes and the record editor's 43 views are stored
// as their values and shown by their captions.
#include "platform/ui/Columns.h"

#include <array>
#include <string>

namespace qm::store {
class Store;
}

namespace qm::options {

using qm::ui::EditKind;
using qm::ui::GridColumn;
using qm::ui::ValueChoice;

namespace lists {
inline constexpr ValueChoice BackupOption[] = {{"automatic", "automatic"}, {"manual", "manual"}, {"", ""}};
inline constexpr ValueChoice SplitSize[] = {
    {"362000", "360 Kbytes"},          {"730000", "720 Kbytes"},
    {"1213000", "1.2 megabytes"},      {"1457000", "1.44 megabytes"},
    {"95000000", "ZIP 100 megabytes"}, {"120000000", "SuperDisk 120 megabytes"},
    {"238000000", "ZIP 250 megabytes"}};
inline constexpr ValueChoice EditorView[] = {
    {"0", "Folder and Files (QMT)"},
    {"1", "All (QMT and EXE)"},
    {"2", "Excludes (QMT)"},
    {"3", "Miscellaneous (QMT)"},
    {"4", "Comments (QMT)"},
    {"5", "Extra Headers (QMT)"},
    {"6", "Includes (QMT)"},
    {"7", "Passwords (QMT)"},
    {"8", "Date and Size (QMT)"},
    {"9", "Split and Span (QMT)"},
    {"10", "Folders and Files (EXE)"},
    {"11", "Excludes (EXE)"},
    {"12", "Comments (EXE)"},
    {"13", "Extra Headers (EXE)"},
    {"14", "Includes (EXE)"},
    {"15", "Passwords (EXE)"},
    {"16", "Messages (EXE)"},
    {"17", "Buttons (EXE)"},
    {"18", "Associations and Groups (EXE)"},
    {"19", "Operational (EXE)"},
    {"20", "Miscellaneous (EXE)"},
    {"21", "Date and Size (EXE)"},
    {"22", "Split and Span (EXE)"},
    {"23", "Icons and Captions (EXE)"},
    {"24", "Backup Options (QMT)"},
    {"25", "Required Fields (QMT)"},
    {"26", "All (ACE and ACE EXE)"},
    {"27", "Required (ACE and ACE EXE)"},
    {"28", "Folder/Files (ACE)"},
    {"29", "Comments (ACE)"},
    {"30", "Passwords (ACE)"},
    {"31", "Date/Size (ACE)"},
    {"32", "Split/Span (ACE)"},
    {"33", "Compression (ACE)"},
    {"34", "Back-up Options (ACE)"},
    {"35", "Folder/Files (ACE EXE)"},
    {"36", "Comments (ACE EXE)"},
    {"37", "Passwords (ACE EXE)"},
    {"38", "Date/Size (ACE EXE)"},
    {"39", "Split/Span (ACE EXE)"},
    {"40", "Compression (ACE EXE)"},
    {"41", "Messages and Captions (ACE EXE)"},
    {"42", "Install/Network (ACE EXE)"},
};
inline constexpr ValueChoice Compression[] = {{"ACE", "ACE"}, {"ZIP", "ZIP"}, {"", ""}};
} // namespace lists

inline constexpr int OptionsColumnCount = 11;

namespace detail {
// A column of the table: a text cell unless a value list is given.
constexpr GridColumn column(std::string_view key, std::string_view caption, int field, bool button = false,
                            std::span<const ValueChoice> values = {})
{
    GridColumn c;
    c.key = key;
    c.caption = caption;
    c.field = field;
    c.button = button;
    c.values = values;
    c.edit = values.empty() ? EditKind::Text : EditKind::DropDown;
    return c;
}
constexpr GridColumn hiddenColumn(std::string_view key, std::string_view caption)
{
    GridColumn c = column(key, caption, -1);
    c.edit = EditKind::ReadOnly;
    c.hidden = true;
    return c;
}
} // namespace detail

inline constexpr std::array<GridColumn, OptionsColumnCount> OptionsColumns{{
    detail::column("UserZIPShellPath", "External ZIP Program", 0, true),
    detail::column("UserFavoriteAppPath", "Another Favorite Program", 1, true),
    detail::column("ProjectINIBackupPath", "Data File Back-up Drive/Folder", 2, true),
    detail::column("UserBackINIOption", "Data File Back-up Option", 3, false, lists::BackupOption),
    detail::column("UserBackINISchedule", "Data File Back-up Frequency", 4),
    detail::column("UserSplitSize", "Default Split Size", 5, false, lists::SplitSize),
    detail::column("UserView", "Default Add/Edit View", 6, false, lists::EditorView),
    detail::column("UserTempFolder", "Temporary Folder Location", 7, true),
    detail::column("UserLastINIBackup", "Last Data File Backup Date", 8),
    detail::column("DefaultCompressionFormat", "Default Compression Format", 9, false, lists::Compression),
    detail::hiddenColumn("Dummy", "nothing"),
}};
static_assert(std::size(lists::EditorView) == 43);

// The values behind the card: row 1 is element 1 of UserOptionsRecord,
// column n field n - 1. Anything else reads empty and is not written.
class OptionsRows : public qm::ui::GridRowSource {
public:
    explicit OptionsRows(qm::store::Store& store) : store_(store) {}
    std::string value(int row, int column) const override;
    void setValue(int row, int column, const std::string& text) override;

private:
    std::string* fieldOf(int row, int column) const;
    qm::store::Store& store_;
};

} // namespace qm::options

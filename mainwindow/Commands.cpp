#include "mainwindow/Commands.h"

namespace qm::app {

namespace {

using P = Form1Procedures;
using C = Command;

#define QM_BUILT_yes true
#define QM_BUILT_no false
constexpr std::array<CommandEntry, CommandCount> Table{{
#define QM_COMMAND(procedure, built) {C::procedure, #procedure, &P::procedure, QM_BUILT_##built},
#include "mainwindow/Commands.def"
#undef QM_COMMAND
}};
#undef QM_BUILT_yes
#undef QM_BUILT_no

constexpr BarGroup Groups[] = {
    {"Archive", "Archive", "Back up, restore, test, view your projects"},
    {"Records", "Records", "Add, Edit, Delete, Rename, Clone Projects"},
    {"Options", "Options", "User options and program defaults"},
    {"Utilities", "Utilities", "View and maintain log, back up project definitions"},
    {"File", "File", "Miscellaneous file operations"},
    {"Help", "Help", "Help topics and other info"},
};

constexpr BarItem Items[] = {
    {"Archive", 1, "Back up Single", "Backup", "Back up project selected in list", C::BackupArchive},
    {"Archive", 2, "Back up All Due", "BackupDue", "Backs up all projects that are due for back up",
     C::BackupAllDue},
    {"Archive", 3, "Restore", "Restore", "Restore the selected project's files", C::RestoreArchive},
    {"Archive", 4, "View", "View", "View the selected project's contents", C::ViewArchive},
    {"Archive", 5, "Test", "Test",
     "Test the selected's projects ZIP file for defects (will try to repair if a problem exists)",
     C::TestArchive},
    {"Archive", 6, "Glidepack", "ZIPManager", "Create, Update, Extract manager for non-project ZIP files",
     C::ZipManager},
    {"Records", 1, "Add", "Add", "Create a new project record", C::AddNew},
    {"Records", 2, "Edit", "Edit", "Edit the selected project's record", C::EditRecord},
    {"Records", 3, "Delete", "Delete", "Delete the selected project's record (does not delete project files)",
     C::DeleteRecord},
    {"Records", 4, "Rename", "Rename", "Rename selected project", C::RenameRecord},
    {"Records", 5, "Clone", "Clone",
     "Copy the selected project's setting (from a record) to a new project name", C::CloneRecord},
    {"Options", 1, "User Settings", "UserOptions", "Change several Quillmate options to your preferences",
     C::UserOptionsModal},
    {"Options", 2, "Record Defaults", "Defaults", "Define default values for new records", C::ShowDefaults},
    {"Utilities", 1, "Back up Data", "BackData", "Back up the project definition records for all your projects",
     C::BackUpDB},
    {"Utilities", 2, "Restore Data", "RestoreDB", "Restore Project Data Files from backup archive", C::RestoreDB},
    {"Utilities", 3, "View Log", "ViewLog", "View the log file to see operation status or errors", C::ViewLog},
    {"Utilities", 4, "Clear Log", "ClearLog",
     "Clear the log file (usually done after the file becomes very large)", C::ClearLog},
    {"File", 1, "Open External ZIPper", "OpenExternal", "Run an external ZIP or other archive manager",
     C::OpenExternalZIP},
    {"File", 2, "Open Notepad", "OpenNotepad", "Run the Windows Notepad program", C::OpenNotePad},
    {"File", 3, "Open Favorite", "OpenFavorite", "Open another favorite program you've defined in User Options",
     C::OpenFavorite},
    {"File", 4, "Send QMT to", "SendQMTTo", "Copy selected Quillmate archive to another drive or folder",
     C::SendQMT},
    {"File", 5, "Send EXE to", "SendEXETo",
     "Copy selected self-extracting Quillmate archive to another drive or folder", C::SendEXE},
    {"File", 6, "Map Network Drive", "Network",
     "Select a folder on a network machine to assign to a local drive letter", C::NetworkMap},
    {"File", 7, "Unmap Network Drive", "Network2", "Disconnect a mapped drive on the network", C::UnMapDrive},
    {"Help", 1, "Contents", "Contents", "Open the Quillmate Help file", C::Help},
    {"Help", 2, "About Quillmate", "About", "General info on Quillmate", C::About},
};

constexpr MenuItem FileItems[] = {
    {"ExternalMnu", "Open E&xternal Zip Program", C::OpenExternalZIP},
    {"NotePadMnu", "Open &NotePad", C::OpenNotePad},
    {"OtherMnu", "Open Other &Favorite", C::OpenFavorite},
    {"sendQMTMnu", "Send &QMT to", C::SendQMT},
    {"SendEXEMnu", "Send &EXE to", C::SendEXE},
    {"mnuMapNet", "&Map Network Drive", C::NetworkMap},
    {"mnuUnMap", "&Unmap Network Drive", C::UnMapDrive},
    {"ExitMnu", "&Exit", C::ExitProgram},
};
constexpr MenuItem ArchiveItems[] = {
    {"mnuBackup", "&Back up Single Project", C::BackupArchive},
    {"mnuDue", "Back up All Projects &Due", C::BackupAllDue},
    {"mnuRestore", "&Restore", C::RestoreArchive},
    {"mnuView", "&View", C::ViewArchive},
    {"mnuTest", "&Test", C::TestArchive},
    {"mnuZIPManBar", "-", std::nullopt},
    {"mnuZIPManager", "&Glidepack", C::ZipManager},
};
constexpr MenuItem RecordsItems[] = {
    {"mnuAdd", "&Add", C::AddNew},
    {"mnuEdit", "&Edit", C::EditRecord},
    {"mnuDelete", "&Delete", C::DeleteRecord},
    {"mnuRename", "Re&name", C::RenameRecord},
    {"mnuClone", "&Clone", C::CloneRecord},
};
constexpr MenuItem OptionsItems[] = {
    {"mnuUserSettings", "&User Settings", C::UserOptionsModeless},
    {"mnuDefaults", "Record &Defaults", C::ShowDefaults},
};
constexpr MenuItem UtilitiesItems[] = {
    {"mnuBackupData", "&Back up Data", C::BackUpDB},
    {"mnuRestoreData", "&Restore Data", C::RestoreDB},
    {"mnuViewLog", "&View Log", C::ViewLog},
    {"mnuClearLog", "&Clear Log", C::ClearLog},
};
constexpr MenuItem HelpItems[] = {
    {"ContentsMnu", "&Contents", C::Help},
    {"AboutMnu", "&About", C::About},
};
constexpr MenuItem PopupItems[] = {
    {"AddPopMnu", "Add", C::AddNew},
    {"EditPopMnu", "Edit", C::EditRecord},
    {"DeletePopMnu", "Delete", C::DeleteRecord},
    {"RenamePopMnu", "Rename", C::RenameRecord},
    {"RefreshPopMnu", "Refresh", C::RefreshList},
    {"CloneMnu", "Clone", C::CloneRecord},
    {"ttt", "-", std::nullopt},
    {"sendQMTsubMnu", "Send QMT to", C::SendQMT},
    {"sendEXEsubMnu", "Send EXE to", C::SendEXE},
    {"zzz", "-", std::nullopt},
    {"BackUpMnu", "Back up", C::BackupArchive},
    {"RestoreMnu", "Restore", C::RestoreArchive},
    {"TestMnu", "Test", C::TestArchive},
    {"ViewMnu", "View", C::ViewArchive},
};

const Menu Menus[] = {
    {"FileMnu", "&File", FileItems},
    {"mnuArchive", "&Archive", ArchiveItems},
    {"mnuRecords", "&Records", RecordsItems},
    {"mnuOptions", "&Options", OptionsItems},
    {"mnuUtilities", "&Utilities", UtilitiesItems},
    {"HelpMnu", "&Help", HelpItems},
};
const Menu Popup{"File1PopMnu", "", PopupItems};

} // namespace

const std::array<CommandEntry, CommandCount>& commandTable() { return Table; }

const CommandEntry& commandEntry(Command c) { return Table[static_cast<std::size_t>(c)]; }

bool commandAvailable(Command c) { return commandEntry(c).available; }

void dispatch(Form1Procedures& form, Command c) { (form.*commandEntry(c).call)(); }

bool allowedWhileBusy(Command c) { return c == Command::Help || c == Command::ExitProgram; }

std::span<const BarGroup> barGroups() { return Groups; }

std::span<const BarItem> barItems() { return Items; }

std::optional<Command> barCommand(std::string_view groupKey, int position)
{
    for (const BarItem& item : Items)
        if (item.group == groupKey && item.position == position)
            return item.command;
    return std::nullopt;
}

bool ButtonBar1_ItemClick(Form1Procedures& form, std::string_view groupKey, int position)
{
    std::optional<Command> c = barCommand(groupKey, position);
    if (!c)
        return false;
    dispatch(form, *c);
    return true;
}

std::span<const Menu> menuBar() { return Menus; }

const Menu& popupMenu() { return Popup; }

std::optional<Command> menuCommand(std::string_view itemName)
{
    for (const Menu& m : Menus)
        for (const MenuItem& item : m.items)
            if (item.name == itemName)
                return item.command;
    for (const MenuItem& item : Popup.items)
        if (item.name == itemName)
            return item.command;
    return std::nullopt;
}

} // namespace qm::app

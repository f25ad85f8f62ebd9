#pragma once
// The commands of the main window and the one table that routes every
// surface to them: the button bar (group key and 1-based position), the menu
// bar, the project list's pop-up menu and the window's own controls. Each
// command calls one public procedure of the main window (Form1Procedures).
// A command whose procedure is not in this build yet is unavailable: its
// surfaces are disabled, and dispatching it reaches a procedure that does
// nothing.
#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace qm::app {

// The public procedures of the main window that the surfaces call.
class Form1Procedures {
public:
    virtual ~Form1Procedures() = default;
    virtual void BackupArchive() = 0;
    virtual void BackupAllDue() = 0;          // starts the unattended runner
    virtual void RestoreArchive() = 0;
    virtual void ViewArchive() = 0;
    virtual void TestArchive() = 0;
    virtual void ZipManager() = 0;            // starts the ZIP manager
    virtual void AddNew() = 0;
    virtual void EditRecord() = 0;
    virtual void DeleteRecord() = 0;
    virtual void RenameRecord() = 0;
    virtual void CloneRecord() = 0;
    virtual void UserOptionsModal() = 0;      // user options window, modal
    virtual void UserOptionsModeless() = 0;   // user options window, modeless
    virtual void ShowDefaults() = 0;
    virtual void BackUpDB() = 0;
    virtual void RestoreDB() = 0;
    virtual void ViewLog() = 0;
    virtual void ClearLog() = 0;
    virtual void OpenExternalZIP() = 0;
    virtual void OpenNotePad() = 0;
    virtual void OpenFavorite() = 0;
    virtual void SendQMT() = 0;
    virtual void SendEXE() = 0;
    virtual void NetworkMap() = 0;            // network browser window, modal
    virtual void UnMapDrive() = 0;            // disconnect window, modal
    virtual void Help() = 0;
    virtual void About() = 0;                 // about box, modeless
    virtual void ExitProgram() = 0;           // Exit: every window closed, the program ends
    virtual void RefreshList() = 0;           // "Refresh" of the pop-up menu
    virtual void GoFenwold() = 0;             // the logo picture's link
};

enum class Command {
    BackupArchive, BackupAllDue, RestoreArchive, ViewArchive, TestArchive, ZipManager,
    AddNew, EditRecord, DeleteRecord, RenameRecord, CloneRecord,
    UserOptionsModal, UserOptionsModeless, ShowDefaults,
    BackUpDB, RestoreDB, ViewLog, ClearLog,
    OpenExternalZIP, OpenNotePad, OpenFavorite, SendQMT, SendEXE, NetworkMap, UnMapDrive,
    Help, About, ExitProgram, RefreshList, GoFenwold,
};
inline constexpr int CommandCount = static_cast<int>(Command::GoFenwold) + 1;

struct CommandEntry {
    Command command;
    std::string_view procedure;            // the procedure's name
    void (Form1Procedures::*call)();
    bool available;                        // its procedure is in this build
};

// The dispatch table, one entry per command, in the order of Command.
const std::array<CommandEntry, CommandCount>& commandTable();
const CommandEntry& commandEntry(Command c);
bool commandAvailable(Command c);
// Calls the command's procedure.
void dispatch(Form1Procedures& form, Command c);

// ---- Button bar
struct BarGroup {
    std::string_view caption;
    std::string_view key;
    std::string_view tooltip;
};
struct BarItem {
    std::string_view group;   // the group's key
    int position;             // 1-based within the group
    std::string_view caption;
    std::string_view key;
    std::string_view tooltip;
    Command command;
};
std::span<const BarGroup> barGroups();
std::span<const BarItem> barItems();
// The command of a bar item click: the group key compared exactly, then the
// position; nothing for a position (or key) the bar does not have.
std::optional<Command> barCommand(std::string_view groupKey, int position);
// ButtonBar1_ItemClick: runs the item's command; an unknown position does
// nothing. True when a command ran.
bool ButtonBar1_ItemClick(Form1Procedures& form, std::string_view groupKey, int position);

// ---- Menus
struct MenuItem {
    std::string_view name;     // control name
    std::string_view caption;  // "&" before the access key; "-" for a separator
    std::optional<Command> command;
    bool separator() const { return !command; }
};
struct Menu {
    std::string_view name;
    std::string_view caption;
    std::span<const MenuItem> items;
};
// The menu bar, left to right.
std::span<const Menu> menuBar();
// File1PopMnu, the project list's pop-up menu (empty caption, not in the bar).
const Menu& popupMenu();
// The command of a menu or pop-up item by its control name.
std::optional<Command> menuCommand(std::string_view itemName);

} // namespace qm::app

#pragma once
// The commands of the main window and the one table that routes every
// surface to them: the button bar (group key and 1-based position), the menu
// bar, the project list's pop-up menu and the window's own controls. Each
// command calls one public procedure of the main window (Form1Procedures).
// The commands themselves are listed once, in Commands.def; a command whose
// procedure is not in this build yet is unavailable: its surfaces are
// disabled, and dispatching it reaches a procedure that does nothing.
#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace qm::app {

// The public procedures of the main window that the surfaces call, one per
// line of Commands.def. Procedures (Procedures.h) is the program's one.
class Form1Procedures {
public:
    virtual ~Form1Procedures() = default;
#define QM_COMMAND(procedure, built) virtual void procedure() = 0;
#include "mainwindow/Commands.def"
#undef QM_COMMAND
};

enum class Command {
#define QM_COMMAND(procedure, built) procedure,
#include "mainwindow/Commands.def"
#undef QM_COMMAND
};
inline constexpr int CommandCount = 0
#define QM_COMMAND(procedure, built) +1
#include "mainwindow/Commands.def"
#undef QM_COMMAND
    ;

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
// Whether the command may run while an operation holds the busy switch:
// only Help and Exit.
bool allowedWhileBusy(Command c);

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

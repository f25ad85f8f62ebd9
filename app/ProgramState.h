#pragma once
// The shared state of the Quillmate program, gathered in one object under the
// names the rest of the program uses: the main window's public variables,
// the hidden archive kind options and delete flag that the backup procedures
// read and set, the module values set at start-up (ChosenFolder, OSFamily,
// TasksFolder), the project store (ProjectRecord, CurrentProjectIni,
// UserOptionsRecord, ...) and the launcher that starts outside programs.
//
// One ProgramState belongs to the running program; it is created by main()
// and passed by reference to the windows and to every piece of logic that
// needs it. It holds no Qt object, so the engine, the restore code and their
// tests use it without a display. The main window's hidden option buttons
// and check box mirror ZipTypeBut and Check1 through their change listeners.
//
// The program folder is qm::fs::appPath(); nothing here keeps a copy of it.
#include "app/FileListBox.h"
#include "store/Store.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::ui {
class UiServices;
}
namespace qm::store {
class Launcher;
}

namespace qm::app {

// A group of option buttons of which at most one is set; setting one clears
// the others. Indexes run from 0 to count() - 1.
class OptionGroup {
public:
    explicit OptionGroup(int count);

    int count() const { return static_cast<int>(values_.size()); }
    // Whether option `index` is set; false for an index outside the group.
    bool value(int index) const;
    // Setting an option clears every other; clearing one leaves the others.
    // An index outside the group is ignored.
    void setValue(int index, bool on);
    // The option that is set, if any.
    std::optional<int> selected() const;
    // Whether the set option is one of `indexes`.
    bool isAnyOf(std::initializer_list<int> indexes) const;

    // Called after every change (one listener: the window that mirrors it).
    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    std::vector<bool> values_;
    std::function<void()> listener_;
};

// A check box value: 0 unticked, 1 ticked.
class CheckValue {
public:
    int value() const { return value_; }
    void setValue(int v);
    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    int value_ = 0;
    std::function<void()> listener_;
};

// Number of archive kinds, the options of ZipTypeBut (0 "zip" to 11 "aceexespan").
inline constexpr int ZipTypeButCount = 12;

// The main window's public variables, in declaration order, with their start
// values, and the hidden controls that other parts of the program set and read.
struct Form1Variables {
    std::string ProjectName;    // path of the archive being made; the data restore picker's answer
    std::string ShortName;      // the current project's name, for log lines and captions
    std::string ProjectFolder;  // source folder of the archive procedures
    std::string ProjectType;    // last answer of the archive kind dialog
    std::string DirStatus;
    std::string ArchiveType;
    std::string OpType;         // compared with "zip" by the comment request
    std::string ZipSplitSize;   // split size of a ZIP backup; empty: none chosen
    std::string AceSplitSize;   // split size of an ACE backup; "Abort" after a cancel
    std::string TargetCopy;     // hand-over with the folder picker ("_" while it is open)
    int mRowCount = 0;          // rows added to the archive contents window
    bool AppDone = false;       // done flag of the outside archiver run
    std::string strRunCommand;  // archive named on the command line
    std::string WinAceLocation; // WinAce's program path once found (session::LocateWinAce)

    // Hidden frame Frame1: the last chosen archive kind and the delete flag
    // ("Delete old back-up and rebuild").
    OptionGroup ZipTypeBut{ZipTypeButCount};
    CheckValue Check1;

    // File1, the file list box of the Projects folder behind the project list
    // (start-up points it there; Refresh and the record operations re-read it).
    FileListBox File1;
};

class ProgramState {
public:
    // `launcher`: how outside programs and documents are started; none: the
    // process layer (a launcher of its own).
    explicit ProgramState(qm::ui::UiServices& ui, qm::store::Launcher* launcher = nullptr);
    ~ProgramState();
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    qm::ui::UiServices& ui() const { return ui_; }
    qm::store::Launcher& launcher() const { return *launcher_; }

    // The project store and its shared variables (ProjectRecord,
    // CurrentProjectIni, UserOptionsRecord, UserOptionsIni, TempFolder,
    // RecordCount).
    qm::store::Store store;

    // The main window's public variables and hidden controls.
    Form1Variables Form1;

    // Module values, set at start-up.
    std::string ChosenFolder; // folder last chosen in a folder or split-size dialog
    std::string OSFamily;     // "NT"
    std::string TasksFolder;  // where the scheduled job file goes (Windows form)
    std::string HelpFile;     // the program's help file

private:
    qm::ui::UiServices& ui_;
    std::unique_ptr<qm::store::Launcher> ownLauncher_;
    qm::store::Launcher* launcher_;
};

} // namespace qm::app

#pragma once
// The main window's procedures in plain C++: every command of Commands.def,
// the load handler's steps and the work of its two start-up timers. They
// work on the program state, reach the window only through MainWindowView
// and other windows only through the factories of app::Windows, so each of
// them runs and is tested without a display.
//
// Form1 forwards to them: it calls the commands through the dispatch table
// and its timers' handlers here. A procedure that grows large gets a file of
// its own beside this one (RecordOps, OutsidePrograms) or in its subsystem
// (engine/Backup, restore/Restore); the body here then only calls it. The
// main window's zip session (session/ZipSession) lives here, beneath both.
#include "app/BusySwitch.h"
#include "app/ProgramState.h"
#include "engine/Backup.h"
#include "mainwindow/Commands.h"
#include "mainwindow/Startup.h"
#include "restore/Restore.h"
#include "restore/ViewZipView.h"
#include "session/ZipSession.h"

#include <functional>
#include <string>

namespace qm::app {

class MainForms;
class MainWindowView;
class OutsidePrograms;
struct Windows;

class Procedures : public Form1Procedures {
public:
    Procedures(ProgramState& state, MainWindowView& view, Windows& windows);
    Procedures(const Procedures&) = delete;
    Procedures& operator=(const Procedures&) = delete;

    ProgramState& state() const { return state_; }
    MainWindowView& view() const { return view_; }
    Windows& windows() const { return windows_; }
    // The busy switch every operation that yields holds while it runs.
    BusySwitch& busy() { return busy_; }
    // The main window's zip control with its handlers, and the run log.
    qm::session::ZipSession& session() { return session_; }
    // The manual backups.
    qm::engine::Backup& backup() { return backup_; }
    // Restore, test and archive viewing.
    qm::restore::Restore& restore() { return restore_; }

    // ---- The commands (Commands.def)
#define QM_COMMAND(procedure, built) void procedure() override;
#include "mainwindow/Commands.def"
#undef QM_COMMAND

    // F1 in another window of the program: the help page at that window's
    // part, as Help is (never held back by a running operation).
    void HelpFor(const std::string& window);

    // ---- Start-up
    // The load handler's steps (FormLoad) on File1; `commandLine` is the
    // text after the program name.
    StartupResult Form_Load(const std::string& commandLine, const WinAceLookup& lookup = qm::store::GetWinAceInfo);
    // The list timer: the project list is read afresh under the busy pointer;
    // a failure is reported and the list shown all the same.
    void Timer2_Timer();
    // The command-line timer: the archive named on the command line is opened
    // in the contents window; a failure is reported.
    void Timer1_Timer();

    // ---- Archive viewing
    // Opens the contents window on the archive named on the command line
    // (`ArchivePath` as given: a host path, perhaps in quotes) and lists it.
    void ExplorerView(const std::string& ArchivePath);
    // What the contents window needs of the main window: the busy switch,
    // and the listing after a delete (ViewArchive for a project's window,
    // ExplorerView for a command-line one).
    qm::restore::ViewZipHost contentsHost();
    // The main window's own windows (the about box); until set, About does nothing.
    void setMainForms(MainForms& forms) { mainForms_ = &forms; }

private:
    OutsidePrograms outside() const;

    ProgramState& state_;
    MainWindowView& view_;
    Windows& windows_;
    BusySwitch busy_;
    qm::session::ZipSession session_;
    qm::engine::Backup backup_;
    qm::restore::Restore restore_;
    MainForms* mainForms_ = nullptr;
};

} // namespace qm::app

#include "mainwindow/Procedures.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/Windows.h"
#include "engine/EngineForms.h"
#include "mainwindow/ArchiveCopy.h"
#include "mainwindow/DataBackup.h"
#include "mainwindow/LogClearing.h"
#include "mainwindow/MainForms.h"
#include "mainwindow/OutsidePrograms.h"
#include "mainwindow/RecordOps.h"
#include "options/OptionsForms.h"
#include "pickers/PickerForms.h"
#include "platform/fs/Paths.h"
#include "restore/RestoreForms.h"
#include "store/AutobackLog.h"
#include "store/SystemLookups.h"

namespace qm::app {

Procedures::Procedures(ProgramState& state, MainWindowView& view, Windows& windows)
    : state_(state), view_(view), windows_(windows), busy_(view),
      session_(state, busy_, windows.engine, windows.restore), backup_(state, view, windows, busy_, session_),
      restore_(state, view, windows, busy_, session_)
{
}

// The procedures that are not built yet (built "no" in Commands.def) do nothing.
#define QM_BODY_yes(procedure)
#define QM_BODY_no(procedure) \
    void Procedures::procedure() {}
#define QM_COMMAND(procedure, built) QM_BODY_##built(procedure)
#include "mainwindow/Commands.def"
#undef QM_COMMAND
#undef QM_BODY_yes
#undef QM_BODY_no

// ---- Start-up

StartupResult Procedures::Form_Load(const std::string& commandLine, const WinAceLookup& lookup)
{
    return FormLoad(state_, state_.Form1.File1, commandLine, lookup);
}

void Procedures::Timer2_Timer()
{
    qm::store::BusyPointer(state_.ui());
    try {
        view_.rebuildList();
    } catch (const std::exception& e) {
        qm::store::NormalPointer(state_.ui());
        showError(state_.ui(), std::string("The project list could not be filled: ") + e.what());
    }
    qm::store::NormalPointer(state_.ui());
}

void Procedures::Timer1_Timer()
{
    try {
        ExplorerView(state_.Form1.strRunCommand);
    } catch (const std::exception& e) {
        showError(state_.ui(), std::string("The archive could not be opened: ") + e.what());
    }
}

// ---- Archive viewing

void Procedures::ExplorerView(const std::string& ArchivePath) { restore_.ExplorerView(ArchivePath); }

qm::restore::ViewZipHost Procedures::contentsHost()
{
    return {&busy_, [this](const std::string& ParentForm, const std::string& command) {
                if (ParentForm == "Form1")
                    ViewArchive();
                else
                    ExplorerView(command);
            }};
}

// ---- Commands

OutsidePrograms Procedures::outside() const { return OutsidePrograms(state_.ui(), state_.launcher()); }

void Procedures::BackupAllDue()
{
    outside().StartProgram(qm::fs::appPath() + "\\Nightwick.exe usemax", "the unattended back-up program");
}

void Procedures::ZipManager()
{
    state_.Form1.mRowCount = 0;
    outside().StartProgram(qm::fs::appPath() + "\\glidepack.exe", "the ZIP manager");
}

void Procedures::AddNew() { RecordOps(state_, view_, windows_.editor).AddNew(); }
void Procedures::EditRecord() { RecordOps(state_, view_, windows_.editor).EditRecord(); }
void Procedures::DeleteRecord() { RecordOps(state_, view_, windows_.editor).DeleteRecord(); }
void Procedures::RenameRecord() { RecordOps(state_, view_, windows_.editor).RenameRecord(); }
void Procedures::CloneRecord() { RecordOps(state_, view_, windows_.editor).CloneRecord(); }
void Procedures::ShowDefaults() { RecordOps(state_, view_, windows_.editor).ShowDefaults(); }

// One options window: opening it while it is open brings it forward.
void Procedures::UserOptionsModal() { windows_.options.showUserOptions(true); }
void Procedures::UserOptionsModeless() { windows_.options.showUserOptions(false); }

void Procedures::Help() { outside().OpenHelpFile(state_.HelpFile); }

void Procedures::HelpFor(const std::string& window) { contextHelp(state_, window)(0); }

void Procedures::ViewLog() { outside().ViewLog(); }

void Procedures::ClearLog() { clearLog(state_.ui(), session_.log(), qm::datetime::systemClock()); }

void Procedures::OpenExternalZIP()
{
    outside().OpenExternalZIP(state_.store.UserOptionsRecord(1).UserZIPShellPath);
}

void Procedures::OpenNotePad() { outside().OpenNotePad(); }

void Procedures::OpenFavorite()
{
    outside().OpenFavorite(state_.store.UserOptionsRecord(1).UserFavoriteAppPath);
}

void Procedures::About()
{
    if (mainForms_)
        mainForms_->showAbout();
}

void Procedures::GoFenwold() { outside().GoFenwold(); }

void Procedures::BackupArchive() { backup_.BackupArchive(); }
void Procedures::RestoreArchive() { restore_.RestoreArchive(); }
void Procedures::ViewArchive() { restore_.ViewArchive(); }
void Procedures::TestArchive() { restore_.TestArchive(); }

void Procedures::SendQMT() { SendArchive(state_, view_, windows_, qm::store::ProjectField::ZIPBackFile); }

void Procedures::SendEXE() { SendArchive(state_, view_, windows_, qm::store::ProjectField::SFXBackFile); }

void Procedures::BackUpDB() { qm::app::BackUpDB(state_, session_, busy_); }

void Procedures::RestoreDB() { qm::app::RestoreDB(state_, view_, windows_, busy_); }

void Procedures::NetworkMap() { windows_.pickers.showNetworkMap(); }

void Procedures::UnMapDrive() { windows_.pickers.showUnMapDrive("Form1"); }

void Procedures::ExitProgram()
{
    auto exit = [this] {
        view_.unloadAllWindows();
        view_.endProgram();
    };
    // While an operation runs it is asked to stop; the exit follows its end.
    if (!busy_.deferExit(exit))
        exit();
}

void Procedures::RefreshList()
{
    state_.store.CurrentProjectIni.clear();
    state_.Form1.File1.Refresh();
}

} // namespace qm::app

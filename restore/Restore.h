#pragma once
// The main window's commands of restore, test and archive viewing, in plain
// C++: RestoreArchive opens the restore dialog on the selected project;
// TestArchive tests the project's archive; ViewArchive lists it into the
// archive contents window (an ACE archive through WinAce); ExplorerView
// lists an archive named on the command line. Test and listing drive the
// main window's zip session (session/ZipSession.h), so rows, comment and
// summary arrive as for any listing, and log to autoback.log through its log.
//
// While they yield the busy switch is on; other windows come from the
// factories of app::Windows, so every command runs and is tested without a
// display.
#include <string>

namespace qm::app {
class BusySwitch;
class MainWindowView;
class ProgramState;
struct Windows;
} // namespace qm::app
namespace qm::session {
class ZipSession;
}

namespace qm::restore {

struct SelectedArchive;

class Restore {
public:
    Restore(qm::app::ProgramState& state, qm::app::MainWindowView& view, qm::app::Windows& windows,
            qm::app::BusySwitch& busy, qm::session::ZipSession& session);

    void RestoreArchive();
    void TestArchive();
    void ViewArchive();
    // `ArchivePath`: the argument as given (a host path, perhaps in double
    // quotes); the caption shows it unchanged.
    void ExplorerView(const std::string& ArchivePath);

private:
    // Lists `path` into the contents window through the main window's zip
    // control; false after the control's error box (the window is gone).
    bool listInto(const std::string& path);
    void testZip(const SelectedArchive& archive, const std::string& path);
    // WinAce's test (" t ") or listing (" l ") of an ACE archive, through the
    // main window's WinAce runner.
    void aceCommand(const std::string& command, const SelectedArchive& archive, const std::string& path);

    qm::app::ProgramState& state_;
    qm::app::MainWindowView& view_;
    qm::app::Windows& windows_;
    qm::app::BusySwitch& busy_;
    qm::session::ZipSession& session_;
};

} // namespace qm::restore

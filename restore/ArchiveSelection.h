#pragma once
// Which archive the main window's test and listing work on: from the
// selected row of the project list to the loaded project, its archive
// family and the archive's full path. The two commands differ only in their
// words, which are data here (TestWords, ListingWords).
#include <functional>
#include <optional>
#include <string>

namespace qm::app {
class MainWindowView;
class ProgramState;
} // namespace qm::app
namespace qm::session {
class OperationForms;
}
namespace qm::store {
struct ProjectRecord;
}

namespace qm::restore {

struct SelectionWords {
    std::string moreThanOne;  // a second selected row
    std::string noProject;    // no project path is current
    std::string nothingExe;   // last line of the empty-file-name box, EXE family
    std::string nothingAce;   // the same, ACE and ACE EXE families
    bool busyAroundLoad;      // the hourglass while the project loads
};

extern const SelectionWords TestWords;
extern const SelectionWords ListingWords;

// The box of both commands when the archive's drive holds no disk.
inline constexpr const char* DeviceUnavailableText =
    "Device is unavailable.\r\nPlease check the selected drive to make sure there is a disk.";

// One archive of the loaded project. `family` is "zip" (QMT), "exe", "ace"
// or "aceexe"; `path` is `folder` & "\" & `fileName`.
struct SelectedArchive {
    std::string family;
    std::string folder;
    std::string fileName;
    std::string path;

    bool isZipFormat() const { return family == "zip" || family == "exe"; }
    bool isAce() const { return family == "ace" || family == "aceexe"; }
    // The families whose missing archive may be looked for by browsing.
    bool isSelfExtracting() const { return family == "exe" || family == "aceexe"; }
};

// The kind string of the main window folded into its family: "zip" for
// the QMT kinds, "ace" and "aceexe" for theirs, nothing for "blank", "exe"
// for anything else.
std::optional<std::string> foldKind(const std::string& ProjectType);

// The selection. Every stop shows its message and gives nothing. On the
// way the project is loaded into ProjectRecord(1) and ProjectType takes
// the kind (the kind dialog asks when the project has more than one
// archive), then its family. `kindChosen` runs once the kind is known and
// not "Cancel", before it is folded.
//
// Archives are counted per folder: the QMT and EXE names when the ZIP
// folder is set, the ACE names when the ACE folder is set. A project with
// none counted stops with the empty-file-name box rather than going on with
// the kind of an earlier operation.
std::optional<SelectedArchive> ResolveProjectArchive(qm::app::ProgramState& state, qm::app::MainWindowView& view,
                                                     qm::session::OperationForms& forms, const SelectionWords& words,
                                                     const std::function<void()>& kindChosen = {});

// The project's password for reading its QMT archive (or, with
// `selfExtracting`, its EXE archive): the stored text, blanks and all, when
// the use flag trimmed is "yes" and the password trimmed is not empty.
std::optional<std::string> projectPassword(const qm::store::ProjectRecord& record, bool selfExtracting);

// A number as the programs write it into messages and log lines: in
// decimal, with one leading blank when it is not negative (" 509", "-1").
std::string signedText(long long number);

// Whether the second and third characters of `path` are ":\".
bool isDrivePath(const std::string& path);

// Whether the archive is there to be read: a file that is not hidden (nor a
// system file). Throws qm::RtError for a drive that is not there (68) or
// not ready and for a bad name.
bool archiveFound(const std::string& path);

// Settles what killed runs left of the archive at `path` (qm::zip::
// settleLeftAside): an archive a run kept aside under its hidden name comes
// back under its own. A path that cannot be reached is left as it is, for
// the look-up that follows to report.
void settleArchive(const std::string& path);

// The name of the set a split or spanned QMT backup writes for the archive
// `path`: "<path>.zip".
std::string qmtSetName(const std::string& path);

// Where the commands find the archive: `path` itself, settled first; where
// nothing stands there, a QMT project's split or spanned set under the name
// its backup writes (qmtSetName), settled too, when that stands; else
// `path`. Throws as archiveFound does.
std::string locateArchive(const SelectedArchive& archive);

// Every archive name `record` names settled, in the folders its backups
// write them to, so that a list of the folder shows them again.
void settleProjectArchives(const qm::store::ProjectRecord& record);

} // namespace qm::restore

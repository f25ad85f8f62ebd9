#include "restore/ArchiveSelection.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Text.h"
#include "platform/ui/UiServices.h"
#include "platform/zip/LeftAside.h"
#include "session/BackupType.h"
#include "session/SessionForms.h"
#include "store/ProjectRecord.h"
#include "store/SystemLookups.h"

#include <vector>

namespace qm::restore {

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

// The record fields that name each family's archive.
struct FamilyFields {
    const char* family;
    F folder;
    F fileName;
};
constexpr FamilyFields Families[] = {
    {"zip", F::ZIPDefaultRestoreFromFolder, F::ZIPBackFile},
    {"exe", F::ZIPDefaultRestoreFromFolder, F::SFXBackFile},
    {"ace", F::ACEDefaultRestoreFromFolder, F::ACEBackFile},
    {"aceexe", F::ACEDefaultRestoreFromFolder, F::ACESFXBackFile},
};

const FamilyFields& fieldsOf(const std::string& family)
{
    for (const FamilyFields& f : Families)
        if (family == f.family)
            return f;
    return Families[1];
}

void nothingStored(qm::ui::UiServices& ui, const qm::store::ProjectRecord& rec, const std::string& lastLine)
{
    qm::app::showError(ui, "No back-up file name is stored for '" + rec[F::ProjectName] + "'\r\n" + lastLine);
}

} // namespace

std::string signedText(long long number) { return (number < 0 ? "" : " ") + std::to_string(number); }

bool isDrivePath(const std::string& path) { return path.size() >= 3 && path.compare(1, 2, ":\\") == 0; }

const SelectionWords TestWords{"Cannot select more than one project at a time for testing.",
                               "No project file selected", "Nothing to do!", "Nothing to do!", false};
const SelectionWords ListingWords{"Cannot select more than one project at a time for viewing.", "No project selected",
                                  "Nothing to view!", "Nothing to do!", true};

std::optional<std::string> foldKind(const std::string& ProjectType)
{
    if (ProjectType == "zip" || ProjectType == "zipmulti" || ProjectType == "zipspan")
        return "zip";
    if (ProjectType == "ace" || ProjectType == "acemulti" || ProjectType == "acespan")
        return "ace";
    if (ProjectType == "aceexe" || ProjectType == "aceexemulti" || ProjectType == "aceexespan")
        return "aceexe";
    if (ProjectType == "blank")
        return std::nullopt;
    return "exe";
}

std::optional<SelectedArchive> ResolveProjectArchive(qm::app::ProgramState& state, qm::app::MainWindowView& view,
                                                     qm::session::OperationForms& forms, const SelectionWords& words,
                                                     const std::function<void()>& kindChosen)
{
    qm::ui::UiServices& ui = state.ui();
    qm::store::Store& store = state.store;
    qm::app::Form1Variables& f = state.Form1;

    int count = 0;
    for (const qm::app::ListRow& row : view.selectedRows()) {
        if (++count == 2) {
            qm::app::showError(ui, words.moreThanOne);
            return std::nullopt;
        }
        store.CurrentProjectIni = qm::fs::appPath() + "\\Projects\\" + row.text;
    }
    if (!isDrivePath(store.CurrentProjectIni)) {
        qm::app::showError(ui, words.noProject);
        return std::nullopt;
    }
    if (words.busyAroundLoad)
        qm::store::BusyPointer(ui);
    store.LoadProject();
    if (words.busyAroundLoad)
        qm::store::NormalPointer(ui);
    const qm::store::ProjectRecord& rec = store.ProjectRecord(1);

    std::vector<std::string> present;
    for (const FamilyFields& family : Families)
        if (!rec[family.folder].empty() && !rec[family.fileName].empty())
            present.push_back(family.family);
    if (present.empty()) {
        nothingStored(ui, rec, words.nothingExe);
        return std::nullopt;
    }
    if (present.size() == 1)
        f.ProjectType = present.front();
    else
        forms.showBackupType(qm::session::setupForViewing());
    if (f.ProjectType == "Cancel") {
        ui.msgBox("Archive operation cancelled.", mb::OKOnly | mb::Information, "Quillmate");
        return std::nullopt;
    }
    if (kindChosen)
        kindChosen();

    const std::optional<std::string> family = foldKind(f.ProjectType);
    if (!family) {
        qm::app::showError(ui, "No Backup/Restore Type selected.");
        return std::nullopt;
    }
    f.ProjectType = *family;
    const FamilyFields& fields = fieldsOf(*family);
    SelectedArchive archive{*family, rec[fields.folder], rec[fields.fileName], {}};
    archive.path = archive.folder + "\\" + archive.fileName;
    if (archive.fileName.empty() && *family != "zip") {
        nothingStored(ui, rec, *family == "exe" ? words.nothingExe : words.nothingAce);
        return std::nullopt;
    }
    return archive;
}

std::optional<std::string> projectPassword(const qm::store::ProjectRecord& record, bool selfExtracting)
{
    const std::string& use = record[selfExtracting ? F::SFXUsePassword : F::ZIPUsePassword];
    const std::string& password = record[selfExtracting ? F::SFXDefaultPassword : F::ZIPDefaultPassword];
    if (qm::fs::trimBlanks(use) != "yes" || qm::fs::trimBlanks(password).empty())
        return std::nullopt;
    return password;
}

bool archiveFound(const std::string& path) { return !qm::fs::dirNames(path).empty(); }

void settleArchive(const std::string& path)
{
    try {
        qm::zip::settleLeftAside(path);
    } catch (const std::exception&) {
        // Unreachable or not settled: the look-up tells what it finds.
    }
}

std::string qmtSetName(const std::string& path) { return path + ".zip"; }

std::string locateArchive(const SelectedArchive& archive)
{
    settleArchive(archive.path);
    if (archive.family != "zip" || archiveFound(archive.path))
        return archive.path;
    const std::string set = qmtSetName(archive.path);
    settleArchive(set);
    return archiveFound(set) ? set : archive.path;
}

void settleProjectArchives(const qm::store::ProjectRecord& rec)
{
    const auto settleIn = [](const std::string& folder, const std::string& file) {
        if (!folder.empty() && !file.empty())
            settleArchive(folder + "\\" + file);
    };
    const std::string& zipFolder = rec[F::ZIPDefaultRestoreFromFolder];
    settleIn(zipFolder, rec[F::ZIPBackFile]);
    if (!rec[F::ZIPBackFile].empty())
        settleIn(zipFolder, qmtSetName(rec[F::ZIPBackFile]));
    settleIn(zipFolder, rec[F::SFXBackFile]);
    settleIn(rec[F::ACEDefaultRestoreFromFolder], rec[F::ACEBackFile]);
    settleIn(rec[F::ACEDefaultRestoreFromFolder], rec[F::ACESFXBackFile]);
    if (rec[F::ACESFXDefaultExtractFolder] != rec[F::ACEDefaultRestoreFromFolder])
        settleIn(rec[F::ACESFXDefaultExtractFolder], rec[F::ACESFXBackFile]);
}

} // namespace qm::restore

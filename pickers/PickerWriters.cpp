#include "pickers/PickerWriters.h"

#include "app/ProgramState.h"
#include "store/ProjectRecord.h"
#include "store/UserOptions.h"

namespace qm::pickers {

using qm::app::ProgramState;
using F = qm::store::ProjectField;

namespace {

// ZipTypeBut: 1 self-extracting ZIP, 2 split ZIP, 4, 5, 10, 11 the spanned kinds.
constexpr int KindExe = 1;
constexpr int KindZipMulti = 2;

bool spannedKind(const ProgramState& state) { return state.Form1.ZipTypeBut.isAnyOf({4, 5, 10, 11}); }

std::string* editorField(ProgramState& state, int GridColumn)
{
    qm::store::ProjectRecord& r = state.store.ProjectRecord(1);
    switch (GridColumn) {
    case 2:
        return &r[F::ProjectFolder];
    case 4:
        return &r[F::ZIPDefaultRestoreFromFolder];
    case 51:
        return &r[F::SFXDefaultExtractFolder];
    case 134:
        return &r[F::ACEDefaultRestoreFromFolder];
    case 155:
        return &r[F::ACESFXDefaultExtractFolder];
    default:
        return nullptr;
    }
}

FolderRequest request(const char* ParentForm)
{
    FolderRequest r;
    r.ParentForm = ParentForm;
    return r;
}

} // namespace

TargetDirWrites WriteTargetDir(ProgramState& state, const FolderRequest& request, int GridColumn,
                               const FolderAnswer& answer)
{
    TargetDirWrites out;
    if (answer.ending == Ending::Cancel)
        state.ChosenFolder.clear();
    if (answer.ending != Ending::Okay)
        return out;
    const std::string& path = answer.path;
    if (request.ParentForm == "frmData") {
        if (std::string* field = editorField(state, GridColumn)) {
            *field = path;
            out.gridReread = true;
        }
    } else if (request.ParentForm == "UserOptions") {
        qm::store::UserOptionsRecord& o = state.store.UserOptionsRecord(1);
        if (GridColumn == 3)
            o.ProjectINIBackupPath = path;
        else if (GridColumn == 8)
            o.UserTempFolder = path;
        out.gridReread = true;
    } else if (request.ParentForm == "frmSplitSize" && state.Form1.ZipTypeBut.value(KindZipMulti)) {
        out.Text2 = path;
        state.ChosenFolder = path;
    }
    if (request.LoadedFromForm == "RestoreFrm" || request.ParentForm == "RestoreFrm")
        out.txtTargetFolder = path;
    if (spannedKind(state))
        state.ChosenFolder = path;
    if (request.ParentForm == "Form1") {
        if (state.Form1.TargetCopy == "_")
            state.Form1.TargetCopy = path;
        if (state.Form1.ZipTypeBut.value(KindExe))
            state.ChosenFolder = path;
    }
    return out;
}

FolderRequest SplitSizeRequest() { return request("frmSplitSize"); }

std::optional<std::string> SplitSizeTarget(ProgramState& state, const FolderAnswer& answer)
{
    return WriteTargetDir(state, SplitSizeRequest(), 0, answer).Text2;
}

FolderRequest CopyTargetRequest(ProgramState& state)
{
    state.Form1.TargetCopy = "_";
    return request("Form1");
}

FolderRequest BackupFolderRequest(ProgramState& state)
{
    state.ChosenFolder.clear();
    return request("Form1");
}

void Form1Folder(ProgramState& state, const FolderAnswer& answer)
{
    WriteTargetDir(state, request("Form1"), 0, answer);
}

std::optional<std::string> CopyTarget(const qm::app::Form1Variables& Form1)
{
    if (Form1.TargetCopy.empty() || Form1.TargetCopy == "_")
        return std::nullopt;
    return Form1.TargetCopy;
}

FolderRequest EditorFolderRequest(const std::string& caption)
{
    FolderRequest r = request("frmData");
    r.caption = caption;
    return r;
}

bool EditorFolder(ProgramState& state, int GridColumn, const FolderAnswer& answer)
{
    return WriteTargetDir(state, EditorFolderRequest(), GridColumn, answer).gridReread;
}

FolderRequest UserOptionsFolderRequest() { return request("UserOptions"); }

bool UserOptionsFolder(ProgramState& state, int GridColumn, const FolderAnswer& answer)
{
    return WriteTargetDir(state, UserOptionsFolderRequest(), GridColumn, answer).gridReread;
}

FolderRequest RestoreTargetRequest()
{
    FolderRequest r;
    r.LoadedFromForm = "RestoreFrm";
    return r;
}

std::optional<std::string> RestoreTarget(ProgramState& state, const FolderAnswer& answer)
{
    return WriteTargetDir(state, RestoreTargetRequest(), 0, answer).txtTargetFolder;
}

FileRequest Form1FileRequest(const std::string& fileName, const std::string& caption)
{
    FileRequest r;
    r.ParentForm = "Form1";
    r.pattern = fileName;
    r.caption = caption;
    return r;
}

void Form1File(qm::app::Form1Variables& Form1, const FileAnswer& answer)
{
    if (answer.ending == Ending::Cancel)
        Form1.ProjectName.clear();
    else if (answer.ending == Ending::Okay && !answer.entries.empty())
        Form1.ProjectName = answer.entries.front();
}

FileRequest UserOptionsFileRequest(int GridColumn)
{
    FileRequest r;
    r.ParentForm = "UserOptions";
    r.GridColumn = GridColumn;
    return r;
}

bool UserOptionsProgram(qm::store::UserOptionsRecord& options, int GridColumn, const FileAnswer& answer)
{
    if (answer.ending != Ending::Okay)
        return false;
    if (!answer.entries.empty()) {
        if (GridColumn == 1)
            options.UserZIPShellPath = answer.entries.front();
        else if (GridColumn == 2)
            options.UserFavoriteAppPath = answer.entries.front();
    }
    return !answer.entries.empty();
}

FileRequest AddFilesRequest(const std::string& folder, bool treesEnabled)
{
    FileRequest r;
    r.ParentForm = "frmAddFiles";
    r.folder = folder;
    r.treesEnabled = treesEnabled;
    return r;
}

void AddFiles(std::vector<std::string>& List1, bool& CancelAdd, const FileAnswer& answer)
{
    if (answer.ending == Ending::Cancel) {
        CancelAdd = true;
        return;
    }
    if (answer.ending != Ending::Okay)
        return;
    if (!answer.network)
        CancelAdd = false;
    List1.insert(List1.end(), answer.entries.begin(), answer.entries.end());
}

} // namespace qm::pickers

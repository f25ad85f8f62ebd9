#include "editor/FileListEditor.h"

#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "pickers/PickerForms.h"
#include "pickers/PickerWriters.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Text.h"
#include "platform/ui/UiServices.h"
#include "store/FileLists.h"

#include <algorithm>
#include <array>

namespace qm::editor {

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

struct KindText {
    std::string_view kind;
    std::string_view caption;
};
constexpr std::array<KindText, 4> KindCaptions{{
    {"ZIP", "creating archive type: ZIP (QMT)"},
    {"ZIPEXE", "creating archive type: ZIP (QMT) self-extracting"},
    {"ACE", "creating archive type: ACE"},
    {"ACEEXE", "creating archive type: ACE self-extracting"},
}};

constexpr const char* ClearedMessage = "List must be cleared to perform this operation.\r\n"
                                       "Click 'Add Files' to continue or 'Cancel'";
constexpr const char* NoProjectFolder = "Project Folder could not be found.\r\n"
                                        "Please cancel out of this form,\r\n"
                                        "then select a project folder on the main editing form.";
constexpr const char* ListUpdated = "Any changes you've made to the filelist\r\n"
                                    "are not permanent until you also\r\n"
                                    "click the Save button on the editing form.";

// The list file of `project` and `kind`; 52 for a name that would leave
// the Filelists folder.
std::string listPath(const std::string& project, const std::string& kind, bool hold)
{
    if (std::optional<std::string> path = qm::store::fileListPath(project, kind, hold))
        return *path;
    throw qm::RtError(qm::rterr::BadFileName, "Bad file name or number: \"" + project + "-" + kind + "\"");
}

bool isPlainFile(const std::string& winPath)
{
    try {
        return qm::fs::exists(winPath) && (qm::fs::fileInfo(winPath).attributes & qm::fs::attr::Archive) != 0;
    } catch (const qm::RtError&) {
        return false;
    }
}

} // namespace

bool* ListFlags::of(std::string_view kind) const
{
    if (kind == "ZIP")
        return &NewZip;
    if (kind == "ZIPEXE")
        return &NewZIPEXE;
    if (kind == "ACE")
        return &NewACE;
    if (kind == "ACEEXE")
        return &NewACEEXE;
    return nullptr;
}

std::string_view kindCaption(std::string_view kind)
{
    for (const KindText& k : KindCaptions)
        if (k.kind == kind)
            return k.caption;
    return {};
}

FileListEditor::FileListEditor(qm::app::ProgramState& state, qm::pickers::PickerForms& pickers,
                               AddFilesMembers& members, ListFlags flags)
    : members(members), state_(state), pickers_(pickers), flags_(flags)
{
}

bool FileListEditor::isZipKind() const { return members.strArchiveType == "ZIP" || members.strArchiveType == "ZIPEXE"; }
bool FileListEditor::isAceKind() const { return members.strArchiveType == "ACE" || members.strArchiveType == "ACEEXE"; }

int FileListEditor::absoluteEntries() const
{
    return static_cast<int>(std::count_if(List1.begin(), List1.end(), qm::store::isAbsoluteEntry));
}

void FileListEditor::setCheck1(bool on)
{
    if (Check1 == on)
        return;
    Check1 = on;
    List1.clear();
}

void FileListEditor::fillFrom(const std::vector<std::string>& lines)
{
    setCheck1(false);
    List1Enabled = true;
    List1 = lines;
}

// ---- Activation

void FileListEditor::Form_Activate()
{
    qm::store::Store& store = state_.store;
    lblProjectFolder = store.ProjectRecord(1)[F::ProjectFolder];
    const std::string& value = store.CurrentFilesToProcess;
    try {
        // "(all files)" means what "*" does, as the opener treats it.
        if (value == "*" || value == "(all files)") {
            setCheck1(true);
        } else if (value == qm::store::ListValue) {
            const bool* written = flags_.of(members.strArchiveType);
            const bool hold = written && *written;
            const std::vector<std::string> lines =
                qm::store::readFileList(listPath(lblProjectName, members.strArchiveType, hold));
            List1.insert(List1.end(), lines.begin(), lines.end());
        } else if (!value.empty()) {
            List1.push_back(value);
            List1Enabled = true;
        }
        // The kind is named at every opening; later activations leave it
        // after a cancelled picker.
        if (!members.CancelAdd || !activated_)
            Label3 = kindCaption(members.strArchiveType);
    } catch (const qm::RtError& e) {
        state_.ui().msgBox(qm::app::errorLines(e), mb::OKOnly);
    }
    activated_ = true;
}

// ---- Scope

void FileListEditor::clearForScope()
{
    List1.clear();
    state_.ui().msgBox(ClearedMessage, mb::OKOnly | mb::Information, "List cleared");
}

void FileListEditor::Option1_Click(int index)
{
    setCheck1(false);
    Option1 = index;
    if (List1.empty()) {
        members.FileScope = index == 0 ? "ProjectFolder" : "Systemwide";
        return;
    }
    const int absolute = absoluteEntries();
    if (index == 0) {
        // The ACE kinds take the scope and keep their entries.
        members.FileScope = "ProjectFolder";
        if (isZipKind() && absolute > 0)
            clearForScope();
    } else {
        members.FileScope = "Systemwide";
        if (absolute == 0)
            clearForScope();
    }
}

void FileListEditor::cmdAdd_Click()
{
    qm::store::Store& store = state_.store;
    store.CurrentFilesToProcess.clear();
    setCheck1(false);
    List1Enabled = true;
    const int scope = absoluteEntries() == 0 ? 0 : 1;
    if (Option1 != scope)
        Option1_Click(scope);

    const std::string& projectFolder = store.ProjectRecord(1)[F::ProjectFolder];
    const bool folderThere = !projectFolder.empty() && qm::fs::isFolder(projectFolder);
    qm::pickers::FileRequest request = qm::pickers::AddFilesRequest();
    if (members.FileScope == "ProjectFolder" && isZipKind()) {
        if (!folderThere) {
            qm::app::showError(state_.ui(), NoProjectFolder);
            return;
        }
        // Only the project folder's own files can be picked.
        request = qm::pickers::AddFilesRequest(projectFolder, false);
    } else if (members.FileScope == "Systemwide" && isAceKind() && folderThere) {
        request = qm::pickers::AddFilesRequest(projectFolder, true);
    }
    qm::pickers::AddFiles(List1, members.CancelAdd, pickers_.chooseFile(request));
    Form_Activate();
}

// ---- The list

void FileListEditor::Command1_Click(const std::vector<int>& selected)
{
    if (selected.empty()) {
        qm::app::showError(state_.ui(), "Nothing selected in list.");
        return;
    }
    std::vector<int> rows = selected;
    std::sort(rows.rbegin(), rows.rend());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows)
        if (row >= 0 && row < static_cast<int>(List1.size()))
            List1.erase(List1.begin() + row);
}

void FileListEditor::cmdClear_Click()
{
    List1.clear();
    state_.store.CurrentFilesToProcess.clear();
}

void FileListEditor::OptCloneList_Click(int index)
{
    if (index >= 0 && index < static_cast<int>(qm::store::FileListKinds.size()))
        CheckList(lblProjectName, std::string(qm::store::FileListKinds[static_cast<std::size_t>(index)]));
}

void FileListEditor::CheckList(const std::string& project, const std::string& kind)
{
    try {
        for (bool hold : {true, false}) {
            const std::string path = listPath(project, kind, hold);
            if (isPlainFile(path)) {
                fillFrom(qm::store::readFileList(path));
                return;
            }
        }
    } catch (const qm::RtError& e) {
        state_.ui().msgBox(qm::app::errorLines(e), mb::OKOnly);
        return;
    }
    state_.ui().msgBox("No file list defined for this archive type.", mb::OKOnly | mb::Information,
                       "No list found!");
}

// ---- Okay and Cancel

bool FileListEditor::cmdOkay_Click()
{
    qm::ui::UiServices& ui = state_.ui();
    std::erase_if(List1, [](const std::string& entry) {
        return qm::fs::trimSpaces(entry).empty() || entry == "\r\n";
    });
    std::string result;
    if (List1.empty()) {
        setCheck1(true);
        List1.push_back("*");
        result = "*";
    } else if (List1.size() == 1 && List1.front() == "*") {
        setCheck1(true);
        result = "*";
    } else {
        // The entries reach the working copy whole, or the dialog stays open
        // with nothing handed back.
        try {
            qm::store::writeFileList(listPath(lblProjectName, members.strArchiveType, true), List1);
        } catch (const qm::RtError& e) {
            qm::app::showError(ui, qm::app::errorLines(e));
            return false;
        }
        if (bool* written = flags_.of(members.strArchiveType))
            *written = true;
        result = qm::store::ListValue;
    }
    state_.store.CurrentFilesToProcess = result;
    ui.msgBox(ListUpdated, mb::OKOnly | mb::Information, "List updated");
    return true;
}

void FileListEditor::cmdCancel_Click() { state_.store.CurrentFilesToProcess = members.strOld; }

} // namespace qm::editor

#include "mainwindow/RecordOps.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "editor/EditorForms.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/RtError.h"
#include "platform/ui/UiServices.h"
#include "store/FileLists.h"

#include <algorithm>

namespace qm::app {

namespace {

using qm::store::Store;

constexpr std::size_t MaxNameLength = 50;

constexpr const char* IllegalName =
    "Illegal name.\r\nThe Project name is a descriptive term,\r\nnot a filename. Please try again.";

std::size_t characters(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; }));
}

// A name the Projects folder can hold as it is, and lists as it is.
bool plainName(const std::string& name)
{
    if (name.find_first_of(":<>|\"*?") != std::string::npos)
        return false;
    if (name.empty())
        return true; // told apart by the next check
    return qm::store::usableFileName(name) && name.front() != '.' && name.front() != ' ' && name.back() != ' ';
}

// The project file of a listed name; 52 for a name that would leave the
// Projects folder.
std::string projectFile(const std::string& name)
{
    if (!qm::store::usableFileName(name))
        throw qm::RtError(qm::rterr::BadFileName, "Bad file name: \"" + name + "\"");
    return Store::projectPath(name);
}

void reportRunTimeError(qm::ui::UiServices& ui, const qm::RtError& e)
{
    ui.msgBox("Error: " + std::to_string(e.number) + "\r\n" + e.description);
}

void deleteQuietly(const std::optional<std::string>& path)
{
    if (!path)
        return;
    try {
        qm::fs::deleteNamedFile(*path);
    } catch (const std::exception&) {
    }
}

// Copies project `from`'s committed file lists to project `to`; `move`
// deletes each original once its copy is made. Errors are passed over.
void copyLists(const std::string& from, const std::string& to, bool move)
{
    for (std::string_view kind : qm::store::FileListKinds) {
        const std::optional<std::string> source = qm::store::fileListPath(from, kind);
        const std::optional<std::string> target = qm::store::fileListPath(to, kind);
        if (!source || !target || !qm::fs::exists(*source))
            continue;
        try {
            qm::fs::copyFile(*source, *target);
            if (move)
                qm::fs::deleteNamedFile(*source);
        } catch (const std::exception&) {
        }
    }
}

} // namespace

NameCheck checkNewName(const std::string& name, NameFor op, const FileListBox& File1)
{
    if (!plainName(name))
        return {false, IllegalName};
    if (name.empty())
        return {false, op == NameFor::AddNew ? "Illegal name." : ""};
    if (const std::size_t n = characters(name); n > MaxNameLength)
        return {false, "Illegal name.\r\n\r\nMaximum length is 50 characters.\r\nYour entry\r\n" + name + "\r\nis " +
                           std::to_string(n) + " characters."};
    if (File1.contains(name))
        return {false, "A project named " + name + " already exists.\r\nPlease try again with a different name."};
    return {true, {}};
}

RecordOps::RecordOps(ProgramState& state, MainWindowView& view, qm::editor::EditorForms& editor)
    : state_(state), view_(view), editor_(editor)
{
}

std::optional<ListRow> RecordOps::selectOne(const std::string& purpose)
{
    const std::vector<ListRow> rows = view_.selectedRows();
    if (rows.size() > 1)
        showError(state_.ui(), "Cannot select more than one project at a time for " + purpose + ".");
    else if (rows.empty())
        showError(state_.ui(), "No project selected");
    else
        return rows.front();
    return std::nullopt;
}

std::optional<std::string> RecordOps::askName(NameFor op, const std::string& prompt, const std::string& title,
                                              const std::string& initial)
{
    const std::string name = state_.ui().inputBox(prompt, title, initial);
    // The folder as it is now, also when another program changed it.
    state_.Form1.File1.Refresh();
    const NameCheck check = checkNewName(name, op, state_.Form1.File1);
    if (!check.ok && !check.message.empty())
        showError(state_.ui(), check.message);
    return check.ok ? std::optional<std::string>(name) : std::nullopt;
}

void RecordOps::writeProjectName(const std::string& name)
{
    state_.store.WriteIni("Sources", "ProjectName", "\"" + name + "\"", state_.store.CurrentProjectIni);
}

void RecordOps::AddNew()
{
    const std::optional<std::string> name =
        askName(NameFor::AddNew, "Please enter a name for your new project (50 characters max)", "New Project", "");
    if (!name)
        return;
    try {
        state_.store.CreateProjectFile(*name);
    } catch (const qm::RtError& e) {
        reportRunTimeError(state_.ui(), e);
        return;
    }
    state_.store.CurrentProjectIni = Store::projectPath(*name);
    state_.Form1.File1.Refresh();
    view_.hideMainWindow();
    editor_.showEditor({.AddMode = true});
}

void RecordOps::EditRecord()
{
    const std::optional<ListRow> row = selectOne("editing");
    if (!row)
        return;
    state_.store.CurrentProjectIni = Store::projectPath(row->text);
    editor_.showEditor({.AddMode = false});
}

void RecordOps::DeleteRecord()
{
    std::vector<ListRow> rows = view_.selectedRows();
    if (rows.empty()) {
        showError(state_.ui(), "No project selected");
        return;
    }
    if (state_.ui().msgBox("Are you sure you want to delete the project(s)?", qm::ui::mb::YesNo,
                           "Please confirm delete!") != qm::ui::mb::Yes)
        return;
    std::sort(rows.begin(), rows.end(), [](const ListRow& a, const ListRow& b) { return a.index < b.index; });
    int removed = 0;
    for (const ListRow& row : rows) {
        // A name that would leave the Projects folder has no file to delete.
        if (qm::store::usableFileName(row.text)) {
            state_.store.CurrentProjectIni = Store::projectPath(row.text);
            deleteQuietly(state_.store.CurrentProjectIni);
            for (std::string_view kind : qm::store::FileListKinds) {
                deleteQuietly(qm::store::fileListPath(row.text, kind));
                deleteQuietly(qm::store::fileListPath(row.text, kind, true));
            }
        }
        view_.removeRow(row.index - removed++);
        view_.repaintList();
    }
    state_.Form1.File1.Refresh();
}

void RecordOps::RenameRecord()
{
    const std::optional<ListRow> row = selectOne("renaming");
    if (!row)
        return;
    const std::string old = row->text;
    state_.store.CurrentProjectIni = Store::projectPath(old);
    const std::optional<std::string> name = askName(
        NameFor::Rename, "Please enter the new name for your project (50 characters max)", "Rename Project", old);
    if (!name)
        return;
    try {
        // Moved in one step: the file is in one place or the other, never lost.
        qm::fs::renameFile(projectFile(old), Store::projectPath(*name));
    } catch (const qm::RtError& e) {
        reportRunTimeError(state_.ui(), e);
        return;
    }
    state_.store.CurrentProjectIni = Store::projectPath(*name);
    writeProjectName(*name);
    state_.Form1.File1.Refresh();
    view_.setCell(row->index, 0, *name);
    view_.repaintList();
    copyLists(old, *name, true);
}

void RecordOps::CloneRecord()
{
    const std::optional<ListRow> row = selectOne("cloning");
    if (!row)
        return;
    const std::string source = row->text;
    const std::optional<std::string> name =
        askName(NameFor::Clone, "Please enter the new name for your cloned project (50 characters max)",
                "Clone Project", "Clone of " + source);
    if (!name)
        return;
    try {
        qm::fs::copyFile(projectFile(source), Store::projectPath(*name));
    } catch (const qm::RtError& e) {
        reportRunTimeError(state_.ui(), e);
        return;
    }
    Store& store = state_.store;
    store.CurrentProjectIni = Store::projectPath(*name);
    writeProjectName(*name);
    state_.Form1.File1.Refresh();
    const std::string& file = store.CurrentProjectIni;
    view_.appendRow({store.ReadIni("Sources", "ProjectName", file, ""),
                     store.ReadIni("Files and Folders-QMT", "ZIPLastBackupDate", file, ""), "", "",
                     store.ReadIni("Files and Folders-QMT", "ProjectFolder", file, ""),
                     store.ReadIni("Files and Folders-QMT", "ZIPLastBackupFolder", file, "")});
    view_.sortByName();
    view_.repaintList();
    copyLists(source, *name, false);
}

void RecordOps::ShowDefaults()
{
    state_.store.CurrentProjectIni = Store::defaultsPath();
    editor_.showEditor({.AddMode = false, .defaults = true});
}

} // namespace qm::app

#include "editor/RecordEditor.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "editor/EditorColumns.h"
#include "editor/EditorView.h"
#include "platform/datetime/Numbers.h"
#include "platform/fs/FileOps.h"
#include "platform/ui/UiServices.h"
#include "store/FileLists.h"

#include <optional>

namespace qm::editor {

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

constexpr const char* OldVersionMessage =
    "This record apparently was created in\r\n"
    "a previous version of Quillmate.\r\n"
    "\r\n"
    "Please enter a value in 'Use Temporary File Folder'\r\n"
    "and re-save the record.";

// The group UserView names: a whole number 0 to 42, nothing otherwise.
std::optional<int> groupOf(const std::string& UserView)
{
    const std::optional<long long> n = qm::datetime::parseWholeNumber(UserView);
    if (!n || *n < 0 || *n >= GroupCount)
        return std::nullopt;
    return static_cast<int>(*n);
}

// Deletes the file of exactly that name; a failure is passed over.
void deleteQuietly(const std::string& path)
{
    try {
        qm::fs::deleteNamedFile(path);
    } catch (const std::exception&) {
    }
}

} // namespace

RecordEditor::RecordEditor(qm::app::ProgramState& state, qm::app::MainWindowView& mainWindow, EditorView& view,
                           const EditorOpening& opening)
    : AddMode(opening.AddMode), ParentForm(opening.ParentForm), state_(state), mainWindow_(mainWindow),
      view_(view), loaded_(std::make_shared<bool>(false))
{
}

RecordEditor::~RecordEditor() { *loaded_ = false; }

// ---- Window events

void RecordEditor::Form_Load()
{
    qm::store::Store& store = state_.store;
    state_.ui().busyPointer();
    NewZip = NewZIPEXE = NewACE = NewACEEXE = false;
    view_.setItemCount(0);
    store.LoadProject();
    view_.setItemCount(store.RecordCount);
    view_.selectTab(store.UserOptionsRecord(1).UserDefaultCompression == "ACE" ? 1 : 0);
    *loaded_ = true;
    state_.ui().singleShot(1000, [this, loaded = loaded_] {
        if (*loaded)
            Timer1_Timer();
    });
}

void RecordEditor::Form_Activate()
{
    state_.ui().normalPointer();
    mainWindow_.hideMainWindow();
}

void RecordEditor::Timer1_Timer()
{
    auto select = [this](int group) {
        if (selectGroup)
            selectGroup(group);
    };
    qm::store::Store& store = state_.store;
    if (std::optional<int> group = groupOf(store.UserOptionsRecord(1).UserView))
        select(*group);
    if (!AddMode && store.ProjectRecord(1)[F::UseTempFolder].empty()) {
        select(RequiredGroup);
        state_.ui().msgBox(OldVersionMessage, mb::OKOnly | mb::Information, "Old Version");
    }
}

void RecordEditor::Form_Unload()
{
    *loaded_ = false;
    AddMode = false;
    mainWindow_.showMainWindow();
}

// ---- Buttons

void RecordEditor::cmdSave_Click()
{
    view_.reReadGrid();
    try {
        state_.store.SaveProject();
    } catch (const std::exception& e) {
        qm::app::showError(state_.ui(), std::string("Error saving the data: \r\n\r\n") + e.what());
        return;
    }
    state_.ui().msgBox("Project data saved successfully.", mb::OKOnly | mb::Information, "Success!");
    view_.closeWindow();
    state_.Form1.File1.Refresh();
    mainWindow_.rebuildList();
}

void RecordEditor::cmdClose_Click()
{
    qm::store::Store& store = state_.store;
    const std::string name = store.ProjectRecord(1)[F::ProjectName];
    const bool deleteHolds = !AddMode || store.CurrentProjectIni != qm::store::Store::defaultsPath();
    if (AddMode && deleteHolds)
        deleteQuietly(store.CurrentProjectIni);
    if (deleteHolds)
        for (std::string_view kind : qm::store::FileListKinds)
            if (std::optional<std::string> hold = qm::store::fileListPath(name, kind, true))
                deleteQuietly(*hold);
    view_.closeWindow();
    state_.Form1.File1.Refresh();
    store.CurrentProjectIni.clear();
}

void RecordEditor::cmdHelp_Click()
{
    view_.focusGrid();
    if (showHelp)
        showHelp(view_.helpContext());
}

// ---- GridEX1's notifications

void RecordEditor::GridEX1_SelectionChange(int column)
{
    if (const int context = helpContextOf(column))
        view_.setHelpContext(context);
}

void RecordEditor::GridEX1_AfterColEdit(int)
{
    view_.reReadGrid();
    view_.repaintGrid();
}

bool RecordEditor::GridEX1_BeforeColEdit(int) { return true; }

void RecordEditor::GridEX1_ColButtonClick(int) {}

} // namespace qm::editor

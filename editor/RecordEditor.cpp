#include "editor/RecordEditor.h"

#include "app/ErrorBox.h"
#include "app/MainWindowView.h"
#include "app/ProgramState.h"
#include "app/ValueLimit.h"
#include "editor/EditorColumns.h"
#include "editor/EditorView.h"
#include "editor/SaveRecord.h"
#include "platform/datetime/Numbers.h"
#include "platform/fs/FileOps.h"
#include "platform/ui/UiServices.h"
#include "store/FileLists.h"

#include <optional>

namespace qm::editor {

using qm::app::refuseOverlongField;

namespace {

using F = qm::store::ProjectField;
namespace mb = qm::ui::mb;

constexpr const char* OldVersionMessage =
    "This record apparently was created in\r\n"
    "a previous version of Quillmate.\r\n"
    "\r\n"
    "Please enter a value in 'Use Temporary File Folder'\r\n"
    "and re-save the record.";

constexpr const char* DefaultsInserted = "Defaults added succcessfully!\r\n"
                                         "\r\n"
                                         "Click the save button\r\n"
                                         "to store your new values permanently.\r\n"
                                         "\r\n"
                                         "If you get an error message, you will need\r\n"
                                         "to enter values in certain required fields as prompted.";

constexpr const char* SaveFailed = "Error saving the data: \r\n\r\n";

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
                           qm::pickers::PickerForms& pickers, EditorDialogs& dialogs, const EditorOpening& opening)
    : AddMode(opening.AddMode), ParentForm(opening.ParentForm), state_(state), mainWindow_(mainWindow),
      view_(view), pickers_(pickers), dialogs_(dialogs), loaded_(std::make_shared<bool>(false))
{
    selectGroup = [this](int index) {
        view_.setGroupButton(index, true);
        Option1_Click(index);
    };
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
    asLoaded_ = store.ProjectRecord(1);
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
    qm::store::Store& store = state_.store;
    qm::ui::UiServices& ui = state_.ui();
    // A cell whose value was refused holds what the user typed, not the record.
    if (!view_.reReadGrid())
        return;
    qm::store::ProjectRecord& record = store.ProjectRecord(1);
    const bool defaults = store.CurrentProjectIni == qm::store::Store::defaultsPath();
    if (!defaults)
        if (std::optional<std::string> missing = missingRequiredValue(record)) {
            qm::app::showError(ui, *missing);
            return;
        }
    if (std::optional<ExtensionQuestion> q = missingExtension(record, defaults)) {
        if (ui.msgBox(std::string(q->message), mb::OKCancel, "Error!") != mb::OK)
            return;
        record[q->field] += q->extension;
        view_.reReadGrid();
    }
    if (std::optional<std::string> refused = folderFormError(record, defaults)) {
        qm::app::showError(ui, *refused);
        return;
    }
    // Every road into the record refuses a value the file would cut; this
    // catches what none of them saw (an extension added just above).
    for (const qm::ui::GridColumn& column : EditorColumns)
        if (refuseOverlongField(ui, column.caption, record.field(column.field)))
            return;
    // The record first: when it cannot be written, no list is touched.
    try {
        store.SaveProjectKeepingStamps(asLoaded_);
    } catch (const std::exception& e) {
        qm::app::showError(ui, SaveFailed + std::string(e.what()));
        return;
    }
    const std::optional<qm::RtError> failed = commitFileLists(record, {NewZip, NewZIPEXE, NewACE, NewACEEXE});
    if (!failed || failed->number == qm::rterr::FileNotFound)
        ui.msgBox("Project data saved successfully.", mb::OKOnly | mb::Information, "Success!");
    else
        qm::app::showError(ui, SaveFailed + failed->description);
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

void RecordEditor::cmdInsDefaults_Click()
{
    qm::ui::UiServices& ui = state_.ui();
    view_.reReadGrid();
    qm::store::ProjectRecord& record = state_.store.ProjectRecord(1);
    if (ui.msgBox("Do you want to overwrite the current values for " + record[F::ProjectName] + "?", mb::YesNo,
                  "Warning!") != mb::Yes)
        return;
    qm::store::ProjectRecord defaults;
    try {
        defaults = qm::store::Store::readProject(qm::store::Store::defaultsPath());
    } catch (const qm::RtError& e) {
        qm::app::showError(ui, "There was an error inserting the default values: \r\n" + e.description);
        return;
    }
    for (int f = 0; f < qm::store::ProjectFieldCount; ++f) {
        const auto field = static_cast<F>(f);
        if (field != F::ProjectName && field != F::Unused167 && field != F::AutoBackupFormat)
            record[field] = defaults[field];
    }
    view_.reReadGrid();
    ui.msgBox(DefaultsInserted, mb::OKOnly | mb::Information, "Default values insertion complete");
}

// ---- The group buttons

void RecordEditor::Option1_Click(int index)
{
    const bool qmtPage = index >= 0 && index <= RequiredGroup;
    const bool acePage = index > RequiredGroup && index < GroupCount;
    for (int g = 0; g < GroupCount; ++g)
        if ((qmtPage && g > RequiredGroup) || (acePage && g <= RequiredGroup))
            view_.setGroupButton(g, false);
    GetColumns();
}

void RecordEditor::Option1_MouseDown(int index, int button)
{
    if (button == 2)
        GetComments(index);
}

void RecordEditor::GetColumns()
{
    qm::ui::UiServices& ui = state_.ui();
    ui.busyPointer();
    for (int g : GroupSearchOrder)
        if (view_.groupButton(g)) {
            const auto& shows = Groups[static_cast<std::size_t>(g)].shows;
            view_.setColumnsVisible(std::span<const bool>(shows).subspan(1));
            break;
        }
    ui.normalPointer();
}

// ---- GridEX1's notifications

void RecordEditor::GridEX1_SelectionChange(int column)
{
    if (const int context = helpContextOf(column))
        view_.setHelpContext(context);
}

bool RecordEditor::GridEX1_BeforeColUpdate(int column, const std::string& value)
{
    return !refuseOverlongField(state_.ui(), EditorColumns[static_cast<std::size_t>(column - 1)].caption, value);
}

void RecordEditor::GridEX1_AfterColEdit(int)
{
    view_.reReadGrid();
    view_.repaintGrid();
}

} // namespace qm::editor

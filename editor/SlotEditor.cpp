#include "editor/SlotEditor.h"

#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "app/ValueLimit.h"
#include "editor/EditorView.h"

namespace qm::editor {

using qm::app::refuseOverlong;

namespace {

using F = qm::store::ProjectField;

constexpr const char* NoDrive = "The pathname field is incorrectly formatted.\r\n"
                                "\r\n"
                                "It is missing the drive designation character (colon);\r\n"
                                "(e.g., C:\\MyFolder)";
constexpr const char* NoDelimiter = "The pathname fields is incorrectly formatted.\r\n"
                                    "\r\n"
                                    "It is missing the folder delimiter ('\\' character)";
constexpr const char* NoItemChosen =
    "No item number is selected from the drop-down box to the right of the 'Remove item #' button.";
constexpr const char* IncompleteAssociation = "Cannot save a file extension association\r\n"
                                              "without all three required fields.\r\n"
                                              "\r\n"
                                              "Please re-enter or clear the fields for Item #";
constexpr const char* IncompleteItem = "Cannot save a group item\r\n"
                                       "without both required fields.\r\n"
                                       "\r\n"
                                       "Please re-enter or clear the fields for Item #";

std::vector<std::string> split(const std::string& text, char at)
{
    std::vector<std::string> out;
    std::size_t begin = 0;
    for (std::size_t i = text.find(at); i != std::string::npos; i = text.find(at, begin)) {
        out.push_back(text.substr(begin, i - begin));
        begin = i + 1;
    }
    out.push_back(text.substr(begin));
    return out;
}

bool has(const std::string& text, char c) { return text.find(c) != std::string::npos; }

} // namespace

SlotEditor::SlotEditor(qm::app::ProgramState& state, EditorView& editor, SlotKind kind)
    : state_(state), editor_(editor), kind_(kind)
{
    const std::string& name = state_.store.ProjectRecord(1)[F::ProjectName];
    const bool defaults = state_.store.CurrentProjectIni == qm::store::Store::defaultsPath();
    if (kind_ == SlotKind::Extensions) {
        caption = defaults ? "Creating/Editing default file extension associations"
                           : "Creating/Editing file extension associations for " + name;
    } else {
        caption = defaults ? "Creating/Editing Default settings" : "Creating/Editing Program items for " + name;
        Label15 = defaults ? "Default Settings" : name;
    }
    const std::size_t n = static_cast<std::size_t>(parts());
    Text1.assign(SlotCount * n, "");
    const std::string& stored = field();
    if (stored.empty())
        return;
    const std::vector<std::string> items = split(stored, '\r');
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i >= SlotCount) {
            beyond_.push_back(items[i]);
            continue;
        }
        const std::vector<std::string> itemParts = split(items[i], '|');
        for (std::size_t p = 0; p < n && p < itemParts.size(); ++p)
            Text1_Change(static_cast<int>(i * n + p), itemParts[p]);
    }
}

std::string& SlotEditor::field()
{
    return state_.store.ProjectRecord(1)[kind_ == SlotKind::Extensions ? F::SFXAssociateExtension
                                                                        : F::SFXAddGroupItemDescription];
}

bool SlotEditor::isExtensionBox(int index) const { return kind_ == SlotKind::Extensions && index % 3 == 1; }

bool SlotEditor::isPathnameBox(int index) const
{
    return kind_ == SlotKind::Extensions ? index % 3 == 2 : index % 2 == 0;
}

bool SlotEditor::Text1_Change(int index, const std::string& text)
{
    if (index < 0 || index >= static_cast<int>(Text1.size()))
        return false;
    std::string& box = Text1[static_cast<std::size_t>(index)];
    box = text;
    if (!isExtensionBox(index) || box.empty())
        return false;
    const auto first = static_cast<unsigned char>(box.front());
    if (first >= 65 && first <= 122)
        return false;
    qm::app::showError(state_.ui(), "Illegal character");
    box.clear();
    return true;
}

void SlotEditor::Text1_LostFocus(int index, const std::function<void()>& focusBack)
{
    if (checking_ || !isPathnameBox(index) || index >= static_cast<int>(Text1.size()))
        return;
    const std::string& path = Text1[static_cast<std::size_t>(index)];
    const char* refused = nullptr;
    if (path.empty())
        return;
    if (!has(path, '%') && !has(path, ':'))
        refused = NoDrive;
    else if (!has(path, '\\'))
        refused = NoDelimiter;
    if (!refused)
        return;
    // The box showing its message, and taking the focus back, makes other
    // boxes lose it: those are not checked meanwhile.
    checking_ = true;
    qm::app::showError(state_.ui(), refused);
    if (focusBack)
        focusBack();
    checking_ = false;
}

void SlotEditor::cmdGo_Click()
{
    if (Combo1.empty()) {
        qm::app::showError(state_.ui(), NoItemChosen);
        return;
    }
    for (int k = 1; k <= SlotCount; ++k) {
        if (Combo1 != "0" + std::to_string(k))
            continue;
        for (int p = 0; p < parts(); ++p)
            Text1[static_cast<std::size_t>((k - 1) * parts() + p)].clear();
    }
}

std::string SlotEditor::packed() const
{
    std::vector<std::string> items;
    const std::size_t n = static_cast<std::size_t>(parts());
    for (std::size_t k = 0; k < SlotCount; ++k) {
        std::string item;
        bool complete = true;
        for (std::size_t p = 0; p < n; ++p) {
            const std::string& box = Text1[k * n + p];
            complete = complete && !box.empty();
            item += (p ? "|" : "") + box;
        }
        if (complete)
            items.push_back(item);
    }
    items.insert(items.end(), beyond_.begin(), beyond_.end());
    std::string out;
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "\r" : "") + items[i];
    return out;
}

bool SlotEditor::cmdSave_Click()
{
    const std::size_t n = static_cast<std::size_t>(parts());
    for (std::size_t k = 0; k < SlotCount; ++k) {
        std::size_t filled = 0;
        for (std::size_t p = 0; p < n; ++p)
            filled += !Text1[k * n + p].empty();
        if (filled != 0 && filled != n) {
            qm::app::showError(state_.ui(), (kind_ == SlotKind::Extensions ? IncompleteAssociation : IncompleteItem) +
                                                std::to_string(k + 1));
            return false;
        }
    }
    const std::string list = packed();
    if (refuseOverlong(state_.ui(),
                       kind_ == SlotKind::Extensions ? "The list of file associations" : "The list of program group items",
                       list))
        return false;
    field() = list;
    editor_.reReadGrid();
    return true;
}

} // namespace qm::editor

#pragma once
// The logic of the self-extractor's two list editors, which share it:
// frmExtensions (the file associations, SFXAssociateExtension: eight slots
// of description, extension and pathname) and frmProgramGroup (the program
// group items, SFXAddGroupItemDescription: eight slots of pathname and
// display name). The list is one text in the record, an item per filled
// slot joined by a single CR, its parts by "|". Save writes it into the
// record in memory and makes the editor's card show it.
//
// One object is one opening; the boxes Text1 live here as plain data, which
// the form shows after every call. Nothing is trimmed: a box of spaces is
// filled.
#include <functional>
#include <string>
#include <vector>

namespace qm::app {
class ProgramState;
}

namespace qm::editor {

class EditorView;

enum class SlotKind { Extensions, ProgramGroup };

inline constexpr int SlotCount = 8;

class SlotEditor {
public:
    // Loading: the caption (and Label15) by the record, defaults or project,
    // and the stored items in the first slots. Stored items beyond the
    // eighth are kept as they are and written after the slots by Save.
    SlotEditor(qm::app::ProgramState& state, EditorView& editor, SlotKind kind);

    SlotKind kind() const { return kind_; }
    // Boxes per slot: 3 for the associations, 2 for the group items.
    int parts() const { return kind_ == SlotKind::Extensions ? 3 : 2; }
    // The associations' extension boxes (1, 4, ...), and the pathname boxes:
    // the associations' last (2, 5, ...), the group items' first (0, 2, ...).
    bool isExtensionBox(int index) const;
    bool isPathnameBox(int index) const;

    std::string ParentForm; // the opener's name; not acted on

    // ---- The controls
    std::string caption;
    std::string Label15;             // frmProgramGroup: the record's name
    std::vector<std::string> Text1;  // slot k's boxes from parts() * (k - 1)
    std::string Combo1;              // "Remove item #": "01" to "08", or typed

    // Box `index` now holds `text`. An extension that does not begin with a
    // letter (character codes 65 to 122) is refused with "Illegal
    // character" and the box emptied; true then.
    bool Text1_Change(int index, const std::string& text);
    // A pathname box lost the focus: a pathname without a drive (":") or
    // macro ("%"), or without a "\", is refused with its message and
    // `focusBack` returns the focus to the box. A focus lost while that
    // happens is not checked.
    void Text1_LostFocus(int index, const std::function<void()>& focusBack);
    // Remove item #: the slot Combo1 names emptied.
    void cmdGo_Click();
    // Save: refused (false) while a slot is filled in part, naming the
    // first, or while the list is longer than a project file keeps whole;
    // otherwise the list is stored and the card read afresh.
    bool cmdSave_Click();

    // The list the slots give, the items kept beyond the eighth after them.
    std::string packed() const;

private:
    std::string& field();

    qm::app::ProgramState& state_;
    EditorView& editor_;
    SlotKind kind_;
    std::vector<std::string> beyond_;
    bool checking_ = false;
};

} // namespace qm::editor

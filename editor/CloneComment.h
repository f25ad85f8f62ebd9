#pragma once
// The logic of frmCloneComment, "Re-Use Comment": the archive comment of
// one kind of the project in the record editor, or a comment typed anew,
// copied into the comment fields of other kinds. It writes into the record
// in memory and makes the editor's card show it; the record's Save writes
// the file. One object is one opening; the controls live here as plain
// data, which the form shows after every call.
#include <array>
#include <optional>
#include <string>

namespace qm::app {
class ProgramState;
}

namespace qm::editor {

class EditorView;

// The comment kinds: source buttons 0 to 3 and destination boxes Check1 to
// Check4; source button 4 is the comment typed into txtComment.
inline constexpr int CommentKinds = 4;
inline constexpr int NewCommentSource = 4;

// The source button of a "Comments" group button (4, 12, 29, 36); nothing
// for any other index.
std::optional<int> commentSourceOf(int groupIndex);

// What the box shows for a kind without a comment.
inline constexpr const char* NoCommentShown = "(no comment has been saved for this archive type)";

class CloneComment {
public:
    // Loading: the project's name in lblProjectName.
    CloneComment(qm::app::ProgramState& state, EditorView& editor);

    // ---- The controls
    std::string lblProjectName;
    std::optional<int> Option1;          // the source button on
    std::string txtComment;              // line breaks as CR LF
    bool txtCommentEnabled = false;
    bool focusComment = false;           // txtComment is to take the focus
    std::array<bool, CommentKinds> Check{}; // Check1 to Check4

    // Source button `k` chosen: the kind's comment shown (read only), or for
    // the new comment an empty box ready for typing.
    void Option1_Click(int k);
    // Destination box `k` (0 for Check1) set to `checked`; the source's own
    // kind is refused with ShowSame.
    void Check_Click(int k, bool checked);
    void txtComment_LostFocus();
    void ShowSame();
    // Clone: the source (a kind's comment as stored, or the new comment
    // without surrounding spaces) into every checked kind, the card read
    // afresh, "Done!". An empty source, or one longer than a project file
    // keeps whole, is refused and the dialog stays open (false).
    bool Command2_Click();

private:
    qm::app::ProgramState& state_;
    EditorView& editor_;
};

} // namespace qm::editor

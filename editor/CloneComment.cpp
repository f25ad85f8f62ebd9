#include "editor/CloneComment.h"

#include "app/ErrorBox.h"
#include "app/ProgramState.h"
#include "app/ValueLimit.h"
#include "editor/EditorView.h"
#include "platform/fs/Text.h"
#include "platform/profile/IniDocument.h"
#include "platform/ui/UiServices.h"

namespace qm::editor {

using qm::app::refuseOverlong;

namespace {

using F = qm::store::ProjectField;

// The comment field of each kind: QMT (ZIP), EXE (ZIP), ACE, EXE (ACE).
constexpr std::array<F, CommentKinds> CommentFields{F::ZIPComments, F::SFXComments, F::ACEComments,
                                                    F::ACESFXComments};
constexpr std::array<int, CommentKinds> CommentGroups{4, 12, 29, 36};

constexpr const char* DoneMessage = "Comment field(s) updated.\r\n"
                                    "\r\n"
                                    "NOTE: This updates the comment field text,\r\n"
                                    "but you must still save the record\r\n"
                                    "after making any other changes you need.";

} // namespace

std::optional<int> commentSourceOf(int groupIndex)
{
    for (int k = 0; k < CommentKinds; ++k)
        if (CommentGroups[static_cast<std::size_t>(k)] == groupIndex)
            return k;
    return std::nullopt;
}

CloneComment::CloneComment(qm::app::ProgramState& state, EditorView& editor) : state_(state), editor_(editor)
{
    lblProjectName = state_.store.ProjectRecord(1)[F::ProjectName];
}

void CloneComment::Option1_Click(int k)
{
    if (k < 0 || k > NewCommentSource)
        return;
    Option1 = k;
    focusComment = false;
    if (k == NewCommentSource) {
        txtCommentEnabled = true;
        txtComment.clear();
        focusComment = true;
        return;
    }
    txtComment = state_.store.ProjectRecord(1)[CommentFields[static_cast<std::size_t>(k)]];
    txtCommentEnabled = false;
    if (txtComment.empty())
        txtComment = NoCommentShown;
}

void CloneComment::Check_Click(int k, bool checked)
{
    if (k < 0 || k >= CommentKinds)
        return;
    Check[static_cast<std::size_t>(k)] = checked;
    if (checked && Option1 == k) {
        ShowSame();
        Check[static_cast<std::size_t>(k)] = false;
    }
}

void CloneComment::txtComment_LostFocus() { txtCommentEnabled = false; }

void CloneComment::ShowSame()
{
    qm::app::showError(state_.ui(), "Comment Clone TO must not be the same as Comment Clone FROM.");
}

bool CloneComment::Command2_Click()
{
    qm::store::ProjectRecord& record = state_.store.ProjectRecord(1);
    std::string source;
    if (Option1 && *Option1 < CommentKinds)
        source = record[CommentFields[static_cast<std::size_t>(*Option1)]];
    else if (Option1 == NewCommentSource)
        // As the card stores line breaks: a single CR each.
        source = qm::profile::storedValue(qm::fs::trimSpaces(txtComment));
    if (qm::fs::trimSpaces(source).empty()) {
        qm::app::showError(state_.ui(), "No comment saved for this archive type.");
        return false;
    }
    if (refuseOverlong(state_.ui(), "The comment", source))
        return false;
    for (int k = 0; k < CommentKinds; ++k)
        if (Check[static_cast<std::size_t>(k)])
            record[CommentFields[static_cast<std::size_t>(k)]] = source;
    editor_.reReadGrid();
    state_.ui().msgBox(DoneMessage, qm::ui::mb::OKOnly | qm::ui::mb::Information, "Done!");
    return true;
}

} // namespace qm::editor

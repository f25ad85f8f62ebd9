#include "pickers/PickDir.h"

#include "app/FileListBox.h"
#include "pickers/TreeKeys.h"
#include "platform/fs/Errors.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/WinPath.h"
#include "platform/ui/UiServices.h"

#include <optional>

namespace qm::pickers {

namespace mb = qm::ui::mb;

namespace {

// The common end's report of a failure; nothing for "no node" (91, 424).
void reportFailure(qm::ui::UiServices& ui, const std::optional<qm::RtError>& e)
{
    if (!e || e->number == 0 || e->number == 91 || e->number == 424)
        return;
    ui.msgBox(ErrorText(*e) + "\r\n\r\nOr not a valid filename.",
              mb::OKOnly | mb::Critical, "Error!");
}

void refuse(qm::ui::UiServices& ui, std::string_view message)
{
    ui.msgBox(std::string(message), mb::OKOnly | mb::Critical, "Error!");
}

} // namespace

std::string loadPattern(const std::string& ParentForm)
{
    return ParentForm == "Form1" || ParentForm == "UserOptions" ? "*.exe" : "*.*";
}

PickDirOkay pickDirLocal(qm::ui::UiServices& ui, const FileRequest& request, const qm::app::FileListBox& list,
                         bool treeEnabled, const std::string& treeKey)
{
    PickDirOkay result;
    result.close = true;
    std::vector<std::string> entries;
    if (request.ParentForm != "frmAddFiles") {
        for (const std::string& name : list.selectedNames())
            entries.push_back(qm::fs::joinPath(list.Path(), name));
        result.answer = FileAnswer::okay(std::move(entries));
        return result;
    }
    std::optional<qm::RtError> failure;
    int count = 0;
    for (const std::string& name : list.selectedNames()) {
        ++count;
        if (name.find_first_of("\r\n") != std::string::npos) {
            failure = qm::fs::makeRtError(qm::rterr::BadFileName, name);
            continue;
        }
        entries.push_back(treeEnabled ? qm::fs::joinPath(list.Path(), name) : name);
    }
    if (treeEnabled && count == 0) {
        try {
            if (KeyAttributes(treeKey) & qm::fs::attr::Directory)
                entries.push_back(treeKey + "\\*.*");
        } catch (const qm::RtError& e) {
            failure = e;
        }
    }
    reportFailure(ui, failure);
    result.answer = FileAnswer::okay(std::move(entries));
    return result;
}

PickDirOkay pickDirNetwork(qm::ui::UiServices& ui, const FileRequest& request, const std::string& key)
{
    PickDirOkay result;
    try {
        if (KeyAttributes(key) & qm::fs::attr::Directory) {
            refuse(ui, SelectFileMessage);
            return result;
        }
        if (request.ParentForm == "UserOptions" && (request.GridColumn == 1 || request.GridColumn == 2)) {
            const std::string ext = qm::fs::foldCase(key.size() > 4 ? key.substr(key.size() - 4) : key);
            if (ext != ".exe") {
                refuse(ui, request.GridColumn == 1 ? NotArchiverMessage : NotFavoriteMessage);
                return result;
            }
        }
        result.answer = FileAnswer::okay({key}, true);
    } catch (const qm::RtError& e) {
        reportFailure(ui, e);
        result.answer = FileAnswer{};
    }
    result.close = true;
    return result;
}

} // namespace qm::pickers

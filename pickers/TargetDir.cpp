#include "pickers/TargetDir.h"

#include "pickers/TreeKeys.h"
#include "platform/fs/Errors.h"
#include "platform/fs/FileOps.h"
#include "platform/ui/UiServices.h"

namespace qm::pickers {

namespace mb = qm::ui::mb;

TargetDirOkay targetDirOkay(qm::ui::UiServices& ui, const std::string& key)
{
    TargetDirOkay result;
    try {
        if (!(KeyAttributes(key) & qm::fs::attr::Directory)) {
            ui.msgBox(std::string(NotAFolderMessage), mb::OKOnly | mb::Critical, "Error!");
            return result;
        }
        result.answer = FolderAnswer::okay(key);
    } catch (const qm::RtError& e) {
        ui.msgBox(ErrorText(e), mb::OKOnly);
        result.answer = FolderAnswer{};
    }
    result.close = true;
    return result;
}

std::optional<std::string> newFolderText(qm::ui::UiServices& ui, const std::string& key)
{
    if (key.empty()) {
        ui.msgBox(std::string(NoNodeMessage), mb::OKOnly | mb::Critical, "Error!");
        return std::nullopt;
    }
    return key.back() == '\\' ? key : key + "\\";
}

bool makeNewFolder(qm::ui::UiServices& ui, const std::string& Text1)
{
    try {
        if (!isPathKey(Text1))
            throw qm::fs::makeRtError(qm::rterr::BadFileName, Text1);
        qm::fs::makeFolder(Text1);
    } catch (const qm::RtError& e) {
        ui.msgBox(ErrorText(e), mb::OKOnly | mb::Critical, "Error!");
        return false;
    }
    ui.msgBox(std::string(FolderCreatedMessage), mb::OKOnly | mb::Information, "Folder created");
    return true;
}

} // namespace qm::pickers

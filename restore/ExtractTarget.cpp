#include "restore/ExtractTarget.h"

#include "app/ErrorBox.h"
#include "pickers/TargetDir.h"
#include "pickers/TreeKeys.h"
#include "platform/fs/Errors.h"
#include "platform/fs/FileOps.h"
#include "platform/ui/UiServices.h"

namespace qm::restore {

namespace mb = qm::ui::mb;

std::optional<std::string> extractTargetOkay(qm::ui::UiServices& ui, const std::string& key,
                                             const std::string& Label3)
{
    // The label invites Okay for the folder it shows; a node chosen in the
    // tree takes its place.
    const std::string path = key.empty() ? Label3 : key;
    if (path.empty()) {
        // Nothing chosen and nothing shown (an archive opened by its path).
        qm::app::showError(ui, std::string(qm::pickers::NoNodeMessage));
        return std::nullopt;
    }
    try {
        if (qm::pickers::KeyAttributes(path) & qm::fs::attr::Directory)
            return path;
        qm::app::showError(ui, "Please select a foldername (directory), not a filename.");
    } catch (const std::exception& e) {
        qm::app::showError(ui, qm::app::errorLines(e, "") + "\r\n\r\nOr not a valid filename.");
    }
    return std::nullopt;
}

std::optional<std::string> makeExtractFolder(qm::ui::UiServices& ui, const std::string& Text1)
{
    try {
        if (!qm::pickers::isPathKey(Text1))
            throw qm::fs::makeRtError(qm::rterr::BadFileName, Text1);
        qm::fs::makeFolder(Text1);
    } catch (const std::exception& e) {
        qm::app::showError(ui, qm::app::errorLines(e, "Error number: "));
        return std::nullopt;
    }
    ui.msgBox("Folder created successfully.\r\nTarget folder re-set to\r\n\r\n" + Text1 +
                  "\r\n\r\nPlease note that this change is not permanent.\r\nTo make it so, you must edit the "
                  "project record.\r\nThe edit screen is accessed from the Quillmate main menu.",
              mb::OKOnly | mb::Information, "Folder Created");
    return Text1;
}

} // namespace qm::restore

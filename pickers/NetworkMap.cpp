#include "pickers/NetworkMap.h"

#include "app/ErrorBox.h"
#include "pickers/TargetDir.h"
#include "pickers/TreeKeys.h"
#include "platform/fs/Drives.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/RtError.h"
#include "platform/net/Connections.h"
#include "platform/ui/UiServices.h"

namespace qm::pickers {

namespace mb = qm::ui::mb;
using qm::app::showError;

bool networkMapOkay(qm::ui::UiServices& ui, const std::string& key)
{
    bool folder = false;
    try {
        folder = (KeyAttributes(key) & qm::fs::attr::Directory) != 0;
    } catch (const qm::RtError&) {
        folder = false;
    }
    if (!folder)
        showError(ui, std::string(NotAFolderMessage));
    return folder;
}

bool unmapDriveOkay(qm::ui::UiServices& ui, const std::string& key)
{
    try {
        if (key.empty())
            throw NoNodeError();
        if (key == "My Computer" || key == "Desktop") {
            showError(ui, key + std::string(NotASelectionText));
            return false;
        }
        const std::string drivePart = key.substr(0, 3);
        if (qm::fs::driveType(drivePart) != qm::fs::drivetype::Remote) {
            showError(ui, drivePart + std::string(NotANetworkDriveText));
            return false;
        }
        const int result = qm::net::cancelConnection(key.substr(0, 1) + ":", qm::net::ConnectUpdateProfile, false);
        if (result != qm::net::neterr::NoError) {
            showError(ui, std::string(NotUnmappedText) + "\r\n" + qm::net::connectionErrorText(result));
            return false;
        }
        ui.msgBox(std::string(UnmappedMessage), mb::OKOnly | mb::Information, "Success!");
        return true;
    } catch (const qm::RtError& e) {
        ui.msgBox(ErrorText(e), mb::OKOnly);
        return false;
    }
}

} // namespace qm::pickers

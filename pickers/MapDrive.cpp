#include "pickers/MapDrive.h"

#include "app/ErrorBox.h"
#include "pickers/TreeKeys.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/RtError.h"
#include "platform/fs/Text.h"
#include "platform/net/Connections.h"
#include "platform/ui/UiServices.h"
#include "store/SystemLookups.h"

namespace qm::pickers {

namespace mb = qm::ui::mb;
using qm::app::showError;

std::optional<MapDriveOpening> mapDriveOpening(qm::ui::UiServices& ui, const std::string& hostName,
                                               const std::string& key)
{
    try {
        if (key.empty()) {
            showError(ui, std::string(NoNetworkNodeMessage));
            return std::nullopt;
        }
        if (key == "_ROOT" || key == "Microsoft Windows Network") {
            showError(ui, key + std::string(NotAChoiceText));
            return std::nullopt;
        }
        const std::string root = qm::store::NextFreeDrive();
        if (root.empty()) {
            showError(ui, qm::store::NoFreeDriveMessage);
            return std::nullopt;
        }
        return MapDriveOpening{root.substr(0, 1), key, hostName};
    } catch (const qm::RtError& e) {
        ui.msgBox(ErrorText(e), mb::OKOnly);
        return std::nullopt;
    }
}

MapDriveLoad mapDriveLoad(const std::string& DrvLtr)
{
    MapDriveLoad load;
    if (DrvLtr.size() == 1 && DrvLtr[0] >= 'A' && DrvLtr[0] <= 'Z')
        for (char letter = DrvLtr[0]; letter <= 'Z'; ++letter)
            load.letters.emplace_back(1, letter);
    load.Label1 = std::string(FirstLetterCaption) + " " + DrvLtr;
    load.Combo1 = DrvLtr;
    return load;
}

bool mapDriveOkay(qm::ui::UiServices& ui, const std::string& Combo1, const std::string& lblNetworkPath,
                  const std::string& txtUsername, const std::string& txtPassword)
{
    try {
        const std::string letter(qm::fs::trimSpaces(Combo1));
        if (letter.empty()) {
            showError(ui, std::string(NoLetterMessage));
            return false;
        }
        if (!(KeyAttributes(lblNetworkPath) & qm::fs::attr::Directory)) {
            showError(ui, std::string(NoNetworkPathMessage));
            return false;
        }
        const std::string user(qm::fs::trimSpaces(txtUsername));
        const std::string password(qm::fs::trimSpaces(txtPassword));
        if (user.empty() != password.empty()) {
            showError(ui, std::string(LoginPairMessage));
            return false;
        }
        std::optional<std::string> givenUser, givenPassword; // none: the current log-in
        if (!user.empty()) {
            givenUser = user;
            givenPassword = password;
        }
        const int result = qm::store::MapNetworkDriveResult(letter, lblNetworkPath, givenPassword, givenUser);
        if (result == qm::net::neterr::NoError)
            ui.msgBox(std::string(MappedMessage), mb::OKOnly | mb::Information, "Success!");
        else
            showError(ui, std::string(NotMappedText) + "\r\n" + qm::net::connectionErrorText(result));
    } catch (const qm::RtError& e) {
        ui.msgBox(ErrorText(e), mb::OKOnly);
    }
    return true;
}

bool reloadsOpener(const std::string& ParentForm)
{
    return ParentForm == "ChooseTargetDir" || ParentForm == "PickDirFrm";
}

} // namespace qm::pickers

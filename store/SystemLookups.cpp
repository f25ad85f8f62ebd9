#include "store/SystemLookups.h"

#include "platform/datetime/Numbers.h"
#include "platform/fs/Drives.h"
#include "platform/net/Connections.h"
#include "platform/registry/Registry.h"
#include "platform/ui/UiServices.h"

namespace qm::store {

std::string RegValueText(const RegValue& value)
{
    if (const auto* n = std::get_if<std::int32_t>(&value))
        return std::to_string(*n);
    return std::get<std::string>(value);
}

RegValue GetRegValue(std::uint32_t rootKey, const std::string& subKey, const std::string& valueName)
{
    try {
        if (!registry::keyExists(rootKey, subKey))
            return std::string();
        auto value = registry::queryValue(rootKey, subKey, valueName);
        if (!value)
            return std::string();
        const std::string& data = value->data;
        switch (value->type) {
        case registry::regtype::Sz:
            return data.substr(0, data.find('\0'));
        case registry::regtype::Dword: {
            // The data is read into four bytes: more does not fit.
            if (data.size() > 4)
                return std::string();
            std::uint32_t n = 0;
            for (size_t i = data.size(); i-- > 0;)
                n = (n << 8) | static_cast<unsigned char>(data[i]);
            return static_cast<std::int32_t>(n);
        }
        default:
            return std::string();
        }
    } catch (const std::exception&) {
        return std::string();
    }
}

void GetWinAceInfo(std::string& path, std::string& version)
{
    path = RegValueText(GetRegValue(HKEY_CURRENT_USER, WinAceKey, "Path"));
    version = RegValueText(GetRegValue(HKEY_CURRENT_USER, WinAceKey, "Version"));
}

bool winAceVersionAccepted(const std::string& version)
{
    // The text "2.11" reads as exactly the constant below, so 2.11 passes.
    std::optional<double> n = qm::datetime::parseNumber(version);
    return n && *n >= WinAceMinimumVersion;
}

std::string UsableWinAcePath(const WinAceLookup& lookup)
{
    std::string path, version;
    if (lookup)
        lookup(path, version);
    return winAceVersionAccepted(version) ? path : std::string();
}

int MapNetworkDriveResult(const std::string& drive, const std::string& remoteName,
                          const std::optional<std::string>& password, const std::optional<std::string>& userName)
{
    try {
        std::string localName = drive.substr(0, 1) + ":";
        return net::addConnection(localName, remoteName, password, userName, net::ConnectUpdateProfile);
    } catch (const std::exception&) {
        return net::neterr::InvalidParameter;
    }
}

bool MapNetworkDrive(const std::string& drive, const std::string& remoteName,
                     const std::optional<std::string>& password, const std::optional<std::string>& userName)
{
    return MapNetworkDriveResult(drive, remoteName, password, userName) == net::neterr::NoError;
}

std::string NextFreeDrive()
{
    for (char letter = 'D'; letter <= 'Z'; ++letter) {
        std::string root = std::string(1, letter) + ":\\";
        // The connection table is asked too, for programs that have not
        // plugged it into the drive table.
        if (fs::driveType(root) == fs::drivetype::NoRootDir && !net::findConnection(letter))
            return root;
    }
    return std::string();
}

void BusyPointer(qm::ui::UiServices& ui)
{
    ui.busyPointer();
}

void NormalPointer(qm::ui::UiServices& ui)
{
    ui.normalPointer();
}

} // namespace qm::store

#include "options/SaveOptions.h"

#include "app/ErrorBox.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "store/ProgramFolders.h"
#include "store/Store.h"

namespace qm::options {

namespace {

// WinAce as the options need it: true when the save may go on.
bool winAceUsable(qm::store::Store& store, const qm::store::WinAceLookup& lookup)
{
    std::string path, version;
    if (lookup)
        lookup(path, version);
    if (path.empty()) {
        qm::app::showError(store.ui(), WinAceMissingMessage);
        return false;
    }
    if (version.empty() || qm::store::winAceVersionAccepted(version))
        return true;
    qm::app::showError(store.ui(), std::string(WinAceVersionMessage) + "\r\nYour installed version is " + version);
    return false;
}

} // namespace

bool SaveOptions(qm::store::Store& store, const qm::store::WinAceLookup& lookup)
{
    const qm::store::UserOptionsRecord& options = store.UserOptionsRecord(1);
    store.TempFolder =
        options.UserTempFolder.empty() ? qm::store::ProgramTempFolder(qm::fs::appPath()) : options.UserTempFolder;
    if (options.UserDefaultCompression == "ACE" && !winAceUsable(store, lookup))
        return false;
    try {
        store.SaveUserOptions();
        return true;
    } catch (const qm::RtError& e) {
        qm::app::showError(store.ui(), "Error: " + std::to_string(e.number) + ". " + e.description);
    } catch (const std::exception& e) {
        qm::app::showError(store.ui(), std::string("Error: ") + e.what());
    }
    return false;
}

} // namespace qm::options

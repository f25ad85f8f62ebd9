#pragma once
// The runner's own readers of the project files and the user options: each
// reads the file once and its keys as ReadIni reads them (default "") into
// a fresh record, and never writes. A missing file, section or key leaves
// its field empty.
#include "platform/profile/IniDocument.h"

#include <string>

namespace qm::store {
class Store;
}

namespace qm::runner {

// Re-creates element 1 of store.ProjectRecord empty, reads ProjectName from
// "Sources" and then, by `kind` (compared exactly), the keys a ZIP backup
// ("ZIP") or an ACE backup ("ACE") needs; any other kind reads nothing more.
// Values are kept as read (no trimming beyond what ReadIni does).
void LoadProjectForRun(qm::store::Store& store, const std::string& path, const std::string& kind);
// The same from the project file's document, read already.
void LoadProjectForRun(qm::store::Store& store, const qm::profile::IniDocument& doc, const std::string& kind);

// Re-creates element 1 of store.UserOptionsRecord, sets UserOptionsIni to
// the program folder's "Options\User Options", reads the ten options from
// section "User Options" and sets TempFolder (UserTempFolder when not empty,
// else the program folder's "Temp").
void LoadUserOptionsForRun(qm::store::Store& store);

} // namespace qm::runner

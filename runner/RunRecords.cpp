#include "runner/RunRecords.h"

#include "platform/fs/Paths.h"
#include "platform/profile/Profile.h"
#include "store/IniAccess.h"
#include "store/ProgramFolders.h"
#include "store/ProjectRecord.h"
#include "store/Store.h"

#include <array>

namespace qm::runner {

namespace {

using F = qm::store::ProjectField;

struct KeyRead {
    const char* section;
    F field;
};

// The keys of an unattended ZIP backup, in reading order. The one key of
// "File Handling" read after the headers is read there on purpose.
constexpr std::array ZipKeys{
    KeyRead{"Files and Folders-QMT", F::ProjectFolder},
    KeyRead{"Files and Folders-QMT", F::ZIPBackFile},
    KeyRead{"Files and Folders-QMT", F::ZIPDefaultRestoreFromFolder},
    KeyRead{"Files and Folders-QMT", F::ZIPBackupExcludeTypes},
    KeyRead{"Files and Folders-QMT", F::ZIPLastBackupDate},
    KeyRead{"Files and Folders-QMT", F::ZIPLastBackupFolder},
    KeyRead{"Files and Folders-QMT", F::UseTempFolder},
    KeyRead{"Comments", F::ZIPComments},
    KeyRead{"Comments", F::ZIPUseComments},
    KeyRead{"File Handling", F::ZIPDoOpenFiles},
    KeyRead{"File Handling", F::ZIPSkipIfExisting},
    KeyRead{"File Handling", F::ZIPSkipIfOlderDate},
    KeyRead{"File Handling", F::ZIPSkipIfOlderVersion},
    KeyRead{"File Handling", F::ZIPDoSubFolders},
    KeyRead{"File Handling", F::ZIPFilesToProcess},
    KeyRead{"File Handling", F::ZIPPreservePaths},
    KeyRead{"Passwords", F::ZIPDefaultPassword},
    KeyRead{"Passwords", F::ZIPUsePassword},
    KeyRead{"Headers", F::ZIPPKWareHeader},
    KeyRead{"Headers", F::ZIPInfoZipHeader},
    KeyRead{"Headers", F::ZIPNTSecurityHeader},
    KeyRead{"Headers", F::ZIPUnicodeHeader},
    KeyRead{"File Handling", F::ZIPSkipIfNotExisting},
    KeyRead{"Excludes", F::ZIPExcludeAttribNone},
    KeyRead{"Excludes", F::ZIPExcludeAttribReadOnly},
    KeyRead{"Excludes", F::ZIPExcludeAttribHidden},
    KeyRead{"Excludes", F::ZIPExcludeAttribSystem},
    KeyRead{"Excludes", F::ZIPExcludeAttribVolume},
    KeyRead{"Excludes", F::ZIPExcludeAttribFolder},
    KeyRead{"Excludes", F::ZIPExcludeAttribArchive},
    KeyRead{"Excludes", F::ZIPExcludeAttribAlias},
    KeyRead{"Excludes", F::ZIPExcludeAttribCompressed},
    KeyRead{"Includes", F::ZIPIncludeAttribNone},
    KeyRead{"Includes", F::ZIPIncludeAttribReadOnly},
    KeyRead{"Includes", F::ZIPIncludeAttribHidden},
    KeyRead{"Includes", F::ZIPIncludeAttribSystem},
    KeyRead{"Includes", F::ZIPIncludeAttribVolume},
    KeyRead{"Includes", F::ZIPIncludeAttribFolder},
    KeyRead{"Includes", F::ZIPIncludeAttribArchive},
    KeyRead{"Date and Size", F::ZIPMinFileDate},
    KeyRead{"Date and Size", F::ZIPMaxFileDate},
    KeyRead{"Date and Size", F::ZIPMinFileSize},
    KeyRead{"Date and Size", F::ZIPMaxFileSize},
    KeyRead{"Split and Span", F::ZIPSpanOption},
    KeyRead{"Split and Span", F::ZIPDefaultSplitSize},
    KeyRead{"Miscellaneous", F::ZIPCompressionLevel},
    KeyRead{"Miscellaneous", F::ZIPCompressionMethod},
    KeyRead{"Miscellaneous", F::ZIPArchiveDate},
    KeyRead{"Backup Options", F::ZIPBackupOption},
    KeyRead{"Backup Options", F::ZIPBackupFrequency},
};
static_assert(ZipKeys.size() == 50);

// The keys of an unattended ACE backup, in reading order.
constexpr std::array AceKeys{
    KeyRead{"Files and Folders-QMT", F::ProjectFolder},
    KeyRead{"ACE Files and Folders", F::ACEBackFile},
    KeyRead{"ACE Files and Folders", F::ACEDefaultRestoreFromFolder},
    KeyRead{"ACE Comments", F::ACEComments},
    KeyRead{"ACE Comments", F::ACEUseComments},
    KeyRead{"ACE File Handling", F::ACEFilesToProcess},
    KeyRead{"ACE File Handling", F::ACEStorePathOption},
    KeyRead{"ACE File Handling", F::ACEDoSubFolders},
    KeyRead{"ACE Passwords", F::ACEDefaultPassword},
    KeyRead{"ACE Passwords", F::ACEUsePassword},
    KeyRead{"ACE Passwords", F::ACEAVSignature},
    KeyRead{"ACE Passwords", F::ACELockArchive},
    KeyRead{"ACE Date and Size", F::ACEArchiveDate},
    KeyRead{"ACE Split and Span", F::ACESpanOption},
    KeyRead{"ACE Split and Span", F::ACEDefaultSplitSize},
    KeyRead{"ACE Compression", F::ACECompressionLevel},
    KeyRead{"ACE Compression", F::ACEDictionarySize},
    KeyRead{"ACE Compression", F::ACESolidArchive},
    KeyRead{"ACE Compression", F::ACEAddRecoveryMethod},
    KeyRead{"ACE Backup Options", F::ACEBackupOption},
    KeyRead{"ACE Backup Options", F::ACEBackupFrequency},
    KeyRead{"ACE Backup Options", F::ACELastBackupDate},
    KeyRead{"ACE Backup Options", F::ACELastBackupFolder},
};
static_assert(AceKeys.size() == 23);

template <class Keys>
void readKeys(qm::store::ProjectRecord& rec, const qm::profile::IniDocument& doc, const Keys& keys)
{
    for (const KeyRead& k : keys)
        rec[k.field] = qm::profile::getString(doc, k.section, qm::store::fieldName(k.field), "");
}

} // namespace

void LoadProjectForRun(qm::store::Store& store, const std::string& path, const std::string& kind)
{
    LoadProjectForRun(store, qm::store::ReadIniFile(store.ui(), path), kind);
}

void LoadProjectForRun(qm::store::Store& store, const qm::profile::IniDocument& doc, const std::string& kind)
{
    store.ProjectRecord.redim(1);
    qm::store::ProjectRecord& rec = store.ProjectRecord(1);
    rec[F::ProjectName] = qm::profile::getString(doc, "Sources", "ProjectName", "");
    if (kind == "ACE")
        readKeys(rec, doc, AceKeys);
    else if (kind == "ZIP")
        readKeys(rec, doc, ZipKeys);
}

void LoadUserOptionsForRun(qm::store::Store& store)
{
    store.UserOptionsRecord.redim(1);
    store.UserOptionsIni = qm::fs::appPath() + "\\Options\\User Options";
    qm::store::UserOptionsRecord& u = store.UserOptionsRecord(1);
    const qm::profile::IniDocument doc = qm::store::ReadIniFile(store.ui(), store.UserOptionsIni);
    auto read = [&](const char* key) { return qm::profile::getString(doc, "User Options", key, ""); };
    u.ProjectINIBackupPath = read("ProjectINIBackupPath");
    u.UserBackINIOption = read("UserBackINIOption");
    u.UserBackINISchedule = read("UserBackINISchedule");
    u.UserFavoriteAppPath = read("UserFavoriteAppPath");
    u.UserSplitSize = read("UserSplitSize");
    u.UserView = read("UserView");
    u.UserZIPShellPath = read("UserZIPShellPath");
    u.UserTempFolder = read("UserTempFolder");
    u.UserLastINIBackup = read("UserLastINIBackup");
    u.UserDefaultCompression = read("UserDefaultCompression");
    store.TempFolder =
        u.UserTempFolder.empty() ? qm::store::ProgramTempFolder(qm::fs::appPath()) : u.UserTempFolder;
}

} // namespace qm::runner

#include "store/DataFileZip.h"

#include "platform/fs/CurrentFolder.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/zip/PavikZip.h"
#include "store/ZipFromRecord.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace qm::store {

std::string dataBackupPath(const std::string& backupFolder)
{
    return backupFolder + "\\" + DataBackupFile;
}

void SetDataFileProperties(qm::zip::PavikZip& zip, const DataFileSetup& setup)
{
    zip.ResetToDefaults();
    zip.ArchivePath = dataBackupPath(setup.backupFolder);
    zip.UseTempArchive = true;
    zip.TempArchiveFolder = setup.tempFolder;
    zip.Level = 9;
    zip.Method = 18;
    zip.IncludeOpenFiles = true;
    // Project files hold passwords in clear: they go back their owner's alone.
    zip.OwnerOnlyFiles = true;
    zip.FileMask = "*";
    zip.IncludeSubfolders = setup.includeSubfolders;
    zip.SpanMode = 0;
    // Named, not left to the current folder, which may not have changed.
    zip.SourceFolder = setup.appPath + "\\Projects";

    zip.SfxStubPath = setup.appPath + "\\" + SfxStubBurrowsWheeler;
    zip.SfxDefaultFolder = setup.appPath + "\\Projects";
    zip.SfxExistingFileMode = 2;
    zip.SfxIconPath = setup.appPath + "\\" + setup.iconFile;
    zip.SfxString[1] = "Quillmate data files restore";
    zip.SfxMessageText[0] = "Quillmate data files restored successfully.";
    zip.SfxMessageText[5] = "Click ... to select another folder. HINT: Without good reason, always accept the default!";
    zip.SfxMessageText[3] = "The Quillmate data file back-up was created as a self-extracting archive. Please click "
                            "continue and follow the prompts to restore the database.";
}

void EnterProjectsFolder(const std::string& appPath)
{
    try {
        qm::fs::ChDrive(appPath.substr(0, 1));
    } catch (const std::exception&) {
    }
    try {
        qm::fs::ChDir(appPath + "\\Projects");
    } catch (const std::exception&) {
    }
}

void KeepDataFilesPrivate(const std::string& appPath)
{
    try {
        for (const char* record : {"\\Options\\My Data Defaults", "\\Options\\User Options"})
            qm::fs::keepToOwner(qm::fs::toNative(appPath + record));
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(qm::fs::toNative(appPath + "\\Projects"), ec))
            qm::fs::keepToOwner(e.path());
    } catch (const std::exception&) {
    }
}

} // namespace qm::store

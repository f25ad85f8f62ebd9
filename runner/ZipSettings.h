#pragma once
// How an unattended ZIP backup sets up the zip control from a project
// record. The control is put back to its defaults first, so nothing of the
// project before (password, filters, attributes, list entries, folders)
// reaches this archive; then each setting is given in a fixed order, a
// setting that the record leaves open keeping the control's default.
#include <string>

namespace qm::store {
struct ProjectRecord;
}
namespace qm::zip {
class PavikZip;
}

namespace qm::runner {

// The extra-header value: the bit of the first of ZIPPKWareHeader (2),
// ZIPInfoZipHeader (1), ZIPNTSecurityHeader (4), ZIPUnicodeHeader (8) that
// is "yes"; 0 when none is. Only one bit is ever set.
int ExtraHeaderValue(const qm::store::ProjectRecord& rec);

struct ZipSetup {
    std::string archivePath;     // target folder & "\" & archive name
    int extraHeaders = 0;
    std::string appPath;         // the program folder (file lists, Temp)
    std::string userTempFolder;  // the user option UserTempFolder
};

struct ZipSetupResult {
    // The temporary folder in force (UserTempFolder, else the program
    // folder's "Temp"); the caller keeps it as TempFolder.
    std::string TempFolder;
    // The project takes its files from a file list that could not be read
    // (missing, unreadable, or a project name that does not make a file
    // name); the archive must not be built.
    bool listFailed = false;
    std::string listFile;        // the file list's path, when one was used
    int listEntries = 0;         // entries handed to the control
};

// True for an empty text or one of blanks (spaces) only.
bool isBlank(const std::string& text);

ZipSetupResult SetZipProperties(qm::zip::PavikZip& zip, const qm::store::ProjectRecord& rec,
                                const ZipSetup& setup);

} // namespace qm::runner

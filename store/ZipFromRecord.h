#pragma once
// How a ZIP backup sets up the zip control from a project record; the
// manual backup and the unattended one share it, and the self-extracting
// backup follows the same rules under its own keys (SetSfxProperties). The control is put back to
// its defaults first, so nothing of the project before (password, filters,
// attributes, list entries, folders) reaches this archive; then each
// setting is given in a fixed order, a setting that the record leaves open
// keeping the control's default. Where the two backups differ, ZipSetup
// says which way to go.
#include <cstdint>
#include <optional>
#include <string>

namespace qm::zip {
class PavikZip;
}

namespace qm::store {

struct ProjectRecord;

// The extra-header value: the bits of ZIPInfoZipHeader (1), ZIPPKWareHeader
// (2), ZIPNTSecurityHeader (4) and ZIPUnicodeHeader (8), each added when it
// is "yes"; 0 when none is.
int ExtraHeaderValue(const ProjectRecord& rec);
// The same for the self-extractor's headers (SFXInfoZipHeader, ...).
int SfxExtraHeaderValue(const ProjectRecord& rec);

// The self-extractor stubs in the program folder: one for Burrows-Wheeler
// archives (and stored ones), one that also decodes deflated entries.
inline constexpr const char* SfxStubBurrowsWheeler = "pvksfxbz.bin";
inline constexpr const char* SfxStubDeflate = "pvksfx32.bin";

struct ZipSetup {
    std::string archivePath;     // the archive to build (the unattended run: target folder & "\" & name)
    int extraHeaders = 0;
    std::string appPath;         // the program folder (file lists, Temp)
    std::string userTempFolder;  // the user option UserTempFolder

    // How the archive is laid out: as the record's ZIPSpanOption says (the
    // unattended backup and a manual single-file one), split into parts of
    // splitPartSize bytes, or spanned over disks (manual split and spanned kinds).
    enum class Layout { AsRecord, Split, Spanned };
    Layout layout = Layout::AsRecord;
    std::int64_t splitPartSize = 0;

    // The method for a record whose ZIPCompressionMethod is blank: the
    // unattended backup takes Burrows-Wheeler (18); nothing keeps the
    // control's default, as the manual backup does.
    std::optional<int> blankMethod = 18;

    // How the date and size limits are read. The unattended backup passes
    // over a limit that does not read and takes sizes as 32-bit numbers; the
    // manual backup (strict) takes sizes as 64-bit numbers and refuses a
    // limit that does not read (ZipSetupResult::badLimit).
    bool strictLimits = false;
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
    // With strictLimits: the key of the first date or size limit that does
    // not read as one (ZIPMinFileDate, ...); the archive must not be built.
    std::string badLimit;
};

// True for an empty text or one of blanks (spaces) only.
bool isBlank(const std::string& text);

ZipSetupResult SetZipProperties(qm::zip::PavikZip& zip, const ProjectRecord& rec, const ZipSetup& setup);

// What a self-extracting backup takes from elsewhere than its record.
struct SfxSetup {
    std::string archivePath;     // the program to write
    std::string appPath;         // the program folder (file lists, Temp, the stubs)
    std::string userTempFolder;  // the user option UserTempFolder
    bool spanned = false;        // the spanned kind: span mode 2, whatever SFXSpanOption says
};

// A project record's [SFX] settings given to the zip control (reset first):
// the archive settings as SetZipProperties gives the ZIP ones (limits read
// strictly, sizes 64-bit, the file list "<project>-ZIPEXE"), then the
// self-extractor's texts, buttons, icon, associations (the whole text in
// double quotes), program group item (only with both fields), install mode,
// command and existing-file rule ("yes" always, "no" never overwrite). Each
// text only when it is not blank. A blank method keeps the control's; any
// word but "pvzDeflated" and "pvzStored" is Burrows-Wheeler. The stub follows
// the method in force: SfxStubBurrowsWheeler for 18, else SfxStubDeflate.
ZipSetupResult SetSfxProperties(qm::zip::PavikZip& zip, const ProjectRecord& rec, const SfxSetup& setup);

} // namespace qm::store

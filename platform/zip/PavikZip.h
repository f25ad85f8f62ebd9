#pragma once
// The zip control: one object that builds, updates, lists, tests, extracts
// and prunes ZIP archives. Owners set its properties (public members that
// keep their values from one operation to the next), call its methods (each
// returns a result code, see ResultCodes.h, whose text ErrorText gives) and
// receive its events through ZipEvents sinks, synchronously on their own
// thread. Between steps of a method the control calls the owner's yield hook
// (a window's DoEvents), so that a Cancel button can set AbortRequested; the
// method then ends with 518.
//
// Paths are Windows-form ("C:\home\ann\x.zip"). Names inside archives use
// "/" as the format wants; events show them with "\". An exception thrown by
// an event handler or the yield hook ends the method and reaches its caller;
// a build's temporary archive is removed on the way.
#include "platform/datetime/DateTime.h"
#include "platform/zip/FileIo.h"
#include "platform/zip/ResultCodes.h"
#include "platform/zip/ZipEvents.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qm::zip {

struct ControlState;
class WorkerPool;

class PavikZip {
public:
    PavikZip();
    ~PavikZip();
    PavikZip(const PavikZip&) = delete;
    PavikZip& operator=(const PavikZip&) = delete;

    // ---- Archive
    std::string ArchivePath;
    // Bytes per part of a split archive (ArchivePath is the last part, the
    // others end in .z01, .z02, ...); 0 = one file. At least 65536. With
    // spanning it caps what goes on each disk.
    int64_t SplitPartSize = 0;
    // 0 never, 1 always, 2 when ArchivePath is on a removable drive. A
    // spanned archive is written disk by disk onto ArchivePath's drive,
    // asking for each disk through DiskRequest; every disk holds a file of
    // ArchivePath's name. Disks are labelled "PKBACK# 001", ...: on a
    // removable drive of the drive table the label is kept as the drive's
    // Label in the drives file.
    int SpanMode = 0;
    bool UseTempArchive = false;    // build through a temporary archive in TempArchiveFolder
    std::string TempArchiveFolder;  // "" = the system's temporary folder
    // ---- Files
    std::string SourceFolder;       // "" = the current folder
    bool KeepFolderNames = true;    // store (and restore) folder names
    bool IncludeSubfolders = true;
    std::string ExtractFolder;
    std::string FileMask = "*";     // names, masks or paths, one a line (CR LF) or separated by "|"
    std::string ExcludeMasks;       // masks, or bare file types ("tmp"), one a line or separated by "|"
    qm::datetime::DateTime OldestDate;  // 12/30/1899 (the zero date) = no limit
    qm::datetime::DateTime NewestDate;  // a date without time of day includes that whole day
    int64_t SmallestSize = 0;       // bytes; 0 = no limit
    int64_t LargestSize = 0;        // bytes; 0 = no limit
    int32_t RequiredAttributes = 0; // 1 read-only, 2 hidden, 4 system, 8 volume, 16 folder, 32 archive,
    int32_t ExcludedAttributes = 0; // 1024 alias (symbolic link), 2048 compressed
    bool SkipWhenExisting = false;
    bool SkipWhenMissing = false;
    bool SkipWhenOlderDate = false;
    bool SkipWhenOlderVersion = false;
    // ---- Compression
    int Level = 6;                  // 0 (stored), 1, 6, 9
    int HeaderSet = 0;              // 1 extended time stamp, 2 NTFS file times, 4 security, 8 Unicode path
    std::string Password;           // "" = none
    bool IncludeOpenFiles = false;
    // Entries record their files' permissions for the owner alone (the
    // group's and the others' cleared), whatever the files allow; the
    // archive a build writes is its owner's alone too.
    bool OwnerOnlyFiles = false;
    int Method = 8;                 // 0 stored, 8 deflated, 18 Burrows-Wheeler
    // ---- Self-extractor
    // The extractor program put in front of the archive; "" = a plain archive.
    // An empty text below means our own default for it.
    std::string SfxStubPath;
    // Buttons: 0 OK, 1 Cancel, 2 Abort, 3 Skip file, 4 Skip all, 5 Yes, 6 No,
    // 7 Yes to all (overwrite all), 8 No to all (overwrite none), 9 Continue,
    // 10 Exit, 11 Agree, 12 Refuse. At most 30 bytes each.
    std::array<std::string, 13> SfxButtonText;
    // Messages: 0 success, 1 failure ("%e" the code), 2 folder not created
    // ("%d"), 3 introduction (asked before anything when set), 4 licence
    // (agreed to before extraction when set; up to 8000 bytes), 5 folder
    // prompt, 6 password prompt, 7 insert the last disk, 8 insert disk "%n",
    // 9 confirm stopping, 10 create folder "%d", 11 overwrite "%f",
    // 12 progress. Prompts (5..12) up to 256 bytes, the others 2000.
    std::array<std::string, 13> SfxMessageText;
    // Strings: 0 folder browser title, 1 window title (100 bytes), 2 progress
    // note, 3 network drive text ("%s" share, "%c" server), 4 network text.
    std::array<std::string, 5> SfxString;
    std::string SfxDefaultFolder;   // "" = the folder of the program when it runs
    int SfxExistingFileMode = 0;    // 0 ask, 1 never overwrite, 2 always overwrite, 3 overwrite older files
    std::string SfxReadmePath;      // shown after extraction
    std::string SfxRunAfter;        // command list run after extraction
    bool SfxInstallMode = false;    // extract, run SfxRunAfter, then delete what was extracted
    std::string SfxGroupItemProgram; // with SfxGroupItemName: a program group of that name
    std::string SfxGroupItemName;    // holding one item for the program
    // File associations: lines "description|extension|program"; one pair of
    // enclosing double quotes is dropped.
    std::string SfxAssociations;
    // Accepted and kept, but not written: our programs carry no icon.
    std::string SfxIconPath;
    // Threads that compress during a build (decode during a test or an
    // extraction): 0 = one for each core, 1 = none but the caller's own.
    // The environment variable QUILLMATE_ZIP_WORKERS, when set to a number,
    // caps it. Events and the yield hook always come on the caller's thread.
    int Workers = 0;
    // ---- Control
    bool AbortRequested = false;    // set while a method runs to stop it (518)

    // Whether a build with the settings now spans disks: SpanMode 1, or 2
    // with ArchivePath on a removable drive. A spanned archive's first disk
    // takes the old archive's place as soon as it is written.
    bool spansDisks() const;

    // The operation running now (operation:: values), Idle between methods.
    int CurrentOperation() const { return current_; }
    // Entries of the last build whose data was taken unchanged from the old
    // archive (the files were the same), instead of being compressed again.
    int64_t CopiedEntries() const { return copied_; }

    // ---- Methods
    // Adds one name, mask or path to the files to process of the next
    // operation (with FileMask). The list is used up by that operation.
    int AddListEntry(const std::string& path);
    int ListEntries();
    int ArchiveInfo(int64_t& files, int64_t& compressedSize, int64_t& uncompressedSize, int& ratio,
                    bool& spanned);
    // Zips the files into ArchivePath. An archive already there is updated
    // (its entries kept, those of a file's name replaced); with `replace` it
    // is not read, and the new archive takes its place only when whole.
    int Build(bool replace = false);
    int Extract();
    int Remove();
    // Decodes and checks every entry. `fullTest` is accepted for callers that
    // pass it; every test is a full one.
    int Test(bool fullTest = true);
    // The text of a code: kind 0 results, 1 warnings, 2 skip reasons and warnings.
    // The write failure (505) of the last method, when a file stood in the
    // way of the archive, names that file.
    std::string ErrorText(int kind, int code) const;

    // Puts every setting back to its default (archive, files, filters, skip
    // rules, compression, password, self-extractor) and empties the list of
    // AddListEntry. Owners call it before each build so nothing of one
    // project carries over into the next archive.
    void ResetToDefaults();

    // ---- Owner hooks
    void addEventSink(ZipEvents* sink);
    void removeEventSink(ZipEvents* sink);
    // Called between steps of every method (and every few hundredths of a
    // second while a large file is processed).
    void setYieldHook(std::function<void()> hook) { yield_ = std::move(hook); }
    // Test hook: makes the control's own writes fail on demand.
    void setIoFaultsForTesting(IoFaults faults) { faults_ = std::move(faults); }
    // Test hook: the piece size that large files are cut into for the
    // workers (0 = the engine's own).
    void setPieceSizeForTesting(size_t bytes) { pieceSize_ = bytes; }

    // For the operations (internal).
    const std::vector<ZipEvents*>& sinks() const { return sinks_; }
    bool hasSink(const ZipEvents* s) const;
    const std::function<void()>& yieldHook() const { return yield_; }
    const IoFaults* faults() const { return faults_.beforeWrite || faults_.beforeNameChange ? &faults_ : nullptr; }
    std::vector<std::string>& listEntries() { return list_; }
    void setCurrentOperation(int op) { current_ = op; }
    void setCopiedEntries(int64_t n) { copied_ = n; }
    // The file (Windows form) the last method's result is about: one that
    // stood in the way of its archive, with the archive whose set holds it
    // where it is another's; a part missing or damaged. Empty when none.
    void setFileNamed(std::string file, std::string owner = {})
    {
        named_ = std::move(file);
        owner_ = std::move(owner);
    }
    size_t pieceSize() const { return pieceSize_; }
    // Workers after the environment's cap: at least 1.
    int workerCount() const;
    // The control's worker threads, kept from one method to the next; none
    // is started until a method asks for them.
    WorkerPool& workers();
    // Threads the control has started so far.
    int64_t threadsStarted() const;
    // The coders of the caller's thread, kept from one method to the next.
    ControlState& state();

private:
    std::vector<ZipEvents*> sinks_;
    std::function<void()> yield_;
    IoFaults faults_;
    std::vector<std::string> list_;
    int current_ = operation::Idle;
    int64_t copied_ = 0;
    std::string named_;
    std::string owner_;
    size_t pieceSize_ = 0;
    std::unique_ptr<ControlState> state_; // made when first needed
};

std::string errorText(int kind, int code);
// The text of result `code` naming the file it is about (Windows form): the
// file in the way, with the archive whose set holds it; the part missing or
// damaged.
std::string resultTextNaming(int code, const std::string& file, const std::string& owner = {});

} // namespace qm::zip

#pragma once
// Pieces the methods of the control share: running a method inside its
// frame, opening the archive named by ArchivePath, turning failures into
// result codes, and putting a finished archive in place of the old one.
#include "platform/zip/ArchiveReader.h"
#include "platform/zip/NameGuard.h"
#include "platform/zip/OpContext.h"
#include "platform/zip/Volumes.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace qm::zip {

// Runs `body` as method `op` of `zip`: refuses while another method runs,
// settles what killed runs left of the archive (settleLeftAside), clears
// AbortRequested, turns an abort into 518 and engine failures into
// result codes, uses up the AddListEntry list, and raises OperationDone.
int runOperation(PavikZip& zip, int op, const std::function<int(OpContext&)>& body);

// The result code of a failed write.
int writeFailure(const IoError& e);

// The host path of a Windows-form path, or nothing when it cannot name a file.
std::optional<std::filesystem::path> nativeOf(const std::string& winPath);

// Opens the archive of ArchivePath (a link at the name followed), with the
// parts of its set beside it (openSet; a part missing or damaged is named
// for ErrorText). With
// `askForDisks`, a spanned archive's disks are asked for (DiskRequest): the
// last one when the disk in a removable drive holds no end record, then the
// others, which are copied into the temporary folder for the operation.
// Returns 0 or a result code; throws AbortError when a disk is not ready.
int openArchive(OpContext& ctx, const std::string& archivePath, ArchiveReader& reader, bool askForDisks = true);

// The folder for temporary files of the control: TempArchiveFolder when
// UseTempArchive is set and it is given, else the system's.
std::optional<std::filesystem::path> tempFolderOf(const PavikZip& z);
// Where an archive being rewritten is made: the temporary folder above with
// UseTempArchive, else `targetFolder` (the archive's own). Nothing when
// TempArchiveFolder names no folder.
std::optional<std::filesystem::path> workFolderOf(const PavikZip& z, const std::filesystem::path& targetFolder);

// Copies the whole of `from` into a new temporary file in `folder` (owned by
// `into`, created with `mode`) and writes it to the disk. Throws IoError,
// also when `from` ends before the size it had when opened.
std::filesystem::path copyToTemp(const std::filesystem::path& from, const std::filesystem::path& folder,
                                 TempFile& into, mode_t mode, const IoFaults* faults, OpContext& ctx,
                                 std::string_view stem = TempFile::DefaultStem);

// The listing record of an entry.
ListedEntry listedEntry(const ArchiveEntry& e);

// Ratio in percent saved, 0..100; 0 for empty data.
int savedPercent(uint64_t compressed, uint64_t size);

// The mode of a self-extracting program: its old file's (`old`), with
// execute wherever it may be read, or 0755 for a new one.
mode_t programMode(std::optional<mode_t> old);

// Flushes the names in `folder` to disk.
void syncFolder(const std::filesystem::path& folder);

// The mode of the temporary files an archive is made in, whatever the
// archive's own will be: the owner's alone, until they are complete.
inline constexpr mode_t TempFileMode = 0600;

// Writes the temporary archive to disk and renames it over `target`, which
// keeps its permissions (a new file gets the default ones, or 0755 when
// `executable`; an old one then gains execute bits where it may be read),
// none beyond `allowed`. A temporary file on another file system is first
// copied beside the target. The old archive is never touched until the new
// one is whole. With `origin`, the writer holds the name meanwhile
// (holdPlace, the file staying under it until the rename) and renames only
// while `target` and its set hold what they held then (else NameTaken); the
// archive is done only when it is what then stands under the name (else
// ResultError{ArchiveReplaced}), and the old set's other parts then go.
// Throws IoError, InTheWay.
void putInPlace(OutFile& temp, TempFile& tempFile, const std::filesystem::path& target, const IoFaults* faults,
                OpContext& ctx, bool executable = false, mode_t allowed = 07777, const NameOrigin* origin = nullptr);

// The file an archive path finally names (a symbolic link is written through).
std::filesystem::path resolveTarget(const std::filesystem::path& target);

} // namespace qm::zip

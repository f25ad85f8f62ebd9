#include "platform/zip/ResultCodes.h"

#include <string>

namespace qm::zip {

namespace {

const char* resultText(int code)
{
    switch (code) {
    case result::Ok: return "The operation completed successfully.";
    case result::ArchiveNotFound: return "The archive file could not be found.";
    case result::NotAnArchive: return "The file is not a ZIP archive.";
    case result::ArchiveDamaged: return "The archive is damaged and cannot be used.";
    case result::ArchiveUnreadable: return "The archive file could not be opened for reading.";
    case result::WriteFailed: return "The archive could not be written; any earlier archive is unchanged.";
    case result::DiskFull:
        return "There is not enough room on the disk to write the archive; any earlier archive is unchanged.";
    case result::NothingToDo: return "No files were found to process.";
    case result::BadPassword: return "One or more entries need a password that is missing or wrong.";
    case result::DataError: return "One or more entries are damaged (data or CRC check failed).";
    case result::UnsupportedMethod: return "One or more entries use a compression method that is not supported.";
    case result::BadSetting:
        return "A setting holds a value that cannot be used (compression method, level or folder).";
    case result::SourceNotFound: return "The folder to take files from could not be found.";
    case result::ExtractFolderFailed: return "The folder to extract into could not be created or used.";
    case result::TempFolderFailed: return "The temporary archive could not be created in the temporary folder.";
    case result::NotAvailable: return "This cannot be done with a split or spanned archive.";
    case result::UnsafeEntries:
        return "Entries whose names would place them outside the extraction folder were not extracted.";
    case result::EntriesNotWritten: return "One or more entries could not be written.";
    case result::UserAbort: return "The operation was stopped by the user.";
    case result::Halted: return "Processing was halted.";
    case result::ExpansionLimit:
        return "The archive would expand to far more than any real archive of its size holds (a "
               "decompression bomb); nothing was extracted or tested.";
    case result::NoArchivePath: return "No archive file is named.";
    case result::Busy: return "The control is still busy with another operation.";
    case result::TargetFolderMissing: return "The folder that should hold the archive does not exist.";
    case result::ArchiveReadOnly: return "The archive file is read-only; it was left as it is.";
    case result::ArchiveReplaced:
        return "Another program changed the archive while this one was being made; to leave what it did as it "
               "is, this archive was not put in its place.";
    case result::SplitSizeTooSmall: return "The split size is too small: each part must hold at least 65536 bytes.";
    case result::PartMissing: return "A part of the split or spanned archive is missing.";
    case result::WrongDisk: return "The disk asked for was not inserted.";
    case result::TooManyParts: return "The archive would need more parts or disks than the format allows.";
    case result::SfxStubUnreadable: return "The self-extractor program file could not be read.";
    case result::SfxStubUnusable:
        return "The self-extractor program file cannot be used (it is too large, or it holds the configuration "
               "marker itself).";
    case result::SfxValueTooLong:
        return "A self-extractor text is longer than the self-extractor accepts (captions 30 bytes, the window "
               "title 100, folders and the command 255, prompts 256, messages 2000, the licence 8000).";
    case result::SfxBadAssociation:
        return "A file association of the self-extractor is not of the form description|extension|program.";
    case result::SfxNeedsZip64:
        return "The archive is too large for a self-extracting program: it would need Zip64 records, which the "
               "self-extractor cannot read.";
    case result::SfxCannotSplit:
        return "A self-extracting program cannot be split into parts; make it one file or span it over disks.";
    case result::DiskTooSmall:
        return "The disk in the drive has too little room for its part of the spanned archive, even counting the "
               "archive's file that was on it (a self-extracting program must fit whole on the first disk); that "
               "disk was left as it was.";
    case result::SfxSplitTooSmall:
        return "The split size is too small for a self-extracting program: its first part must hold the whole "
               "program and its settings.";
    case result::PartOfAnotherSet:
        return "A file this archive's set would take is a part of another archive's set, so nothing was written and "
               "both archives were left as they are; archives whose parts would share names need folders or names "
               "of their own.";
    case result::ArchiveBeingWritten:
        return "Another copy of this archive is being written in its folder now; to leave that one whole, this "
               "archive was not put in its place.";
    default: return nullptr;
    }
}

const char* skipText(int code)
{
    switch (code) {
    case skip::AlreadyInArchive: return "The file is already in the archive.";
    case skip::NotInArchive: return "The file is not in the archive yet.";
    case skip::OlderThanInArchive: return "The file is older than its copy in the archive.";
    case skip::TargetExists: return "A file of that name already exists in the destination.";
    case skip::TargetMissing: return "No file of that name exists in the destination.";
    case skip::OlderThanTarget: return "The entry is older than the file in the destination.";
    case skip::UnsafeName: return "The name would place the file outside the destination folder.";
    case skip::BadPassword: return "The password is missing or wrong.";
    case skip::DataError: return "The data is damaged (data or CRC check failed).";
    case skip::CannotRead: return "The file could not be read.";
    case skip::CannotWrite: return "The file could not be written.";
    case skip::LinkInPath: return "A symbolic link stands in the way; it is not followed.";
    case skip::NotRegularFile: return "Not an ordinary file (device, pipe or socket).";
    case skip::DuplicateName: return "Another file is already stored under the same name.";
    case skip::UnsupportedMethod: return "The entry uses a compression method that is not supported.";
    case skip::InvalidName: return "The name is empty or not valid.";
    case skip::SkippedByHandler: return "Skipped on request.";
    case skip::FolderInTheWay: return "A folder of that name is in the way.";
    case skip::FileInUse: return "The file is in use by another program (open files are not included).";
    case skip::NotFound: return "The file could not be found.";
    case skip::PasswordOrData: return "The password is wrong, or the data is damaged.";
    default: return nullptr;
    }
}

const char* warningText(int code)
{
    switch (code) {
    case warning::FileChanged: return "The file changed while it was read; the archive holds what was read.";
    case warning::TimeNotSet: return "The file's date and time could not be set.";
    case warning::AttributesNotSet: return "The file's attributes could not be set.";
    case warning::NameAdjusted: return "The stored name was adjusted to a relative name.";
    case warning::SfxValueTooLong: return "This self-extractor setting is longer than the self-extractor accepts.";
    case warning::OldEntryDamaged:
        return "The file's entry in the old archive was damaged; it was made anew from the file.";
    case warning::KeptEntryDamaged:
        return "The file's entry in the old archive is damaged and could not be made anew, as the file was not "
               "backed up this time; the archive keeps the damaged entry.";
    case warning::FirstDiskRestored:
        return "The archive stopped after its first disk was written; the first disk holds what it held before "
               "again.";
    case warning::FirstDiskUnfinished:
        return "The archive stopped after its first disk was written; the first disk now holds the start of this "
               "unfinished set, not what it held before.";
    case warning::EarlierSetBroken:
        return "The archive stopped after its first disk was written; the first disk holds what it held before "
               "again, but a later disk was written over, so the set these disks held before is no longer whole.";
    case warning::FirstDiskEmptied:
        return "The archive stopped while its first disk was written; the file that disk held made room for it and "
               "could not be put back, so the first disk holds neither.";
    default: return nullptr;
    }
}

} // namespace

std::string errorText(int kind, int code)
{
    const char* text = nullptr;
    if (kind == textkind::Result)
        text = resultText(code);
    else if (kind == textkind::Warning || kind == textkind::Skip)
        text = code >= 100 ? warningText(code) : skipText(code);
    if (text)
        return text;
    return "Unknown code " + std::to_string(code) + ".";
}

std::string resultTextNaming(int code, const std::string& file, const std::string& owner)
{
    const std::string text = errorText(textkind::Result, code);
    switch (code) {
    case result::WriteFailed: return text + " This file stands in its way and was left as it is: " + file;
    case result::PartOfAnotherSet: return text + " The file: " + file + ", a part of the archive " + owner + ".";
    case result::PartMissing:
    case result::ArchiveDamaged: return text + " The part: " + file;
    default: return text;
    }
}

} // namespace qm::zip

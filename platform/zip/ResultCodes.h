#pragma once
// The codes the zip control answers with: results of its methods, reasons
// for skipping a file, and warnings. ErrorText (ZipTexts.cpp) has a text for
// every one of them.
namespace qm::zip {

// Results of the methods (text kind 0).
namespace result {
inline constexpr int Ok = 0;
inline constexpr int ArchiveNotFound = 501;
inline constexpr int NotAnArchive = 502;
inline constexpr int ArchiveDamaged = 503;
inline constexpr int ArchiveUnreadable = 504;
inline constexpr int WriteFailed = 505;
inline constexpr int DiskFull = 506;
inline constexpr int NothingToDo = 507;
inline constexpr int BadPassword = 508;
inline constexpr int DataError = 509;
inline constexpr int UnsupportedMethod = 510;
inline constexpr int BadSetting = 511;
inline constexpr int SourceNotFound = 512;
inline constexpr int ExtractFolderFailed = 513;
inline constexpr int TempFolderFailed = 514;
inline constexpr int NotAvailable = 515;
inline constexpr int UnsafeEntries = 516;
inline constexpr int EntriesNotWritten = 517;
inline constexpr int UserAbort = 518;
inline constexpr int Halted = 519;
// Extraction or test refused: the entries would expand far beyond what any
// real archive of that size holds (see EntryDecode.h).
inline constexpr int ExpansionLimit = 520;
inline constexpr int NoArchivePath = 521;
inline constexpr int Busy = 522;
inline constexpr int TargetFolderMissing = 523;
inline constexpr int ArchiveReadOnly = 524;
// Another program changed the archive while a build made a new one: the
// build leaves what the other one did.
inline constexpr int ArchiveReplaced = 525;
// 526 and 527 are left free: callers take them as a successful listing.
inline constexpr int SplitSizeTooSmall = 530;
inline constexpr int PartMissing = 531;
inline constexpr int WrongDisk = 532;
inline constexpr int TooManyParts = 533;
inline constexpr int SfxStubUnreadable = 534;
inline constexpr int SfxStubUnusable = 535;
inline constexpr int SfxValueTooLong = 536;
inline constexpr int SfxBadAssociation = 537;
inline constexpr int SfxNeedsZip64 = 538;
inline constexpr int SfxCannotSplit = 539;
// A disk offered for a spanned archive has too little room for its part,
// even counting the file of the archive's name that the part would replace.
inline constexpr int DiskTooSmall = 540;
// A self-extracting program split into parts: its first part cannot hold the
// program and its configuration whole.
inline constexpr int SfxSplitTooSmall = 541;
// A file that the set being made would take is a part of another archive's
// set (two archives of one stem in one folder): nothing is written.
inline constexpr int PartOfAnotherSet = 542;
// Another writer (a build, a copy of the set) is putting an archive of this
// name in place in its folder now: this one leaves it to that one.
inline constexpr int ArchiveBeingWritten = 543;
} // namespace result

// Why a file or entry was skipped (text kind 2).
namespace skip {
inline constexpr int AlreadyInArchive = 1;
inline constexpr int NotInArchive = 2;
inline constexpr int OlderThanInArchive = 3;
inline constexpr int TargetExists = 4;
inline constexpr int TargetMissing = 5;
inline constexpr int OlderThanTarget = 6;
inline constexpr int UnsafeName = 7;
inline constexpr int BadPassword = 8;
inline constexpr int DataError = 9;
inline constexpr int CannotRead = 10;
inline constexpr int CannotWrite = 11;
inline constexpr int LinkInPath = 12;
inline constexpr int NotRegularFile = 13;
inline constexpr int DuplicateName = 14;
inline constexpr int UnsupportedMethod = 15;
inline constexpr int InvalidName = 16;
inline constexpr int SkippedByHandler = 17;
inline constexpr int FolderInTheWay = 18;
inline constexpr int FileInUse = 19;
inline constexpr int NotFound = 20;
inline constexpr int PasswordOrData = 21;
} // namespace skip

// Warnings (text kind 1, and kind 2 as well).
namespace warning {
inline constexpr int FileChanged = 101;
inline constexpr int TimeNotSet = 102;
inline constexpr int AttributesNotSet = 103;
inline constexpr int NameAdjusted = 104;
inline constexpr int SfxValueTooLong = 105; // the name is the property, e.g. "SfxMessageText(4)"
// An update found the file's old entry damaged and made it anew from the file.
inline constexpr int OldEntryDamaged = 106;
// An update kept an old entry as it was (its file was not taken this time)
// and found it damaged.
inline constexpr int KeptEntryDamaged = 107;
// A spanned build stopped after its first disk took the archive's name: that
// disk holds what it held before again (the name is the archive's)...
inline constexpr int FirstDiskRestored = 108;
// ... or it holds the start of the unfinished set (it was no longer in the
// drive, or held nothing before).
inline constexpr int FirstDiskUnfinished = 109;
// ... or it holds what it held before again, but a later disk's file of the
// archive's name was written over, so the set those disks held before is no
// longer whole ...
inline constexpr int EarlierSetBroken = 110;
// ... or its file made room for the set's first part and could not be put
// back: it holds neither.
inline constexpr int FirstDiskEmptied = 111;
} // namespace warning

// Text kinds of ErrorText.
namespace textkind {
inline constexpr int Result = 0;
inline constexpr int Warning = 1;
inline constexpr int Skip = 2;
} // namespace textkind

// Current operation (read-only property).
namespace operation {
inline constexpr int Idle = 0;
inline constexpr int Info = 1;
inline constexpr int List = 2;
inline constexpr int Zip = 3;
inline constexpr int Unzip = 4;
inline constexpr int Remove = 5;
inline constexpr int Test = 6;
} // namespace operation

} // namespace qm::zip

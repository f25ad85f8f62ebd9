#pragma once
// The configuration block of a self-extracting program. The file that runs
// is the extractor program (the stub), then this block, then the ZIP
// archive. The zip control writes the block; the stub finds it in its own
// file by a six-byte marker and reads it back. This codec is the one
// definition of the format for both, and depends on nothing but the C++
// library and POSIX reads, so the stub can link it without the control.
//
// Layout right after the marker: the fields of SfxConfig in the order of
// fieldSpecs(), each one of
//   a word:  2 bytes little-endian; stored = rotr16(value ^ key, 11);
//            afterwards key = rotl16(key, 3);
//   a text:  a length word, stored = rotr16(length ^ key, 11), afterwards
//            key = rotl16(key, 1); then the bytes, padded with one 0 byte to
//            an even count, taken as little-endian words, each stored =
//            rotr16(word ^ key, 9), and key = rotl16(key, 2) after each.
// The 16-bit key starts at KeySeed before the first field, so every field
// changes the key of the ones after it: the order is part of the format.
// Text lengths count bytes (texts are UTF-8); each text field has a limit,
// flags hold 0 or 1, the overwrite mode 0 to 3.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm::sfx {

// The stub looks for the marker from MarkerSearchStart up to (not including)
// MarkerSearchLimit; the writer pads a shorter stub with zero bytes so that
// the marker never starts before MarkerSearchStart.
inline constexpr uint64_t MarkerSearchStart = 25000;
inline constexpr uint64_t MarkerSearchLimit = 32ull * 1024 * 1024;
inline constexpr size_t MarkerSize = 6;
// Read size of the marker search.
inline constexpr size_t SearchChunk = 16 * 1024;
inline constexpr uint16_t KeySeed = 0x6D1F;

// The marker. It is formed at run time from stored bytes, so that no program
// that links this codec holds the marker itself (the stub searches its own
// file for it).
std::array<unsigned char, MarkerSize> marker();

struct SfxConfig {
    uint16_t AskDestination = 0;
    uint16_t ShowProgress = 0;
    uint16_t AllowPasswordPrompt = 0;
    uint16_t ConfirmCreateFolder = 0;
    uint16_t ShowSuccessMessage = 0;
    uint16_t ShowFailureMessage = 0;
    uint16_t ShowFolderError = 0;
    uint16_t ConfirmStart = 0;
    std::string OkCaption;
    std::string CancelCaption;
    std::string AbortCaption;
    std::string SkipFileCaption;
    std::string SkipAlwaysCaption;
    std::string YesCaption;
    std::string NoCaption;
    std::string YesToAllCaption;
    std::string NoToAllCaption;
    std::string ContinueCaption;
    std::string ExitCaption;
    std::string DefaultPassword;
    uint16_t OverwriteMode = 0; // 0 ask, 1 never, 2 always, 3 only older files
    std::string DestinationFolder;
    std::string ReadmeFile;
    std::string CommandList;
    std::string DestinationText;
    std::string PasswordText;
    std::string InsertLastDiskText;
    std::string InsertDiskText;   // "%n": the disk number
    std::string ConfirmAbortText;
    std::string CreateFolderText; // "%d": the folder
    std::string OverwriteText;    // "%f": the file
    std::string ProgressText;
    std::string ProgressNoteText;
    std::string Caption;
    std::string BrowseTitle;
    std::string ShareText;        // "%s": the share, "%c": the server
    std::string ReservedText256;
    std::string ReservedText100;
    std::string SuccessText;
    std::string FailureText;      // "%e": the result code
    std::string FolderErrorText;  // "%d": the folder
    std::string ConfirmText;
    std::string ReservedText2000;
    std::string GroupName;
    std::string GroupItems;       // lines "command|item name"
    std::string AssociationList;  // lines "extension|program|description"
    uint16_t TempMode = 0;
    std::string AgreementText;
    uint16_t ShowAgreement = 0;
    std::string AgreeCaption;
    std::string RefuseCaption;
    uint16_t ReservedWord1 = 0;
    uint16_t ReservedWord2 = 0;
    uint16_t ReservedWord3 = 0;
    uint16_t ReservedWord4 = 0;
    uint16_t ReservedFlag = 0;

    bool operator==(const SfxConfig&) const = default;
};

enum class FieldKind { Flag, Word, Text };

struct FieldSpec {
    const char* name;
    FieldKind kind;
    uint16_t limit; // texts: most bytes; words and flags: highest value
    uint16_t SfxConfig::*word = nullptr;
    std::string SfxConfig::*text = nullptr;
};

inline constexpr size_t FieldCount = 56;
// The fields in block order.
const std::array<FieldSpec, FieldCount>& fieldSpecs();

// Index of the first field that breaks its limit, or -1 when all are fine.
int firstBadField(const SfxConfig& c);

// The block (without the marker); nothing when a field breaks its limit.
std::optional<std::string> encodeBlock(const SfxConfig& c);

// Reads a block from the bytes that follow the marker. Nothing when a text
// is cut short or longer than its limit, or a flag or the overwrite mode is
// out of range. A word cut short reads as 0. `used` gets the block's length.
std::optional<SfxConfig> decodeBlock(std::string_view bytes, size_t* used = nullptr);

// The longest block the format allows.
size_t maxBlockSize();

// Offset of the first marker that starts at or after `from` and before
// `to`, in `data`; -1 when there is none.
int64_t findMarker(std::string_view data, uint64_t from, uint64_t to = MarkerSearchLimit);
// The same in an open file, read in SearchChunk pieces; -1 when absent or
// on a read error.
int64_t findMarkerInFile(int fd, uint64_t from = MarkerSearchStart, uint64_t to = MarkerSearchLimit);
// Offset of the first `pattern` in an open file that starts at or after
// `from` and before `to` (ToEndOfFile: anywhere up to the end), read in
// SearchChunk pieces; -1 when absent, for an empty pattern or on a read error.
inline constexpr uint64_t ToEndOfFile = UINT64_MAX;
int64_t findPatternInFile(int fd, std::string_view pattern, uint64_t from, uint64_t to);

// Finds and reads the block of the self-extracting program `path` (a host
// path). `blockStart` gets the offset right after the marker, `blockEnd` the
// offset where the archive begins.
std::optional<SfxConfig> loadFromFile(const std::string& path, uint64_t* blockStart = nullptr,
                                      uint64_t* blockEnd = nullptr);

} // namespace qm::sfx

#pragma once
// What the ZIP manager's dialogs show and write: for each dialog the values
// of its fields, read from the zip control when it opens (…Load) and written
// back when it is confirmed (…Write, in the dialog's order), and the checks
// that keep a dialog open (…Check: the message to show, or nothing). The
// forms only map widgets to these fields.
#include "zipmanager/ZipListRow.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::zip {
class PavikZip;
}

namespace qm::zipmanager {

// ---- Sizes in K (1024 bytes)

// The largest size a K field takes: more would not fit 32 bits in bytes.
inline constexpr long long MaxKilobytes = 2097151;
// `bytes` / 1024 in decimal, fractions shown ("1.5" for 1536).
std::string kilobytesText(std::int64_t bytes);
// The number of a K field times 1024, rounded; an empty field is 0.
// Nothing when the number is negative or above MaxKilobytes.
std::optional<std::int64_t> kilobytesToBytes(std::string_view text);

// ---- The skip rules: already there, not there, older date, older version.
using SkipBoxes = std::array<bool, 4>;

// ---- Add-files dialog (frmZip)
struct CompressionEntry {
    std::string_view caption;
    int value;
};
inline constexpr std::array<CompressionEntry, 4> CompressionEntries{
    {{"Maximum", 9}, {"Normal", 6}, {"Low", 1}, {"No Compression", 0}}};
inline constexpr int NormalEntry = 1;
// Every zip run of the tool uses the control's block-sorting method.
inline constexpr int ToolMethod = 18;
// The smallest piece of a split archive the control writes, in K.
inline constexpr long long MinSplitKilobytes = 64;
inline constexpr std::string_view SplitSizeMessage =
    "Please type the size of the pieces: at least 64 and at most 2097151 kbytes.";

struct AddFilesFields {
    std::string files;                 // lines, CR LF
    std::array<int, 4> levels{};       // the entries' values; "Normal" holds the control's level
    int level = NormalEntry;           // the entry chosen
    bool subfolders = false;
    bool paths = false;
    SkipBoxes skip{};
    bool splitting = false;
    std::string splitSize;             // K
};
AddFilesFields addFilesLoad(const qm::zip::PavikZip& zip);
std::optional<std::string> addFilesCheck(const AddFilesFields& f);
// A typed host path among the files ("/home/ann/a.txt") goes to the control
// in Windows form, so that it is taken as that path, as "C:\home\ann\a.txt" is.
void addFilesWrite(qm::zip::PavikZip& zip, const AddFilesFields& f);

// ---- Filters dialog (frmFilters)
struct AttributeEntry {
    std::string_view caption;
    int bit;
};
inline constexpr std::array<AttributeEntry, 7> AttributeEntries{{{"Archive", 32},
                                                                 {"Folder", 16},
                                                                 {"Hidden", 2},
                                                                 {"Read-Only", 1},
                                                                 {"System", 4},
                                                                 {"Volume", 8},
                                                                 {"Compressed", 2048}}};
inline constexpr std::string_view SizeLimitMessage = "A size can be at most 2097151 K.";

struct FilterFields {
    std::array<bool, 7> required{};    // rows of AttributeEntries
    std::array<bool, 7> excluded{};
    std::string minDate, maxDate;      // the platform's date text
    std::string minSize, maxSize;      // K
};
FilterFields filtersLoad(const qm::zip::PavikZip& zip);
// The sample of the date form: 27 December 2039 as a general date.
std::string dateSample();
// "Date values are invalid. The format is <sample>" for a date that does not
// read; SizeLimitMessage for a size beyond the limit.
std::optional<std::string> filtersCheck(const FilterFields& f);
// Writes sizes, attributes and dates; only after filtersCheck passed.
void filtersWrite(qm::zip::PavikZip& zip, const FilterFields& f);

// ---- Options dialog (frmOptions)
struct OptionsFields {
    std::optional<int> spanMode;       // 0 never, 1 always, 2 removable media; none for another value
    bool useTemp = false;
    std::string tempFolder;
    std::array<bool, 4> headers{};     // bits 1, 2, 4, 8
};
OptionsFields optionsLoad(const qm::zip::PavikZip& zip);
void optionsWrite(qm::zip::PavikZip& zip, const OptionsFields& f);

// ---- Self-extractor dialog (frmSfx)
inline constexpr std::array<std::string_view, 2> SfxModules{"16-bit Self-Extractor", "32-bit Self-Extractor"};
inline constexpr int Sfx32Entry = 1;

struct SfxFields {
    bool makeSfx = false;
    int module = Sfx32Entry;
    std::string title, intro, success, defaultFolder, readme, icon;
};
SfxFields sfxLoad(const qm::zip::PavikZip& zip);
// The stub path written for a module entry: the program folder and
// "\..\..\..\Sfx\Pvksfx16.bin" for the first, "...\Pvksfx32.bin" otherwise.
std::string sfxStubPath(int module, const std::string& programFolder);
// Confirmed with the box checked: writes the stub path and the texts and
// gives true. Otherwise clears the stub path (a plain archive) and gives false.
bool sfxWrite(qm::zip::PavikZip& zip, const SfxFields& f, bool confirmed, const std::string& programFolder);

// ---- Extract dialog (frmUnzip)
struct UnzipFields {
    std::string extractFolder;
    std::string files;                 // lines, CR LF
    bool preservePaths = false;
    bool subfolders = true;
    SkipBoxes skip{};
    std::string password;
};
// The files are the selected rows (full paths), else the control's files to process.
UnzipFields unzipLoad(const qm::zip::PavikZip& zip, const std::vector<ZipListRow>& rows);
void unzipWrite(qm::zip::PavikZip& zip, const UnzipFields& f);

// ---- Password dialog (frmPassword)
inline constexpr std::string_view PasswordExplanation =
    "Enter a password above to protect files from being unzipped without first entering this same password.";
std::string passwordLoad(const qm::zip::PavikZip& zip);
void passwordWrite(qm::zip::PavikZip& zip, const std::string& password);

} // namespace qm::zipmanager

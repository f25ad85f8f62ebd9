#include "zipmanager/DialogFields.h"

#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Text.h"
#include "platform/zip/PavikZip.h"
#include "zipmanager/ZipManagerText.h"

#include <cmath>

namespace qm::zipmanager {

namespace {

using qm::zip::PavikZip;

SkipBoxes skipOf(const PavikZip& z)
{
    return {z.SkipWhenExisting, z.SkipWhenMissing, z.SkipWhenOlderDate, z.SkipWhenOlderVersion};
}

void setSkip(PavikZip& z, const SkipBoxes& s)
{
    z.SkipWhenExisting = s[0];
    z.SkipWhenMissing = s[1];
    z.SkipWhenOlderDate = s[2];
    z.SkipWhenOlderVersion = s[3];
}

std::array<bool, 7> attributeRows(int bits)
{
    std::array<bool, 7> rows{};
    for (std::size_t i = 0; i < AttributeEntries.size(); ++i)
        rows[i] = (bits & AttributeEntries[i].bit) != 0;
    return rows;
}

int attributeBits(const std::array<bool, 7>& rows)
{
    int bits = 0;
    for (std::size_t i = 0; i < AttributeEntries.size(); ++i)
        if (rows[i])
            bits += AttributeEntries[i].bit;
    return bits;
}

constexpr int HeaderBits[4] = {1, 2, 4, 8};

// The typed list of files with each host path ("/home/ann/a.txt", as the
// file dialogs show them) in the Windows form the control takes as a full
// path; items are separated as the control separates them (CR, LF, "|").
// Everything else stays as typed: "C:\..." and "\\server\..." are full
// paths already, anything else is taken from the control's folder.
std::string hostPathsToWindowsForm(std::string_view list)
{
    std::string out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= list.size(); ++i) {
        if (i < list.size() && list[i] != '\r' && list[i] != '\n' && list[i] != '|')
            continue;
        const std::string_view typed = list.substr(start, i - start);
        const std::string_view item = qm::fs::trimBlanks(typed);
        if (item.starts_with('/') && !item.starts_with("//"))
            out += qm::fs::fromNative(std::string(item));
        else
            out += typed;
        if (i < list.size())
            out += list[i];
        start = i + 1;
    }
    return out;
}

} // namespace

// ---- Sizes in K

std::string kilobytesText(std::int64_t bytes)
{
    const bool negative = bytes < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(bytes) : static_cast<std::uint64_t>(bytes);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 1024);
    // n / 1024 has at most ten decimals: n * 10^10 / 1024 = n * 9765625.
    const std::uint64_t rest = magnitude % 1024;
    if (rest != 0) {
        std::string digits = std::to_string(rest * 9765625u);
        digits.insert(0, 10 - digits.size(), '0');
        digits.erase(digits.find_last_not_of('0') + 1);
        text += "." + digits;
    }
    return text;
}

std::optional<std::int64_t> kilobytesToBytes(std::string_view text)
{
    const double k = qm::datetime::val(text);
    if (!(k >= 0) || k > static_cast<double>(MaxKilobytes))
        return std::nullopt;
    return static_cast<std::int64_t>(std::llround(k * 1024));
}

// ---- Add-files dialog

AddFilesFields addFilesLoad(const PavikZip& z)
{
    AddFilesFields f;
    for (std::size_t i = 0; i < CompressionEntries.size(); ++i)
        f.levels[i] = CompressionEntries[i].value;
    f.levels[NormalEntry] = z.Level;
    f.subfolders = z.IncludeSubfolders;
    f.paths = z.KeepFolderNames;
    f.skip = skipOf(z);
    f.splitSize = kilobytesText(z.SplitPartSize);
    return f;
}

std::optional<std::string> addFilesCheck(const AddFilesFields& f)
{
    if (!f.splitting)
        return std::nullopt;
    const std::optional<std::int64_t> bytes = kilobytesToBytes(f.splitSize);
    if (qm::fs::trimBlanks(f.splitSize).empty() || !bytes || *bytes < MinSplitKilobytes * 1024)
        return std::string(SplitSizeMessage);
    return std::nullopt;
}

void addFilesWrite(PavikZip& z, const AddFilesFields& f)
{
    z.FileMask = hostPathsToWindowsForm(f.files);
    z.KeepFolderNames = f.paths;
    z.IncludeSubfolders = f.subfolders;
    z.Level = f.levels.at(static_cast<std::size_t>(f.level));
    z.Method = ToolMethod;
    setSkip(z, f.skip);
    z.SplitPartSize = f.splitting ? kilobytesToBytes(f.splitSize).value_or(0) : 0;
}

// ---- Filters dialog

FilterFields filtersLoad(const PavikZip& z)
{
    FilterFields f;
    f.minSize = kilobytesText(z.SmallestSize);
    f.maxSize = kilobytesText(z.LargestSize);
    f.required = attributeRows(z.RequiredAttributes);
    f.excluded = attributeRows(z.ExcludedAttributes);
    f.minDate = qm::datetime::formatGeneral(z.OldestDate);
    f.maxDate = qm::datetime::formatGeneral(z.NewestDate);
    return f;
}

std::string dateSample() { return qm::datetime::formatGeneral(qm::datetime::DateTime{2039, 12, 27}); }

std::optional<std::string> filtersCheck(const FilterFields& f)
{
    if (!qm::datetime::parseDateTime(f.minDate) || !qm::datetime::parseDateTime(f.maxDate))
        return "Date values are invalid. The format is " + dateSample();
    if (!kilobytesToBytes(f.minSize) || !kilobytesToBytes(f.maxSize))
        return std::string(SizeLimitMessage);
    return std::nullopt;
}

void filtersWrite(PavikZip& z, const FilterFields& f)
{
    z.SmallestSize = kilobytesToBytes(f.minSize).value_or(0);
    z.LargestSize = kilobytesToBytes(f.maxSize).value_or(0);
    z.RequiredAttributes = attributeBits(f.required);
    z.ExcludedAttributes = attributeBits(f.excluded);
    if (auto d = qm::datetime::parseDateTime(f.minDate))
        z.OldestDate = *d;
    if (auto d = qm::datetime::parseDateTime(f.maxDate))
        z.NewestDate = *d;
}

// ---- Options dialog

OptionsFields optionsLoad(const PavikZip& z)
{
    OptionsFields f;
    if (z.SpanMode >= 0 && z.SpanMode <= 2)
        f.spanMode = z.SpanMode;
    f.useTemp = z.UseTempArchive;
    f.tempFolder = z.TempArchiveFolder;
    for (std::size_t i = 0; i < 4; ++i)
        f.headers[i] = (z.HeaderSet & HeaderBits[i]) != 0;
    return f;
}

void optionsWrite(PavikZip& z, const OptionsFields& f)
{
    if (f.spanMode)
        z.SpanMode = *f.spanMode;
    z.UseTempArchive = f.useTemp;
    z.TempArchiveFolder = f.tempFolder;
    int headers = 0;
    for (std::size_t i = 0; i < 4; ++i)
        if (f.headers[i])
            headers += HeaderBits[i];
    z.HeaderSet = headers;
}

// ---- Self-extractor dialog

SfxFields sfxLoad(const PavikZip& z)
{
    SfxFields f;
    f.makeSfx = !z.SfxStubPath.empty();
    f.title = z.SfxString[1];
    f.success = z.SfxMessageText[0];
    f.intro = z.SfxMessageText[3];
    f.defaultFolder = z.SfxDefaultFolder;
    f.readme = z.SfxReadmePath;
    f.icon = z.SfxIconPath;
    return f;
}

std::string sfxStubPath(int module, const std::string& programFolder)
{
    return programFolder + (module == 0 ? "\\..\\..\\..\\Sfx\\Pvksfx16.bin" : "\\..\\..\\..\\Sfx\\Pvksfx32.bin");
}

bool sfxWrite(PavikZip& z, const SfxFields& f, bool confirmed, const std::string& programFolder)
{
    if (!confirmed || !f.makeSfx) {
        z.SfxStubPath.clear();
        return false;
    }
    z.SfxStubPath = sfxStubPath(f.module, programFolder);
    z.SfxString[1] = f.title;
    z.SfxMessageText[0] = f.success;
    z.SfxMessageText[3] = f.intro;
    z.SfxIconPath = f.icon;
    z.SfxDefaultFolder = f.defaultFolder;
    z.SfxReadmePath = f.readme;
    return true;
}

// ---- Extract dialog

UnzipFields unzipLoad(const PavikZip& z, const std::vector<ZipListRow>& rows)
{
    UnzipFields f;
    f.extractFolder = z.ExtractFolder;
    f.files = ListItemsToText(rows, true);
    if (f.files.empty())
        f.files = z.FileMask;
    f.subfolders = true;
    f.preservePaths = z.KeepFolderNames;
    f.skip = skipOf(z);
    f.password = z.Password;
    return f;
}

void unzipWrite(PavikZip& z, const UnzipFields& f)
{
    z.ExtractFolder = f.extractFolder;
    z.FileMask = f.files;
    z.IncludeSubfolders = f.subfolders;
    z.KeepFolderNames = f.preservePaths;
    setSkip(z, f.skip);
    z.Password = f.password;
}

// ---- Password dialog

std::string passwordLoad(const PavikZip& z) { return z.Password; }

void passwordWrite(PavikZip& z, const std::string& password) { z.Password = password; }

} // namespace qm::zipmanager

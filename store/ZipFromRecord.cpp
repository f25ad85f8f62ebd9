#include "store/ZipFromRecord.h"

#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/Paths.h"
#include "platform/zip/PavikZip.h"
#include "store/FileLists.h"
#include "store/ProjectRecord.h"

#include <limits>
#include <vector>

namespace qm::store {

namespace {

using F = ProjectField;

bool yes(const ProjectRecord& rec, F f)
{
    return rec[f] == "yes";
}

bool hasFullPath(const std::string& text)
{
    return text.find(":\\") != std::string::npos || text.find("\\\\") != std::string::npos;
}

// A 32-bit whole number, as a size setting is read; nothing when the text
// is not one.
std::optional<int64_t> size32(const std::string& text)
{
    std::optional<long long> n = qm::datetime::parseWholeNumber(text);
    if (!n || *n < std::numeric_limits<int32_t>::min() || *n > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return *n;
}

// The entries of a file list, one a line. A line ends at CR LF, LF or a
// lone CR (lists edited by hand have them all), a UTF-8 byte-order mark in
// front of the first line is not part of its entry, and blank lines are left
// out: handed on, an empty entry would stand for the whole source folder.
// Nothing when the list is not a plain file that can be read; something else
// of that name (a pipe, a device) is never waited for.
std::optional<std::vector<std::string>> readList(const std::string& winPath)
{
    std::string text;
    try {
        text = qm::fs::readFileBytes(qm::fs::toNative(winPath));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n')
            continue;
        if (i > begin)
            lines.push_back(text.substr(begin, i - begin));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n')
            ++i; // the LF of a CR LF
        begin = i + 1;
    }
    return lines;
}

} // namespace

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

int ExtraHeaderValue(const ProjectRecord& rec)
{
    int bits = 0;
    const std::pair<F, int> headers[] = {
        {F::ZIPInfoZipHeader, 1}, {F::ZIPPKWareHeader, 2}, {F::ZIPNTSecurityHeader, 4}, {F::ZIPUnicodeHeader, 8}};
    for (const auto& [field, bit] : headers)
        if (yes(rec, field))
            bits |= bit;
    return bits;
}

ZipSetupResult SetZipProperties(qm::zip::PavikZip& zip, const ProjectRecord& rec,
                                const ZipSetup& setup)
{
    ZipSetupResult out;
    zip.ResetToDefaults();

    zip.ArchivePath = setup.archivePath;
    zip.IncludeSubfolders = yes(rec, F::ZIPDoSubFolders);
    zip.KeepFolderNames = yes(rec, F::ZIPPreservePaths);
    if (!isBlank(rec[F::ZIPFilesToProcess]))
        zip.FileMask = rec[F::ZIPFilesToProcess];

    const std::string& level = rec[F::ZIPCompressionLevel];
    if (isBlank(level))
        zip.Level = 9;
    else if (level == "none")
        zip.Level = 0;
    else if (level == "low")
        zip.Level = 1;
    else if (level == "medium")
        zip.Level = 6;
    else if (level == "high")
        zip.Level = 9;

    zip.HeaderSet = setup.extraHeaders;
    if (yes(rec, F::ZIPUsePassword))
        zip.Password = rec[F::ZIPDefaultPassword];
    if (!isBlank(rec[F::ZIPBackupExcludeTypes]))
        zip.ExcludeMasks = rec[F::ZIPBackupExcludeTypes];
    if (yes(rec, F::ZIPDoOpenFiles))
        zip.IncludeOpenFiles = true;
    if (yes(rec, F::ZIPSkipIfExisting))
        zip.SkipWhenExisting = true;
    if (yes(rec, F::ZIPSkipIfNotExisting))
        zip.SkipWhenMissing = true;
    if (yes(rec, F::ZIPSkipIfOlderDate))
        zip.SkipWhenOlderDate = true;
    if (yes(rec, F::ZIPSkipIfOlderVersion))
        zip.SkipWhenOlderVersion = true;

    // Attributes that must be clear. Links have their own bit here (1024),
    // so excluding them never drops the bits chosen before.
    int32_t excluded = zip.ExcludedAttributes;
    if (yes(rec, F::ZIPExcludeAttribNone))
        excluded = 0;
    const std::pair<F, int32_t> excludeBits[] = {
        {F::ZIPExcludeAttribReadOnly, 1}, {F::ZIPExcludeAttribHidden, 2},  {F::ZIPExcludeAttribSystem, 4},
        {F::ZIPExcludeAttribVolume, 8},   {F::ZIPExcludeAttribFolder, 16}, {F::ZIPExcludeAttribArchive, 32},
        {F::ZIPExcludeAttribAlias, 1024}, {F::ZIPExcludeAttribCompressed, 2048},
    };
    for (const auto& [field, bit] : excludeBits)
        if (yes(rec, field))
            excluded |= bit;
    zip.ExcludedAttributes = excluded;

    // Attributes that must be set; "none" adds nothing.
    int32_t required = zip.RequiredAttributes;
    const std::pair<F, int32_t> requireBits[] = {
        {F::ZIPIncludeAttribReadOnly, 1}, {F::ZIPIncludeAttribHidden, 2},  {F::ZIPIncludeAttribSystem, 4},
        {F::ZIPIncludeAttribVolume, 8},   {F::ZIPIncludeAttribFolder, 16}, {F::ZIPIncludeAttribArchive, 32},
    };
    for (const auto& [field, bit] : requireBits)
        if (yes(rec, field))
            required |= bit;
    zip.RequiredAttributes = required;

    // A date or size that cannot be read sets nothing (strict: it is named).
    auto unread = [&](F field, const char* key) {
        if (setup.strictLimits && out.badLimit.empty() && !rec[field].empty())
            out.badLimit = key;
    };
    auto dateLimit = [&](F field, const char* key, qm::datetime::DateTime& limit) {
        if (rec[field].empty())
            return;
        if (auto d = qm::datetime::parseDateTime(rec[field]))
            limit = *d;
        else
            unread(field, key);
    };
    auto sizeLimit = [&](F field, const char* key, int64_t& limit) {
        if (rec[field].empty())
            return;
        std::optional<int64_t> n;
        if (!setup.strictLimits)
            n = size32(rec[field]);
        else if (std::optional<long long> wide = qm::datetime::parseWholeNumber(rec[field]); wide && *wide >= 0)
            n = *wide;
        if (n)
            limit = *n;
        else
            unread(field, key);
    };
    dateLimit(F::ZIPMinFileDate, "ZIPMinFileDate", zip.OldestDate);
    dateLimit(F::ZIPMaxFileDate, "ZIPMaxFileDate", zip.NewestDate);
    sizeLimit(F::ZIPMinFileSize, "ZIPMinFileSize", zip.SmallestSize);
    sizeLimit(F::ZIPMaxFileSize, "ZIPMaxFileSize", zip.LargestSize);

    switch (setup.layout) {
    case ZipSetup::Layout::AsRecord: {
        const std::string& span = rec[F::ZIPSpanOption];
        zip.SpanMode = span == "always" ? 1 : span == "auto detect" ? 2 : 0;
        break;
    }
    case ZipSetup::Layout::Split:
        zip.SplitPartSize = setup.splitPartSize;
        zip.SpanMode = 0;
        break;
    case ZipSetup::Layout::Spanned:
        zip.SpanMode = 1;
        break;
    }

    // The files: a mask or names in the source folder, full paths, or the
    // project's file list.
    const std::string& source = rec[F::ProjectFolder];
    if (zip.FileMask != "(list)") {
        if (!hasFullPath(zip.FileMask))
            zip.SourceFolder = source;
    } else {
        zip.FileMask.clear();
        const std::string& name = rec[F::ProjectName];
        out.listFile = setup.appPath + "\\Filelists\\" + name + "-ZIP";
        std::optional<std::vector<std::string>> lines;
        if (usableFileName(name))
            lines = readList(out.listFile);
        if (!lines) {
            out.listFailed = true;
        } else {
            int fullPaths = 0;
            for (const std::string& line : *lines) {
                zip.AddListEntry(line);
                ++out.listEntries;
                if (hasFullPath(line))
                    ++fullPaths;
            }
            if (fullPaths == 0)
                zip.SourceFolder = source;
        }
    }

    out.TempFolder = setup.userTempFolder.empty() ? setup.appPath + "\\Temp" : setup.userTempFolder;
    if (rec[F::UseTempFolder] == "yes") {
        zip.UseTempArchive = true;
        zip.TempArchiveFolder = out.TempFolder;
    } else {
        zip.UseTempArchive = false;
    }

    const std::string& method = rec[F::ZIPCompressionMethod];
    if (isBlank(method)) {
        if (setup.blankMethod)
            zip.Method = *setup.blankMethod;
    } else if (method == "pvzBurrowsWheeler") {
        zip.Method = 18;
    } else if (method == "pvzDeflated") {
        zip.Method = 8;
    } else if (method == "pvzStored") {
        zip.Method = 0;
    }
    return out;
}

} // namespace qm::store

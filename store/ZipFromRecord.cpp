#include "store/ZipFromRecord.h"

#include "platform/datetime/DateText.h"
#include "platform/datetime/Numbers.h"
#include "platform/fs/Text.h"
#include "platform/fs/Paths.h"
#include "platform/zip/PavikZip.h"
#include "store/FileLists.h"
#include "store/ProgramFolders.h"
#include "store/ProjectRecord.h"

#include <array>
#include <limits>
#include <vector>

namespace qm::store {

namespace {

using F = ProjectField;

bool yes(const ProjectRecord& rec, F f)
{
    return rec[f] == "yes";
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

// The entries of a project's file list (FileLists.h), blank lines left out:
// handed on, an empty entry would stand for the whole source folder.
// Nothing when the list cannot be read; something else of that name (a
// pipe, a device) is never waited for.
std::optional<std::vector<std::string>> readList(const std::string& winPath)
{
    std::vector<std::string> lines;
    try {
        lines = readFileList(winPath);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    std::erase_if(lines, [](const std::string& line) { return line.empty(); });
    return lines;
}

// The fields that hold one archive kind's settings: the ZIP kinds' and the
// self-extractor's follow the same rules under their own keys.
struct KindFields {
    F doSubFolders, preservePaths, filesToProcess, compressionLevel;
    F usePassword, defaultPassword, excludeTypes, doOpenFiles;
    std::array<F, 4> skip; // existing, missing, older date, older version
    F excludeNone;
    std::array<std::pair<F, int32_t>, 8> exclude;
    std::array<std::pair<F, int32_t>, 6> include; // "none" adds nothing
    F minDate, maxDate, minSize, maxSize;
    std::array<std::pair<F, int>, 4> headers;
    const char* listSuffix; // the file list: Filelists\<project><suffix>
};

// Links have their own bit (1024), so excluding them never drops the bits
// chosen before.
const KindFields ZipFields{
    F::ZIPDoSubFolders, F::ZIPPreservePaths, F::ZIPFilesToProcess, F::ZIPCompressionLevel,
    F::ZIPUsePassword, F::ZIPDefaultPassword, F::ZIPBackupExcludeTypes, F::ZIPDoOpenFiles,
    {F::ZIPSkipIfExisting, F::ZIPSkipIfNotExisting, F::ZIPSkipIfOlderDate, F::ZIPSkipIfOlderVersion},
    F::ZIPExcludeAttribNone,
    {{{F::ZIPExcludeAttribReadOnly, 1}, {F::ZIPExcludeAttribHidden, 2}, {F::ZIPExcludeAttribSystem, 4},
      {F::ZIPExcludeAttribVolume, 8}, {F::ZIPExcludeAttribFolder, 16}, {F::ZIPExcludeAttribArchive, 32},
      {F::ZIPExcludeAttribAlias, 1024}, {F::ZIPExcludeAttribCompressed, 2048}}},
    {{{F::ZIPIncludeAttribReadOnly, 1}, {F::ZIPIncludeAttribHidden, 2}, {F::ZIPIncludeAttribSystem, 4},
      {F::ZIPIncludeAttribVolume, 8}, {F::ZIPIncludeAttribFolder, 16}, {F::ZIPIncludeAttribArchive, 32}}},
    F::ZIPMinFileDate, F::ZIPMaxFileDate, F::ZIPMinFileSize, F::ZIPMaxFileSize,
    {{{F::ZIPInfoZipHeader, 1}, {F::ZIPPKWareHeader, 2}, {F::ZIPNTSecurityHeader, 4}, {F::ZIPUnicodeHeader, 8}}},
    "-ZIP",
};

const KindFields SfxFields{
    F::SFXDoSubFolders, F::SFXPreservePaths, F::SFXFilesToProcess, F::SFXCompressionLevel,
    F::SFXUsePassword, F::SFXDefaultPassword, F::SFXExcludeFileTypes, F::SFXDoOpenFiles,
    {F::SFXSkipIfExisting, F::SFXSkipIfNotExisting, F::SFXSkipIfOlderDate, F::SFXSkipIfOlderVersion},
    F::SFXExcludeAttribNone,
    {{{F::SFXExcludeAttribReadOnly, 1}, {F::SFXExcludeAttribHidden, 2}, {F::SFXExcludeAttribSystem, 4},
      {F::SFXExcludeAttribVolume, 8}, {F::SFXExcludeAttribFolder, 16}, {F::SFXExcludeAttribArchive, 32},
      {F::SFXExcludeAttribAlias, 1024}, {F::SFXExcludeAttribCompressed, 2048}}},
    {{{F::SFXIncludeAttribReadOnly, 1}, {F::SFXIncludeAttribHidden, 2}, {F::SFXIncludeAttribSystem, 4},
      {F::SFXIncludeAttribVolume, 8}, {F::SFXIncludeAttribFolder, 16}, {F::SFXIncludeAttribArchive, 32}}},
    F::SFXMinFileDate, F::SFXMaxFileDate, F::SFXMinFileSize, F::SFXMaxFileSize,
    {{{F::SFXInfoZipHeader, 1}, {F::SFXPKWareHeader, 2}, {F::SFXNTSecurityHeader, 4}, {F::SFXUnicodeHeader, 8}}},
    "-ZIPEXE",
};

int headerValue(const ProjectRecord& rec, const KindFields& k)
{
    int bits = 0;
    for (const auto& [field, bit] : k.headers)
        if (yes(rec, field))
            bits |= bit;
    return bits;
}

// The level words, compared after trimming; a blank level is the highest, a
// word of another spelling sets nothing.
void applyLevel(qm::zip::PavikZip& zip, const std::string& text)
{
    const std::string_view level = qm::fs::trimBlanks(text);
    if (level.empty() || level == "high")
        zip.Level = 9;
    else if (level == "none")
        zip.Level = 0;
    else if (level == "low")
        zip.Level = 1;
    else if (level == "medium")
        zip.Level = 6;
}

// Password, exclusions, skip rules, attributes, date and size limits.
void applyFilters(qm::zip::PavikZip& zip, const ProjectRecord& rec, const KindFields& k, bool strict,
                  ZipSetupResult& out)
{
    if (yes(rec, k.usePassword))
        zip.Password = rec[k.defaultPassword];
    if (!isBlank(rec[k.excludeTypes]))
        zip.ExcludeMasks = rec[k.excludeTypes];
    if (yes(rec, k.doOpenFiles))
        zip.IncludeOpenFiles = true;
    bool* const skips[4] = {&zip.SkipWhenExisting, &zip.SkipWhenMissing, &zip.SkipWhenOlderDate,
                            &zip.SkipWhenOlderVersion};
    for (std::size_t i = 0; i < 4; ++i)
        if (yes(rec, k.skip[i]))
            *skips[i] = true;

    int32_t excluded = zip.ExcludedAttributes;
    if (yes(rec, k.excludeNone))
        excluded = 0;
    for (const auto& [field, bit] : k.exclude)
        if (yes(rec, field))
            excluded |= bit;
    zip.ExcludedAttributes = excluded;
    int32_t required = zip.RequiredAttributes;
    for (const auto& [field, bit] : k.include)
        if (yes(rec, field))
            required |= bit;
    zip.RequiredAttributes = required;

    // A date or size that cannot be read sets nothing (strict: it is named).
    auto unread = [&](F field) {
        if (strict && out.badLimit.empty() && !rec[field].empty())
            out.badLimit = std::string(fieldName(field));
    };
    auto dateLimit = [&](F field, qm::datetime::DateTime& limit) {
        if (rec[field].empty())
            return;
        if (auto d = qm::datetime::parseDateTime(rec[field]))
            limit = *d;
        else
            unread(field);
    };
    auto sizeLimit = [&](F field, int64_t& limit) {
        if (rec[field].empty())
            return;
        std::optional<int64_t> n;
        if (!strict)
            n = size32(rec[field]);
        else if (std::optional<long long> wide = qm::datetime::parseWholeNumber(rec[field]); wide && *wide >= 0)
            n = *wide;
        if (n)
            limit = *n;
        else
            unread(field);
    };
    dateLimit(k.minDate, zip.OldestDate);
    dateLimit(k.maxDate, zip.NewestDate);
    sizeLimit(k.minSize, zip.SmallestSize);
    sizeLimit(k.maxSize, zip.LargestSize);
}

// The files: a mask or names in the source folder, full paths, or the
// project's file list.
void applyFiles(qm::zip::PavikZip& zip, const ProjectRecord& rec, const KindFields& k, const std::string& appPath,
                ZipSetupResult& out)
{
    const std::string& source = rec[F::ProjectFolder];
    if (zip.FileMask != "(list)") {
        if (!isAbsoluteEntry(zip.FileMask))
            zip.SourceFolder = source;
        return;
    }
    zip.FileMask.clear();
    const std::string& name = rec[F::ProjectName];
    out.listFile = appPath + "\\Filelists\\" + name + k.listSuffix;
    std::optional<std::vector<std::string>> lines;
    if (usableFileName(name))
        lines = readList(out.listFile);
    if (!lines) {
        out.listFailed = true;
        return;
    }
    int fullPaths = 0;
    for (const std::string& line : *lines) {
        zip.AddListEntry(line);
        ++out.listEntries;
        if (isAbsoluteEntry(line))
            ++fullPaths;
    }
    if (fullPaths == 0)
        zip.SourceFolder = source;
}

void applyTemp(qm::zip::PavikZip& zip, const ProjectRecord& rec, const std::string& appPath,
               const std::string& userTempFolder, ZipSetupResult& out)
{
    out.TempFolder = userTempFolder.empty() ? ProgramTempFolder(appPath) : userTempFolder;
    if (rec[F::UseTempFolder] == "yes") {
        zip.UseTempArchive = true;
        zip.TempArchiveFolder = out.TempFolder;
    } else {
        zip.UseTempArchive = false;
    }
}

// A text handed over only when it is not blank, then as it stands.
void setFilled(std::string& property, const std::string& value)
{
    if (!qm::fs::trimBlanks(value).empty())
        property = value;
}

} // namespace

bool isBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

int ExtraHeaderValue(const ProjectRecord& rec)
{
    return headerValue(rec, ZipFields);
}

int SfxExtraHeaderValue(const ProjectRecord& rec)
{
    return headerValue(rec, SfxFields);
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
    applyLevel(zip, rec[F::ZIPCompressionLevel]);
    zip.HeaderSet = setup.extraHeaders;
    applyFilters(zip, rec, ZipFields, setup.strictLimits, out);

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

    applyFiles(zip, rec, ZipFields, setup.appPath, out);
    applyTemp(zip, rec, setup.appPath, setup.userTempFolder, out);

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

ZipSetupResult SetSfxProperties(qm::zip::PavikZip& zip, const ProjectRecord& rec, const SfxSetup& setup)
{
    ZipSetupResult out;
    zip.ResetToDefaults();

    zip.ArchivePath = setup.archivePath;
    zip.IncludeSubfolders = yes(rec, F::SFXDoSubFolders);
    zip.KeepFolderNames = yes(rec, F::SFXPreservePaths);
    zip.FileMask = "*";
    setFilled(zip.FileMask, rec[F::SFXFilesToProcess]);
    applyLevel(zip, rec[F::SFXCompressionLevel]);
    setFilled(zip.SfxMessageText[5], rec[F::SFXTargetPromptMsg]);
    setFilled(zip.SfxDefaultFolder, rec[F::SFXDefaultExtractFolder]);
    zip.HeaderSet = SfxExtraHeaderValue(rec);
    applyFilters(zip, rec, SfxFields, true, out);
    const std::string& span = rec[F::SFXSpanOption];
    zip.SpanMode = setup.spanned ? 2 : span == "always" ? 1 : span == "auto detect" ? 2 : 0;

    const std::pair<int, F> messages[] = {
        {6, F::SFXPasswordPromptMsg}, {0, F::SFXSuccessMsg},        {1, F::SFXFailMsg},
        {2, F::SFXErrorCreatingFolderMsg}, {4, F::SFXLicenseMsg},   {7, F::SFXInsertLastDiskMsg},
        {8, F::SFXInsertDiskMsg},     {9, F::SFXConfirmAbortMsg},   {10, F::SFXFolderCreateMsg},
        {11, F::SFXOverwriteMsg},     {12, F::SFXProgressMsg},      {3, F::SFXProjectIntro},
    };
    for (const auto& [index, field] : messages)
        setFilled(zip.SfxMessageText[size_t(index)], rec[field]);
    const F buttons[13] = {
        F::SFXOkayButton,  F::SFXCancelButton,        F::SFXAbortButton,          F::SFXSkipFileButton,
        F::SFXSkipAlwaysButton, F::SFXYesButton,      F::SFXNoButton,             F::SFXOverwriteAllButton,
        F::SFXOverwriteNoneButton, F::SFXContinueButton, F::SFXExitButton,       F::SFXAgreeButton,
        F::SFXRefuseButton,
    };
    for (size_t i = 0; i < 13; ++i)
        setFilled(zip.SfxButtonText[i], rec[buttons[i]]);
    setFilled(zip.SfxIconPath, rec[F::SFXProjectIcon]);
    setFilled(zip.SfxString[1], rec[F::SFXProjectCaption]);
    setFilled(zip.SfxString[3], rec[F::SFXShareNameStr]);
    setFilled(zip.SfxString[4], rec[F::SFXNetwork]);
    // The association list as one text; the control drops the quotes again.
    if (!qm::fs::trimBlanks(rec[F::SFXAssociateExtension]).empty())
        zip.SfxAssociations = "\"" + rec[F::SFXAssociateExtension] + "\"";
    const std::string& groupApp = rec[F::SFXAddGroupItemApp];
    const std::string& groupName = rec[F::SFXAddGroupItemDescription];
    if (!qm::fs::trimBlanks(groupApp).empty() && !qm::fs::trimBlanks(groupName).empty()) {
        zip.SfxGroupItemProgram = groupApp;
        zip.SfxGroupItemName = groupName;
    }
    if (qm::fs::trimBlanks(rec[F::SFXInstallMode]) == "yes")
        zip.SfxInstallMode = true;
    setFilled(zip.SfxRunAfter, rec[F::SFXExecuteAfter]);
    const std::string& existing = rec[F::SFXExtractExisting];
    if (existing == "yes")
        zip.SfxExistingFileMode = 2;
    else if (existing == "no")
        zip.SfxExistingFileMode = 1;

    applyFiles(zip, rec, SfxFields, setup.appPath, out);

    const std::string_view method = qm::fs::trimBlanks(rec[F::SFXCompressionMethod]);
    if (!method.empty())
        zip.Method = method == "pvzDeflated" ? 8 : method == "pvzStored" ? 0 : 18;
    applyTemp(zip, rec, setup.appPath, setup.userTempFolder, out);
    // The stub that decodes the method in force.
    zip.SfxStubPath = setup.appPath + (zip.Method == 18 ? "\\" + std::string(SfxStubBurrowsWheeler)
                                                        : "\\" + std::string(SfxStubDeflate));
    return out;
}

} // namespace qm::store

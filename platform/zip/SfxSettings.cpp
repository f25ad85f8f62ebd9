#include "platform/zip/SfxSettings.h"

#include "platform/fs/Text.h"
#include "platform/zip/Names.h"
#include "platform/zip/OpCommon.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace {

using qm::sfx::SfxConfig;
using qm::fs::trimBlanks;

const char* const DefaultButtons[13] = {
    "OK", "Cancel", "Stop", "Skip file", "Skip all", "Yes", "No", "Yes to all", "No to all", "Continue", "Exit",
    "I agree", "I do not agree",
};

const char* const DefaultMessages[13] = {
    "All files were extracted.",
    "Not all files could be extracted (error %e).",
    "The folder %d could not be created.",
    "",
    "",
    "Extract the files into this folder:",
    "This file is protected by a password. Enter the password:",
    "Please insert the last disk of the set.",
    "Please insert disk %n of the set.",
    "Do you want to stop extracting the files?",
    "The folder %d does not exist. Do you want to create it?",
    "The file %f exists already. Do you want to replace it?",
    "Extracting files...",
};

const char* const DefaultStrings[5] = {
    "Choose the folder to extract the files into",
    "Self-extracting archive",
    "Overall progress:",
    "%s on %c",
    "",
};

std::string indexed(const char* property, size_t i)
{
    return std::string(property) + "(" + std::to_string(i) + ")";
}

// "description|extension|program" lines to the stub's
// "extension|program|description" lines. False on a malformed line.
bool translateAssociations(std::string_view text, std::string& out)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    out.clear();
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? text.size() + 1 : end + 1;
        line = trimBlanks(line);
        if (line.empty())
            continue;
        std::string_view f[3];
        size_t from = 0;
        for (int i = 0; i < 3; ++i) {
            size_t bar = line.find('|', from);
            if ((i < 2) != (bar != std::string_view::npos))
                return false; // fewer or more than three fields
            f[i] = trimBlanks(line.substr(from, i < 2 ? bar - from : std::string_view::npos));
            from = bar + 1;
        }
        if (f[1].empty() || f[2].empty())
            return false;
        if (!out.empty())
            out += '\n';
        out.append(f[1]).append("|").append(f[2]).append("|").append(f[0]);
    }
    return true;
}

} // namespace

int sfxConfigOf(const PavikZip& z, SfxConfig& c, std::string& property)
{
    c = SfxConfig{};
    std::map<std::string, std::string> source; // block field -> property
    auto set = [&](std::string SfxConfig::*field, const char* fieldName, const std::string& value,
                   const std::string& fallback, const std::string& prop) {
        c.*field = value.empty() ? fallback : value;
        source[fieldName] = prop;
    };

    std::string SfxConfig::*const buttons[13] = {
        &SfxConfig::OkCaption,       &SfxConfig::CancelCaption,     &SfxConfig::AbortCaption,
        &SfxConfig::SkipFileCaption, &SfxConfig::SkipAlwaysCaption, &SfxConfig::YesCaption,
        &SfxConfig::NoCaption,       &SfxConfig::YesToAllCaption,   &SfxConfig::NoToAllCaption,
        &SfxConfig::ContinueCaption, &SfxConfig::ExitCaption,       &SfxConfig::AgreeCaption,
        &SfxConfig::RefuseCaption,
    };
    const char* const buttonFields[13] = {
        "OkCaption",      "CancelCaption",   "AbortCaption",   "SkipFileCaption", "SkipAlwaysCaption",
        "YesCaption",     "NoCaption",       "YesToAllCaption", "NoToAllCaption", "ContinueCaption",
        "ExitCaption",    "AgreeCaption",    "RefuseCaption",
    };
    for (size_t i = 0; i < 13; ++i)
        set(buttons[i], buttonFields[i], z.SfxButtonText[i], DefaultButtons[i], indexed("SfxButtonText", i));

    std::string SfxConfig::*const messages[13] = {
        &SfxConfig::SuccessText,        &SfxConfig::FailureText,      &SfxConfig::FolderErrorText,
        &SfxConfig::ConfirmText,        &SfxConfig::AgreementText,    &SfxConfig::DestinationText,
        &SfxConfig::PasswordText,       &SfxConfig::InsertLastDiskText, &SfxConfig::InsertDiskText,
        &SfxConfig::ConfirmAbortText,   &SfxConfig::CreateFolderText, &SfxConfig::OverwriteText,
        &SfxConfig::ProgressText,
    };
    const char* const messageFields[13] = {
        "SuccessText",      "FailureText",     "FolderErrorText",    "ConfirmText",    "AgreementText",
        "DestinationText",  "PasswordText",    "InsertLastDiskText", "InsertDiskText", "ConfirmAbortText",
        "CreateFolderText", "OverwriteText",   "ProgressText",
    };
    for (size_t i = 0; i < 13; ++i)
        set(messages[i], messageFields[i], z.SfxMessageText[i], DefaultMessages[i], indexed("SfxMessageText", i));

    std::string SfxConfig::*const strings[5] = {
        &SfxConfig::BrowseTitle, &SfxConfig::Caption, &SfxConfig::ProgressNoteText, &SfxConfig::ShareText,
        &SfxConfig::ReservedText256,
    };
    const char* const stringFields[5] = {"BrowseTitle", "Caption", "ProgressNoteText", "ShareText",
                                         "ReservedText256"};
    for (size_t i = 0; i < 5; ++i)
        set(strings[i], stringFields[i], z.SfxString[i], DefaultStrings[i], indexed("SfxString", i));

    set(&SfxConfig::DestinationFolder, "DestinationFolder", z.SfxDefaultFolder, "", "SfxDefaultFolder");
    set(&SfxConfig::ReadmeFile, "ReadmeFile", z.SfxReadmePath, "", "SfxReadmePath");
    set(&SfxConfig::CommandList, "CommandList", z.SfxRunAfter, "", "SfxRunAfter");
    // The archive's password is not written into the program: anyone could
    // read it there. The program asks for it.

    if (!z.SfxGroupItemProgram.empty() && !z.SfxGroupItemName.empty()) {
        set(&SfxConfig::GroupName, "GroupName", z.SfxGroupItemName, "", "SfxGroupItemName");
        set(&SfxConfig::GroupItems, "GroupItems", z.SfxGroupItemProgram + "|" + z.SfxGroupItemName, "",
            "SfxGroupItemProgram");
    }
    std::string associations;
    if (!translateAssociations(z.SfxAssociations, associations)) {
        property = "SfxAssociations";
        return result::SfxBadAssociation;
    }
    set(&SfxConfig::AssociationList, "AssociationList", associations, "", "SfxAssociations");

    if (z.SfxExistingFileMode < 0 || z.SfxExistingFileMode > 3) {
        property = "SfxExistingFileMode";
        return result::BadSetting;
    }
    c.OverwriteMode = uint16_t(z.SfxExistingFileMode);
    c.AskDestination = 1;
    c.ShowProgress = 1;
    c.AllowPasswordPrompt = 1;
    c.ConfirmCreateFolder = 1;
    c.ShowSuccessMessage = 1;
    c.ShowFailureMessage = 1;
    c.ShowFolderError = 1;
    c.ConfirmStart = c.ConfirmText.empty() ? 0 : 1;
    c.ShowAgreement = c.AgreementText.empty() ? 0 : 1;
    c.TempMode = z.SfxInstallMode ? 1 : 0;

    int bad = qm::sfx::firstBadField(c);
    if (bad >= 0) {
        property = source[qm::sfx::fieldSpecs()[size_t(bad)].name];
        return result::SfxValueTooLong;
    }
    return result::Ok;
}

SfxPrefix makeSfxPrefix(const PavikZip& z)
{
    SfxPrefix p;
    SfxConfig c;
    p.result = sfxConfigOf(z, c, p.property);
    if (p.result != result::Ok)
        return p;
    std::optional<std::string> block = qm::sfx::encodeBlock(c);
    if (!block) {
        p.result = result::SfxValueTooLong; // cannot happen: the fields were checked
        return p;
    }

    std::optional<std::filesystem::path> native = nativeOf(z.SfxStubPath);
    int fd = native ? ::open(native->c_str(), O_RDONLY | O_CLOEXEC) : -1;
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        p.result = result::SfxStubUnreadable;
        return p;
    }
    const uint64_t stubSize = uint64_t(st.st_size);
    const uint64_t markerAt = std::max<uint64_t>(stubSize, qm::sfx::MarkerSearchStart);
    if (markerAt + qm::sfx::MarkerSize > qm::sfx::MarkerSearchLimit) {
        ::close(fd);
        p.result = result::SfxStubUnusable;
        return p;
    }
    p.bytes.resize(size_t(stubSize));
    size_t have = 0;
    while (have < stubSize) {
        ssize_t got = ::pread(fd, p.bytes.data() + have, size_t(stubSize) - have, off_t(have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        have += size_t(got);
    }
    ::close(fd);
    if (have != stubSize) {
        p.bytes.clear();
        p.result = result::SfxStubUnreadable;
        return p;
    }
    p.bytes.resize(size_t(markerAt), '\0');
    const auto m = qm::sfx::marker();
    p.bytes.append(reinterpret_cast<const char*>(m.data()), m.size());
    // The program must find this marker first: a stub that holds the marker
    // (at or after the search start) would be read as its own configuration.
    if (qm::sfx::findMarker(p.bytes, qm::sfx::MarkerSearchStart) != int64_t(markerAt)) {
        p.bytes.clear();
        p.result = result::SfxStubUnusable;
        return p;
    }
    p.bytes += *block;
    return p;
}

} // namespace qm::zip

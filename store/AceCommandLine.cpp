#include "store/AceCommandLine.h"

#include "platform/datetime/Numbers.h"
#include "platform/fs/Text.h"
#include "store/ProgramFolders.h"
#include "store/ProjectRecord.h"

#include <algorithm>

namespace qm::store {

namespace {

using F = ProjectField;

// The record fields of one family of backups (ACE or self-extracting ACE).
struct AceFields {
    F recurse, pathStorage, level, usePassword, password, archiveDate, useComments, comments, lock, recovery,
        avSignature, solid, dictionary;
};

constexpr AceFields PlainFields{F::ACEDoSubFolders,      F::ACEStorePathOption, F::ACECompressionLevel,
                                F::ACEUsePassword,       F::ACEDefaultPassword, F::ACEArchiveDate,
                                F::ACEUseComments,       F::ACEComments,        F::ACELockArchive,
                                F::ACEAddRecoveryMethod, F::ACEAVSignature,     F::ACESolidArchive,
                                F::ACEDictionarySize};
constexpr AceFields SfxFields{F::ACESFXDoSubFolders,      F::ACESFXStorePathOption, F::ACESFXCompressionLevel,
                              F::ACESFXUsePassword,       F::ACESFXDefaultPassword, F::ACESFXArchiveDate,
                              F::ACESFXUseComments,       F::ACESFXComments,        F::ACESFXLockArchive,
                              F::ACESFXAddRecoveryMethod, F::ACESFXAVSignature,     F::ACESFXSolidArchive,
                              F::ACESFXDictionarySize};

const AceFields& fieldsOf(bool selfExtracting)
{
    return selfExtracting ? SfxFields : PlainFields;
}

std::string_view trimmed(const std::string& value)
{
    return qm::fs::trimBlanks(value);
}

bool allDigits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ` "` & path & `"`, the path a value; with `blank` a blank before the closing quote.
AceCommand quotedPath(std::string_view head, std::string_view path, bool blank)
{
    AceCommand c;
    c.fixed(head).fixed("\"").verbatim(path);
    if (blank)
        c.fixed(" ");
    c.fixed("\"");
    return c;
}

} // namespace

AceCommand& AceCommand::fixed(std::string_view text)
{
    text_ += text;
    kind_.append(text.size(), 'f');
    return *this;
}

AceCommand& AceCommand::verbatim(std::string_view text)
{
    text_ += text;
    kind_.append(text.size(), 'v');
    return *this;
}

AceCommand& AceCommand::append(const AceCommand& other)
{
    text_ += other.text_;
    kind_ += other.kind_;
    return *this;
}

void AceCommand::collapse()
{
    std::string text, kind;
    for (std::size_t i = 0; i < text_.size(); ++i) {
        text += text_[i];
        kind += kind_[i];
        if (text_[i] == ' ' && kind_[i] == 'f' && i + 1 < text_.size() && text_[i + 1] == ' ' && kind_[i + 1] == 'f')
            ++i; // the pair gives one blank
    }
    text_ = std::move(text);
    kind_ = std::move(kind);
}

std::string CollapseBlanks(std::string_view text)
{
    AceCommand c(text);
    c.collapse();
    return c.text();
}

std::string AceCommandLetter(std::string_view command)
{
    return command.size() < 2 ? std::string() : std::string(1, command[1]);
}

std::string AceParameterText(std::string_view command, std::string_view archivePath, std::string_view listPart,
                             AceLetters letters)
{
    const std::string letter = AceCommandLetter(command);
    std::string head;
    if (letter == "t")
        head = " t ";
    else if (letter == "a" || letter == "f" || letter == "u" || letter == "l" ||
             (letters == AceLetters::Restore && (letter == "e" || letter == "x")))
        head = std::string(command);
    else
        return {};
    return head + "\"" + std::string(archivePath) + "\"" + std::string(listPart);
}

AceCommand AcePasswordPiece(std::string_view password)
{
    AceCommand c;
    c.fixed(" -p");
    if (password.find_first_of(" \t\"") == std::string_view::npos) {
        c.verbatim(password);
    } else {
        std::string quoted;
        std::size_t backslashes = 0;
        for (char ch : password) {
            if (ch == '\\') {
                ++backslashes;
                quoted += ch;
                continue;
            }
            if (ch == '"')
                quoted.append(backslashes, '\\').append("\"\"");
            else
                quoted += ch;
            backslashes = 0;
        }
        quoted.append(backslashes, '\\'); // before the closing quote
        c.fixed("\"").verbatim(quoted).fixed("\"");
    }
    return c.fixed(" ");
}

std::string AceVolumePiece(std::string_view splitSize)
{
    const std::optional<long long> size = qm::datetime::parseWholeNumber(splitSize);
    if (!size || *size <= 0)
        return {};
    return " -v" + std::to_string(*size / 1000) + " ";
}

std::string AceCommentFile(std::string_view appPath)
{
    return ProgramTempFolder(appPath) + "\\comment.txt";
}

std::string AceSfxOptionsFile(std::string_view appPath)
{
    return std::string(appPath) + "\\sfxopt.ini";
}

std::string AceListFile(std::string_view appPath, std::string_view projectName, bool selfExtracting)
{
    return std::string(appPath) + "\\Filelists\\" + std::string(projectName) + (selfExtracting ? "-ACEEXE" : "-ACE");
}

bool AceCommentNamed(const ProjectRecord& record, bool selfExtracting)
{
    const AceFields& f = fieldsOf(selfExtracting);
    return trimmed(record[f.useComments]) == "yes" && !trimmed(record[f.comments]).empty();
}

std::string AceCommentText(const ProjectRecord& record, bool selfExtracting)
{
    return record[fieldsOf(selfExtracting).comments] + "\r\n";
}

AceCommand AceBackupSwitches(const ProjectRecord& r, std::string_view appPath, const AceSwitchForm& form)
{
    const AceFields& f = fieldsOf(form.selfExtracting);
    auto yes = [&](F field) { return trimmed(r[field]) == "yes"; };
    AceCommand c;
    if (r[f.recurse] == "yes")
        c.fixed(" -r ");
    if (form.pathStorage) {
        const std::string_view paths = trimmed(r[f.pathStorage]);
        if (paths == "-fp" || paths == "-fpd") {
            if (!c.endsWithBlank())
                c.fixed(" ");
            c.fixed(paths);
        }
    }
    const std::string& level = r[f.level];
    if (level.size() == 1 && level[0] >= '0' && level[0] <= '5')
        c.fixed(" -m" + level + " ");
    else if (trimmed(level).empty())
        c.fixed(" -m5 ");
    if (r[f.usePassword] == "yes" && !trimmed(r[f.password]).empty())
        c.append(AcePasswordPiece(r[f.password]));
    if (trimmed(r[f.archiveDate]) == "latest")
        c.fixed(" -tl ");
    else if (trimmed(r[f.archiveDate]) == "today")
        c.fixed(" -tk ");
    if (AceCommentNamed(r, form.selfExtracting))
        c.append(quotedPath(" -z", AceCommentFile(appPath), form.blankInClauses));
    if (form.volumes == AceVolumes::Spanned)
        c.fixed(" -v ");
    else if (form.volumes == AceVolumes::Split)
        c.fixed(AceVolumePiece(form.splitSize));
    if (yes(f.lock))
        c.fixed(" -k ");
    if (yes(f.recovery))
        c.fixed(" -rr ");
    if (yes(f.avSignature))
        c.fixed(" -av+ ");
    if (yes(f.solid))
        c.fixed(" -s ");
    const std::string_view dictionary = trimmed(r[f.dictionary]);
    if (dictionary.empty())
        c.fixed(" -d1024 ");
    else if (allDigits(dictionary))
        c.fixed(" -d" + std::string(dictionary) + " ");
    if (form.selfExtracting) {
        c.fixed(" -sfx32 ");
        if (!r[F::ACESFXProjectCaption].empty() || !r[F::ACESFXProjectIntro].empty())
            c.append(quotedPath("-sopt", AceSfxOptionsFile(appPath), false));
    }
    return c;
}

AceCommand AceBackupCommand(bool archiveExists, const AceCommand& switches)
{
    AceCommand c(archiveExists ? " u" : " a");
    return c.append(switches).fixed(" -y ");
}

std::string AceListPart(const ProjectRecord& r, std::string_view appPath, bool selfExtracting, bool blankInClauses)
{
    const bool listed = selfExtracting ? r[F::ACESFXFilesToProcess] != "*" : r[F::ACEFilesToProcess] == "(list)";
    if (!listed)
        return {};
    return " @\"" + AceListFile(appPath, r[F::ProjectName], selfExtracting) + (blankInClauses ? " " : "") + "\"";
}

} // namespace qm::store

#include "editor/SaveRecord.h"

#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "store/FileLists.h"

namespace qm::editor {

namespace {

using F = qm::store::ProjectField;
using qm::store::ProjectRecord;

using qm::store::FilesToProcessFields;
using qm::store::ListValue;

constexpr std::string_view QmtQuestion = "The QMT Filename must end with\r\n"
                                         "a '.qmt' filename extension.\r\n"
                                         "Click 'Okay' to have Quillmate add\r\n"
                                         "this extension, or click 'Cancel'\r\n"
                                         "to re-edit this field manually.";
constexpr std::string_view AceQuestion = "The ACE Filename must end with\r\n"
                                         "an '.ace' filename extension.\r\n"
                                         "Click 'Okay' to have Quillmate add\r\n"
                                         "this extension, or click 'Cancel'\r\n"
                                         "to re-edit this field manually.";

bool isNetworkPath(std::string_view path) { return path.starts_with("\\\\"); }
bool has(std::string_view path, char c) { return path.find(c) != std::string_view::npos; }
// A drive letter's form: ":\" as its second and third characters, no "\" first.
bool driveForm(std::string_view path) { return path.substr(1, 2) == ":\\" && !path.starts_with('\\'); }

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

int CheckUNC(const std::string& path) { return path.find("\\\\") == std::string::npos ? 1 : 0; }

int CheckFirstChar(const std::string& path) { return path.starts_with(':') ? 1 : 0; }

std::optional<std::string> missingRequiredValue(ProjectRecord& r)
{
    if (r[F::ProjectFolder].empty())
        return "The Project Folder field requires a value.";
    const std::string& format = r[F::AutoBackupFormat];
    if (format.empty())
        return "Automatic Back-up Format is a required field.";
    if (format == "ZIP") {
        if (r[F::ZIPBackFile].empty())
            return "The QMT Filename field requires a value.";
        if (r[F::ZIPDefaultRestoreFromFolder].empty())
            return "The QMT Target Folder field requires a value.";
        if (r[F::ZIPFilesToProcess].empty())
            r[F::ZIPFilesToProcess] = "*";
        if (r[F::UseTempFolder].empty())
            return "Use Temporary Folder requires a yes or no setting.";
    } else if (format == "ACE") {
        if (r[F::ACEBackFile].empty())
            return "The ACE Filename requires a value.";
        if (r[F::ACEDefaultRestoreFromFolder].empty())
            return "The ACE target folder requires a value.";
    }
    return std::nullopt;
}

std::optional<ExtensionQuestion> missingExtension(const ProjectRecord& r, bool defaults)
{
    const std::string& format = r[F::AutoBackupFormat];
    std::optional<ExtensionQuestion> q;
    if (format == "ZIP")
        q = ExtensionQuestion{F::ZIPBackFile, ".qmt", QmtQuestion};
    else if (format == "ACE")
        q = ExtensionQuestion{F::ACEBackFile, ".ace", AceQuestion};
    if (!q)
        return q;
    const std::string& name = r[q->field];
    const std::string_view ending = std::string_view(name).substr(name.size() < 4 ? 0 : name.size() - 4);
    if ((defaults && name.empty()) || lowerAscii(ending) == q->extension)
        return std::nullopt;
    return q;
}

std::optional<std::string> folderFormError(const ProjectRecord& r, bool defaults)
{
    const std::string& format = r[F::AutoBackupFormat];
    const bool ace = format == "ACE";
    const bool hasTarget = ace || format == "ZIP";
    const std::string& folder = r[F::ProjectFolder];
    const std::string& target = ace ? r[F::ACEDefaultRestoreFromFolder] : r[F::ZIPDefaultRestoreFromFolder];
    const std::string aceWord = ace ? "ACE " : "";
    // The defaults record may leave a folder empty.
    const bool checkFolder = !(defaults && folder.empty());
    const bool checkTarget = hasTarget && !(defaults && target.empty());

    if (checkTarget && target.starts_with(':'))
        return aceWord + "Target Folder string cannot begin with a colon.";
    // A network folder passes the drive-letter tests below; it does not
    // clear a refusal found before it.
    std::optional<std::string> pending;
    if (!defaults && folder.starts_with(':'))
        pending = "Project Folder string cannot begin with a colon character";
    const bool folderOnNetwork = isNetworkPath(folder);
    const bool targetOnNetwork = hasTarget && isNetworkPath(target);
    if (checkTarget) {
        if (!has(target, ':') && !targetOnNetwork)
            return "The " + aceWord +
                   "Target Folder field is not properly formatted.\r\n"
                   "It must contain a valid pathname\r\n"
                   "(e.g., 'c:\\MyBackups').";
        if (!has(target, '\\'))
            return "The " + aceWord +
                   "Target Folder contains no path separator character; i.e., the backslash (\\) character.";
    }
    if (checkFolder) {
        if (!has(folder, ':') && !folderOnNetwork)
            return "The Project Folder field is not properly formatted.\r\n"
                   "It must contain a valid pathname\r\n"
                   "(e.g., 'c:\\My Files\\My Projects').";
        if (!has(folder, '\\'))
            return "The Project Folder contains no path separator character; i.e., the backslash (\\) character.";
        if (!folderOnNetwork && !driveForm(folder))
            return "The Project Folder is not properly formatted.";
    }
    if (checkTarget && !targetOnNetwork && !driveForm(target))
        pending = "The " + aceWord + "Target Folder is not properly formatted.";
    return pending;
}

std::optional<qm::RtError> commitFileLists(const ProjectRecord& r, const std::array<bool, 4>& edited)
{
    std::optional<qm::RtError> last;
    auto attempt = [&](auto&& step) {
        try {
            step();
        } catch (const qm::RtError& e) {
            last = e;
        }
    };
    const std::string& project = r[F::ProjectName];
    for (std::size_t k = 0; k < FilesToProcessFields.size(); ++k) {
        if (r[FilesToProcessFields[k]] == ListValue)
            continue;
        for (bool hold : {false, true})
            if (std::optional<std::string> path = qm::store::fileListPath(project, qm::store::FileListKinds[k], hold))
                attempt([&] { qm::fs::deleteNamedFile(*path); });
    }
    for (std::size_t k = 0; k < edited.size(); ++k) {
        const std::optional<std::string> list = qm::store::fileListPath(project, qm::store::FileListKinds[k]);
        const std::optional<std::string> hold = qm::store::fileListPath(project, qm::store::FileListKinds[k], true);
        // The copy replaces the list in one step, never leaving it half written.
        if (edited[k] && list && hold)
            attempt([&] { qm::fs::copyFile(*hold, *list); });
    }
    attempt([] { qm::fs::deleteFile(qm::fs::appPath() + "\\Filelists\\*-hold"); });
    return last;
}

} // namespace qm::editor

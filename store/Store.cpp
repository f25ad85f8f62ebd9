#include "store/Store.h"

#include "store/FileErrors.h"
#include "store/FileLists.h"
#include "store/ProgramFolders.h"
#include "store/ProjectFile.h"
#include "platform/fs/Errors.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/profile/Profile.h"
#include "platform/ui/UiServices.h"

#include <optional>

namespace qm::store {

namespace {

// The whole file at a Windows-form path, parsed; empty when it is missing or
// cannot be read (the loaders report nothing).
qm::profile::IniDocument readQuietly(const std::string& winPath)
{
    try {
        return qm::profile::loadDocument(qm::fs::toNative(winPath));
    } catch (const std::exception&) {
        return {};
    }
}

// A project name must name a file inside the Projects folder.
void checkProjectName(const std::string& name)
{
    if (!usableFileName(name))
        throw qm::fs::makeRtError(qm::rterr::BadFileName, "project name \"" + name + "\"");
}

// Replaces the file at a Windows-form path atomically with the bytes
// `text(native)` gives, in turn with the other program's single-key updates
// of the same folder: what the file holds while `text` runs stays so until
// the file is replaced.
template <class Text>
void writeWhole(const std::string& winPath, Text text)
{
    detail::withFile(winPath, qm::fs::toNative(winPath), [&](const std::filesystem::path& native) {
        // A read-only file is protected: it is not replaced.
        const std::optional<qm::fs::FileEntry> old = qm::fs::nativeInfo(native);
        if (old && (old->attributes & qm::fs::attr::ReadOnly))
            throw qm::fs::makeRtError(qm::rterr::PathFileAccess, winPath);
        auto lock = qm::fs::lockForUpdate(native);
        qm::profile::saveText(native, text(native));
    });
}

void writeWhole(const std::string& winPath, const std::string& bytes)
{
    writeWhole(winPath, [&](const std::filesystem::path&) -> const std::string& { return bytes; });
}

} // namespace

Store::Store(qm::ui::UiServices& ui)
    : ui_(ui)
{
}

std::string Store::userOptionsPath() { return qm::fs::appPath() + "\\Options\\User Options"; }

std::string Store::defaultsPath() { return qm::fs::appPath() + "\\Options\\My Data Defaults"; }

std::string Store::projectPath(const std::string& projectName)
{
    return qm::fs::appPath() + "\\Projects\\" + projectName;
}

std::string Store::ReadIni(const std::string& section, const std::string& key, const std::string& file,
                           const std::string& defaultValue)
{
    return qm::store::ReadIni(ui_, section, key, file, defaultValue);
}

bool Store::WriteIni(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file)
{
    return qm::store::WriteIni(ui_, section, key, value, file);
}

bool Store::WriteIniValues(const std::string& file, std::initializer_list<qm::profile::KeyValue> values)
{
    return qm::store::WriteIniValues(ui_, file, values);
}

void Store::LoadUserOptions()
{
    RecordCount = 1;
    UserOptionsRecord.redim(RecordCount);
    UserOptionsIni = userOptionsPath();
    UserOptionsRecord(1) = userOptionsFromDocument(readQuietly(UserOptionsIni));
    const std::string& temp = UserOptionsRecord(1).UserTempFolder;
    TempFolder = temp.empty() ? ProgramTempFolder(qm::fs::appPath()) : temp;
    if (userOptionsListener_)
        userOptionsListener_();
}

void Store::SaveUserOptions()
{
    writeWhole(userOptionsPath(), userOptionsText(UserOptionsRecord(1)));
    ui_.msgBox("User Options saved", qm::ui::mb::OKOnly | qm::ui::mb::Information, "Done!");
}

void Store::LoadProject()
{
    RecordCount = 1;
    ProjectRecord.redim(RecordCount);
    ProjectRecord(1) = projectFromDocument(readQuietly(CurrentProjectIni));
}

ProjectRecord Store::readProject(const std::string& winPath)
{
    return detail::withFile(winPath, qm::fs::toNative(winPath), [](const std::filesystem::path& native) {
        return projectFromDocument(qm::profile::loadDocument(native));
    });
}

void Store::SaveProject()
{
    writeWhole(CurrentProjectIni, projectFileText(ProjectRecord(1)));
}

void Store::SaveProjectKeepingStamps(const qm::store::ProjectRecord& asLoaded)
{
    qm::store::ProjectRecord& record = ProjectRecord(1);
    writeWhole(CurrentProjectIni, [&](const std::filesystem::path& native) {
        std::optional<qm::store::ProjectRecord> now;
        try {
            now = projectFromDocument(qm::profile::loadDocument(native));
        } catch (const std::exception&) {
            // A file that cannot be read keeps the stamps of the record.
        }
        if (now)
            for (ProjectField f : BackupStampFields)
                if (record[f] == asLoaded[f])
                    record[f] = (*now)[f];
        return projectFileText(record);
    });
}

void Store::CreateProjectFile(const std::string& ProjectName)
{
    checkProjectName(ProjectName);
    writeWhole(projectPath(ProjectName), projectTemplateText(ProjectName));
}

} // namespace qm::store

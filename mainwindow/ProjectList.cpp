#include "mainwindow/ProjectList.h"

#include "app/FileListBox.h"
#include "app/ProgramState.h"
#include "platform/datetime/DateText.h"
#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"
#include "platform/profile/Profile.h"

#include <filesystem>
#include <optional>

namespace qm::app {

namespace {

std::string trimmed(const std::string& s)
{
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string orNoBackup(const std::string& date)
{
    return trimmed(date).empty() ? std::string(NoBackupDate) : date;
}

std::string get(const qm::profile::IniDocument& doc, std::string_view section, std::string_view key)
{
    return qm::profile::getString(doc, section, key, "");
}

} // namespace

RowFamily rowFamily(const std::string& zipDate, const std::string& aceDate)
{
    const qm::datetime::DateTime none = *qm::datetime::parseDateTime(NoBackupDate);
    const qm::datetime::DateTime zip = qm::datetime::parseDateTime(orNoBackup(zipDate)).value_or(none);
    const qm::datetime::DateTime ace = qm::datetime::parseDateTime(orNoBackup(aceDate)).value_or(none);
    return zip < ace ? RowFamily::Ace : RowFamily::Zip;
}

ProjectRow projectRow(const qm::profile::IniDocument& doc)
{
    const std::string aceDate = orNoBackup(get(doc, "ACE BACKUP OPTIONS", "ACELastBackupDate"));
    const std::string zipDate = orNoBackup(get(doc, "FILES AND FOLDERS-QMT", "ZIPLastBackupDate"));
    ProjectRow row;
    row.family = rowFamily(zipDate, aceDate);
    std::string date = row.family == RowFamily::Zip ? zipDate : aceDate;
    if (date == NoBackupDate)
        date.clear();
    const std::string format = get(doc, "BACKUP OPTIONS", "AutoBackupFormat");
    row.text = get(doc, "SOURCES", "ProjectName");
    row.sub[0] = date;
    if (row.family == RowFamily::Zip) {
        row.sub[1] = format == "ACE" ? get(doc, "ACE BACKUP OPTIONS", "ACEBackupOption")
                                     : get(doc, "BACKUP OPTIONS", "ZIPBackupOption");
        row.sub[2] = get(doc, "COMMENTS", "ZIPComments");
        row.sub[3] = get(doc, "FILES AND FOLDERS-QMT", "ProjectFolder");
        row.sub[4] = get(doc, "FILES AND FOLDERS-QMT", "ZIPLastBackupFolder");
    } else {
        row.sub[1] = get(doc, "ACE BACKUP OPTIONS", "ACEBackupOption");
        row.sub[2] = get(doc, "ACE COMMENTS", "ACEComments");
        row.sub[3] = get(doc, "FILES AND FOLDERS-QMT", "ProjectFolder");
        row.sub[4] = get(doc, "ACE BACKUP OPTIONS", "ACELastBackupFolder");
    }
    return row;
}

std::vector<ProjectRow> PopulateList(ProgramState& state, const FileListBox& File1)
{
    std::vector<ProjectRow> rows;
    rows.reserve(static_cast<std::size_t>(File1.ListCount()));
    const qm::fs::DriveTableHold sameDrives; // the drive table is checked once for the whole list
    for (int i = 0; i < File1.ListCount(); ++i) {
        state.store.CurrentProjectIni = qm::fs::joinPath(File1.Path(), File1.List(i));
        // One read of the file; each value is then looked up as the profile
        // reader looks it up. A file that cannot be read reads as empty, and
        // so does anything but a regular file (reading a pipe or a device
        // could wait, or run, for ever).
        qm::profile::IniDocument doc;
        try {
            const std::filesystem::path native = qm::fs::toNative(state.store.CurrentProjectIni);
            std::error_code ec;
            if (std::filesystem::is_regular_file(native, ec))
                doc = qm::profile::loadDocumentOrEmpty(native);
        } catch (const std::exception&) {
        }
        rows.push_back(projectRow(doc));
    }
    return rows;
}

void ListSort::columnClick(int column)
{
    SortKey = column;
    Sorted = true;
    Descending = !Descending;
}

} // namespace qm::app

#pragma once
// One project's settings: 178 text fields numbered 0 to 177, each named
// after its key in the project file. Flags are "yes" / "no", numbers and
// dates are their text, the empty text means "not set".
//
// Fields are reached by id (typo-safe): rec[ProjectField::ZIPBackFile];
// by number: rec.field(45); or by name: rec.byName("ZIPDoSubFolders").
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm::store {

enum class ProjectField : int {
#define QM_SECTION(written, asked)
#define QM_KEY(name, number) name = number,
#define QM_KEY_AS(name, number, section, key) name = number,
#define QM_EMPTY_KEY(key)
#define QM_BLANK()
#define QM_TEMPLATE_END()
#include "store/ProjectLines.def"
#undef QM_SECTION
#undef QM_KEY
#undef QM_KEY_AS
#undef QM_EMPTY_KEY
#undef QM_BLANK
#undef QM_TEMPLATE_END
    // The one field without a key: nothing reads or writes it.
    Unused167 = 167,
};

inline constexpr int ProjectFieldCount = 178;

// The back-up history that backups stamp into the file: the date and target
// folder of the last QMT backup and of the last ACE backup.
inline constexpr std::array<ProjectField, 4> BackupStampFields{
    ProjectField::ZIPLastBackupDate, ProjectField::ZIPLastBackupFolder, ProjectField::ACELastBackupDate,
    ProjectField::ACELastBackupFolder};

// The field's name (its key), or "" for Unused167.
std::string_view fieldName(ProjectField f);

// The field of that name, compared without regard to case; nothing for an
// unknown name.
std::optional<ProjectField> fieldByName(std::string_view name);

struct ProjectRecord {
    std::array<std::string, ProjectFieldCount> fields;

    std::string& operator[](ProjectField f) { return fields[static_cast<std::size_t>(f)]; }
    const std::string& operator[](ProjectField f) const { return fields[static_cast<std::size_t>(f)]; }

    // Field by number; qm::RtError 9 (subscript out of range) outside 0..177.
    std::string& field(int number);
    const std::string& field(int number) const;

    // Field by name (case-insensitive); nullptr for an unknown name.
    std::string* byName(std::string_view name);
    const std::string* byName(std::string_view name) const;

    bool operator==(const ProjectRecord&) const = default;
};

} // namespace qm::store

#pragma once
// The user options: the record, its keys and the text of its file.
#include <array>
#include <string>
#include <string_view>

namespace qm::profile {
class IniDocument;
}

namespace qm::store {

struct UserOptionsRecord {
    std::string UserZIPShellPath;
    std::string UserFavoriteAppPath;
    std::string ProjectINIBackupPath;
    std::string UserBackINIOption;
    std::string UserBackINISchedule;
    std::string UserSplitSize;
    std::string UserView;
    std::string UserTempFolder;
    std::string UserLastINIBackup;
    std::string UserDefaultCompression;

    static constexpr int FieldCount = 10;

    // Field by number, in record order; qm::RtError 9 outside 0..9.
    std::string& field(int number);
    const std::string& field(int number) const;

    bool operator==(const UserOptionsRecord&) const = default;
};

// The keys of the user options file in record order, with their fields.
struct UserOptionKey {
    std::string_view key;
    std::string UserOptionsRecord::*member;
};
inline constexpr std::array<UserOptionKey, UserOptionsRecord::FieldCount> UserOptionKeys{{
    {"UserZIPShellPath", &UserOptionsRecord::UserZIPShellPath},
    {"UserFavoriteAppPath", &UserOptionsRecord::UserFavoriteAppPath},
    {"ProjectINIBackupPath", &UserOptionsRecord::ProjectINIBackupPath},
    {"UserBackINIOption", &UserOptionsRecord::UserBackINIOption},
    {"UserBackINISchedule", &UserOptionsRecord::UserBackINISchedule},
    {"UserSplitSize", &UserOptionsRecord::UserSplitSize},
    {"UserView", &UserOptionsRecord::UserView},
    {"UserTempFolder", &UserOptionsRecord::UserTempFolder},
    {"UserLastINIBackup", &UserOptionsRecord::UserLastINIBackup},
    {"UserDefaultCompression", &UserOptionsRecord::UserDefaultCompression},
}};

// The section as written, and as the loader asks for it.
inline constexpr std::string_view UserOptionsSection = "USER OPTIONS";
inline constexpr std::string_view UserOptionsLoadSection = "User Options";

// The whole user options file: the section line and the 10 key lines, each
// ending CR LF, values unchanged except line breaks stored as a single CR.
std::string userOptionsText(const UserOptionsRecord& rec);

// The record the file gives, each key read as the profile reader gives it.
UserOptionsRecord userOptionsFromDocument(const qm::profile::IniDocument& doc);

} // namespace qm::store

#pragma once
// What the save helper (SaveLoop.cpp) and its tests write: two versions of
// one project record and of the user options, the user option Quillmate
// writes by itself, and Nightwick's stamps.
#include "store/ProjectRecord.h"
#include "store/UserOptions.h"

#include <string>

namespace qm::test::saves {

inline const char* ProjectName = "Big";

inline qm::store::ProjectRecord project(int version)
{
    using F = qm::store::ProjectField;
    qm::store::ProjectRecord r;
    const std::string v = std::to_string(version);
    r[F::ProjectName] = ProjectName;
    r[F::ProjectFolder] = "C:\\home\\ann\\Documents" + v;
    r[F::ZIPBackFile] = "Big" + v + ".qmt";
    r[F::ZIPDefaultRestoreFromFolder] = "C:\\backups";
    r[F::ZIPComments] = std::string(4000, char('a' + version)); // a file of some size, written in more than one piece
    r[F::ZIPBackupOption] = "automatic";
    return r;
}

inline qm::store::UserOptionsRecord options(int version)
{
    qm::store::UserOptionsRecord u;
    u.UserTempFolder = "C:\\tmp\\" + std::string(2000, char('a' + version));
    u.UserSplitSize = std::to_string(1000 + version);
    return u;
}

inline std::string view(int round) { return "view " + std::to_string(round); }
inline std::string stamp(int round) { return "3/7/2026 1:05:" + std::to_string(10 + round % 50) + " PM #" + std::to_string(round); }

} // namespace qm::test::saves

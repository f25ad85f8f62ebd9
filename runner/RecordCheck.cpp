#include "runner/RecordCheck.h"

#include "store/ProjectRecord.h"

namespace qm::runner {

namespace {

using F = qm::store::ProjectField;

// The fields a kind checks; the rest of the checks are the same for both.
struct KindFields {
    F backFile;
    F target;
    F subFolders;
    F useComments;
    F comments;
    F usePassword;
    F password;
    const char* label; // "ZIP" or "ACE"
    const char* mark;  // added after "box" for the ACE kind
};

constexpr KindFields Zip{F::ZIPBackFile,    F::ZIPDefaultRestoreFromFolder,
                         F::ZIPDoSubFolders, F::ZIPUseComments,
                         F::ZIPComments,    F::ZIPUsePassword,
                         F::ZIPDefaultPassword, "ZIP", ""};
constexpr KindFields Ace{F::ACEBackFile,    F::ACEDefaultRestoreFromFolder,
                         F::ACEDoSubFolders, F::ACEUseComments,
                         F::ACEComments,    F::ACEUsePassword,
                         F::ACEDefaultPassword, "ACE", " (ACE)"};

// The message of the first check that fails, or "" when all pass.
std::string firstFailure(const qm::store::ProjectRecord& r, const KindFields& k)
{
    const std::string& name = r[F::ProjectName];
    if (name.empty())
        return "No Project has been selected for processing.";
    if (r[F::ProjectFolder].empty())
        return "You have not defined a source folder from which to archive files for your project, " + name;
    if (r[k.backFile].empty())
        return std::string("The ") + k.label + " filename for your Project has not been defined." +
               "\r\n (Hint: It can be the same as your Project name.)";
    if (r[k.target].empty())
        return "The Target folder for your project, " + name + " has not been defined.";
    if (r[k.subFolders].empty())
        return "The Process Subfolders option has not been set.";
    if (r[k.useComments] == "yes" && r[k.comments].empty())
        return std::string("You have checked the Use Comments box") + k.mark +
               " but have not entered any text in the comment box.";
    if (r[k.usePassword] == "yes" && r[k.password].empty())
        return std::string("You have checked the Use Password box") + k.mark +
               " but have not entered any text in the password box.";
    return {};
}

} // namespace

void CheckValues(const qm::store::ProjectRecord& record, bool& error, const std::string& OpType,
                 std::string& Msg)
{
    const KindFields* kind = OpType == "zip" ? &Zip : OpType == "ace" ? &Ace : nullptr;
    if (!kind)
        return;
    std::string failure = firstFailure(record, *kind);
    if (failure.empty())
        return;
    error = true;
    Msg = std::move(failure);
}

} // namespace qm::runner

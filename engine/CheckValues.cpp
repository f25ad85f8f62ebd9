#include "engine/CheckValues.h"

#include "app/ProgramState.h"
#include "store/ProjectRecord.h"

#include <functional>
#include <vector>

namespace qm::engine {

namespace {

using F = qm::store::ProjectField;

const std::string CrLf = "\r\n";
const std::string Hint = CrLf + " (Hint: It can be the same as your Project name.)";
const std::string None = "No Project has been selected for processing, or no information has been stored "
                         "for this project.";
const std::string NoneSfx = "No Project has been selected for processing," + CrLf +
                            "or there is not enough info to continue" + CrLf + "with the self-extract operation." +
                            CrLf + CrLf + "Please click the add/edit button to fill in the info.";
const std::string Comments = "You have checked the Use Comments box but have not entered any text in the "
                             "comment box.";
const std::string Password = "You have checked the Use Password box but have not entered any text in the "
                             "password box.";
const std::string AceComments = "You have checked the ACE Use Comments box but have not entered any text in the "
                                "comment box.";
const std::string AcePassword = "You have checked the ACE Use Password box but have not entered any text in "
                                "the password box.";

struct Check {
    std::function<bool(const qm::store::ProjectRecord&)> fails;
    std::function<std::string(const qm::store::ProjectRecord&)> message;
};

Check empty(F field, std::string text)
{
    return {[field](const auto& r) { return r[field].empty(); }, [text](const auto&) { return text; }};
}

Check empty(F field, std::function<std::string(const qm::store::ProjectRecord&)> message)
{
    return {[field](const auto& r) { return r[field].empty(); }, std::move(message)};
}

// A flag counts only when it is exactly "yes".
Check flagWithoutText(F flag, F text, std::string message)
{
    return {[flag, text](const auto& r) { return r[flag] == "yes" && r[text].empty(); },
            [message](const auto&) { return message; }};
}

std::string sourceMessage(const qm::store::ProjectRecord& r)
{
    return "You have not defined a source folder from which to archive files for your project, " +
           r[F::ProjectName];
}

std::vector<Check> checksFor(const std::string& OpType)
{
    if (OpType == "zip")
        return {empty(F::ProjectName, None),
                empty(F::ProjectFolder, sourceMessage),
                empty(F::ZIPBackFile, "The QMT filename for your Project has not been defined." + Hint),
                empty(F::ZIPDefaultRestoreFromFolder, TargetFolderMessage),
                empty(F::ZIPDoSubFolders, "The Process Subfolders option has not been set."),
                flagWithoutText(F::ZIPUseComments, F::ZIPComments, Comments),
                flagWithoutText(F::ZIPUsePassword, F::ZIPDefaultPassword, Password)};
    if (OpType == "exe")
        return {empty(F::ProjectName, NoneSfx),
                empty(F::ProjectFolder, sourceMessage),
                empty(F::SFXBackFile, "The archive filename for your self-extract Project has not been defined." + Hint),
                empty(F::ZIPDefaultRestoreFromFolder, TargetFolderMessage),
                flagWithoutText(F::SFXUseComments, F::SFXComments, Comments),
                flagWithoutText(F::SFXUsePassword, F::SFXDefaultPassword, Password)};
    if (OpType == "ace")
        return {empty(F::ProjectName, None),
                empty(F::ProjectFolder, sourceMessage),
                empty(F::ACEBackFile, "The ACE filename for your Project has not been defined." + Hint),
                empty(F::ACEDefaultRestoreFromFolder, TargetFolderMessage),
                flagWithoutText(F::ACEUseComments, F::ACEComments, AceComments),
                flagWithoutText(F::ACEUsePassword, F::ACEDefaultPassword, AcePassword)};
    if (OpType == "aceexe")
        return {empty(F::ProjectName, NoneSfx),
                empty(F::ProjectFolder, sourceMessage),
                empty(F::ACESFXBackFile,
                      "The archive filename for your self-extract ACE Project has not been defined." + Hint),
                empty(F::ACEDefaultRestoreFromFolder, TargetFolderMessage),
                flagWithoutText(F::ACESFXUseComments, F::ACESFXComments, AceComments),
                flagWithoutText(F::ACESFXUsePassword, F::ACESFXDefaultPassword, AcePassword)};
    return {};
}

} // namespace

void CheckValues(const qm::store::ProjectRecord& record, bool& QuillmateError, const std::string& OpType,
                 std::string& msg)
{
    for (const Check& c : checksFor(OpType)) {
        if (c.fails(record)) {
            QuillmateError = true;
            msg = c.message(record);
            return;
        }
    }
}

void CheckValues(const qm::app::ProgramState& state, bool& QuillmateError, const std::string& OpType,
                 std::string& msg)
{
    CheckValues(state.store.ProjectRecord(1), QuillmateError, OpType, msg);
}

std::string TargetFolderMessage(const qm::store::ProjectRecord& r)
{
    return "The Target folder for your project, " + r[F::ProjectName] + " has not been defined.";
}

} // namespace qm::engine

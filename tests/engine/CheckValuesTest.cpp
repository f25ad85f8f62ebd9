// Record validation: every check of the four kinds in order, each message
// byte for byte, the first failure winning, and the kinds that check nothing.
#include "engine/CheckValues.h"
#include "store/ProjectRecord.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using qm::engine::CheckValues;
using qm::store::ProjectField;
using qm::store::ProjectRecord;
using F = ProjectField;

namespace {

const std::string NoneMsg =
    "No Project has been selected for processing, or no information has been stored for this project.";
const std::string NoneSfxMsg =
    "No Project has been selected for processing,\r\nor there is not enough info to continue\r\nwith the "
    "self-extract operation.\r\n\r\nPlease click the add/edit button to fill in the info.";
const std::string SourceMsg =
    "You have not defined a source folder from which to archive files for your project, Weekly";
const std::string TargetMsg = "The Target folder for your project, Weekly has not been defined.";
const std::string HintTail = "\r\n (Hint: It can be the same as your Project name.)";
const std::string CommentsMsg =
    "You have checked the Use Comments box but have not entered any text in the comment box.";
const std::string PasswordMsg =
    "You have checked the Use Password box but have not entered any text in the password box.";
const std::string AceCommentsMsg =
    "You have checked the ACE Use Comments box but have not entered any text in the comment box.";
const std::string AcePasswordMsg =
    "You have checked the ACE Use Password box but have not entered any text in the password box.";

// A record that passes every kind: every field the checks read is filled,
// flags on with their texts present.
ProjectRecord complete()
{
    ProjectRecord r;
    r[F::ProjectName] = "Weekly";
    r[F::ProjectFolder] = "C:\\src";
    r[F::ZIPBackFile] = "weekly.qmt";
    r[F::ZIPDefaultRestoreFromFolder] = "D:\\bk";
    r[F::ZIPDoSubFolders] = "yes";
    r[F::ZIPUseComments] = "yes";
    r[F::ZIPComments] = "c";
    r[F::ZIPUsePassword] = "yes";
    r[F::ZIPDefaultPassword] = "p";
    r[F::SFXBackFile] = "weekly.exe";
    r[F::SFXUseComments] = "yes";
    r[F::SFXComments] = "c";
    r[F::SFXUsePassword] = "yes";
    r[F::SFXDefaultPassword] = "p";
    r[F::ACEBackFile] = "weekly.ace";
    r[F::ACEDefaultRestoreFromFolder] = "E:\\ace";
    r[F::ACEUseComments] = "yes";
    r[F::ACEComments] = "c";
    r[F::ACEUsePassword] = "yes";
    r[F::ACEDefaultPassword] = "p";
    r[F::ACESFXBackFile] = "weekly-ace.exe";
    r[F::ACESFXUseComments] = "yes";
    r[F::ACESFXComments] = "c";
    r[F::ACESFXUsePassword] = "yes";
    r[F::ACESFXDefaultPassword] = "p";
    return r;
}

struct Outcome {
    bool error = false;
    std::string msg = "untouched";
};

Outcome check(const ProjectRecord& r, const std::string& kind)
{
    Outcome o;
    CheckValues(r, o.error, kind, o.msg);
    return o;
}

// The checks of each kind, in order: the field to empty and the message.
using Steps = std::vector<std::pair<F, std::string>>;

const std::vector<std::pair<std::string, Steps>>& kinds()
{
    static const std::vector<std::pair<std::string, Steps>> k{
        {"zip",
         {{F::ProjectName, NoneMsg},
          {F::ProjectFolder, SourceMsg},
          {F::ZIPBackFile, "The QMT filename for your Project has not been defined." + HintTail},
          {F::ZIPDefaultRestoreFromFolder, TargetMsg},
          {F::ZIPDoSubFolders, "The Process Subfolders option has not been set."},
          {F::ZIPComments, CommentsMsg},
          {F::ZIPDefaultPassword, PasswordMsg}}},
        {"exe",
         {{F::ProjectName, NoneSfxMsg},
          {F::ProjectFolder, SourceMsg},
          {F::SFXBackFile, "The archive filename for your self-extract Project has not been defined." + HintTail},
          {F::ZIPDefaultRestoreFromFolder, TargetMsg},
          {F::SFXComments, CommentsMsg},
          {F::SFXDefaultPassword, PasswordMsg}}},
        {"ace",
         {{F::ProjectName, NoneMsg},
          {F::ProjectFolder, SourceMsg},
          {F::ACEBackFile, "The ACE filename for your Project has not been defined." + HintTail},
          {F::ACEDefaultRestoreFromFolder, TargetMsg},
          {F::ACEComments, AceCommentsMsg},
          {F::ACEDefaultPassword, AcePasswordMsg}}},
        {"aceexe",
         {{F::ProjectName, NoneSfxMsg},
          {F::ProjectFolder, SourceMsg},
          {F::ACESFXBackFile,
           "The archive filename for your self-extract ACE Project has not been defined." + HintTail},
          {F::ACEDefaultRestoreFromFolder, TargetMsg},
          {F::ACESFXComments, AceCommentsMsg},
          {F::ACESFXDefaultPassword, AcePasswordMsg}}},
    };
    return k;
}

TEST(CheckValuesTest, CompleteRecordPassesAndLeavesFlagAndMessage)
{
    for (const auto& [kind, steps] : kinds()) {
        const Outcome o = check(complete(), kind);
        EXPECT_FALSE(o.error) << kind;
        EXPECT_EQ(o.msg, "untouched") << kind;
    }
}

TEST(CheckValuesTest, EachCheckGivesItsMessageExactly)
{
    for (const auto& [kind, steps] : kinds()) {
        for (const auto& [field, message] : steps) {
            ProjectRecord r = complete();
            r[field].clear();
            const Outcome o = check(r, kind);
            EXPECT_TRUE(o.error) << kind << " " << qm::store::fieldName(field);
            EXPECT_EQ(o.msg, message) << kind << " " << qm::store::fieldName(field);
        }
    }
}

TEST(CheckValuesTest, FirstFailureWins)
{
    for (const auto& [kind, steps] : kinds()) {
        // Empty each field from the last check forwards: the earliest empty one speaks.
        ProjectRecord r = complete();
        for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
            r[it->first].clear();
            EXPECT_EQ(check(r, kind).msg, it->second) << kind << " " << qm::store::fieldName(it->first);
        }
    }
    // A wholly empty record: only the first message of each list.
    EXPECT_EQ(check(ProjectRecord{}, "zip").msg, NoneMsg);
    EXPECT_EQ(check(ProjectRecord{}, "ace").msg, NoneMsg);
    EXPECT_EQ(check(ProjectRecord{}, "exe").msg, NoneSfxMsg);
    EXPECT_EQ(check(ProjectRecord{}, "aceexe").msg, NoneSfxMsg);
}

TEST(CheckValuesTest, OtherKindsCheckNothing)
{
    for (const char* kind : {"ZIP", "zipmulti", "", "Exe", "acespan", " zip"}) {
        const Outcome o = check(ProjectRecord{}, kind);
        EXPECT_FALSE(o.error) << kind;
        EXPECT_EQ(o.msg, "untouched") << kind;
    }
}

TEST(CheckValuesTest, FlagsCountOnlyAsExactlyYes)
{
    ProjectRecord r = complete();
    r[F::ZIPComments].clear();
    for (const char* flag : {"Yes", "YES", "no", "", " yes"}) {
        r[F::ZIPUseComments] = flag;
        EXPECT_FALSE(check(r, "zip").error) << flag;
    }
    r[F::ZIPUseComments] = "yes";
    EXPECT_TRUE(check(r, "zip").error);
}

TEST(CheckValuesTest, BlanksCountAsFilledAndOnlyZipChecksSubfolders)
{
    ProjectRecord r = complete();
    r[F::ProjectFolder] = " ";
    r[F::ZIPComments] = "  ";
    EXPECT_FALSE(check(r, "zip").error);
    r[F::ZIPDoSubFolders].clear();
    EXPECT_TRUE(check(r, "zip").error);
    EXPECT_FALSE(check(r, "exe").error);
    // The self-extracting ZIP kind is checked against the ZIP target field,
    // the self-extracting ACE kind against the ACE one.
    ProjectRecord t = complete();
    t[F::ACEDefaultRestoreFromFolder].clear();
    EXPECT_FALSE(check(t, "exe").error);
    EXPECT_TRUE(check(t, "aceexe").error);
}

TEST(CheckValuesTest, ErrorFlagIsNeverCleared)
{
    bool error = true;
    std::string msg = "old";
    CheckValues(complete(), error, "zip", msg);
    EXPECT_TRUE(error);
    EXPECT_EQ(msg, "old");
}

} // namespace

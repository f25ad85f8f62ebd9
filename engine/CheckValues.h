#pragma once
// Validation of the loaded project record for one operation kind ("zip",
// "exe", "ace" or "aceexe", compared exactly). The checks of the kind run in
// order; the first that fails sets QuillmateError to true and msg to its
// message. Nothing else is changed: a passing record, or any other kind,
// leaves both as the caller set them. Nothing is shown.
#include <string>

namespace qm::store {
struct ProjectRecord;
}

namespace qm::app {
class ProgramState;
}

namespace qm::engine {

void CheckValues(const qm::store::ProjectRecord& record, bool& QuillmateError, const std::string& OpType,
                 std::string& msg);

// On element 1 of the program's ProjectRecord.
void CheckValues(const qm::app::ProgramState& state, bool& QuillmateError, const std::string& OpType,
                 std::string& msg);

// The message of a target folder that is not set: "The Target folder for
// your project, <name> has not been defined."
std::string TargetFolderMessage(const qm::store::ProjectRecord& record);

} // namespace qm::engine

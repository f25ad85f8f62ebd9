#pragma once
// The check of a loaded project record before an unattended backup. The
// checks of the kind (OpType "zip" or "ace", compared exactly) run in order;
// the first that fails sets `error` to true and `Msg` to its message, and
// nothing else is changed. A passing record, or any other kind, leaves both
// as the caller set them. Empty means the empty text: blanks are a value.
#include <string>

namespace qm::store {
struct ProjectRecord;
}

namespace qm::runner {

void CheckValues(const qm::store::ProjectRecord& record, bool& error, const std::string& OpType,
                 std::string& Msg);

} // namespace qm::runner

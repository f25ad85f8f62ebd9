#pragma once
// Saving a record in the record editor: the checks a record passes before it
// is written, in their fixed order and each with its message, and the commit
// of the file lists the file-list editor left as working copies ("-hold").
//
// The defaults record may leave the required values and any folder empty;
// what it holds must still be well formed.
#include "platform/fs/RtError.h"
#include "store/ProjectRecord.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace qm::editor {

// 1 when `path` holds no "\\" anywhere, else 0.
int CheckUNC(const std::string& path);
// 1 when the first character of `path` is ":", else 0 (also for "").
int CheckFirstChar(const std::string& path);

// The values a project record of its automatic format must hold: the
// message for the first one missing, nothing when none is. An empty
// ZIPFilesToProcess of a "ZIP" record becomes "*" on the way.
std::optional<std::string> missingRequiredValue(qm::store::ProjectRecord& record);

// The archive file name of the record's format ("ZIP": ".qmt", "ACE": ".ace"
// compared without case) that lacks its extension, and the question that
// offers to add it; nothing when the name has it (or the defaults record
// holds no name).
struct ExtensionQuestion {
    qm::store::ProjectField field;
    std::string_view extension;
    std::string_view message;
};
std::optional<ExtensionQuestion> missingExtension(const qm::store::ProjectRecord& record, bool defaults);

// The message that refuses the form of the project folder or of the target
// folder of the record's format; nothing when both pass. A network path
// ("\\" first) passes the drive-letter tests.
std::optional<std::string> folderFormError(const qm::store::ProjectRecord& record, bool defaults);

// After the record is written: every kind whose files-to-process value is
// not "(list)" loses its list and working copy; every kind in `edited`
// (FileListKinds' order) has its working copy copied over its list (a failed
// copy leaves the old list); then every project's working copies are
// deleted. Each step runs whatever failed before; the last failure is given
// back.
std::optional<qm::RtError> commitFileLists(const qm::store::ProjectRecord& record,
                                           const std::array<bool, 4>& edited);

} // namespace qm::editor

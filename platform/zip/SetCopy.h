#pragma once
// A set of parts (a split archive's, a self-extracting program's) copied
// into another folder as one change: the parts are copied beside their
// places under temporary names first, and then put in place as a build puts
// its set in place (placeSplitSet), so that the folder holds its old set
// whole or the new one whole, never a mix of the two.
#include "platform/fs/RtError.h"
#include "platform/zip/FileIo.h"
#include "platform/zip/SetFiles.h"

#include <string>

namespace qm::zip {

// A copy of a set that failed: what failed, and the file of the set whose
// copy or place it was (Windows form). The folder holds what it held.
struct SetCopyFailure : qm::RtError {
    SetCopyFailure(std::string file, const qm::RtError& error) : qm::RtError(error), file(std::move(file)) {}
    std::string file;
};

// Copies the whole set `set` (one whose parts lie beside the file that names
// it) into `folder` (Windows form) under the same names, the file that names
// it last. What killed copies left there is settled first. The parts keep
// their modes and times. Nothing is put over the set itself (the folder it
// lies in, or a link to one of its files) nor over another archive's part.
// On any failure what the copy wrote goes and the set the folder held before
// stays; throws SetCopyFailure.
void copySet(const SetFiles& set, const std::string& folder, const IoFaults* faults = nullptr);

} // namespace qm::zip

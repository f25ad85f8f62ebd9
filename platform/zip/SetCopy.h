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

// A copy of a set that failed: what failed, the file of the set whose copy
// or place it was (Windows form), and what the folder holds.
struct SetCopyFailure : qm::RtError {
    enum class Left {
        Held,      // what it held: no part of the set was put in place
        OtherCopy, // another copy of the archive is being written there, or was meanwhile, which it is left to
        Changed,   // another program changed the copy there while this one was put in place
    };
    SetCopyFailure(std::string file, const qm::RtError& error, Left left = Left::Held)
        : qm::RtError(error), file(std::move(file)), left(left)
    {
    }
    std::string file;
    Left left;
};

// Copies the whole set `set` (one whose parts lie beside the file that names
// it) into `folder` (Windows form) under the same names, the file that names
// it last. What killed copies left there is settled first. The parts keep
// their modes and times. Nothing is put over the set itself (the folder it
// lies in, or a link to one of its files) nor over another archive's part,
// nor over another writer's copy of that archive: one it finds being written
// there when its parts are to take their places, or one written there since
// it began (NameOrigin: the guard of builds). On any failure what the copy
// wrote goes; throws SetCopyFailure, which says what the folder holds.
void copySet(const SetFiles& set, const std::string& folder, const IoFaults* faults = nullptr);

} // namespace qm::zip

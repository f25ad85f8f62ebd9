#pragma once
// The one guard of the writers of an archive's name, a single file's and a
// set of parts' alike (a build, a removal of entries, a copy of a set):
// what stood under the name, with the parts of its set, when the writer
// began (NameOrigin), and its hold of the name and of the set's places
// while it puts its archive there (holdPlace). The hold is the hidden name
// under which a file waits aside (qm::fs::SetAside), which one writer alone
// takes and holds locked. Of two writers of one name at once, the one that
// finds the name held by the other, or no longer holding what it held when
// this one began, changes nothing and leaves the other's archive as it is
// (NameTaken): what stands under the name is always one writer's whole.
#include "platform/fs/SetAside.h"
#include "platform/zip/FileIo.h"
#include "platform/zip/Volumes.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace qm::zip {

// What stood under an archive's name when a writer began with it, so that
// the archive it makes takes the name only while the name, and every other
// file of the set it named, holds that still.
struct NameOrigin {
    struct Part {
        std::filesystem::path path;
        std::optional<FileIdentity> file;
    };
    std::optional<FileIdentity> file; // nothing: no file stood there
    std::vector<Part> parts;          // the other files of its set, as its records count them

    static NameOrigin of(const std::filesystem::path& target);
    std::vector<std::filesystem::path> partPaths() const;
    // Throws NameTaken{ArchiveReplaced} unless `target` and the parts hold what they held.
    void check(const std::filesystem::path& target) const;
    // The same, where the file that stands under the name waits aside at
    // `held` since the name was held (nothing: the name was free).
    void checkHeld(const std::optional<std::filesystem::path>& held) const;
    // Removes the parts that still hold what they held: an old set of parts
    // that gave way to one file.
    void dropParts() const;
};

// A writer's hold of `place` under its hidden name `hidden`, taken as `how`
// says (Hold::Alone: a file there waits aside, a free place is marked;
// Hold::NameOnly: the file stays). Gives its keeper; nothing where the place
// is free and another live run keeps its old file aside under the cover of
// which this writer builds (Hold::Cover: the ACE backup around WinAce).
// Throws NameTaken{ArchiveBeingWritten} where another live writer holds the
// place, InTheWay where a file that nothing may settle has its hidden name
// (or the file cannot be moved), IoError where no mark can be made.
std::unique_ptr<qm::fs::SetAside> holdPlace(const std::filesystem::path& place, const std::filesystem::path& hidden,
                                            const qm::fs::SetAside::NameHook& hook, qm::fs::SetAside::Hold how);

} // namespace qm::zip

#pragma once
// Temporary files that their maker holds locked while it lives. A file that
// is being made under a temporary name (an archive, a rewritten settings
// file) is named after what it will replace: a stem, sixteen hex digits and
// ".tmp". A program that is killed leaves such a file behind, but no lock
// on it (the system drops locks with the process), so the next maker with
// the same stem removes what nobody holds and leftovers never pile up.
//
// The lock lives as long as the descriptor given out (or a duplicate of
// it) is open. On a file system without locks nothing is ever removed.
#include <filesystem>
#include <string>
#include <string_view>

namespace qm::fs {

// Makes a new file `stem` + 16 hex digits + ".tmp" in the open folder
// `dirfd` and locks it. Gives its open read-write descriptor and its name,
// or -1 with errno set.
int createOwnedTemp(int dirfd, std::string_view stem, std::string& name, unsigned mode = 0666);
// The same in the folder `folder` ("" = the current one).
int createOwnedTemp(const std::filesystem::path& folder, std::string_view stem, std::string& name,
                    unsigned mode = 0666);

// Gives `fd`, a file made without a name (O_TMPFILE), the name `name` in the
// open folder `dirfd`. 0, or -1 with errno set (EEXIST when the name is
// taken; EXDEV, ENOENT and others when such a file cannot be named here).
int linkUnnamed(int fd, int dirfd, const std::string& name);
// Names `fd` as linkUnnamed does, with a new name of the form above, and
// locks it. Gives 0 and the name, or -1 with errno set.
int linkOwnedTemp(int fd, int dirfd, std::string_view stem, std::string& name);

// Removes the files of that form in the folder that no one holds locked.
// Gives how many were removed; a folder that cannot be read gives 0.
int removeStaleTemps(int dirfd, std::string_view stem);
int removeStaleTemps(const std::filesystem::path& folder, std::string_view stem);

// Whether `name` is `stem` followed by 16 hex digits and ".tmp".
bool isOwnedTempName(std::string_view name, std::string_view stem);

// Whether the open folder `dirfd` takes a name in another case for the same
// file, as a FAT medium or a case-insensitive mount does: a temporary file
// of `stem` is made there (after those that killed probes left are
// removed), looked for under its name in capitals and removed. A folder
// where no file can be made counts as folding, so that nothing is written
// over a file in the belief that it is another one.
bool foldsCase(int dirfd, std::string_view stem);

// Sixteen hex digits that stand for `text` (FNV-1a), for stems tied to a
// long name or a path.
std::string nameHash(std::string_view text);

} // namespace qm::fs

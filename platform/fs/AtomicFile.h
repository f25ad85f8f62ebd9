#pragma once
// Whole-file reads and atomic whole-file writes on host paths. A write goes to
// a temporary file in the same folder that is renamed over the target only
// when complete, so a failure never leaves half a file.
#include "platform/fs/RtError.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace qm::fs {

// Who may use a file written: as the old file allowed (a new one: as the
// umask allows), or its owner alone (what the old file allowed the others
// taken away: a new file, or one that was 0644, becomes 0600).
enum class Access { Kept, OwnerOnly };

// Replaces (or creates) `native` with `bytes`. The new file keeps the old
// file's permissions (and owner, where allowed), less the group's and the
// others' with Access::OwnerOnly; a symlink is written through. On failure
// the old file is untouched, no temporary file is left, and qm::RtError is
// thrown (76 folder missing, 70 no permission, 61 no room, ...).
void writeFileAtomic(const std::filesystem::path& native, std::string_view bytes, Access access = Access::Kept);

// The whole content of `native`. Throws qm::RtError: 53 file missing, 76 its
// folder missing, 70 no permission, 75 a folder or other access error.
std::string readFileBytes(const std::filesystem::path& native);

// Copies `from` over `to` atomically (same rules as writeFileAtomic); the copy
// gets the source's permissions and modification time.
void copyFileAtomic(const std::filesystem::path& from, const std::filesystem::path& to);

// What the temporary files made beside the file `leaf` are called before
// their digits (qm::fs::createOwnedTemp): a hidden name after it, so folder
// listings skip them, short enough to stay within the usual length limit.
std::string tempStem(const std::string& leaf);

// Writing a file in pieces with the same guarantee: nothing shows at the
// target until commit(); destroying the writer without commit() removes the
// temporary file and leaves the target as it was.
class AtomicFileWriter {
public:
    // Creates the temporary file; throws qm::RtError when it cannot.
    explicit AtomicFileWriter(const std::filesystem::path& target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::string_view bytes);
    // The permission bits the file gets (default: the old file's, else per umask).
    void setMode(unsigned mode);
    // Takes from the permission bits it has now what the group and the
    // others would have.
    void restrictToOwner();
    // Flushes to disk and renames over the target.
    void commit();
    // Removes the temporary file; the target stays as it was.
    void discard();
    int fd() const { return fd_; }
    const std::filesystem::path& tempPath() const { return temp_; }

private:
    [[noreturn]] void fail(int err);
    std::filesystem::path target_;
    std::filesystem::path temp_;
    std::string what_;
    int fd_ = -1;
    bool done_ = false;
};

} // namespace qm::fs

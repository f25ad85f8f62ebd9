#include "platform/fs/SetAside.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::fs {

std::filesystem::path SetAside::asideName(const std::filesystem::path& native)
{
    return native.parent_path() / ("." + native.filename().string() + ".previous");
}

SetAside::SetAside(const std::filesystem::path& native) : target_(native), aside_(asideName(native))
{
    struct stat st {};
    // A file still aside means a run was killed before it settled: whatever
    // it left in the file's place is unfinished, and the old file returns
    // first, so that it is never replaced by what comes now.
    if (::lstat(aside_.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::rename(aside_.c_str(), target_.c_str());
    held_ = ::lstat(target_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            ::rename(target_.c_str(), aside_.c_str()) == 0;
}

SetAside::~SetAside() { settle(false); }

void SetAside::settle(bool succeeded)
{
    if (!held_)
        return;
    held_ = false;
    if (succeeded)
        ::unlink(aside_.c_str());
    else
        ::rename(aside_.c_str(), target_.c_str());
}

} // namespace qm::fs

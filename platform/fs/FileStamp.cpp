#include "platform/fs/FileStamp.h"

#include <sys/stat.h>

namespace qm::fs {

FileStamp FileStamp::of(const std::filesystem::path& file)
{
    FileStamp s;
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    return s;
}

bool FileStamp::operator==(const FileStamp& o) const
{
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
}

} // namespace qm::fs

#include "store/ZipUpdate.h"

#include "platform/fs/Paths.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::store {

namespace dt = qm::datetime;

clsZipUpdate::clsZipUpdate(qm::zip::PavikZip& zip) : xZip(&zip)
{
    xZip->addEventSink(this);
}

clsZipUpdate::~clsZipUpdate()
{
    if (xZip)
        xZip->removeEventSink(this);
    xZip = nullptr;
}

void clsZipUpdate::FileListed(const qm::zip::ListedEntry& entry)
{
    if (entry.modified > NewestDate)
        NewestDate = entry.modified;
}

bool clsZipUpdate::UpdateZipDate(std::string sZipFilename)
{
    NewestDate = dt::DateTime{1980, 1, 1, 0, 0, 0};
    // Listing reads the file; its access time is put back with the stamp.
    std::filesystem::path native;
    struct stat before {};
    bool known = false;
    try {
        native = qm::fs::toNative(sZipFilename);
        known = ::stat(native.c_str(), &before) == 0;
    } catch (const qm::RtError&) {
    }
    xZip->ArchivePath = sZipFilename;
    if (xZip->ListEntries() != qm::zip::result::Ok || !known)
        return false;

    int fd = ::open(native.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    // A read-only file is not written, whoever runs the program; neither is
    // one that another program holds locked.
    bool usable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) &&
                  ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (!usable) {
        ::close(fd);
        return false;
    }
    struct timespec times[2];
    times[0] = before.st_atim; // access time as it was
    times[1].tv_sec = dt::toTimeT(NewestDate);
    times[1].tv_nsec = 0;
    ::futimens(fd, times);
    ::close(fd);
    return true;
}

void CheckDate(qm::zip::PavikZip& zip, std::string& ProjectName)
{
    clsZipUpdate updater(zip);
    updater.UpdateZipDate(ProjectName);
}

} // namespace qm::store

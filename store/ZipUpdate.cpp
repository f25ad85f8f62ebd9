#include "store/ZipUpdate.h"

#include "platform/fs/FileLock.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"

#include <chrono>
#include <optional>

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
    std::optional<qm::fs::FileEntry> before;
    try {
        native = qm::fs::toNative(sZipFilename);
        before = qm::fs::nativeInfo(native);
    } catch (const qm::RtError&) {
    }
    xZip->ArchivePath = sZipFilename;
    if (xZip->ListEntries() != qm::zip::result::Ok || !before)
        return false;
    // A read-only file is not written, whoever runs the program; neither is
    // one that another program holds locked.
    return qm::fs::setTimesUnlessLocked(native, before->accessed,
                                        std::chrono::system_clock::from_time_t(dt::toTimeT(NewestDate)));
}

void CheckDate(qm::zip::PavikZip& zip, std::string& ProjectName)
{
    clsZipUpdate updater(zip);
    updater.UpdateZipDate(ProjectName);
}

} // namespace qm::store

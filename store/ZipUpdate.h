#pragma once
// Archive date stamping: a finished archive gets as its last-write time the
// date of the newest entry inside it. clsZipUpdate lists the archive with the
// owner's zip control (whose other listeners, such as the main window's
// handler, still get every entry) and keeps the newest modification date;
// CheckDate is the one call the backup procedures make.
#include "platform/datetime/DateTime.h"
#include "platform/zip/PavikZip.h"

#include <string>

namespace qm::store {

class clsZipUpdate : private qm::zip::ZipEvents {
public:
    // Binds the class to `zip` (xZip) until the object ends.
    explicit clsZipUpdate(qm::zip::PavikZip& zip);
    ~clsZipUpdate() override;
    clsZipUpdate(const clsZipUpdate&) = delete;
    clsZipUpdate& operator=(const clsZipUpdate&) = delete;

    // Lists `sZipFilename` (Windows form) and sets its last-write time to
    // the newest entry's date, taken as local time with the zone rules of
    // that date. True when the file was stamped; False when the archive
    // could not be listed or the file could not be opened for writing
    // (read-only, or locked by another program). Creation and access
    // times stay as they were.
    bool UpdateZipDate(std::string sZipFilename);

    // The newest entry date seen by the last UpdateZipDate.
    qm::datetime::DateTime NewestDate{1980, 1, 1, 0, 0, 0};

private:
    // xZip_FileListed
    void FileListed(const qm::zip::ListedEntry& entry) override;

    qm::zip::PavikZip* xZip;
};

// The windows' CheckDate: stamps the archive `ProjectName` (its full path,
// despite the name) through the window's zip control; the outcome is not
// reported.
void CheckDate(qm::zip::PavikZip& zip, std::string& ProjectName);

} // namespace qm::store

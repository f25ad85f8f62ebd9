#include "runner/ProjectDocuments.h"

#include "platform/fs/Paths.h"
#include "store/IniAccess.h"

namespace qm::runner {

const qm::profile::IniDocument& ProjectDocuments::read(const std::string& winPath)
{
    qm::fs::FileStamp stamp;
    try {
        stamp = qm::fs::FileStamp::of(qm::fs::toNative(winPath));
    } catch (const std::exception&) {
        // Not a path of a file: read below, which says so.
    }
    Kept& k = kept_[winPath];
    if (!stamp.exists || stamp != k.stamp) {
        k.doc = qm::store::ReadIniFile(ui_, winPath);
        k.stamp = stamp;
    }
    return k.doc;
}

} // namespace qm::runner

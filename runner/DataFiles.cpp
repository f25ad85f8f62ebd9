// The backup of the program's own data files (the Projects folder) near the
// end of a run. The due test and the stamp before it belong to the run's
// tail; the backup itself is not in this build yet, so the call does nothing.
#include "runner/Runner.h"

namespace qm::runner {

void Runner::BackupDataFiles(std::string& /*UserDBBackupPath*/)
{
    // Not in this build yet: no data-file archive is made.
}

bool Runner::DataFileBackupBuilt() const
{
    return false;
}

} // namespace qm::runner

// The ACE pass over the due projects. Its place in the run is fixed (right
// after the ZIP pass, and again after the data-file step); the pass itself
// is not in this build yet, so both calls do nothing.
#include "runner/Runner.h"

namespace qm::runner {

void Runner::MakeAce()
{
    // Not in this build yet: no ACE project is backed up.
}

} // namespace qm::runner

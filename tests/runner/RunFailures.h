#pragma once
// What the run tests read of a run's failures.
#include "runner/Runner.h"

#include <string>
#include <vector>

namespace qm::test {

// The projects a run did not back up, as "name: reason", in their order.
inline std::vector<std::string> failed(const qm::runner::Runner& r)
{
    std::vector<std::string> out;
    for (const qm::runner::ProjectFailure& f : r.failures())
        out.push_back(f.name + ": " + f.reason);
    return out;
}

} // namespace qm::test

#pragma once
// What a run killed while an archive waited aside (qm::fs::SetAside) left
// behind: the previous archive under its hidden name beside its place.
#include <string>

namespace qm::zip {

// Settles what a killed run left aside for the archive `archivePath`
// (Windows form). With its place free, or taken by a file that is no archive
// (the first disk of a spanned set that was never finished), the archive
// aside comes back. Beside an archive that reads whole it is older than that
// one, and is dropped. Anything else there (a damaged archive, a file that
// cannot be read, a folder, a link) leaves both as they are. With `split`,
// the copies aside of the set's other parts (name.z01, ...) follow what
// becomes of the archive's own, so that no set ever mixes parts of two.
void settleLeftAside(const std::string& archivePath, bool split = false);

} // namespace qm::zip

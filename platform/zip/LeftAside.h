#pragma once
// What a killed run left behind of an archive it was putting in place: the
// old archive, or the old parts of a split set, waiting aside under their
// hidden names (qm::fs::SetAside), and the temporary files of the build.
// Settled before every operation of the control on that archive, and by a
// caller that sets an archive aside itself before it starts another program.
#include <string>

namespace qm::zip {

class PavikZip;

// Settles what killed runs left of the archive `archivePath` (Windows form).
// Nothing a live run keeps aside is touched. The temporary files of killed
// builds of that name beside it go. The copies aside of the archive and of
// its parts (name.z01, ...; a self-extracting program's from name.z02 on)
// are settled as one set, whichever of them a kill left:
// - with the archive's place free, they come back, the parts first and the
//   last part last; a part a killed run had already put in place beside
//   them, where the old set had none, goes;
// - beside an archive that reads (for a set, its last part's end record)
//   they are older than that one, and are dropped, the archive's own last;
// - anything else there (a damaged archive, a file that is no archive, such
//   as one disk of a spanned set, a folder, a link, a file that cannot be
//   read) leaves them all as they are.
void settleLeftAside(const std::string& archivePath);

// The same for the control's ArchivePath, and the killed builds' temporary
// files in its work folder too.
void settleLeftAside(const PavikZip& z);

} // namespace qm::zip

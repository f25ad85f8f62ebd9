#pragma once
// What a killed run left behind of an archive it was putting in place: the
// old archive, or the old parts of a split set, waiting aside under their
// hidden names (qm::fs::SetAside), and the temporary files of the build.
// Settled before every operation of the control on that archive, and by a
// caller that sets an archive aside itself before it starts another program
// (KeptSet).
#include "platform/fs/SetAside.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qm::zip {

class PavikZip;

// Who settles. A copy whose keeper cannot be told (qm::fs::SetAside::Keeper:
// another account's copy this one cannot open, a file system without locks)
// may be a live run's: a command that only reads never takes it for a
// killed run's. One that writes the archive takes a copy on a file system
// without locks for a killed run's, as nothing else ever would settle it.
enum class Settler { Reading, Writing };

// The hidden name under which the part `part` of the set that `named`
// names waits aside: ".<named>.z02.previous" for "<stem>.z02". A part is
// kept under a name of its own set's, so that no set ever takes another
// set's copies for its own, whatever their stems.
std::filesystem::path partAsideName(const std::filesystem::path& named, const std::filesystem::path& part);

// The copies of parts of the set that `named` names that wait under their
// hidden names, by part number, past any gap.
struct PartCopy {
    std::filesystem::path copy; // where it waits
    std::filesystem::path part; // the place it comes from
};
std::map<uint32_t, PartCopy> partCopiesOf(const std::filesystem::path& named);

// Settles what killed runs left of the archive `archivePath` (Windows form).
// Nothing a live run keeps aside is touched. The temporary files of killed
// builds of that name beside it go. The copies aside of the archive and of
// its parts (partCopiesOf, past any gap in their numbers) are settled as
// one set, whichever of them a kill left:
// - with the archive's place free, they come back, the parts first and the
//   last part last; a part a killed run had already put in place beside
//   them, where the old set had none, goes;
// - beside an archive that reads (for a set, its last part's end record)
//   they are older than that one, and are dropped, the archive's own last;
// - anything else there (a damaged archive, a file that is no archive, such
//   as one disk of a spanned set, a folder, a link, a file that cannot be
//   read) leaves them all as they are.
void settleLeftAside(const std::string& archivePath, Settler by = Settler::Reading);

// The same for the control's ArchivePath, and the killed builds' temporary
// files in its work folder too.
void settleLeftAside(const PavikZip& z, Settler by = Settler::Reading);

// The copies and marks that wait under hidden names for the archive `last`
// (a host path) and for the parts of its set, past any gap.
std::vector<std::filesystem::path> copiesLeftAside(const std::filesystem::path& last);

// Whether the file `path` reads as an archive a build may replace: a whole
// one (a self-extracting program too), or a part of a split or spanned set
// (the last, whose end record speaks for the whole, or the first).
bool isArchiveFile(const std::filesystem::path& path);

// An archive, with the parts of its set beside it (those its records
// count, never another file of its stem), kept aside while
// another program makes a new one under its name (the ACE backup around
// WinAce). Each file waits under its hidden name, held by a keeper of its
// own (qm::fs::SetAside), the archive first: from then on its name is
// free, and what a kill leaves is settled by settleLeftAside as any set's
// copies are. The other program's build puts its parts in these free
// places under the cover of these keepers, and marks only the places the
// old set did not have.
class KeptSet {
public:
    using NameHook = qm::fs::SetAside::NameHook;

    // `archivePath` in Windows form; `hook` hears every change of a name.
    explicit KeptSet(const std::string& archivePath, NameHook hook = {});
    // Unsettled: a failure.
    ~KeptSet();
    KeptSet(const KeptSet&) = delete;
    KeptSet& operator=(const KeptSet&) = delete;

    // Whether the archive waits aside (nothing there, a link, a folder or a
    // file that cannot be moved: nothing is held, its parts neither).
    bool holds() const;
    // Success: the old set goes, its parts from the end and the archive
    // last. Failure: the old set comes back whole, and what the other
    // program put under the set's names goes. The places it took where the
    // old set had none are marked (as free places are), then whatever stands
    // under the archive's name goes, so that from then on the name is free
    // as a kill would leave it; the keepers let go, and the set is settled as
    // what a killed run left. Only the first call acts.
    void settle(bool succeeded);

private:
    std::filesystem::path archive_;
    NameHook hook_;
    std::unique_ptr<qm::fs::SetAside> own_;
    std::vector<std::pair<uint32_t, std::unique_ptr<qm::fs::SetAside>>> parts_;
    std::set<uint32_t> stayed_; // parts that could not be set aside
    bool settled_ = false;
};

} // namespace qm::zip

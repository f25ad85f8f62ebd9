#pragma once
// SendQMT and SendEXE: the selected project's ZIP archive, or its
// self-extracting program, copied from the project's ZIP target folder into
// a folder the user picks (another drive, a removable disk, a share).
#include "store/ProjectRecord.h"

namespace qm::app {

class MainWindowView;
class ProgramState;
struct Windows;

// `fileField`: the record field that names the file (ZIPBackFile for the
// archive, SFXBackFile for the program). A record that names no such file
// is told so, without asking for a folder. What a killed run left of the
// archive is settled first. Where no QMT archive stands under the record's
// name, the split or spanned set its backup writes there (".zip" appended)
// is sent. A set of parts goes whole, every part its records count, the
// file that names it last (of a split set, its last part); one that is not
// whole, a spanned set (only the disk in the drive is there), or one whose
// part would go over another archive's part in the folder chosen is not
// sent at all, and a box says why. A single
// file goes through a temporary file that replaces a file of that name only
// when complete; a set goes as one change (qm::zip::copySet): the folder
// holds its old set whole or the new one whole. A copy that fails leaves the
// folder as it was, and its box says so (for a full disk, with the room the
// copy needs); one that finds another copy of the set being written there,
// or written there since it began, leaves the folder to that one, and its
// box says that instead. Copies keep the executable bit; the archive itself as target
// (the same folder, or a link to it) is refused; the source is never changed.
void SendArchive(ProgramState& state, MainWindowView& view, Windows& windows, qm::store::ProjectField fileField);

} // namespace qm::app

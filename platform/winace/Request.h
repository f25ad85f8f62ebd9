#pragma once
// What a WinAce command line asks for. The stand-in takes its arguments as
// the launcher split them from the one parameter text (Windows rules): the
// command letter first, then switches, the archive, @list files and source
// names in any order (the first word that is neither a switch nor a list
// is the archive; the ones after it are sources).
//
//   a  add (a new archive, or files added to and replaced in one)
//   u  update: new files added, changed ones replaced, the rest kept as they are
//   f  freshen: only the files the archive holds, when they changed
//   t  test every entry        l  list the entries
//   x  extract into the current folder (existing files are skipped; -y -yo overwrites)
//
// Switches (case does not matter): -r subfolders; -fp paths relative to the
// current folder (also without it), -fpd paths from the drive's root; -m0
// (stored) to -m5 (best); -p<password> (-p"my secret" once split); -tl
// archive time = newest entry, -tk = now; -z<file> comment = the file's
// first line; -v<n> parts of at most n x 1000 bytes (-v alone: one file);
// -k lock (later a, u and f are refused); -sfx32 a self-extracting program,
// -sopt<file> its options ([OPTIONS] TITLE, INFO, SFXFILE); -y, -yo; -rr,
// -av+, -s and -d<n> are accepted and change nothing. Paths of files named
// by -z, -sopt and @ and the names in a list are trimmed of blanks.
#include <optional>
#include <string>
#include <vector>

namespace qm::winace {

struct Request {
    char command = 0;                    // 'a', 'u', 'f', 't', 'l' or 'x'
    std::string archive;                 // Windows form or a host path
    std::vector<std::string> names;      // sources named on the line
    std::vector<std::string> listFiles;  // @files, each a name per line
    bool recurse = false;
    bool fullPaths = false;              // -fpd
    int level = 3;                       // -m0 .. -m5
    std::string password;                // empty: none
    enum class Stamp { Built, Newest, Now } stamp = Stamp::Built;
    std::string commentFile;             // empty: none
    long long volumeBytes = 0;           // 0: one file
    bool lock = false;
    bool selfExtracting = false;
    std::string sfxOptions;              // empty: none
    bool overwrite = false;              // -yo
};

// The request, or why the line cannot be carried out.
struct Parsed {
    Request request;
    std::string error; // empty when the line is good
};

Parsed parseArguments(const std::vector<std::string>& args);

} // namespace qm::winace

#pragma once
// WinAce's parameter line, as the programs build it: the command text of a
// backup from a project record (the manual backups and the unattended run),
// the list part, and the text WinAce finally receives for each command
// letter. Pure functions over text; nothing here starts WinAce.
//
// A command text is made of two kinds of pieces: the program's own (the
// command word and the switches), whose doubled blanks are collapsed before
// WinAce runs, and values taken over as they are (a password, the program
// folder's paths in -z"...", -sopt"..." and @"..."), which the collapse
// never touches: a password or a folder with two blanks in a row reaches
// WinAce unchanged.
#include <string>
#include <string_view>

namespace qm::store {

struct ProjectRecord;

class AceCommand {
public:
    AceCommand() = default;
    // A text of the program's own pieces only.
    AceCommand(std::string_view text) { fixed(text); } // NOLINT: a plain command converts
    AceCommand(const char* text) : AceCommand(std::string_view(text)) {}

    AceCommand& fixed(std::string_view text);
    AceCommand& verbatim(std::string_view text);
    AceCommand& append(const AceCommand& other);

    const std::string& text() const { return text_; }
    bool endsWithBlank() const { return !text_.empty() && text_.back() == ' '; }

    // Each pair of blanks of the program's own pieces becomes one blank, in
    // one left-to-right pass that does not look at its own output again (a
    // run of n blanks becomes n/2, rounded up). Blanks of a value are kept
    // and never pair with a neighbour.
    void collapse();

private:
    std::string text_;
    std::string kind_; // per character: 'f' the program's own, 'v' a value
};

// The same collapse on a plain text (every character the program's own).
std::string CollapseBlanks(std::string_view text);

// The command letter: the second character of the (collapsed) command
// text, empty when it is shorter.
std::string AceCommandLetter(std::string_view command);

// Which command letters a runner hands on: the main window's and the
// unattended run's take "a", "f", "u" and "l" (and "t"); the restore
// dialog's takes "e" and "x" too.
enum class AceLetters { Backup, Restore };

// What WinAce receives: for "t" the text " t " (the rest of the command is
// dropped), for the other letters of `letters` the command itself, each
// followed by the archive path in double quotes and the list part; the
// empty text for any other letter (compared exactly). `listPart` is used
// as given.
std::string AceParameterText(std::string_view command, std::string_view archivePath, std::string_view listPart,
                             AceLetters letters = AceLetters::Backup);

// " -p" and the password, then a blank. A password with a blank, a tab or a
// double quote goes between double quotes (` -p"my secret" `), its quotes
// doubled and the backslashes before a quote doubled, so that the password
// WinAce reads is exactly the one stored.
AceCommand AcePasswordPiece(std::string_view password);

// The volume piece of a split backup: " -v" & (size \ 1000) & " " for a
// split size that is a whole number above 0 (the seven presets give " -v362 "
// ... " -v238000 "); nothing otherwise.
std::string AceVolumePiece(std::string_view splitSize);

// The files of a backup the programs name to WinAce, below the program folder.
std::string AceCommentFile(std::string_view appPath); // Temp\comment.txt
std::string AceSfxOptionsFile(std::string_view appPath); // sfxopt.ini
std::string AceListFile(std::string_view appPath, std::string_view projectName, bool selfExtracting);

enum class AceVolumes { One, Split, Spanned };

// Which switches a backup's command text carries besides those of the record.
struct AceSwitchForm {
    bool selfExtracting = false; // the ACESFX fields, " -sfx32 " and the self-extractor options file
    bool pathStorage = true;     // the record's path storage option (the unattended run names none)
    AceVolumes volumes = AceVolumes::One;
    std::string splitSize;       // for AceVolumes::Split
    bool blankInClauses = false; // the unattended run's -z"... " keeps a blank before its closing quote
};

// Whether the backup names the comment file to WinAce (and so writes it):
// the comment flag trimmed is "yes" and the trimmed comment is not empty.
bool AceCommentNamed(const ProjectRecord& record, bool selfExtracting);
// The comment file's one line: the comment and CR LF.
std::string AceCommentText(const ProjectRecord& record, bool selfExtracting);

// The switches of a backup from the record, in WinAce's order: -r, the path
// storage option ("-fp" or "-fpd", with a blank before it when needed), -m0
// to -m5 (-m5 when the level is blank), -p, -tl or -tk, -z, -v or the
// volume piece, -k, -rr, -av+, -s, -d (-d1024 when blank; a size that is
// not digits names none), then -sfx32 and the self-extractor options file
// (the latter when the record has a title or an introduction).
AceCommand AceBackupSwitches(const ProjectRecord& record, std::string_view appPath, const AceSwitchForm& form);

// The command text of a backup: " a" (no archive yet) or " u" (update),
// the switches and " -y ".
AceCommand AceBackupCommand(bool archiveExists, const AceCommand& switches);

// The list part of a backup: empty, or " @", a double quote, the file list's
// path and a double quote; a manual backup uses it for ACEFilesToProcess
// exactly "(list)" and a self-extracting one for any ACESFXFilesToProcess
// but exactly "*". With `blankInClauses` (the unattended run) a blank comes
// before the closing quote.
std::string AceListPart(const ProjectRecord& record, std::string_view appPath, bool selfExtracting,
                        bool blankInClauses = false);

} // namespace qm::store

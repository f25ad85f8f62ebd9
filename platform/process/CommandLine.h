#pragma once
// Command texts in the form Windows programs receive them: one string holding
// the program name and its arguments. These functions take such a text apart
// the way the Windows C runtime does, so that a command line built for
// Windows reaches a program here as the same argument vector.
#include <string>
#include <string_view>
#include <vector>

namespace qm::process {

// The program-name part of a command text and what follows it.
struct ProgramPart {
    std::string program; // without its quotes
    std::string rest;    // the arguments, leading blanks removed
    bool quoted = false; // the name was (at least partly) inside double quotes
};

// Takes the program name off a command text. The name ends at the first
// blank or tab outside double quotes; quotes only group (they are dropped)
// and backslashes are always literal, so "C:\Program Files\x.exe" arg works.
ProgramPart splitProgramName(std::string_view line);

// Splits an argument text by the runtime's rules:
//  - blanks and tabs outside double quotes separate arguments;
//  - 2n backslashes before a double quote give n backslashes, and the quote
//    opens or closes a quoted part; 2n+1 give n backslashes and a literal quote;
//  - backslashes not followed by a quote are literal;
//  - inside a quoted part, two double quotes give one literal quote;
//  - "" alone is an empty argument.
std::vector<std::string> splitArguments(std::string_view text);

// A whole command text: the program name (as splitProgramName) followed by
// its arguments (as splitArguments). Empty for a blank text.
std::vector<std::string> splitCommandLine(std::string_view line);

// Replaces each %NAME% whose variable is set with its value (names are
// matched without regard to case when no exact match exists); unknown names
// and a lone % stay as written.
std::string expandEnvironment(std::string_view text);

// Splits a command kept in a Unix environment variable ($VISUAL, $EDITOR):
// blank-separated words, single quotes literal, double quotes grouping,
// backslash escaping the next character outside single quotes.
std::vector<std::string> splitShellWords(std::string_view text);

} // namespace qm::process

#pragma once
// The agent's path as the program of a command line in the three places the
// install writes it, each by that format's own rules, or why the format
// cannot carry it safely:
//   crontab       the command is run by /bin/sh; an unescaped "%" ends it
//                 (cron hands what follows to its standard input), "\%" is a
//                 "%"; a line ends the entry, and some crons cut a command
//                 after 999 bytes. Refused: a line break (LF or CR), a
//                 command longer than that.
//   systemd unit  ExecStart: "%" starts a specifier ("%%" is one "%"),
//                 "$" a variable; a word may be double-quoted. Refused:
//                 control characters, quotes and backslashes and bytes that
//                 are not UTF-8 (systemd rejects such a program path), "$"
//                 (the program's path is taken as written, not expanded).
//   desktop entry Exec: a string value, whose escapes are undone first, then
//                 an argument double-quoted with "\" before "`" and "$" (so
//                 "\\$" in the file); "%%" is one "%". Refused: control
//                 characters, quotes and backslashes (launchers undo the two
//                 layers of escapes differently), bytes that are not UTF-8,
//                 and "=" (the program's path may not hold one).
// A path of plain characters only (letters, digits, "_/.+-") is written as it is.
#include <cstddef>
#include <string>

namespace qm::tasksched {

struct CommandWord {
    std::string word;    // the path as the format writes it
    std::string refusal; // why the format cannot carry it ("a line break, which ..."); empty when it can

    bool carried() const { return refusal.empty(); }
};

// `longestArguments`: the most the install writes after the word (" event boot").
CommandWord cronCommandWord(const std::string& path, std::size_t longestArguments = 11);
CommandWord unitCommandWord(const std::string& path);
CommandWord desktopCommandWord(const std::string& path);

} // namespace qm::tasksched

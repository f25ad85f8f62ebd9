#pragma once
// The self-extractor's ZIP extraction engine. It takes an option vector like
// a command line, finds the archive's end record from the end of the file,
// walks the central directory and extracts every entry it can decode, with
// traditional decryption, spanned disks, sets split into files beside the
// program, CRC checks, DOS times and attributes. It never talks to the user:
// every question and progress step is an event to one callback, whose
// answer 1 stops the run.
#include "sfxstub/Decoders.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::sfxstub {

namespace event {
inline constexpr int Exists = 10;        // output file exists: answer is an overwrite answer
inline constexpr int Begin = 60;         // an entry's output begins: name and output path
inline constexpr int Password = 100;     // password needed: reply and state 2, or state 0
inline constexpr int NextDisk = 110;     // disk `number` needed (0: the last); 1 stops
inline constexpr int PartMissing = 120;  // part `number` of the set beside the program, `path`, is missing
inline constexpr int PartDamaged = 121;  // a part of the set beside the program, `path`, is damaged or another set's
inline constexpr int Total = 150;        // overall percentage in `number`
inline constexpr int Rename = 160;       // an entry's output may lie in a folder of the program's
inline constexpr int FolderMade = 170;   // a folder was made: `path`
inline constexpr int FileProgress = 1030; // the entry's own percentage in `number`
inline constexpr int Error = 1060;       // error or skip: `number` is the kind
} // namespace event

// Kinds of the error event.
namespace kind {
inline constexpr int Unsupported = 1;    // version or method not supported
inline constexpr int Crc = 2;            // CRC mismatch or the data could not be decoded
inline constexpr int NotReplaced = 3;    // exists and is not older (update mode)
inline constexpr int CannotCreate = 4;   // output not made (refused name, folder in the way, ...)
inline constexpr int Password = 5;       // wrong password: skipped
inline constexpr int BadHeader = 6;      // local header missing or data cut short
inline constexpr int NeverOverwrite = 7; // existing file kept
inline constexpr int OtherCase = 8;      // another entry's file: the folder takes the name in another case for it
} // namespace kind

// Answers to the overwrite question.
namespace answer {
inline constexpr int Skip = 0;
inline constexpr int Overwrite = 1;
inline constexpr int Rename = 2;         // `reply` holds the new name
inline constexpr int SkipAll = 3;
inline constexpr int OverwriteAll = 4;
} // namespace answer

inline constexpr int PasswordGiven = 2;  // state of a password answer

struct EngineEvent {
    explicit EngineEvent(int code = 0, std::string name = {}, std::string path = {})
        : code(code), name(std::move(name)), path(std::move(path))
    {
    }
    int code = 0;
    std::string name;        // the entry's name, "\" as separator
    std::string path;        // the output path or folder (Windows form)
    int number = 0;          // disk number, percentage or error kind
    // What the handler answers:
    int answer = 0;          // overwrite answer, or password state
    std::string reply;       // new name, password, or (160) the rest of the name
    std::string replyFolder; // (160) the folder that rest lies in
};

// Returns 1 to stop the run, 0 to go on.
using EngineCallback = std::function<int(EngineEvent&)>;

class Engine {
public:
    explicit Engine(EngineCallback callback, Methods methods = {});

    // Spanned archives: disks are asked for (always on in the self-extractor).
    // A set whose parts lie beside the program ("name.z02", ...: the program
    // holds no end record) is read from those files either way.
    bool SpannedMode = true;

    // Options, in this order: "-n" (never overwrite), "-o" (overwrite without
    // asking), "-u" (only newer entries and missing files), the archive path,
    // "-d" and the destination folder. The first element is ignored.
    // Returns the result code.
    int UnzipMain(const std::vector<std::string>& argv);

    // Whether the engine decodes this method.
    bool decodes(int method) const;

private:
    EngineCallback callback_;
    Methods methods_;
};

// Offset of the first `pattern` in `fd` at or after `from` and before `to`
// (-1: the end of the file); -1 when absent or on a read error.
int64_t FindPatternInFile(int fd, std::string_view pattern, int64_t from, int64_t to);

} // namespace qm::sfxstub

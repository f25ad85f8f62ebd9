#include "platform/winace/StandIn.h"

#include "platform/datetime/DateText.h"
#include "platform/datetime/DateTime.h"
#include "platform/fs/AtomicFile.h"
#include "platform/fs/CurrentFolder.h"
#include "platform/fs/FileOps.h"
#include "platform/fs/Paths.h"
#include "platform/fs/Text.h"
#include "platform/profile/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/zip/PavikZip.h"

#include <algorithm>
#include <chrono>
#include <iostream>
#include <map>
#include <set>

namespace qm::winace {

namespace {

namespace zr = qm::zip::result;
using qm::datetime::DateTime;

// Compression levels of -m0 .. -m5.
constexpr int Levels[] = {0, 1, 3, 6, 8, 9};

// An entry's name as its files are told apart: separators as one, case as it
// is ("A.txt" and "a.txt" are two files).
std::string nameKey(std::string name)
{
    for (char& c : name)
        if (c == '/')
            c = '\\';
    while (!name.empty() && name.back() == '\\')
        name.pop_back();
    return name;
}

// A name or path as part of one line of the report: each control character
// (below U+0020, and DEL) is shown in caret form ("^J" for a line feed, "^?"
// for DEL), which every font can draw, rather than obeyed, so that no name
// breaks a line of action.log, of standard output or a row of the listing.
std::string oneLine(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (const char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            out += '^';
            out += c == 0x7F ? '?' : char(c + 0x40);
        } else {
            out += ch;
        }
    }
    return out;
}

DateTime localTime(qm::fs::FileTime t)
{
    return qm::datetime::fromTimeT(std::chrono::system_clock::to_time_t(t));
}

// The lines of a text file, trimmed, blank ones left out.
std::vector<std::string> listedNames(const std::string& listFile)
{
    const std::string text = qm::fs::readFileBytes(qm::fs::toNative(listFile));
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view name = qm::fs::trimBlanks(std::string_view(text).substr(start, end - start));
        if (!name.empty())
            names.emplace_back(name);
        start = end + 1;
    }
    return names;
}

// What the archive held before an update: size, time and kind of each entry.
struct Held {
    std::uint64_t size = 0;
    DateTime modified;
    bool folder = false;
};

class Report : public qm::zip::ZipEvents {
public:
    Report(const Request& r, Outcome& out) : r_(r), out_(out) {}

    std::map<std::string, Held> held;
    std::vector<qm::zip::ListedEntry> listed;
    std::optional<std::string> comment;
    int files = 0;
    int warnings = 0;

    void line(std::string text) { out_.lines.push_back(std::move(text)); }

    void EntryNaming(std::string& stored, const std::string& source) override
    {
        if (r_.fullPaths) {
            const std::size_t root = source.rfind(":\\", 2) == 1 ? 3 : source.rfind("\\\\", 0) == 0 ? 2 : 0;
            stored = source.substr(root);
        }
        sources_[nameKey(stored)] = source;
    }
    void BeforeZip(const std::string& name, bool& skip) override
    {
        const auto old = held.find(nameKey(name));
        if (old != held.end() && (r_.command == 'u' || r_.command == 'f') && unchanged(old->second, name)) {
            skip = true;
            return;
        }
        line((old == held.end() ? "Adding " : "Updating ") + oneLine(name));
        ++files;
    }
    // A test or an extraction goes over the archive in rounds, one for each
    // password given (see readArchive): the entries that came through whole in
    // an earlier round, with the warnings an extraction gave them then;
    // and of this round, the entries skipped for a missing or wrong
    // password (in archive order) and the first other reason an entry was
    // skipped for that counts as a warning.
    std::map<std::string, std::vector<std::string>> whole;
    std::vector<std::string> locked;
    int otherReason = 0;

    void newRound()
    {
        files = warnings = 0;
        locked.clear();
        otherReason = 0;
        seen_.clear();
        skipped_.clear();
        notes_.clear();
    }
    void endRound()
    {
        for (const std::string& name : seen_)
            if (!skipped_.count(name))
                whole.emplace(name, std::move(notes_[name]));
    }

    void BeforeTest(const std::string& name) override
    {
        line("Testing " + oneLine(name));
        ++files;
        seen_.push_back(name);
    }
    void BeforeUnzip(const std::string& name, bool& skip) override
    {
        line("Extracting " + oneLine(name));
        if (const auto done = whole.find(name); done != whole.end()) {
            // Written in an earlier round: it stays as it is.
            for (const std::string& note : done->second)
                line(note);
            warnings += int(done->second.size());
            skip = true;
            return;
        }
        seen_.push_back(name);
    }
    void FileSkipped(const std::string& name, const std::string&, const std::string&, int reason) override
    {
        if (reason == qm::zip::skip::SkippedByHandler)
            return;
        skipped_.insert(name);
        const bool password = reason == qm::zip::skip::BadPassword || reason == qm::zip::skip::PasswordOrData;
        if (password) {
            if (whole.count(name))
                return; // opened by an earlier password: a test goes over it again
            locked.push_back(name);
        }
        if (reason == qm::zip::skip::NotFound) {
            line("Not found: " + oneLine(name));
        } else {
            line("Skipped " + oneLine(name) + ": " + qm::zip::errorText(2, reason));
            if (r_.command == 'x' && reason == qm::zip::skip::TargetExists)
                return; // plain "x" keeps existing files
        }
        if (!password && otherReason == 0)
            otherReason = reason;
        ++warnings;
    }
    void Warning(const std::string& name, int code) override
    {
        line("Warning: " + oneLine(name) + ": " + qm::zip::errorText(1, code));
        notes_[name].push_back(out_.lines.back());
        ++warnings;
    }
    void FileListed(const qm::zip::ListedEntry& e) override { listed.push_back(e); }
    void CommentRequest(std::string& c) override
    {
        if (comment)
            c = *comment;
    }

private:
    // A file whose size and time (to the second) are those of its entry.
    bool unchanged(const Held& h, const std::string& name) const
    {
        if (h.folder)
            return true;
        const auto source = sources_.find(nameKey(name));
        if (source == sources_.end())
            return false;
        try {
            const qm::fs::FileEntry e = qm::fs::fileInfo(source->second);
            return e.size == h.size && localTime(e.modified) == h.modified;
        } catch (const std::exception&) {
            return false;
        }
    }

    const Request& r_;
    Outcome& out_;
    std::map<std::string, std::string> sources_;
    std::vector<std::string> seen_;    // this round's entries, in order
    std::set<std::string> skipped_;   // this round's skipped entries
    std::map<std::string, std::vector<std::string>> notes_; // this round's warnings, per entry
};

// The entries of `archive`, listed into the report.
int listInto(qm::zip::PavikZip& z, Report& report)
{
    report.listed.clear();
    return z.ListEntries();
}

int failed(Outcome& out, const std::string& why, int status = ExitFailed)
{
    out.lines.push_back("Error: " + oneLine(why));
    out.summary = out.lines.back();
    out.exitCode = status;
    return status;
}

// A zip operation that ended with `result`: its text, and the status of a
// full disk when that was the reason.
int failed(Outcome& out, qm::zip::PavikZip& z, int result)
{
    return failed(out, z.ErrorText(0, result), result == zr::DiskFull ? ExitDiskFull : ExitFailed);
}

void build(const Request& r, const std::string& ownFolder, qm::zip::PavikZip& z, Report& report, Outcome& out)
{
    if (qm::fs::exists(r.archive) && (qm::fs::getAttributes(r.archive) & qm::fs::attr::ReadOnly)) {
        failed(out, "the archive is locked: " + r.archive);
        return;
    }
    if (r.command != 'a' && qm::fs::exists(r.archive) && listInto(z, report) == zr::Ok)
        for (const qm::zip::ListedEntry& e : report.listed)
            report.held[nameKey(e.name)] = {std::uint64_t(e.size), e.modified,
                                            (e.attributes & qm::fs::attr::Directory) != 0};

    std::vector<std::string> names = r.names;
    for (const std::string& list : r.listFiles) {
        try {
            for (std::string& n : listedNames(list))
                names.push_back(std::move(n));
        } catch (const std::exception&) {
            failed(out, "list file not found: " + list);
            return;
        }
    }
    if (!r.commentFile.empty()) {
        try {
            const std::string text = qm::fs::readFileBytes(qm::fs::toNative(r.commentFile));
            report.comment = text.substr(0, text.find_first_of("\r\n"));
        } catch (const std::exception&) {
            failed(out, "comment file not found: " + r.commentFile);
            return;
        }
    }
    z.FileMask = names.empty() && r.listFiles.empty() ? "*" : "";
    for (const std::string& n : names)
        z.AddListEntry(n);
    z.IncludeSubfolders = r.recurse;
    z.KeepFolderNames = true;
    z.SkipWhenMissing = r.command == 'f';
    z.Level = Levels[r.level];
    z.HeaderSet = 1; // times to the second, so that "u" sees what changed
    z.Password = r.password;
    z.SplitPartSize = r.volumeBytes;
    if (r.selfExtracting) {
        z.SfxStubPath = ownFolder + "\\" + SfxStubName;
        if (!r.sfxOptions.empty()) {
            const std::filesystem::path ini = qm::fs::toNative(r.sfxOptions);
            z.SfxString[1] = qm::profile::getString(ini, "OPTIONS", "TITLE", "");
            z.SfxMessageText[3] = qm::profile::getString(ini, "OPTIONS", "INFO", "");
            const std::string stub = qm::profile::getString(ini, "OPTIONS", "SFXFILE", "");
            if (!stub.empty())
                z.SfxStubPath = stub;
        }
    }
    const int result = z.Build();
    if (result == zr::NothingToDo) {
        failed(out, "no files to add");
        return;
    }
    if (result != zr::Ok) {
        failed(out, z, result);
        return;
    }
    if (r.stamp == Request::Stamp::Newest && listInto(z, report) == zr::Ok) {
        // The newest file's time; folders carry the time they were found.
        std::optional<DateTime> newest;
        for (const qm::zip::ListedEntry& e : report.listed)
            if ((e.attributes & qm::fs::attr::Directory) == 0 && (!newest || e.modified > *newest))
                newest = e.modified;
        if (newest)
            qm::fs::setModifiedTime(r.archive,
                                    std::chrono::system_clock::from_time_t(qm::datetime::toTimeT(*newest)));
    } else if (r.stamp == Request::Stamp::Now) {
        qm::fs::setModifiedTime(r.archive, std::chrono::system_clock::now());
    }
    if (r.lock)
        qm::fs::setAttributes(r.archive, qm::fs::attr::ReadOnly);
    out.lines.push_back(std::to_string(report.files) + " file(s) added or updated in " + oneLine(r.archive));
}

void list(qm::zip::PavikZip& z, Report& report, Outcome& out)
{
    const int result = listInto(z, report);
    if (result != zr::Ok) {
        failed(out, z, result);
        return;
    }
    std::int64_t bytes = 0;
    std::size_t files = 0; // folders are listed, not counted
    for (const qm::zip::ListedEntry& e : report.listed) {
        if ((e.attributes & qm::fs::attr::Directory) == 0)
            ++files;
        const ListedFile& f = out.listed.emplace_back(ListedFile{oneLine(e.name), std::to_string(e.size),
                                                                std::to_string(e.compressedSize),
                                                                qm::datetime::formatDateTime(e.modified)});
        report.line(f.name + "\t" + f.size + "\t" + f.packed + "\t" + f.modified);
        bytes += e.size;
    }
    out.summary = std::to_string(files) + " file(s), " + std::to_string(bytes) + " bytes";
    out.lines.push_back(out.summary);
}

// One round of a test or an extraction, with `password`, into `out`.
// Gives the result.
int readRound(const Request& r, qm::zip::PavikZip& z, Report& report, Outcome& out, const std::string& password)
{
    report.newRound();
    z.Password = password;
    int result = zr::Ok;
    if (r.command == 't') {
        result = z.Test();
    } else {
        z.ExtractFolder = qm::fs::CurDir();
        z.SkipWhenExisting = !r.overwrite;
        for (const std::string& n : r.names)
            z.AddListEntry(n);
        z.FileMask = r.names.empty() ? "*" : "";
        result = z.Extract();
    }
    report.endRound();
    if (result == zr::BadPassword && report.locked.empty()) {
        // Only entries that an earlier password opened failed for this one
        // (a test goes over them again): they are sound.
        if (report.otherReason != 0) {
            failed(out, z.ErrorText(2, report.otherReason));
            return result;
        }
        result = zr::Ok;
    }
    if (result != zr::Ok)
        failed(out, z, result);
    else if (r.command == 't')
        out.lines.push_back(std::to_string(report.files) + " file(s) tested, the archive is sound");
    return result;
}

// A test or an extraction ("t", "x"). Entries skipped for want of a password
// the command line did not give make it ask, and go over the archive again
// with the answer, until every entry has been opened or the user cancels.
void readArchive(const Request& r, qm::zip::PavikZip& z, Report& report, Outcome& out, const PasswordAsker& ask)
{
    const std::size_t head = out.lines.size();
    int result = readRound(r, z, report, out, r.password);
    std::string asked; // the entry the last question named
    while (ask && r.password.empty() && !report.locked.empty() && result != zr::DiskFull) {
        PasswordQuestion question;
        question.archive = r.archive;
        question.entry = oneLine(report.locked.front());
        question.entries = int(report.locked.size());
        question.wrong = !asked.empty() &&
                         std::find(report.locked.begin(), report.locked.end(), asked) != report.locked.end();
        asked = report.locked.front();
        const std::optional<std::string> password = ask(question);
        if (!password)
            return; // Cancel: this round's report stands
        out.lines.resize(head);
        out.summary.clear();
        out.exitCode = ExitOk;
        result = readRound(r, z, report, out, *password);
    }
}

} // namespace

Outcome run(const Request& r, const std::string& ownFolder, const PasswordAsker& ask)
{
    Outcome out;
    Report report(r, out);
    qm::zip::PavikZip z;
    z.addEventSink(&report);
    z.ArchivePath = r.archive;
    z.Password = r.password;
    out.lines.push_back("Archive: " + oneLine(r.archive));
    try {
        switch (r.command) {
        case 'a':
        case 'u':
        case 'f':
            build(r, ownFolder, z, report, out);
            break;
        case 'l':
            list(z, report, out);
            break;
        case 't':
        case 'x':
            readArchive(r, z, report, out, ask);
            break;
        default:
            failed(out, "unknown command");
        }
    } catch (const std::exception& e) {
        failed(out, e.what());
    }
    if (out.exitCode == ExitOk && report.warnings > 0)
        out.exitCode = ExitWarnings;
    out.lines.push_back(out.exitCode == ExitOk         ? "Done."
                        : out.exitCode == ExitWarnings ? "Done with " + std::to_string(report.warnings) + " warning(s)."
                                                       : "Failed.");
    return out;
}

int runProgram(const std::vector<std::string>& args, const std::filesystem::path& ownFolder,
               const ListingWindow& window, const PasswordAsker& ask)
{
    const Parsed parsed = parseArguments(args);
    Outcome out;
    if (parsed.error.empty()) {
        out = run(parsed.request, qm::fs::fromNative(ownFolder), ask);
    } else {
        out.lines = {"Error: " + oneLine(parsed.error), "Failed."};
        out.exitCode = ExitFailed;
    }
    std::string text;
    for (const std::string& l : out.lines)
        text += l + "\r\n";
    if (parsed.request.command == 'l')
        std::cout << text << std::flush;
    int status = out.exitCode;
    try {
        qm::fs::writeFileAtomic(ownFolder / "action.log", text);
    } catch (const std::exception& e) {
        std::cerr << "WinAce: cannot write action.log: " << e.what() << '\n';
        status = ExitFailed;
    }
    if (window && parsed.error.empty() && parsed.request.command == 'l')
        window(parsed.request, out);
    return status;
}

int install(const std::filesystem::path& self, const std::filesystem::path& stub, std::string& message)
{
    try {
        const std::filesystem::path folder = self.parent_path() / "SFXFILES";
        std::filesystem::create_directories(folder);
        qm::fs::copyFileAtomic(stub, folder / "WGUI_EN.SFX");
        qm::registry::Batch batch;
        batch.setValue(R"(SOFTWARE\e-merge\WinAce)", "Path", qm::registry::textValue(qm::fs::fromNative(self)))
            .setValue(R"(SOFTWARE\e-merge\WinAce)", "Version", qm::registry::textValue("2.11"));
        qm::registry::apply(qm::registry::hkey::CurrentUser, batch);
    } catch (const std::exception& e) {
        message = "WinAce could not be installed: " + std::string(e.what());
        return ExitFailed;
    }
    message = "WinAce installed: " + qm::fs::fromNative(self);
    return ExitOk;
}

} // namespace qm::winace

// The measures of everyday runs:
//   - an update of the tree with nothing and with 1 % of the files changed,
//     against "zip -u" and a full rebuild;
//   - Nightwick's cost per small due project: a run of 200 less a run of 1
//     (its designed one-second start set aside), over 199, against "zip -r"
//     started once per project;
//   - the files Quillmate opens per row of its project list (strace counts
//     them).
#include "BenchTools.h"

#include "platform/fs/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace qmbench {

namespace stdfs = std::filesystem;

namespace {

constexpr int Projects = 200;
constexpr int FilesPerProject = 20;
constexpr int ListRows = 1000;
constexpr int Rounds = 3; // the best of each is taken: the machine may be busy

// A copy to update, written to the disk before the update starts: its
// writing would otherwise hold up whatever syncs next.
void copyOver(const stdfs::path& from, const stdfs::path& to)
{
    stdfs::copy_file(from, to, stdfs::copy_options::overwrite_existing);
    ::sync();
}

// The best (shortest) of a few runs.
Run best(const std::function<Run()>& once)
{
    Run b = once();
    for (int i = 1; i < Rounds; ++i) {
        Run r = once();
        if (r.seconds < b.seconds)
            b = r;
    }
    return b;
}

std::string winOf(const stdfs::path& p)
{
    return qm::fs::fromNative(p);
}

// A project file as the README shows one, due every day and never backed
// up; with `deflate` at level 6 (as zip compresses), else with the
// program's defaults (method 18 at the highest level).
std::string projectText(const stdfs::path& home, const std::string& name, bool deflate)
{
    std::string t = "[SOURCES]\r\nProjectName=" + name + "\r\n[FILES AND FOLDERS-QMT]\r\nProjectFolder=" +
                    winOf(home / "src" / name) + "\r\nZIPBackFile=" + name + ".qmt\r\nZIPDefaultRestoreFromFolder=" +
                    winOf(home / "out") + "\r\nUseTempFolder=no\r\n[FILE HANDLING]\r\nZIPDoSubFolders=yes\r\n"
                    "ZIPPreservePaths=yes\r\n[BACKUP OPTIONS]\r\nZIPBackupOption=automatic\r\nZIPBackupFrequency=1\r\n"
                    "AutoBackupFormat=ZIP\r\n";
    if (deflate)
        t += "[MISCELLANEOUS]\r\nZIPCompressionMethod=pvzDeflated\r\nZIPCompressionLevel=medium\r\n";
    return t;
}

// A program folder of `count` small projects (their sources made once):
// each twelve notes and eight documents, as the tree's files, three of them
// in a subfolder. Gives the bytes of one project's files.
uint64_t makeHome(const stdfs::path& home, int count)
{
    uint64_t bytes = 0;
    for (int p = 0; p < count; ++p) {
        const stdfs::path src = home / "src" / ("P" + std::to_string(p));
        stdfs::create_directories(src / "sub");
        Rng r{0x5eed0000ull + uint64_t(p)};
        for (int i = 0; i < FilesPerProject; ++i) {
            const size_t size = i < 12 ? 50 + r.next() % 900 : 1024 + r.next() % (20 * 1024);
            const std::string text = textBlock(r, size);
            writeFile(src / (i % 7 == 0 ? "sub" : "") / ("f" + std::to_string(i) + ".txt"), text);
            if (p == 0)
                bytes += text.size();
        }
    }
    return bytes;
}

// Every project due again, no archive, no log: each run does the same.
void resetHome(const stdfs::path& home, int count, bool deflate)
{
    stdfs::remove_all(home / "Projects");
    stdfs::remove_all(home / "out");
    stdfs::remove(home / "autoback.log");
    stdfs::create_directories(home / "Projects");
    stdfs::create_directories(home / "Options");
    stdfs::create_directories(home / "out");
    for (int p = 0; p < count; ++p) {
        const std::string name = "P" + std::to_string(p);
        writeFile(home / "Projects" / name, projectText(home, name, deflate));
    }
}

Run nightwick(const stdfs::path& program, const stdfs::path& home, int count, bool deflate)
{
    return best([&] {
        resetHome(home, count, deflate);
        return measure([&] {
            ::setenv("QUILLMATE_HOME", home.c_str(), 1);
            ::setenv("QUILLMATE_PLATFORM_DIR", (home / "platform").c_str(), 1);
            ::unsetenv("DISPLAY"); // headless, as a scheduled run
            ::unsetenv("WAYLAND_DISPLAY");
            return execIn({}, {program.string()});
        });
    });
}

// zip started once per project, one after the other.
Run zipLoop(const stdfs::path& home, const std::vector<std::string>& options)
{
    return best([&] {
        const stdfs::path out = home / "zout";
        stdfs::remove_all(out);
        stdfs::create_directories(out);
        return measure([&] {
            for (int p = 0; p < Projects; ++p) {
                const std::string name = "P" + std::to_string(p);
                std::vector<std::string> args{"zip", "-r", "-q"};
                args.insert(args.end(), options.begin(), options.end());
                args.push_back((out / (name + ".zip")).string());
                args.push_back(".");
                pid_t pid = fork();
                if (pid == 0)
                    _exit(execIn(home / "src" / name, args));
                int status = 0;
                waitpid(pid, &status, 0);
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                    return 1;
            }
            return 0;
        });
    });
}

void perProject(const char* kind, const stdfs::path& program, const stdfs::path& many, const stdfs::path& one,
                bool deflate, const std::vector<std::string>& zipOptions, const char* zipShown)
{
    const Run all = nightwick(program, many, Projects, deflate);
    const Run single = nightwick(program, one, 1, deflate);
    const Run zips = zipLoop(many, zipOptions);
    const double ours = (all.seconds - single.seconds) / (Projects - 1);
    const double oursCpu = (all.cpu - single.cpu) / (Projects - 1);
    const double theirs = zips.seconds / Projects;
    std::printf("  %s\n", kind);
    std::printf("    Nightwick, %d projects %.2f s, 1 project %.2f s: %.2f ms a project (cpu %.2f ms)%s\n", Projects,
                all.seconds, single.seconds, ours * 1000, oursCpu * 1000,
                all.status || single.status ? "  (failed)" : "");
    std::printf("    %s once per project: %.2f ms a project (cpu %.2f ms)%s\n", zipShown, theirs * 1000,
                zips.cpu / Projects * 1000, zips.status ? "  (failed)" : "");
    std::printf("    ratio %-42s %6.2f\n", "Nightwick / zip, per project [<= 1.0]", theirs > 0 ? ours / theirs : 0.0);
}

// The calls of `name` that an strace -c summary counts.
long stracedCalls(const stdfs::path& summary, const std::string& name)
{
    std::ifstream in(summary);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::vector<std::string> w;
        std::string s;
        while (f >> s)
            w.push_back(s);
        // % time, seconds, usecs/call, calls, [errors,] syscall
        if (w.size() >= 5 && w.back() == name)
            return std::atol(w[3].c_str());
    }
    return 0;
}

// Quillmate started on a program folder, offscreen, with the files it opens
// counted; its project list is filled at start, so it is stopped after a
// while (the same for any number of rows).
long listOpens(const stdfs::path& program, const stdfs::path& home, const stdfs::path& summary)
{
    Run r = measure([&] {
        ::setenv("QUILLMATE_HOME", home.c_str(), 1);
        ::setenv("QUILLMATE_PLATFORM_DIR", (home / "platform").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1); // its scheduled job goes there
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return execIn({}, {"strace", "-f", "-c", "-e", "trace=open,openat", "-o", summary.string(), "timeout", "-s",
                           "INT", "8", program.string()});
    });
    if (r.status != 0 && r.status != 124)
        return -1;
    return stracedCalls(summary, "openat") + stracedCalls(summary, "open");
}

} // namespace

void updateBench(const stdfs::path& tree, const stdfs::path& oursZip, const stdfs::path& zipZip, const stdfs::path& work)
{
    std::printf("\nupdate with every core, nothing and 1 %% of the files changed\n");
    copyOver(oursZip, work / "update0.zip");
    const Run same = ours(build(tree, work / "update0.zip", 8, 0), work / "update0.zip");
    show("ours, update, nothing changed", same);
    copyOver(zipZip, work / "zipu0.zip");
    const Run zipSame = external(tree, {"zip", "-r", "-u", "-6", "-q", (work / "zipu0.zip").string(), "."});
    show("zip -r -u -6, nothing changed", zipSame);

    const int changed = touchOnePercent(tree);
    measure([&] { return warm(tree), 0; });
    copyOver(oursZip, work / "update1.zip");
    const Run upd = ours(build(tree, work / "update1.zip", 8, 0), work / "update1.zip");
    show(("ours, update, " + std::to_string(changed) + " files changed").c_str(), upd);
    copyOver(zipZip, work / "zipu1.zip");
    const Run zipUpd = external(tree, {"zip", "-r", "-u", "-6", "-q", (work / "zipu1.zip").string(), "."});
    show("zip -r -u -6, 1 % changed", zipUpd);
    const Run full = ours(build(tree, work / "full.zip", 8, 0), work / "full.zip");
    show("ours, full rebuild", full);
    ratio("update 1 % / zip -u [<= 1.5]", upd, zipUpd);
    ratio("update nothing changed / zip -u", same, zipSame);
    ratio("update 1 % / full rebuild [<= 0.35]", upd, full);
    ratio("update nothing changed / rebuild [<= 0.35]", same, full);
}

void dailyBench(const stdfs::path& work)
{
    std::error_code ec;
    const stdfs::path self = stdfs::read_symlink("/proc/self/exe", ec);
    const stdfs::path program = self.parent_path().parent_path() / "bin" / "Nightwick";
    const stdfs::path many = work / "nightwick-200";
    const stdfs::path one = work / "nightwick-1";
    if (stdfs::exists(program)) {
        const uint64_t bytes = makeHome(many, Projects);
        makeHome(one, 1);
        std::printf("\nNightwick, %d small due projects (%d files, %.0f KB each), headless\n", Projects,
                    FilesPerProject, double(bytes) / 1024);
        perProject("deflated at level 6", program, many, one, true, {}, "zip -r -q");
        perProject("the program's defaults: method 18 at the highest level", program, many, one, false,
                   {"-9", "-Z", "bzip2"}, "zip -r -q -9 -Z bzip2");
    } else {
        std::printf("\n(Nightwick not built: %s)\n", program.c_str());
    }

    const stdfs::path quillmate = self.parent_path().parent_path() / "bin" / "Quillmate";
    if (!have("strace") || !have("timeout") || !stdfs::exists(quillmate)) {
        std::printf("\n(strace, timeout or Quillmate missing: the project list is not measured)\n");
        return;
    }
    const stdfs::path list = work / "list";
    const stdfs::path single = work / "list-1";
    for (const auto& [home, count] : {std::pair{list, ListRows}, std::pair{single, 1}}) {
        stdfs::create_directories(home / "Projects");
        stdfs::create_directories(home / "Options");
        for (int p = 0; p < count; ++p)
            writeFile(home / "Projects" / ("P" + std::to_string(p)), projectText(home, "P" + std::to_string(p), false));
    }
    const long opens = listOpens(quillmate, list, work / "strace-list.txt");
    const long base = listOpens(quillmate, single, work / "strace-list-1.txt");
    std::printf("\nQuillmate's project list of %d projects\n", ListRows);
    if (opens < 0 || base < 0) {
        std::printf("  (the list could not be measured)\n");
        return;
    }
    std::printf("  files opened: %ld with %d rows, %ld with one\n", opens, ListRows, base);
    std::printf("    %-48s %6.2f\n", "opens per row [<= 1]", double(opens - base) / (ListRows - 1));
}

} // namespace qmbench

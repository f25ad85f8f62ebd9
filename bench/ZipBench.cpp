// Times the zip control against Info-ZIP and 7-Zip on a generated mixed
// tree, and prints each figure as a ratio:
//   - level-6 build with every core and with one worker, against
//     "zip -r -6" and "7zz a -tzip -mx5 -mmt=8";
//   - method 18 against "7zz a -tzip -mm=BZip2 -mmt=8";
//   - an update with nothing and with 1 % of the files changed, against
//     "zip -u" and a full rebuild;
//   - extracting and testing, against unzip and 7zz;
//   - a tree of many tiny files, built, tested and extracted, against zip
//     and unzip;
//   - Nightwick's cost per small project, against zip run once per project,
//     and the files Quillmate's project list opens per row;
// with the peak memory of every run (each runs in a process of its own).
// Where a figure has a target, it follows in brackets.
//
//   qm_zip_bench [--dir FOLDER] [--keep] [--mb N] [--tiny N] [--daily]
//
// The trees are made in FOLDER (default: a new folder under the system's
// temporary folder) unless they are there already; --keep leaves them behind
// for another run; --daily measures Nightwick and the project list only.
// Run it on a quiet machine: the figures are wall times.
#include "BenchTools.h"

#include "platform/fs/Paths.h"
#include "platform/zip/PavikZip.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace stdfs = std::filesystem;

namespace qmbench {

const char* const kWords[] = {
    "backup", "archive", "folder", "project", "schedule", "restore", "the", "of", "and", "to", "a", "in",
    "is", "for", "with", "on", "file", "data", "night", "copy", "target", "source", "drive", "network",
    "error", "success", "total", "bytes", "compressed", "entry", "level", "method", "time", "date",
    "user", "option", "record", "value", "disk", "span", "split", "password", "comment", "list",
};

std::string textBlock(Rng& r, size_t n)
{
    std::string s;
    s.reserve(n + 32);
    const size_t words = sizeof kWords / sizeof kWords[0];
    while (s.size() < n) {
        uint64_t v = r.next();
        s += kWords[v % words];
        switch ((v >> 8) % 16) {
        case 0: s += ".\r\n"; break;
        case 1: s += ", "; break;
        case 2: s += ' '; s += std::to_string((v >> 16) % 100000); s += ' '; break;
        default: s += ' ';
        }
    }
    s.resize(n);
    return s;
}

std::string binaryBlock(Rng& r, size_t n)
{
    std::string s(n, '\0');
    for (size_t i = 0; i + 8 <= n; i += 8) {
        uint64_t v = r.next();
        std::memcpy(&s[i], &v, 8);
    }
    return s;
}

void writeFile(const stdfs::path& p, const std::string& data)
{
    std::ofstream f(p, std::ios::binary);
    f.write(data.data(), std::streamsize(data.size()));
}

// About 21,000 files: notes, documents, reports, logs and packed data.
uint64_t makeTree(const stdfs::path& root, uint64_t targetMb)
{
    Rng r{0x9e3779b97f4a7c15ull};
    uint64_t total = 0;
    const uint64_t target = targetMb << 20;
    int folder = 0;
    auto dir = [&](int i) {
        stdfs::path d = root / ("dept" + std::to_string(i % 12)) / ("sub" + std::to_string(i % 5));
        stdfs::create_directories(d);
        return d;
    };
    for (int i = 0; i < 12000; ++i) { // tiny files
        std::string s = textBlock(r, 50 + r.next() % 900);
        writeFile(dir(i) / ("note" + std::to_string(i) + ".txt"), s);
        total += s.size();
    }
    for (int i = 0; i < 8000; ++i) { // small documents
        std::string s = textBlock(r, 1024 + r.next() % (20 * 1024));
        writeFile(dir(i + 7) / ("doc" + std::to_string(i) + ".txt"), s);
        total += s.size();
    }
    for (int i = 0; i < 5; ++i) { // large logs
        std::string s = textBlock(r, 10u << 20);
        writeFile(root / ("server" + std::to_string(i) + ".log"), s);
        total += s.size();
    }
    for (int i = 0; i < 40; ++i) { // photos and other packed data
        std::string s = binaryBlock(r, (1u << 20) + r.next() % (2u << 20));
        writeFile(dir(i + 3) / ("photo" + std::to_string(i) + ".jpg"), s);
        total += s.size();
    }
    while (total < target) { // medium documents, some with tables of numbers
        std::string s = textBlock(r, (100u << 10) + r.next() % (900u << 10));
        if (folder % 3 == 0)
            s += binaryBlock(r, 4096);
        writeFile(dir(folder) / ("report" + std::to_string(folder) + ".doc"), s);
        total += s.size();
        ++folder;
    }
    return total;
}

void makeTinyTree(const stdfs::path& root, int count)
{
    Rng r{12345};
    for (int i = 0; i < count; ++i) {
        stdfs::path d = root / ("d" + std::to_string(i / 1000));
        if (i % 1000 == 0)
            stdfs::create_directories(d);
        writeFile(d / ("f" + std::to_string(i % 1000) + ".txt"), textBlock(r, 20 + r.next() % 600));
    }
}

// Reads every file once so that every run starts from a warm cache.
void warm(const stdfs::path& root)
{
    std::vector<char> buf(1 << 20);
    for (auto& e : stdfs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file())
            continue;
        std::ifstream f(e.path(), std::ios::binary);
        while (f.read(buf.data(), std::streamsize(buf.size())) || f.gcount() > 0) {
        }
    }
}

// Runs `body` in a child process: wall time, peak memory and exit status.
Run measure(const std::function<int()>& body)
{
    std::fflush(stdout);
    auto t0 = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    Run r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    r.peakMb = double(ru.ru_maxrss) / 1024;
    r.cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

int execIn(const stdfs::path& dir, std::vector<std::string> args)
{
    if (!dir.empty() && chdir(dir.c_str()) != 0)
        return 127;
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, 1);
        dup2(null, 2);
    }
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    return 127;
}

Run external(const stdfs::path& dir, std::vector<std::string> args, const stdfs::path& archive)
{
    Run r = measure([&] { return execIn(dir, args); });
    std::error_code ec;
    if (!archive.empty() && stdfs::exists(archive, ec))
        r.sizeMb = double(stdfs::file_size(archive)) / (1 << 20);
    return r;
}

Run ours(const std::function<int(qm::zip::PavikZip&)>& op, const stdfs::path& archive)
{
    Run r = measure([&] {
        qm::zip::PavikZip z;
        return op(z);
    });
    std::error_code ec;
    if (!archive.empty() && stdfs::exists(archive, ec))
        r.sizeMb = double(stdfs::file_size(archive)) / (1 << 20);
    return r;
}

std::function<int(qm::zip::PavikZip&)> build(const stdfs::path& tree, const stdfs::path& archive, int method,
                                             int workers)
{
    return [=](qm::zip::PavikZip& z) {
        z.ArchivePath = qm::fs::fromNative(archive);
        z.SourceFolder = qm::fs::fromNative(tree);
        z.Method = method;
        z.Level = 6;
        z.Workers = workers;
        int r = z.Build();
        if (r == 0 && z.CopiedEntries() > 0)
            std::printf("    (%lld entries copied from the old archive)\n", static_cast<long long>(z.CopiedEntries()));
        return r;
    };
}

void show(const char* what, const Run& r)
{
    std::printf("  %-34s %8.2f s", what, r.seconds);
    if (r.sizeMb > 0)
        std::printf("  %8.1f MB", r.sizeMb);
    else
        std::printf("  %11s", "");
    std::printf("  cpu %7.2f s  peak %7.1f MB", r.cpu, r.peakMb);
    if (r.status != 0)
        std::printf("  (exit %d)", r.status);
    std::printf("\n");
}

void ratio(const char* what, const Run& a, const Run& b)
{
    std::printf("    ratio %-42s %6.2f\n", what, b.seconds > 0 ? a.seconds / b.seconds : 0.0);
}

// A ratio with the target it should meet.
void ratioAgainst(const char* what, const Run& a, const Run& b, double target)
{
    std::printf("    ratio %-42s %6.2f  [<= %.2f]\n", what, b.seconds > 0 ? a.seconds / b.seconds : 0.0, target);
}

void peakAgainst(const char* what, const Run& r, double targetMb)
{
    std::printf("    peak %-43s %6.1f MB  [<= %.0f MB]\n", what, r.peakMb, targetMb);
}

Run extractWithOurs(const stdfs::path& archive, const stdfs::path& folder)
{
    return ours([&](qm::zip::PavikZip& z) {
        z.ArchivePath = qm::fs::fromNative(archive);
        z.ExtractFolder = qm::fs::fromNative(folder);
        return z.Extract();
    });
}

Run testWithOurs(const stdfs::path& archive)
{
    return ours([&](qm::zip::PavikZip& z) {
        z.ArchivePath = qm::fs::fromNative(archive);
        return z.Test();
    });
}

// Extracting and testing a large archive, against unzip (and 7zz).
void measureLargeReads(const stdfs::path& work, const stdfs::path& archive, bool sevenZip)
{
    std::printf("\nextract and test (the archive of every core)\n");
    Run ux = external({}, {"unzip", "-q", "-o", archive.string(), "-d", (work / "x-unzip").string()});
    show("unzip", ux);
    Run sx;
    if (sevenZip) {
        sx = external({}, {"7zz", "x", "-y", "-o" + (work / "x-7z").string(), archive.string()});
        show("7zz x", sx);
    }
    Run ox = extractWithOurs(archive, work / "x-ours");
    show("ours", ox);
    ratioAgainst("extract ours / unzip", ox, ux, 0.35);
    if (sevenZip)
        ratio("extract ours / 7zz", ox, sx);
    Run ut = external({}, {"unzip", "-tq", archive.string()});
    show("unzip -tq", ut);
    Run st;
    if (sevenZip) {
        st = external({}, {"7zz", "t", archive.string()});
        show("7zz t", st);
    }
    Run ot = testWithOurs(archive);
    show("ours", ot);
    ratioAgainst("test ours / unzip -t", ot, ut, 0.25);
    if (sevenZip)
        ratio("test ours / 7zz", ot, st);
}

// Testing and extracting an archive of many tiny files, against unzip.
void measureTinyReads(const stdfs::path& work, const stdfs::path& archive)
{
    Run ut = external({}, {"unzip", "-tq", archive.string()});
    show("unzip -tq", ut);
    Run ot = testWithOurs(archive);
    show("ours, test", ot);
    ratioAgainst("test ours / unzip -t", ot, ut, 0.8);
    peakAgainst("test ours", ot, 16);
    Run ux = external({}, {"unzip", "-q", "-o", archive.string(), "-d", (work / "tx-unzip").string()});
    show("unzip", ux);
    Run ox = extractWithOurs(archive, work / "tx-ours");
    show("ours, extract", ox);
    ratioAgainst("extract ours / unzip", ox, ux, 0.8);
    peakAgainst("extract ours", ox, 24);
}

bool have(const char* program)
{
    return measure([&] { return execIn({}, {program, "-h"}); }).status != 127;
}

// Changes every hundredth file: new content, a new time.
int touchOnePercent(const stdfs::path& tree)
{
    int n = 0, changed = 0;
    for (auto& e : stdfs::recursive_directory_iterator(tree)) {
        if (!e.is_regular_file() || n++ % 100 != 0)
            continue;
        std::ofstream f(e.path(), std::ios::binary | std::ios::app);
        f << "\r\nchanged " << n << "\r\n";
        ++changed;
    }
    return changed;
}

} // namespace qmbench

using namespace qmbench;

int main(int argc, char** argv)
{
    stdfs::path dir;
    bool keep = false;
    bool dailyOnly = false;
    uint64_t mb = 500;
    int tiny = 100000;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--daily")
            dailyOnly = true;
        else if (a == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else if (a == "--keep")
            keep = true;
        else if (a == "--mb" && i + 1 < argc)
            mb = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--tiny" && i + 1 < argc)
            tiny = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "usage: %s [--dir FOLDER] [--keep] [--mb N] [--tiny N] [--daily]\n", argv[0]);
            return 2;
        }
    }
    if (dir.empty())
        dir = stdfs::temp_directory_path() / "qm-zip-bench";
    const stdfs::path tree = dir / "tree";
    const stdfs::path tinyTree = dir / "tiny";
    const stdfs::path work = dir / "work";
    stdfs::remove_all(work);
    stdfs::create_directories(work);
    if (dailyOnly) {
        dailyBench(work / "daily");
        stdfs::remove_all(work);
        return 0;
    }
    // Trees are made (and the cache warmed) in processes of their own, so
    // that this one stays small: every run measured starts as a copy of it.
    if (!stdfs::exists(tree)) {
        stdfs::create_directories(tree);
        measure([&] { return makeTree(tree, mb) > 0 ? 0 : 1; });
    }
    if (tiny > 0 && !stdfs::exists(tinyTree)) {
        stdfs::create_directories(tinyTree);
        measure([&] { return makeTinyTree(tinyTree, tiny), 0; });
    }
    uint64_t bytes = 0, count = 0;
    for (auto& e : stdfs::recursive_directory_iterator(tree))
        if (e.is_regular_file()) {
            bytes += e.file_size();
            ++count;
        }
    const bool sevenZip = have("7zz");
    const std::string threads = "-mmt=" + std::to_string(std::thread::hardware_concurrency());
    struct rusage self {};
    getrusage(RUSAGE_SELF, &self);
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("tree: %llu files, %.1f MB; %u cores, load %.1f; peaks include this program's own %.1f MB\n",
                static_cast<unsigned long long>(count), double(bytes) / (1 << 20), std::thread::hardware_concurrency(),
                load[0], double(self.ru_maxrss) / 1024);
    measure([&] { return warm(tree), 0; });

    std::printf("\nbuild, level 6\n");
    Run zip = external(tree, {"zip", "-r", "-6", "-q", (work / "zip.zip").string(), "."}, work / "zip.zip");
    show("zip -r -6", zip);
    Run sz;
    if (sevenZip) {
        sz = external(tree, {"7zz", "a", "-tzip", "-mx5", threads, (work / "7z.zip").string(), "."}, work / "7z.zip");
        show(("7zz a -tzip -mx5 " + threads).c_str(), sz);
    }
    Run all = ours(build(tree, work / "ours.zip", 8, 0), work / "ours.zip");
    show("ours, every core", all);
    Run one = ours(build(tree, work / "one.zip", 8, 1), work / "one.zip");
    show("ours, one worker", one);
    ratio("every core / zip", all, zip);
    if (sevenZip)
        ratio("every core / 7zz", all, sz);
    ratio("one worker / zip", one, zip);
    if (zip.sizeMb > 0)
        std::printf("    size every core / zip              %6.4f\n", all.sizeMb / zip.sizeMb);

    std::printf("\nmethod 18 (Burrows-Wheeler)\n");
    Run bw = ours(build(tree, work / "bw.zip", 18, 0), work / "bw.zip");
    show("ours, every core", bw);
    if (sevenZip) {
        Run sbz = external(tree, {"7zz", "a", "-tzip", "-mm=BZip2", threads, (work / "7zbz.zip").string(), "."},
                           work / "7zbz.zip");
        show(("7zz a -tzip -mm=BZip2 " + threads).c_str(), sbz);
        ratio("ours / 7zz", bw, sbz);
    }

    measureLargeReads(work, work / "ours.zip", sevenZip);

    updateBench(tree, work / "ours.zip", work / "zip.zip", work);

    if (tiny > 0) {
        std::printf("\n%d tiny files\n", tiny);
        measure([&] { return warm(tinyTree), 0; });
        Run tz = external(tinyTree, {"zip", "-r", "-6", "-q", (work / "tiny-zip.zip").string(), "."},
                          work / "tiny-zip.zip");
        show("zip -r -6", tz);
        Run to = ours(build(tinyTree, work / "tiny.zip", 8, 0), work / "tiny.zip");
        show("ours, every core", to);
        ratio("build ours / zip", to, tz);
        std::printf("    peak memory ours / zip               %6.2f\n", tz.peakMb > 0 ? to.peakMb / tz.peakMb : 0.0);
        measureTinyReads(work, work / "tiny.zip");
    }

    dailyBench(work / "daily");

    stdfs::remove_all(work);
    if (!keep)
        stdfs::remove_all(dir);
    return all.status == 0 && one.status == 0 ? 0 : 1;
}

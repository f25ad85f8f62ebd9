// Builds a level-6 archive of a generated mixed tree with the zip control
// and with Info-ZIP's "zip -r -6", and prints both times.
//
//   qm_zip_bench [--dir FOLDER] [--keep] [--mb N]
//
// The tree (text of several sizes, incompressible binaries, many small
// files, a few large logs) is made in FOLDER (default: a new folder under
// the system's temporary folder) unless it is there already; --keep leaves
// it behind for another run.
#include "platform/fs/Paths.h"
#include "platform/zip/PavikZip.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace stdfs = std::filesystem;

namespace {

struct Rng {
    uint64_t s;
    uint64_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
};

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
    for (int i = 0; i < 3000; ++i) { // tiny files
        std::string s = textBlock(r, 50 + r.next() % 900);
        writeFile(dir(i) / ("note" + std::to_string(i) + ".txt"), s);
        total += s.size();
    }
    for (int i = 0; i < 2000; ++i) { // small documents
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
    while (total < target) { // medium documents, half text half tables of numbers
        std::string s = textBlock(r, (100u << 10) + r.next() % (900u << 10));
        if (folder % 3 == 0)
            s += binaryBlock(r, 4096);
        writeFile(dir(folder) / ("report" + std::to_string(folder) + ".doc"), s);
        total += s.size();
        ++folder;
    }
    return total;
}

double seconds(std::chrono::steady_clock::time_point a)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - a).count();
}

// Reads every file once so both runs start from a warm cache.
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

int runZip(const stdfs::path& root, const stdfs::path& archive)
{
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(root.c_str()) != 0)
            _exit(127);
        execlp("zip", "zip", "-r", "-6", "-q", archive.c_str(), ".", static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    stdfs::path dir;
    bool keep = false;
    uint64_t mb = 320;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc)
            dir = argv[++i];
        else if (a == "--keep")
            keep = true;
        else if (a == "--mb" && i + 1 < argc)
            mb = std::strtoull(argv[++i], nullptr, 10);
        else {
            std::fprintf(stderr, "usage: %s [--dir FOLDER] [--keep] [--mb N]\n", argv[0]);
            return 2;
        }
    }
    if (dir.empty())
        dir = stdfs::temp_directory_path() / "qm-zip-bench";
    stdfs::path tree = dir / "tree";
    if (!stdfs::exists(tree)) {
        stdfs::create_directories(tree);
        auto t0 = std::chrono::steady_clock::now();
        uint64_t bytes = makeTree(tree, mb);
        std::printf("generated %.1f MB in %.1f s\n", double(bytes) / (1 << 20), seconds(t0));
    }
    uint64_t bytes = 0, count = 0;
    for (auto& e : stdfs::recursive_directory_iterator(tree))
        if (e.is_regular_file()) {
            bytes += e.file_size();
            ++count;
        }
    std::printf("tree: %llu files, %.1f MB\n", static_cast<unsigned long long>(count), double(bytes) / (1 << 20));
    warm(tree);

    stdfs::path ours = dir / "ours.zip";
    stdfs::path theirs = dir / "zip.zip";
    stdfs::remove(ours);
    stdfs::remove(theirs);

    auto t0 = std::chrono::steady_clock::now();
    int zr = runZip(tree, theirs);
    double zipTime = seconds(t0);

    qm::zip::PavikZip z;
    z.ArchivePath = qm::fs::fromNative(ours);
    z.SourceFolder = qm::fs::fromNative(tree);
    z.Method = 8;
    z.Level = 6;
    t0 = std::chrono::steady_clock::now();
    int r = z.Build();
    double ourTime = seconds(t0);
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);

    std::printf("zip -r -6 : %7.2f s  %8.1f MB  (exit %d)\n", zipTime,
                zr == 0 ? double(stdfs::file_size(theirs)) / (1 << 20) : 0.0, zr);
    std::printf("qm_zip    : %7.2f s  %8.1f MB  (result %d)  peak memory %.1f MB\n", ourTime,
                r == 0 ? double(stdfs::file_size(ours)) / (1 << 20) : 0.0, r, double(ru.ru_maxrss) / 1024);
    std::printf("ratio ours/zip: %.2f\n", zipTime > 0 ? ourTime / zipTime : 0.0);
    stdfs::remove(ours);
    stdfs::remove(theirs);
    if (!keep)
        stdfs::remove_all(dir);
    return r == 0 ? 0 : 1;
}

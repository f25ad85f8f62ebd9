// The generated hostile-archive corpus (tests/fuzz/hostile_corpus.py):
// every case is listed, tested and extracted by the control, and must give
// the codes its manifest names, extract exactly the files it names (each one
// whole), write nothing beside the extraction folder and leave no temporary
// file. The folder comes from QM_HOSTILE_CORPUS when the test run made it
// already; otherwise the script is run here.
#include "ZipTestUtil.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <zlib.h>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;
using qm::test::TempDir;

struct Case {
    std::string file;
    std::string codes[3]; // list, test, extract
    std::map<std::string, std::string> files, maybe; // path -> CRC-32 in hex
    std::set<std::string> dirs;
};

std::vector<Case> readManifest(const stdfs::path& file)
{
    std::vector<Case> cases;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        for (std::string part; std::getline(ss, part, '\t');)
            f.push_back(part);
        if (f.size() == 5 && f[0] == "case")
            cases.push_back({f[1], {f[2], f[3], f[4]}, {}, {}, {}});
        else if (!cases.empty() && f.size() == 3 && f[0] == "file")
            cases.back().files[f[1]] = f[2];
        else if (!cases.empty() && f.size() == 3 && f[0] == "maybe")
            cases.back().maybe[f[1]] = f[2];
        else if (!cases.empty() && f.size() == 2 && f[0] == "dir")
            cases.back().dirs.insert(f[1]);
        else
            ADD_FAILURE() << "manifest line not understood: " << line;
    }
    return cases;
}

bool codeFits(const std::string& expected, int got)
{
    return expected == "!0" ? got != 0 : std::to_string(got) == expected;
}

std::string crcOf(const std::string& bytes)
{
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08lx", crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
    return buf;
}

TEST(ZipHostileCorpus, EveryCaseEndsWithItsCodeAndNothingElseIsWritten)
{
    TempDir tmp("qm-zip-hostile");
    stdfs::path corpus;
    if (const char* env = std::getenv("QM_HOSTILE_CORPUS"); env && *env && stdfs::exists(stdfs::path(env) / "manifest.txt")) {
        corpus = env;
    } else {
        corpus = tmp.path() / "corpus";
        ASSERT_EQ(qm::test::runCommand(
                      {"python3", (qm::test::sourceDir() / "tests/fuzz/hostile_corpus.py").string(), corpus.string()}),
                  0);
    }
    const std::vector<Case> cases = readManifest(corpus / "manifest.txt");
    ASSERT_GE(cases.size(), 40u);

    int passed = 0;
    std::chrono::steady_clock::duration slowest{};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const stdfs::path work = tmp.path() / "work";
        stdfs::remove_all(work);
        stdfs::create_directories(work);
        stdfs::copy_file(corpus / c.file, work / "archive.zip");
        const stdfs::path out = work / "out";
        const auto start = std::chrono::steady_clock::now();

        PavikZip zip;
        zip.ArchivePath = win(work / "archive.zip");
        zip.ExtractFolder = win(out);
        const int got[3] = {zip.ListEntries(), zip.Test(), zip.Extract()};
        slowest = std::max(slowest, std::chrono::steady_clock::now() - start);
        bool ok = true;
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(codeFits(c.codes[k], got[k]))
                << "operation " << k << " gave " << got[k] << ", expected " << c.codes[k];
            ok = ok && codeFits(c.codes[k], got[k]);
        }
        for (const std::string& f : allFiles(work)) {
            ASSERT_TRUE(f == "archive.zip" || f == "out" || f.rfind("out/", 0) == 0) << "written outside: " << f;
            EXPECT_EQ(f.find(".~qmz"), std::string::npos) << "temporary file left: " << f;
        }
        std::map<std::string, std::string> files;
        std::set<std::string> dirs;
        if (stdfs::exists(out)) {
            for (const auto& [rel, content] : readTree(out)) {
                if (rel.back() == '/')
                    dirs.insert(rel.substr(0, rel.size() - 1));
                else
                    files[rel] = crcOf(content);
            }
        }
        for (const auto& [path, crc] : files) {
            const auto* want = c.files.count(path) ? &c.files : c.maybe.count(path) ? &c.maybe : nullptr;
            EXPECT_TRUE(want) << "extracted, but not expected: " << path;
            EXPECT_TRUE(!want || want->at(path) == crc) << "not whole: " << path;
            ok = ok && want && want->at(path) == crc;
        }
        for (const auto& [path, crc] : c.files) {
            EXPECT_TRUE(files.count(path)) << "missing: " << path;
            ok = ok && files.count(path);
        }
        for (const std::string& d : c.dirs) {
            EXPECT_TRUE(dirs.count(d)) << "folder missing: " << d;
            ok = ok && dirs.count(d);
        }
        passed += ok;
    }
    struct rusage ru {};
    ::getrusage(RUSAGE_SELF, &ru);
    std::printf("hostile corpus: %d of %zu cases as expected; slowest %lld ms; peak memory %ld MiB\n", passed,
                cases.size(),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(slowest).count()),
                ru.ru_maxrss / 1024);
    // A bomb or a lying stream is cut off, never held in memory.
    EXPECT_LT(ru.ru_maxrss / 1024, 1024);
}

} // namespace
} // namespace qm::zip::test

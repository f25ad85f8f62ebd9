// The zip control's reader over any bytes: list, test, extract into a
// scratch folder, and update the archive with one new file. Rules besides
// not crashing: nothing is written outside the output folder, no temporary
// file is left, test and extraction agree on damaged data, and an archive
// that tested whole is still whole after an update.
#include "FuzzScratch.h"
#include "platform/fs/Paths.h"
#include "platform/zip/PavikZip.h"

#include <fstream>
#include <set>

namespace {

namespace stdfs = std::filesystem;
namespace result = qm::zip::result;

bool isDamage(int r)
{
    return r == result::DataError || r == result::ArchiveDamaged || r == result::UnsupportedMethod ||
           r == result::BadPassword || r == result::ExpansionLimit;
}

const qm::fuzz::Scratch& scratch()
{
    static const qm::fuzz::Scratch s("zip-reader");
    return s;
}

// The last part of each name the archive lists: an entry may itself be
// called like a temporary file.
struct Leaves : qm::zip::ZipEvents {
    std::set<std::string> names;
    void FileListed(const qm::zip::ListedEntry& e) override
    {
        names.insert(e.name.substr(e.name.find_last_of("\\/") + 1));
    }
};

bool leftTemporary(const std::string& path, const Leaves& listed)
{
    const std::string leaf = path.substr(path.rfind('/') + 1);
    return leaf.rfind(".~qmz", 0) == 0 && leaf.size() > 4 && leaf.compare(leaf.size() - 4, 4, ".tmp") == 0 &&
           !listed.names.count(leaf);
}

int checkFolder(const qm::fuzz::Scratch& s, const Leaves& listed)
{
    for (const std::string& p : s.contents())
        if (p != "in.zip" && p != "out" && p.rfind("out/", 0) != 0 && p != "src" && p != "src/new.txt")
            qm::fuzz::fail("written outside the output folder: " + p);
        else if (leftTemporary(p, listed))
            qm::fuzz::fail("temporary file left: " + p);
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const qm::fuzz::Scratch& s = scratch();
    const stdfs::path archive = s.put("in.zip", data, size);
    const stdfs::path out = s.freshFolder("out");
    const stdfs::path src = s.freshFolder("src");
    std::ofstream(src / "new.txt") << "a new file\n";

    Leaves listed;
    qm::zip::PavikZip zip;
    zip.addEventSink(&listed);
    zip.ArchivePath = qm::fs::fromNative(archive);
    zip.Password = "fuzz";
    zip.ListEntries();
    const int tested = zip.Test();
    zip.ExtractFolder = qm::fs::fromNative(out);
    const int extracted = zip.Extract();
    if (tested == result::Ok && isDamage(extracted))
        qm::fuzz::fail("test passed, extraction found damage " + std::to_string(extracted));
    if (extracted == result::Ok && isDamage(tested))
        qm::fuzz::fail("extraction passed, test found damage " + std::to_string(tested));

    // An update costs most: one input in three gets one, on two workers,
    // so that the parallel build's copying of old entries is fuzzed too.
    if (size % 3 != 0)
        return checkFolder(s, listed);
    zip.SourceFolder = qm::fs::fromNative(src);
    zip.Level = 1;
    zip.Workers = 2;
    const int built = zip.Build();
    if (tested == result::Ok && built == result::Ok) {
        const int again = zip.Test();
        if (again != result::Ok)
            qm::fuzz::fail("an update of a whole archive tests " + std::to_string(again));
    }

    return checkFolder(s, listed);
}

// The output of an update held against the old archive: random runs of
// writes, patches, cut-backs and passed-over old bytes, checked against a
// plain copy of what was written.
#include "ZipTestUtil.h"

#include "platform/zip/SameAsOldOutput.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>

namespace qm::zip::test {
namespace {

namespace stdfs = std::filesystem;

// What one random run ends with: the bytes written, and whether the
// output said they are the old archive as it is.
struct Outcome {
    std::string expected;
    std::string file;
    bool same = false;
};

Outcome randomRun(const stdfs::path& dir, unsigned seed, const std::string& old, int changes)
{
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return size_t(rng() % (n ? n : 1)); };
    qm::test::writeFile(dir / "old.zip", old);
    InFile in;
    EXPECT_TRUE(in.open(dir / "old.zip"));
    const stdfs::path temp = dir / "new.tmp";
    const int fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    OutFile out;
    out.attach(fd, temp, nullptr);
    SameAsOldOutput o(out, in);
    std::string model; // what a plain file would hold
    while (model.size() < old.size()) {
        const size_t at = model.size();
        const size_t n = std::min(1 + pick(3000), old.size() - at);
        switch (pick(6)) {
        case 0: // the old archive's bytes, passed over unread
            if (o.holdsAlready(in, at, n)) {
                model += old.substr(at, n);
                break;
            }
            [[fallthrough]];
        case 1:
        case 2: // the same bytes, written
            o.write(old.data() + at, n);
            model += old.substr(at, n);
            break;
        case 3: { // a header written with blanks, filled in later
            std::string h = old.substr(at, std::min<size_t>(n, 30));
            const size_t blank = std::min<size_t>(h.size(), 8);
            std::string zeros(blank, '\0');
            o.write(zeros.data(), blank);
            o.write(h.data() + blank, h.size() - blank);
            model += zeros + h.substr(blank);
            const bool fill = changes == 0 || pick(2) == 0;
            std::string v = fill ? h.substr(0, blank) : std::string(blank, 'x');
            o.patch(at, v.data(), v.size());
            model.replace(at, v.size(), v);
            break;
        }
        case 4: { // an entry begun and dropped again
            std::string junk(n, 'j');
            o.write(junk.data(), junk.size());
            o.truncate(at);
            break;
        }
        default: // something new
            if (changes > 0 && pick(3) == 0) {
                --changes;
                // In a large archive some are large: held back no longer.
                const size_t size = old.size() > 1000000 ? std::min(old.size() - at, 1 + pick(400000)) : n;
                std::string fresh = randomBytes(size, unsigned(rng()));
                o.write(fresh.data(), fresh.size());
                model += fresh;
            } else {
                o.write(old.data() + at, n);
                model += old.substr(at, n);
            }
        }
    }
    if (changes > 0) { // what is left goes at the end, past the old size
        std::string tail(1 + pick(5000), 't');
        o.write(tail.data(), tail.size());
        model += tail;
    }
    Outcome r;
    r.same = o.same();
    if (!r.same)
        o.materialize();
    out.flush();
    out.close();
    r.expected = model;
    r.file = qm::test::readFile(temp);
    return r;
}

TEST(SameAsOldOutput, HoldsWhatIsWrittenAndSaysSameOnlyForTheOldArchiveItself)
{
    qm::test::TempDir tmp{"qm-same-out"};
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        // Small differences are kept in memory until the end; large ones
        // (a few hundred KiB) put everything into the file at once.
        const std::string old = randomBytes(seed % 3 == 0 ? 1500000 : 20000 + seed * 731, seed);
        const int changes = int(seed % 4);
        Outcome r = randomRun(tmp.path(), seed, old, changes);
        EXPECT_EQ(r.same, r.expected == old);
        if (r.same)
            EXPECT_TRUE(r.file.empty()); // nothing was written
        else
            EXPECT_TRUE(r.file == r.expected);
    }
}

} // namespace
} // namespace qm::zip::test

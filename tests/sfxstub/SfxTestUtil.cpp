#include "SfxTestUtil.h"

#include "platform/fs/Paths.h"
#include "sfxstub/Decoders.h"
#include "sfxstub/Inflate.h"

#include <algorithm>
#include <bzlib.h>
#include <gtest/gtest.h>
#include <zlib.h>

namespace qm::sfxstub::test {

EngineCallback EventScript::callback()
{
    return [this](EngineEvent& e) {
        seen.push_back({e.code, e.name, e.path, e.number});
        if (e.code == event::Exists && !overwrite.empty()) {
            e.answer = overwrite.front();
            overwrite.pop_front();
        } else if (e.code == event::Password && !passwords.empty()) {
            e.reply = passwords.front();
            e.answer = PasswordGiven;
            passwords.pop_front();
        } else if (e.code == event::NextDisk) {
            return onDisk ? onDisk(e.number) : 1;
        } else if (e.code == event::Begin && stopAtFirstFile) {
            return 1;
        }
        return 0;
    };
}

std::vector<Seen> EventScript::of(int code) const
{
    std::vector<Seen> out;
    for (const Seen& s : seen)
        if (s.code == code)
            out.push_back(s);
    return out;
}

std::vector<int> EventScript::kinds() const
{
    std::vector<int> out;
    for (const Seen& s : of(event::Error))
        out.push_back(s.number);
    return out;
}

int unzip(EventScript& script, const std::filesystem::path& archive, const std::filesystem::path& dest,
          std::vector<std::string> modes, bool deflate)
{
    Methods m;
    if (deflate)
        m.deflate = makeInflateDecoder;
    Engine engine(script.callback(), m);
    std::vector<std::string> argv{""};
    argv.insert(argv.end(), modes.begin(), modes.end());
    argv.push_back(archive.is_absolute() ? win(archive) : archive.string());
    argv.push_back("-d");
    argv.push_back(win(dest));
    return engine.UnzipMain(argv);
}

std::string bwData(const std::string& plain)
{
    std::string out(plain.size() + plain.size() / 100 + 700, '\0');
    unsigned int n = unsigned(out.size());
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(out.data(), &n, const_cast<char*>(plain.data()), unsigned(plain.size()), 9,
                                       0, 0),
              BZ_OK);
    return out.substr(3, n - 3);
}

qm::zip::test::RawEntry bwZeros(const std::string& name, size_t size)
{
    const std::string plain(size, '\0');
    qm::zip::test::RawEntry e{name, bwData(plain), 18};
    e.crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(plain.data()), uInt(plain.size())));
    e.computeCrc = false;
    e.sizeOverride = int64_t(size);
    return e;
}

std::string sharedHeaderZip(int records, size_t size)
{
    std::vector<qm::zip::test::RawEntry> same;
    for (int i = 0; i < records; ++i)
        same.push_back(bwZeros("z" + std::to_string(i) + ".bin", size));
    qm::zip::test::RawOptions shared;
    shared.pointAllAtFirst = true;
    return qm::zip::test::rawZip(same, shared);
}

uint64_t bytesBelow(const std::filesystem::path& root)
{
    uint64_t n = 0;
    for (const std::string& f : qm::zip::test::allFiles(root))
        if (std::filesystem::is_regular_file(root / f))
            n += std::filesystem::file_size(root / f);
    return n;
}

void infoZip(const std::filesystem::path& archive, const std::map<std::string, std::string>& files,
             const std::vector<std::string>& options)
{
    qm::test::TempDir src("qm-sfx-src");
    qm::zip::test::makeFiles(src.path(), files);
    std::vector<std::string> argv{"/bin/sh", "-c", "cd \"$0\" && exec zip -q -r -X \"$@\"", src.str()};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(archive.string());
    argv.push_back(".");
    ASSERT_EQ(qm::test::runCommand(argv), 0);
}

namespace {

uint32_t le(const std::string& b, size_t at, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b.at(at + size_t(i)));
    return v;
}

// For each encrypted entry of the archive `zip`, in order, whether
// `password` passes its check as the engine makes it (with the local
// header's flags, time and CRC).
std::vector<bool> passedChecks(const std::string& zip, const std::string& password)
{
    std::vector<bool> passed;
    const size_t end = zip.rfind(std::string("PK\5\6", 4));
    if (end == std::string::npos || end + 22 > zip.size()) {
        ADD_FAILURE() << "no end record";
        return passed;
    }
    size_t at = le(zip, end + 16, 4);
    for (uint32_t n = le(zip, end + 10, 2); n > 0; --n) {
        EXPECT_EQ(le(zip, at, 4), 0x02014b50u);
        const size_t local = le(zip, at + 42, 4);
        at += 46 + le(zip, at + 28, 2) + le(zip, at + 30, 2) + le(zip, at + 32, 2);
        const uint32_t flags = le(zip, local + 6, 2);
        if (!(flags & 1))
            continue;
        unsigned char header[PkDecrypt::HeaderSize];
        const size_t data = local + 30 + le(zip, local + 26, 2) + le(zip, local + 28, 2);
        for (size_t i = 0; i < sizeof header; ++i)
            header[i] = static_cast<unsigned char>(zip.at(data + i));
        const uint8_t check =
            (flags & 8) ? uint8_t(le(zip, local + 10, 2) >> 8) : uint8_t(le(zip, local + 14, 4) >> 24);
        passed.push_back(PkDecrypt(password).acceptsHeader(header, check));
    }
    return passed;
}

} // namespace

void infoZipLocked(const std::filesystem::path& archive, const std::map<std::string, std::string>& files,
                   std::vector<std::string> options, const std::string& password,
                   const std::vector<std::string>& wrong)
{
    options.insert(options.end(), {"-P", password});
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::remove(archive);
        infoZip(archive, files, options);
        const std::string zip = qm::test::readFile(archive);
        const std::vector<bool> right = passedChecks(zip, password);
        ASSERT_FALSE(right.empty()) << "nothing encrypted";
        ASSERT_EQ(std::count(right.begin(), right.end(), true), std::ptrdiff_t(right.size()));
        const bool allRefused = std::all_of(wrong.begin(), wrong.end(), [&](const std::string& w) {
            const std::vector<bool> p = passedChecks(zip, w);
            return std::count(p.begin(), p.end(), true) == 0;
        });
        if (allRefused)
            return;
    }
    FAIL() << "a wrong password passed a check in every archive made";
}

FakeDrive::FakeDrive(char letter, std::filesystem::path root) : letter_(letter), root_(std::move(root))
{
    std::filesystem::create_directories(root_);
    setLabel("");
}

void FakeDrive::setLabel(const std::string& label)
{
    std::filesystem::create_directories(qm::fs::platformDir());
    qm::test::writeFile(qm::fs::platformDir() / "drives", std::string("[") + letter_ + ":]\nPath=" + root_.string()
                                                               + "\nType=removable\nLabel=" + label + "\n");
}

void FakeDrive::insert(const std::string& name, const std::string& bytes, const std::string& label)
{
    qm::test::writeFile(root_ / name, bytes);
    setLabel(label);
}

} // namespace qm::sfxstub::test

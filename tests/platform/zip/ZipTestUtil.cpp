#include "ZipTestUtil.h"

#include "platform/fs/Drives.h"
#include "platform/fs/Paths.h"
#include "platform/profile/Profile.h"
#include "platform/zip/ArchiveReader.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <gtest/gtest.h>

#include <random>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

namespace qm::zip::test {

namespace stdfs = std::filesystem;

std::string win(const stdfs::path& p)
{
    return qm::fs::fromNative(p);
}

void makeFiles(const stdfs::path& root, const std::map<std::string, std::string>& files)
{
    for (const auto& [rel, content] : files) {
        stdfs::path p = root / rel;
        if (!rel.empty() && rel.back() == '/') {
            stdfs::create_directories(p);
            continue;
        }
        stdfs::create_directories(p.parent_path());
        qm::test::writeFile(p, content);
    }
}

std::map<std::string, std::string> readTree(const stdfs::path& root)
{
    std::map<std::string, std::string> out;
    for (auto it = stdfs::recursive_directory_iterator(root); it != stdfs::recursive_directory_iterator(); ++it) {
        std::string rel = it->path().lexically_relative(root).generic_string();
        if (it->is_directory())
            out[rel + "/"] = "";
        else
            out[rel] = qm::test::readFile(it->path());
    }
    return out;
}

std::map<std::string, std::string> extractedFiles(const stdfs::path& archive, const stdfs::path& out,
                                                  const std::string& password)
{
    stdfs::remove_all(out);
    PavikZip z;
    z.ArchivePath = win(archive);
    z.ExtractFolder = win(out);
    z.Password = password;
    EXPECT_EQ(z.Extract(), result::Ok);
    return filesBelow(out);
}

std::map<std::string, std::string> filesBelow(const stdfs::path& root)
{
    std::map<std::string, std::string> got;
    for (auto& [k, v] : readTree(root))
        if (k.back() != '/')
            got[k] = v;
    return got;
}

std::string textBytes(size_t n, unsigned seed)
{
    static const char* words[] = {"backup ", "archive ", "folder ", "project ", "the ", "of ", "zip\r\n", "data "};
    std::mt19937 rng(seed);
    std::string s;
    s.reserve(n + 16);
    while (s.size() < n)
        s += words[rng() % 8];
    s.resize(n);
    return s;
}

std::string randomBytes(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(rng() & 0xff);
    return s;
}

namespace {
void p16(std::string& o, uint32_t v) { o.push_back(char(v & 0xff)); o.push_back(char((v >> 8) & 0xff)); }
void p32(std::string& o, uint32_t v) { p16(o, v & 0xffff); p16(o, v >> 16); }
} // namespace

std::string rawZip(const std::vector<RawEntry>& entries, const RawOptions& o)
{
    std::string out, cd;
    std::vector<uint32_t> offsets;
    for (const RawEntry& e : entries) {
        uint32_t crc = e.computeCrc ? uint32_t(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())))
                                    : e.crc;
        uint32_t size = e.sizeOverride >= 0 ? uint32_t(e.sizeOverride) : uint32_t(e.data.size());
        offsets.push_back(uint32_t(out.size()));
        p32(out, 0x04034b50); p16(out, 20); p16(out, 0); p16(out, uint32_t(e.method)); p16(out, 0); p16(out, 0x21);
        p32(out, crc); p32(out, uint32_t(e.data.size())); p32(out, size);
        p16(out, uint32_t(e.name.size())); p16(out, 0);
        out += e.name;
        out += e.data;
        uint32_t off = o.pointAllAtFirst ? 0 : offsets.back();
        p32(cd, 0x02014b50); p16(cd, 20); p16(cd, 20); p16(cd, 0); p16(cd, uint32_t(e.method)); p16(cd, 0);
        p16(cd, 0x21); p32(cd, crc); p32(cd, uint32_t(e.data.size())); p32(cd, size);
        p16(cd, uint32_t(e.name.size())); p16(cd, 0); p16(cd, 0); p16(cd, 0); p16(cd, 0); p32(cd, 0x20);
        p32(cd, uint32_t(int64_t(off) + o.offsetShift));
        cd += e.name;
    }
    uint32_t cdStart = uint32_t(out.size());
    out += cd;
    uint32_t count = o.countOverride >= 0 ? uint32_t(o.countOverride) : uint32_t(entries.size());
    p32(out, 0x06054b50); p16(out, 0); p16(out, 0); p16(out, count); p16(out, count);
    p32(out, uint32_t(cd.size())); p32(out, cdStart); p16(out, uint32_t(o.comment.size()));
    out += o.comment;
    return out;
}

DiskSwapper::DiskSwapper(const stdfs::path& root, bool onePath, uint64_t mediumBytes, bool mounts)
    : root_(root), onePath_(onePath), mediumBytes_(mediumBytes), mounts_(mounts)
{
    stdfs::create_directories(qm::fs::drivesFile().parent_path());
    insert("disk1");
}

DiskSwapper::~DiskSwapper()
{
    stdfs::remove(qm::fs::drivesFile());
    if (inDrive_)
        ::umount2((root_ / "drive").c_str(), MNT_DETACH);
    for (const stdfs::path& m : mounted_)
        ::umount2(m.c_str(), MNT_DETACH);
}

void DiskSwapper::insert(const std::string& name)
{
    if (!current_.empty() && labelsFollow)
        labels_[current_] = qm::profile::getString(qm::fs::drivesFile(), "A:", "Label", "");
    const stdfs::path medium = root_ / name;
    stdfs::create_directories(medium);
    if (mediumBytes_ > 0 && std::find(mounted_.begin(), mounted_.end(), medium) == mounted_.end()) {
        const std::string options = "size=" + std::to_string(mediumBytes_) + ",mode=0755";
        if (::mount("qm-disk", medium.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
            mounted_.push_back(medium);
        else
            mountsWork_ = false;
    }
    mount(medium);
    qm::profile::writeString(qm::fs::drivesFile(), "A:", "Type", "removable");
    if (labelsFollow)
        qm::profile::writeString(qm::fs::drivesFile(), "A:", "Label", labels_[name]);
    current_ = name;
}

void DiskSwapper::eject()
{
    labels_[current_] = qm::profile::getString(qm::fs::drivesFile(), "A:", "Label", "");
    mount(root_ / "no-medium");
    current_ = "no-medium";
}

void DiskSwapper::mount(const stdfs::path& medium)
{
    if (mounts_) {
        const stdfs::path drive = root_ / "drive";
        stdfs::create_directories(drive);
        if (inDrive_ && ::umount(drive.c_str()) != 0) {
            ADD_FAILURE() << "the medium in " << drive << " cannot be taken out: " << std::strerror(errno);
            return;
        }
        if (stdfs::exists(medium)) { // else the drive stays empty (eject)
            inDrive_ = ::mount(medium.c_str(), drive.c_str(), nullptr, MS_BIND, nullptr) == 0;
            mountsWork_ = mountsWork_ && inDrive_;
        }
        qm::profile::writeString(qm::fs::drivesFile(), "A:", "Path", drive.string());
        return;
    }
    if (!onePath_) {
        qm::profile::writeString(qm::fs::drivesFile(), "A:", "Path", medium.string());
        return;
    }
    const stdfs::path drive = root_ / "drive", next = root_ / "drive.next";
    stdfs::remove(next);
    stdfs::create_directory_symlink(medium, next);
    stdfs::rename(next, drive); // the medium changes at once under the same path
    qm::profile::writeString(qm::fs::drivesFile(), "A:", "Path", drive.string());
}

std::string DiskSwapper::labelOf(const std::string& name)
{
    if (name == current_)
        labels_[current_] = qm::profile::getString(qm::fs::drivesFile(), "A:", "Label", "");
    return labels_[name];
}

void damageEntryData(const stdfs::path& archive, const std::vector<std::string>& names)
{
    std::string bytes = qm::test::readFile(archive);
    {
        ArchiveReader r;
        r.open(archive);
        for (const ArchiveEntry& e : r.entries())
            if (std::find(names.begin(), names.end(), e.name()) != names.end())
                bytes[r.readLocal(e).dataOffset + e.compressedSize / 2] ^= 0x10;
    }
    qm::test::writeFile(archive, bytes);
}

size_t threadCount()
{
    size_t n = 0;
    if (DIR* d = ::opendir("/proc/self/task")) {
        while (dirent* e = ::readdir(d))
            n += e->d_name[0] != '.';
        ::closedir(d);
    }
    return n;
}

std::vector<std::string> allFiles(const stdfs::path& root)
{
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = stdfs::recursive_directory_iterator(root, ec); !ec && it != stdfs::recursive_directory_iterator();
         it.increment(ec))
        out.push_back(it->path().lexically_relative(root).generic_string());
    return out;
}

std::map<std::string, std::string> mixedTree(size_t noiseBytes, size_t photoBytes)
{
    return {
        {"empty.txt", ""},
        {"text.txt", textBytes(200000)},
        {"noise.bin", randomBytes(noiseBytes)},
        {"photo.jpg", randomBytes(photoBytes, 11)},
        {"docs/readme.txt", "read me\r\n"},
        {"docs/deep/notes.log", textBytes(4000, 5)},
        {"na\xc3\xafve.txt", "unicode"},
    };
}

namespace {

bool killedAt(int at, bool writes, const std::function<void(const IoFaults&)>& run)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        int seen = 0;
        auto step = [&seen, at] {
            if (seen++ == at)
                ::raise(SIGKILL);
        };
        IoFaults faults;
        faults.beforeNameChange = [&step](const stdfs::path&) { step(); };
        if (writes)
            faults.beforeWrite = [&step](const stdfs::path&, uint64_t offset, size_t) {
                if (offset == 0)
                    step();
                return 0;
            };
        run(faults);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace

bool killedBeforeNameChange(int at, const std::function<void(const IoFaults&)>& run)
{
    return killedAt(at, false, run);
}

bool killedBeforeStep(int at, const std::function<void(const IoFaults&)>& run) { return killedAt(at, true, run); }

} // namespace qm::zip::test

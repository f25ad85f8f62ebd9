#include "sfxstub/EngineIo.h"

#include "platform/fs/Paths.h"
#include "platform/fs/WinPath.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace stdfs = std::filesystem;

namespace qm::sfxstub::detail {

namespace {

// The bytes after the "P" of each signature; the "P" is put in front at run
// time from a masked byte, read through a volatile object the compiler
// cannot fold.
const unsigned char SigTails[3][3] = {{'K', 3, 4}, {'K', 1, 2}, {'K', 5, 6}};
volatile unsigned char SigMask = 0x3C;
constexpr unsigned char MaskedHead = 'P' ^ 0x3C;

constexpr unsigned char CtrlV = 22;

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

bool invalidOnWindows(unsigned char c)
{
    return c == ':' || std::strchr("<>|\"*?", c) != nullptr;
}

} // namespace

bool DiskInput::open(const std::string& winPath)
{
    close();
    stdfs::path host;
    try {
        host = qm::fs::toNative(winPath);
    } catch (const qm::RtError&) {
        errno = ENOENT;
        return false;
    }
    fd_ = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return false;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        errno = ENOENT;
        return false;
    }
    size_ = uint64_t(st.st_size);
    blockLen_ = 0;
    pos_ = 0;
    return true;
}

void DiskInput::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
    blockLen_ = 0;
}

size_t DiskInput::read(void* buf, size_t n)
{
    auto* out = static_cast<unsigned char*>(buf);
    size_t done = 0;
    while (done < n && fd_ >= 0) {
        if (pos_ < blockStart_ || pos_ >= blockStart_ + blockLen_) {
            blockStart_ = pos_ & ~uint64_t(Block - 1);
            ssize_t got;
            do {
                got = ::pread(fd_, block_, Block, off_t(blockStart_));
            } while (got < 0 && errno == EINTR);
            blockLen_ = got > 0 ? size_t(got) : 0;
            if (pos_ >= blockStart_ + blockLen_)
                break; // the end of the file
        }
        size_t at = size_t(pos_ - blockStart_);
        size_t take = std::min(n - done, blockLen_ - at);
        std::memcpy(out + done, block_ + at, take);
        done += take;
        pos_ += take;
    }
    return done;
}

std::array<unsigned char, 4> signature(Sig s)
{
    const unsigned char* tail = SigTails[int(s)];
    return {static_cast<unsigned char>(MaskedHead ^ SigMask), tail[0], tail[1], tail[2]};
}

bool hasSignature(const unsigned char* p, Sig s)
{
    auto sig = signature(s);
    return std::memcmp(p, sig.data(), 4) == 0;
}

MappedName mapEntryName(std::string_view name)
{
    MappedName m;
    if (name.find('\0') != std::string_view::npos) {
        m.refused = true;
        return m;
    }
    // A drive and leading separators never reach the output path.
    size_t pos = 0;
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
        pos = 2;
        m.droppedRoot = true;
    }
    while (pos < name.size() && isSeparator(name[pos])) {
        ++pos;
        m.droppedRoot = true;
    }
    std::string_view rest = name.substr(pos);
    m.folder = !rest.empty() && isSeparator(rest.back());
    if (m.folder)
        rest.remove_suffix(1);
    if (rest.empty()) {
        m.refused = true;
        return m;
    }
    size_t i = 0;
    while (i <= rest.size()) {
        std::string part;
        size_t versionAt = std::string::npos; // an unquoted ";" in the component
        for (; i < rest.size() && !isSeparator(rest[i]); ++i) {
            unsigned char c = static_cast<unsigned char>(rest[i]);
            if (c == CtrlV && i + 1 < rest.size()) {
                // The next character is taken as it is, but never as a separator.
                unsigned char q = static_cast<unsigned char>(rest[++i]);
                if (isSeparator(char(q))) {
                    --i; // the separator ends the component as usual
                    continue;
                }
                if (q < 32 || q == 127 || q == 255)
                    continue;
                part += invalidOnWindows(q) ? '_' : char(q);
                continue;
            }
            if (c < 32 || c == 127 || c == 255)
                continue;
            if (c == ';')
                versionAt = part.size();
            part += invalidOnWindows(c) ? '_' : char(c);
        }
        if (versionAt != std::string::npos
            && part.find_first_not_of("0123456789", versionAt + 1) == std::string::npos)
            part.resize(versionAt);
        if (part.empty() || part == "." || part == "..") {
            m.refused = true;
            return m;
        }
        m.parts.push_back(part);
        if (i >= rest.size())
            break;
        ++i; // past the separator
    }
    return m;
}

std::string shortForm(std::string_view component)
{
    std::string c(component);
    size_t lastDot = c.rfind('.');
    if (lastDot == 0)
        lastDot = std::string::npos; // a leading dot is no extension
    for (size_t i = 0; i < c.size(); ++i)
        if (c[i] == '.' && i != lastDot)
            c[i] = '_';
    std::string base = lastDot == std::string::npos ? c : c.substr(0, lastDot);
    std::string ext = lastDot == std::string::npos ? "" : c.substr(lastDot + 1);
    base.resize(std::min<size_t>(base.size(), 8));
    ext.resize(std::min<size_t>(ext.size(), 3));
    return ext.empty() ? base : base + "." + ext;
}

OpenFolder::OpenFolder(OpenFolder&& o) noexcept : fd(o.fd), host(std::move(o.host)), win(std::move(o.win))
{
    o.fd = -1;
}

OpenFolder& OpenFolder::operator=(OpenFolder&& o) noexcept
{
    std::swap(fd, o.fd);
    std::swap(host, o.host);
    std::swap(win, o.win);
    return *this;
}

OpenFolder::~OpenFolder()
{
    if (fd >= 0)
        ::close(fd);
}

bool openBase(const std::string& winFolder, OpenFolder& out)
{
    try {
        out.host = qm::fs::toNative(winFolder);
    } catch (const qm::RtError&) {
        return false;
    }
    int fd = ::open(out.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (out.fd >= 0)
        ::close(out.fd);
    out.fd = fd;
    out.win = qm::fs::withoutTrailingBackslash(winFolder);
    return true;
}

std::string spellingIn(const OpenFolder& folder, const std::string& name)
{
    return qm::fs::entryNoCase(folder.host, name).value_or(name);
}

bool openChild(const OpenFolder& parent, const std::string& wanted, OpenFolder& out,
               const std::function<void(const std::string&)>& made)
{
    std::string name = spellingIn(parent, wanted);
    int fd = ::openat(parent.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
        int rc = ::mkdirat(parent.fd, name.c_str(), 0777);
        if (rc != 0 && errno == ENAMETOOLONG) {
            name = spellingIn(parent, shortForm(wanted));
            rc = ::mkdirat(parent.fd, name.c_str(), 0777);
        }
        if (rc == 0 && made)
            made(qm::fs::joinPath(parent.win, name));
        if (rc == 0 || errno == EEXIST)
            fd = ::openat(parent.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (fd < 0)
        return false;
    if (out.fd >= 0)
        ::close(out.fd);
    out.fd = fd;
    out.host = parent.host / name;
    out.win = qm::fs::joinPath(parent.win, name);
    return true;
}

bool OutputFile::create(const OpenFolder& folder, const std::string& leaf)
{
    discard();
    static std::mt19937 random(std::random_device{}());
    dirfd_ = ::dup(folder.fd);
    if (dirfd_ < 0)
        return false;
    std::string stem = "." + leaf.substr(0, std::min<size_t>(leaf.size(), 200));
    for (int tries = 0; tries < 100; ++tries) {
        std::string name = stem + ".sfx" + std::to_string(random() % 1000000);
        int fd = ::openat(dirfd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            fd_ = fd;
            temp_ = name;
            leaf_ = leaf;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    int err = errno;
    ::close(dirfd_);
    dirfd_ = -1;
    errno = err;
    return false;
}

bool OutputFile::write(const unsigned char* p, size_t n)
{
    while (n > 0) {
        ssize_t got = ::write(fd_, p, n);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (got == 0)
                errno = ENOSPC;
            return false;
        }
        p += got;
        n -= size_t(got);
    }
    return true;
}

bool OutputFile::commit(mode_t mode, std::time_t modified)
{
    ::fchmod(fd_, mode);
    struct timespec ts[2];
    ts[0].tv_sec = modified;
    ts[0].tv_nsec = 0;
    ts[1] = ts[0];
    ::futimens(fd_, ts);
    bool ok = ::close(fd_) == 0;
    fd_ = -1;
    ok = ok && ::renameat(dirfd_, temp_.c_str(), dirfd_, leaf_.c_str()) == 0;
    if (ok)
        temp_.clear();
    discard();
    return ok;
}

void OutputFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (dirfd_ >= 0) {
        if (!temp_.empty())
            ::unlinkat(dirfd_, temp_.c_str(), 0);
        ::close(dirfd_);
    }
    dirfd_ = -1;
    temp_.clear();
}

} // namespace qm::sfxstub::detail

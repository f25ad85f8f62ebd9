#include "platform/zip/SetFiles.h"

#include "platform/fs/NoCase.h"
#include "platform/zip/PartNames.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;

namespace {

bool standsAt(const stdfs::path& p)
{
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0;
}

// The files beside the file that names a set, by number.
class HostPlace : public sets::Place {
public:
    explicit HostPlace(stdfs::path named) : named_(std::move(named)) {}

    stdfs::path pathOf(uint32_t number) const { return number == 0 ? named_ : partFile(named_, number); }

    Kind kind(uint32_t number) const override
    {
        // The name of the set may be reached through a link; a link at a
        // part's name is none of the set's parts.
        struct stat st {};
        const stdfs::path p = pathOf(number);
        const int rc = number == 0 ? ::stat(p.c_str(), &st) : ::lstat(p.c_str(), &st);
        if (rc != 0)
            return errno == ENOENT || errno == ENOTDIR ? Kind::Nothing : Kind::Other;
        return S_ISREG(st.st_mode) ? Kind::Regular : Kind::Other;
    }

    std::unique_ptr<sets::File> open(uint32_t number) const override
    {
        auto f = std::make_unique<HostFile>(pathOf(number));
        if (!f->isOpen())
            return nullptr;
        return f;
    }

    std::vector<uint32_t> numbersBeside() const override
    {
        std::vector<uint32_t> found;
        const std::string stem = named_.stem().string();
        for (const std::string& name : namesBeside(named_))
            if (const uint32_t n = partNumberOf(name, stem); n > 0 && n <= sets::MaxParts)
                found.push_back(n);
        return found;
    }

private:
    stdfs::path named_;
};

} // namespace

HostFile::HostFile(const stdfs::path& p)
{
    fd_ = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd_);
        fd_ = -1;
    }
    size_ = fd_ >= 0 ? uint64_t(st.st_size) : 0;
}

HostFile::~HostFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

size_t HostFile::readAt(uint64_t at, void* buf, size_t n) const
{
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, static_cast<char*>(buf) + done, n - done, off_t(at + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += size_t(got);
    }
    return done;
}

stdfs::path partFile(const stdfs::path& named, uint32_t number)
{
    const bool upper = allUpper(named.extension().string());
    const std::string stem = named.stem().string();
    const stdfs::path wanted = named.parent_path() / (stem + partExtension(number - 1, upper));
    if (standsAt(wanted))
        return wanted;
    const stdfs::path other = named.parent_path() / (stem + partExtension(number - 1, !upper));
    return standsAt(other) ? other : wanted;
}

bool SetFiles::holds(const stdfs::path& p) const
{
    return std::any_of(paths.begin(), paths.end(), [&](const stdfs::path& q) {
        return q.filename() == p.filename() && q.parent_path() == p.parent_path();
    });
}

std::vector<stdfs::path> SetFiles::ownParts() const
{
    std::vector<stdfs::path> own;
    if (!beside())
        return own;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (members.numbers[i] == 0 || !standsAt(paths[i]))
            continue;
        if (whole() || !ownerOf(paths[i], named))
            own.push_back(paths[i]);
    }
    return own;
}

SetFiles setFilesOf(const stdfs::path& named)
{
    const HostPlace place(named);
    SetFiles s;
    s.named = named;
    s.members = sets::membersOf(place);
    for (const uint32_t n : s.members.numbers)
        s.paths.push_back(place.pathOf(n));
    if (!s.members.whole())
        s.faulty = place.pathOf(s.members.faultAt);
    return s;
}

std::vector<std::string> namesBeside(const stdfs::path& file)
{
    std::vector<std::string> names;
    const stdfs::path folder = file.parent_path().empty() ? stdfs::path(".") : file.parent_path();
    if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d))
            names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<stdfs::path> ownerOf(const stdfs::path& file, const stdfs::path& except)
{
    const std::string stem = file.stem().string();
    for (const std::string& name : namesBeside(file)) {
        // The files that may name a set of that stem: "<stem>.<ext>", not
        // themselves named as parts.
        // `except` by its very name: another case is another archive.
        if (name == file.filename() || !qm::fs::equalsNoCase(stdfs::path(name).stem().string(), stem) ||
            partNumberOf(name, stem) != 0 || (!except.empty() && name == except.filename()))
            continue;
        const stdfs::path candidate = file.parent_path() / name;
        const SetFiles set = setFilesOf(candidate);
        if (set.beside() && set.holds(file) && !(set.members.fault == sets::Members::Fault::Damaged &&
                                                 set.faulty.filename() == file.filename()))
            return candidate;
    }
    return std::nullopt;
}

} // namespace qm::zip

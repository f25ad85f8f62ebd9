#include "platform/process/RunFromCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <link.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qm::process {

namespace stdfs = std::filesystem;

namespace {

// The stem of the folders the copies are made in.
constexpr const char* CopyFolderStem = "quillmate-run-";

// How much of the open program file its ELF image takes (headers, segments
// and section table): a self-extractor's file goes on with its archive,
// which the copy does not need. The whole file when it is no ELF file of
// this machine's class.
uint64_t imageSize(int fd, uint64_t fileSize)
{
    ElfW(Ehdr) eh;
    if (::pread(fd, &eh, sizeof eh, 0) != ssize_t(sizeof eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
        eh.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
        eh.e_phentsize != sizeof(ElfW(Phdr)))
        return fileSize;
    uint64_t end = std::max<uint64_t>({sizeof eh, eh.e_phoff + uint64_t(eh.e_phnum) * eh.e_phentsize,
                                       eh.e_shoff + uint64_t(eh.e_shnum) * eh.e_shentsize});
    for (unsigned i = 0; i < eh.e_phnum; ++i) {
        ElfW(Phdr) ph;
        if (::pread(fd, &ph, sizeof ph, off_t(eh.e_phoff + i * sizeof ph)) != ssize_t(sizeof ph))
            return fileSize;
        end = std::max<uint64_t>(end, ph.p_offset + ph.p_filesz);
    }
    return std::min(end, fileSize);
}

// Makes `copy` (a new name) with the running program's image; 0 or the errno.
int writeCopy(const std::string& copy, struct stat& made)
{
    const int in = ::open("/proc/self/exe", O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
    int err = out < 0 ? errno : 0;
    struct stat st {};
    if (!err && (::fstat(in, &st) != 0 || ::fchmod(out, 0700) != 0))
        err = errno;
    const uint64_t size = err ? 0 : imageSize(in, uint64_t(st.st_size));
    for (off_t at = 0; !err && uint64_t(at) < size;) {
        const ssize_t sent = ::sendfile(out, in, &at, size_t(size - uint64_t(at)));
        if (sent == 0)
            err = EIO; // the program's file is shorter than it said
        else if (sent < 0 && errno != EINTR)
            err = errno;
    }
    if (!err && ::fstat(out, &made) != 0)
        err = errno;
    // The copy is run only once nothing writes to it; a failed close (no
    // room after all) is a failed copy.
    if (out >= 0 && ::close(out) != 0 && !err)
        err = errno;
    ::close(in);
    return err;
}

} // namespace

int execPrivateCopy(const stdfs::path& tempFolder, const std::string& startedAs, char** argv)
{
    std::string folder = (tempFolder / (std::string(CopyFolderStem) + "XXXXXX")).string();
    if (!::mkdtemp(folder.data())) // mode 0700, a name nobody could have taken beforehand
        return errno;
    const std::string name = stdfs::path(startedAs).filename().string();
    const std::string copy = folder + "/" + (name.empty() ? "program" : name);
    struct stat made {};
    int err = writeCopy(copy, made);
    if (!err) {
        const std::string prefix = std::string(RunCopyVariable) + "=";
        const std::string handover =
            prefix + std::to_string(made.st_dev) + ":" + std::to_string(made.st_ino) + ":" + startedAs;
        std::vector<char*> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, prefix.c_str(), prefix.size()) != 0)
                env.push_back(*e);
        env.push_back(const_cast<char*>(handover.c_str()));
        env.push_back(nullptr);
        ::execve(copy.c_str(), argv, env.data());
        err = errno;
    }
    ::unlink(copy.c_str());
    ::rmdir(folder.c_str());
    return err;
}

std::optional<std::string> takeStartedPath()
{
    const char* v = std::getenv(RunCopyVariable);
    if (!v)
        return std::nullopt;
    const std::string value = v;
    ::unsetenv(RunCopyVariable);
    unsigned long long dev = 0, ino = 0;
    int used = 0;
    if (std::sscanf(value.c_str(), "%llu:%llu:%n", &dev, &ino, &used) != 2 || used == 0 ||
        size_t(used) == value.size())
        return std::nullopt;
    struct stat self {};
    if (::stat("/proc/self/exe", &self) != 0 || self.st_dev != dev || self.st_ino != ino)
        return std::nullopt;
    // Only a copy's own file goes, never a program's where it lies.
    std::error_code ec;
    const stdfs::path copy = stdfs::read_symlink("/proc/self/exe", ec);
    if (!ec && copy.parent_path().filename().string().starts_with(CopyFolderStem)) {
        ::unlink(copy.c_str());
        ::rmdir(copy.parent_path().c_str());
    }
    return value.substr(size_t(used));
}

} // namespace qm::process

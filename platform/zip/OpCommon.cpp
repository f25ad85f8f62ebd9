#include "platform/zip/OpCommon.h"

#include "platform/fs/Paths.h"
#include "platform/zip/Names.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;

int runOperation(PavikZip& zip, int op, const std::function<int(OpContext&)>& body)
{
    if (zip.CurrentOperation() != operation::Idle)
        return result::Busy;
    struct ListGuard {
        PavikZip& z;
        ~ListGuard() { z.listEntries().clear(); }
    } guard{zip};
    OpContext ctx(zip, op);
    int r;
    try {
        r = body(ctx);
    } catch (const AbortError&) {
        r = result::UserAbort;
    } catch (const IoError& e) {
        bool reading = op == operation::List || op == operation::Info || op == operation::Test;
        r = reading ? result::ArchiveUnreadable : writeFailure(e);
    } catch (const FormatError& e) {
        r = e.notArchive ? result::NotAnArchive : e.multiDisk ? result::NotAvailable : result::ArchiveDamaged;
    }
    return ctx.finish(r);
}

int writeFailure(const IoError& e)
{
    if (e.err == ENOSPC || e.err == EDQUOT || e.err == EFBIG)
        return result::DiskFull;
    return result::WriteFailed;
}

std::optional<stdfs::path> nativeOf(const std::string& winPath)
{
    if (winPath.empty())
        return std::nullopt;
    try {
        return qm::fs::toNative(winPath);
    } catch (const qm::RtError&) {
        return std::nullopt;
    }
}

int openArchive(const std::string& archivePath, ArchiveReader& reader)
{
    if (archivePath.empty())
        return result::NoArchivePath;
    std::optional<stdfs::path> native = nativeOf(archivePath);
    if (!native)
        return result::ArchiveNotFound;
    try {
        reader.open(*native);
    } catch (const IoError& e) {
        return e.err == ENOENT || e.err == ENOTDIR ? result::ArchiveNotFound : result::ArchiveUnreadable;
    } catch (const FormatError& e) {
        return e.notArchive ? result::NotAnArchive : e.multiDisk ? result::NotAvailable : result::ArchiveDamaged;
    }
    return result::Ok;
}

int savedPercent(uint64_t compressed, uint64_t size)
{
    if (size == 0 || compressed >= size)
        return 0;
    return 100 - percentOf(compressed, size);
}

ListedEntry listedEntry(const ArchiveEntry& e)
{
    ListedEntry l;
    l.name = names::shown(e.name);
    l.comment = e.comment;
    l.size = int64_t(e.size);
    l.compressedSize = int64_t(e.compressedSize);
    l.ratio = savedPercent(e.compressedSize, e.size);
    l.attributes = e.attributes();
    l.crc = e.crc;
    l.modified = e.modified();
    l.accessed = e.accessed();
    l.created = e.created();
    l.method = e.method;
    l.encrypted = e.encrypted();
    return l;
}

stdfs::path resolveTarget(const stdfs::path& target)
{
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        stdfs::path real = stdfs::weakly_canonical(target, ec);
        if (!ec)
            return real;
    }
    return target;
}

namespace {

void syncFolder(const stdfs::path& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

void putInPlace(OutFile& temp, TempFile& tempFile, const stdfs::path& target, const IoFaults* faults,
                OpContext& ctx)
{
    struct stat old {};
    bool hadOld = ::stat(target.c_str(), &old) == 0;
    temp.flush();
    stdfs::path from = tempFile.path();
    if (hadOld)
        ::chmod(from.c_str(), old.st_mode & 07777);
    temp.commit();

    if (::rename(from.c_str(), target.c_str()) == 0) {
        tempFile.keep();
        syncFolder(target.parent_path());
        return;
    }
    if (errno != EXDEV)
        throw IoError{errno, target};

    // The temporary folder is on another file system: copy beside the
    // target first, so that the last step is still a rename.
    TempFile beside;
    int out = beside.create(target.parent_path());
    OutFile copy;
    copy.attach(out, beside.path(), faults);
    InFile in;
    if (!in.open(from))
        throw IoError{errno, from};
    std::vector<char> buf(1 << 20);
    uint64_t at = 0;
    while (at < in.size()) {
        size_t n = in.readAt(at, buf.data(), buf.size());
        if (n == 0)
            break;
        copy.write(buf.data(), n);
        at += n;
        ctx.tick();
    }
    copy.flush();
    if (hadOld)
        ::chmod(beside.path().c_str(), old.st_mode & 07777);
    copy.commit();
    if (::rename(beside.path().c_str(), target.c_str()) != 0)
        throw IoError{errno, target};
    beside.keep();
    syncFolder(target.parent_path());
}

} // namespace qm::zip

#include "platform/zip/OpCommon.h"

#include "platform/fs/Handles.h"
#include "platform/fs/OwnedTemp.h"
#include "platform/fs/Paths.h"
#include "platform/zip/LeftAside.h"
#include "platform/zip/Names.h"
#include "platform/zip/Volumes.h"

#include <cerrno>
#include <cstdlib>
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
    // What a killed run left of this archive is settled first, whatever the method.
    const bool writing = op == operation::Zip || op == operation::Remove;
    settleLeftAside(zip, writing ? Settler::Writing : Settler::Reading);
    zip.setFileNamed({});
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
    } catch (const ResultError& e) {
        r = e.code;
    } catch (const InTheWay& e) {
        zip.setFileNamed(qm::fs::fromNative(e.file));
        r = result::WriteFailed;
    } catch (const OtherSetsFile& e) {
        zip.setFileNamed(qm::fs::fromNative(e.file), qm::fs::fromNative(e.owner));
        r = result::PartOfAnotherSet;
    } catch (const PartFault& e) {
        zip.setFileNamed(qm::fs::fromNative(e.file));
        r = e.code;
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

std::optional<stdfs::path> tempFolderOf(const PavikZip& z)
{
    if (z.UseTempArchive && !z.TempArchiveFolder.empty())
        return nativeOf(z.TempArchiveFolder);
    const char* tmp = std::getenv("TMPDIR");
    return stdfs::path(tmp && *tmp ? tmp : "/tmp");
}

std::optional<stdfs::path> workFolderOf(const PavikZip& z, const stdfs::path& targetFolder)
{
    if (z.UseTempArchive)
        return tempFolderOf(z);
    return targetFolder.empty() ? stdfs::path(".") : targetFolder;
}

stdfs::path copyToTemp(const stdfs::path& from, const stdfs::path& folder, TempFile& into, mode_t mode,
                       const IoFaults* faults, OpContext& ctx, std::string_view stem)
{
    InFile in;
    if (!in.open(from))
        throw IoError{errno, from};
    OutFile out;
    const int fd = into.create(folder, -1, mode, stem); // before its path is taken
    out.attach(fd, into.path(), faults);
    std::vector<char> buf(1 << 20);
    uint64_t at = 0;
    while (at < in.size()) {
        size_t n = in.readAt(at, buf.data(), buf.size());
        if (n == 0)
            throw IoError{EIO, from}; // it shrank: a short copy must never take its place
        out.write(buf.data(), n);
        at += n;
        ctx.tick();
    }
    out.commit();
    return into.path();
}

int openArchive(OpContext& ctx, const std::string& archivePath, ArchiveReader& reader, bool askForDisks)
{
    if (archivePath.empty())
        return result::NoArchivePath;
    std::optional<stdfs::path> temp = tempFolderOf(ctx.zip());
    DiskSlot slot(ctx, archivePath);
    const bool mayAsk = askForDisks && slot.removable();
    for (int round = 0;; ++round) {
        // A spanned set's last disk holds the end record; a removable drive
        // may hold another disk of the set, or none, for now.
        int code = result::Ok;
        std::optional<stdfs::path> native = nativeOf(archivePath);
        if (!native) {
            code = result::ArchiveNotFound;
        } else {
            std::shared_ptr<void> keep;
            try {
                // The set is sought beside the file the name leads to, where
                // a build puts it.
                openSet(ctx, archivePath, resolveTarget(*native), reader, askForDisks, temp ? *temp : "/tmp", keep);
                reader.keepAlive(keep);
                return result::Ok;
            } catch (const IoError& e) {
                code = e.err == ENOENT || e.err == ENOTDIR ? result::ArchiveNotFound : result::ArchiveUnreadable;
            } catch (const FormatError& e) {
                code = e.notArchive ? result::NotAnArchive
                                    : e.multiDisk ? result::NotAvailable : result::ArchiveDamaged;
            } catch (const ResultError& e) {
                return e.code;
            } catch (const PartFault& e) {
                ctx.zip().setFileNamed(qm::fs::fromNative(e.file));
                return e.code;
            }
        }
        if (!mayAsk || round >= 3 || (code != result::ArchiveNotFound && code != result::NotAnArchive))
            return code;
        if (!slot.ask(0))
            throw AbortError{};
        ctx.step();
    }
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
    l.name = names::shown(e.name());
    l.comment = e.comment();
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

void syncFolder(const stdfs::path& folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

mode_t programMode(std::optional<mode_t> old)
{
    return old ? *old | (*old & 0444) >> 2 : 0755;
}

void putInPlace(OutFile& temp, TempFile& tempFile, const stdfs::path& target, const IoFaults* faults,
                OpContext& ctx, bool executable, mode_t allowed, const NameOrigin* origin)
{
    struct stat old {};
    bool hadOld = ::stat(target.c_str(), &old) == 0;
    temp.flush();
    const stdfs::path from = tempFile.path();
    // The temporary file was the owner's alone while it was made.
    const std::optional<mode_t> oldMode = hadOld ? std::optional<mode_t>(old.st_mode & 07777) : std::nullopt;
    mode_t mode = executable ? programMode(oldMode) : oldMode.value_or(mode_t(qm::fs::newFileMode()));
    mode &= allowed;
    ::chmod(from.c_str(), mode);
    temp.commit();

    // It takes the name only while the name, held, holds what the method
    // began with, and is done only if it is what stands there then; the old
    // set's other parts go while the name is held.
    auto rename = [&](TempFile& file) {
        const std::optional<FileIdentity> made = identityOf(file.path());
        std::unique_ptr<qm::fs::SetAside> hold;
        if (origin) {
            hold = holdPlace(target, qm::fs::SetAside::asideName(target),
                             [faults](const stdfs::path& p) { nameChanging(faults, p); },
                             qm::fs::SetAside::Hold::NameOnly);
            origin->check(target);
        }
        if (::rename(file.path().c_str(), target.c_str()) != 0)
            return errno;
        file.keep();
        syncFolder(target.parent_path());
        if (origin && !sameFile(identityOf(target), made))
            throw ResultError{result::ArchiveReplaced};
        if (origin)
            origin->dropParts();
        if (hold)
            hold->settle(true);
        return 0;
    };
    int err = rename(tempFile);
    if (err == 0)
        return;
    if (err != EXDEV)
        throw IoError{err, target};

    // The temporary folder is on another file system: copy beside the
    // target first, so that the last step is still a rename.
    TempFile beside;
    copyToTemp(from, target.parent_path(), beside, TempFileMode, faults, ctx, TempFile::stemFor(target));
    ::chmod(beside.path().c_str(), mode);
    err = rename(beside);
    if (err != 0)
        throw IoError{err, target};
}

} // namespace qm::zip

// Removing entries: the archive is rewritten without them (a stub in front
// of it stays), through a temporary file as a build is.
#include "platform/zip/ArchiveWriter.h"
#include "platform/zip/Names.h"
#include "platform/zip/OpCommon.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::zip {

namespace stdfs = std::filesystem;

int PavikZip::Remove()
{
    return runOperation(*this, operation::Remove, [this](OpContext& ctx) {
        ArchiveReader archive;
        int r = openArchive(ctx, ArchivePath, archive, false);
        if (r != result::Ok)
            return r;
        // Parts and disks are not rewritten: the set stays as it is.
        if (archive.spanned())
            return int(result::NotAvailable);
        std::vector<std::string> items = names::splitList(FileMask);
        for (const std::string& e : listEntries())
            if (!e.empty())
                items.push_back(e);
        // An empty selection removes nothing (never the whole archive).
        if (items.empty())
            return int(result::NothingToDo);
        names::EntrySelector selector(items, IncludeSubfolders);
        for (const ArchiveEntry& e : archive.entries())
            selector.note(e.name());
        std::vector<bool> drop(archive.entries().size(), false);
        bool any = false;
        uint64_t total = 0;
        for (size_t i = 0; i < drop.size(); ++i) {
            drop[i] = selector.matches(archive.entries()[i].name());
            any = any || drop[i];
            if (!drop[i])
                total += archive.entries()[i].compressedSize;
        }
        if (!any)
            return int(result::NothingToDo);

        stdfs::path target = resolveTarget(*nativeOf(ArchivePath));
        const NameOrigin origin = NameOrigin::of(target);
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0 && !(st.st_mode & S_IWUSR))
            return int(result::ArchiveReadOnly);
        std::optional<stdfs::path> folder = workFolderOf(*this, target.parent_path());
        if (!folder)
            return int(result::TempFolderFailed);
        TempFile temp;
        OutFile out;
        try {
            out.attach(temp.create(*folder, -1, TempFileMode, TempFile::stemFor(target)), temp.path(), faults());
        } catch (const IoError& e) {
            int code = writeFailure(e);
            return code == result::DiskFull ? code : UseTempArchive ? int(result::TempFolderFailed) : code;
        }
        ArchiveWriter w(out);
        // A self-extractor's program and configuration stay in front.
        if (archive.leadSize() > 0)
            w.copyBytes(archive.file(), 0, archive.leadSize());
        ctx.setTotal(total);
        ctx.setDone(0);
        uint64_t done = 0;
        for (size_t i = 0; i < drop.size(); ++i) {
            ctx.step();
            const ArchiveEntry& e = archive.entries()[i];
            if (drop[i]) {
                const std::string name = names::shown(e.name());
                ctx.emit([&](ZipEvents& s) { s.BeforeRemove(name); });
                ctx.fileProgress(name, 100);
                continue;
            }
            w.copyEntry(archive, e, [&](uint64_t bytes) {
                ctx.setDone(done + bytes);
                ctx.tick();
            });
            done += e.compressedSize;
        }
        w.finish(archive.comment());
        ctx.complete();
        putInPlace(out, temp, target, faults(), ctx, false, 07777, &origin);
        return int(result::Ok);
    });
}

} // namespace qm::zip

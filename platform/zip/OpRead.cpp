// Listing, the archive summary and the test of every entry.
#include "platform/zip/DecodeAhead.h"
#include "platform/zip/EntryDecode.h"
#include "platform/zip/Names.h"
#include "platform/zip/OpCommon.h"

#include <memory>

namespace qm::zip {

int PavikZip::ListEntries()
{
    return runOperation(*this, operation::List, [this](OpContext& ctx) {
        ArchiveReader archive;
        int r = openArchive(ctx, ArchivePath, archive);
        if (r != result::Ok)
            return r;
        const auto& entries = archive.entries();
        int last = -1;
        for (size_t i = 0; i < entries.size(); ++i) {
            ctx.tick();
            ListedEntry l = listedEntry(entries[i]);
            ctx.emit([&](ZipEvents& s) { s.FileListed(l); });
            int pct = percentOf(i + 1, entries.size());
            if (pct != last) {
                last = pct;
                ctx.emit([&](ZipEvents& s) { s.ListingProgress(pct); });
            }
        }
        return int(result::Ok);
    });
}

int PavikZip::ArchiveInfo(int64_t& files, int64_t& compressedSize, int64_t& uncompressedSize, int& ratio,
                          bool& spanned)
{
    return runOperation(*this, operation::Info, [&](OpContext& ctx) {
        ArchiveReader archive;
        int r = openArchive(ctx, ArchivePath, archive);
        if (r != result::Ok)
            return r;
        uint64_t count = 0, packed = 0, plain = 0;
        for (const ArchiveEntry& e : archive.entries()) {
            if (!e.isFolder())
                ++count;
            packed += e.compressedSize;
            plain += e.size;
        }
        files = int64_t(count);
        compressedSize = int64_t(packed);
        uncompressedSize = int64_t(plain);
        ratio = savedPercent(packed, plain);
        spanned = archive.spanned();
        return int(result::Ok);
    });
}

int PavikZip::Test(bool /*fullTest*/)
{
    return runOperation(*this, operation::Test, [this](OpContext& ctx) {
        ArchiveReader archive;
        int r = openArchive(ctx, ArchivePath, archive);
        if (r != result::Ok)
            return r;
        uint64_t total = 0, plain = 0;
        for (const ArchiveEntry& e : archive.entries()) {
            total += e.compressedSize;
            plain = addSaturating(plain, e.size);
        }
        if (beyondExpansionLimit(plain, archive.file().size()))
            return int(result::ExpansionLimit);
        ctx.setTotal(total);
        ctx.setDone(0);
        uint64_t done = 0;
        int worst = result::Ok;
        auto note = [&](int code) {
            // A damaged entry outweighs a password problem, which outweighs a method we lack.
            auto rank = [](int c) {
                return c == result::ArchiveDamaged ? 4 : c == result::DataError ? 3 : c == result::BadPassword ? 2
                                                                                                             : 1;
            };
            if (worst == result::Ok || rank(code) > rank(worst))
                worst = code;
        };
        const std::string password = Password;
        const auto& entries = archive.entries();
        // Folders and volume labels hold nothing to decode: they are checked here.
        std::vector<const ArchiveEntry*> jobs(entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            if (!entries[i].isFolder() && !isVolumeLabel(entries[i]))
                jobs[i] = &entries[i];
        std::unique_ptr<DecodeAhead> ahead;
        if (DecodeAhead::worthIt(jobs, workerCount())) {
            DecodeAhead::Settings s;
            s.workers = workerCount();
            ahead = std::make_unique<DecodeAhead>(archive, jobs, password, s);
        }
        const std::function<void()> tick = [&] { ctx.tick(); };
        DecodeScratch scratch;
        for (size_t i = 0; i < entries.size(); ++i) {
            const ArchiveEntry& e = entries[i];
            ctx.step();
            const std::string name = names::shown(e.name());
            ctx.emit([&](ZipEvents& s) { s.BeforeTest(name); });
            ctx.fileProgress(name, 0);
            int last = 0;
            auto progress = [&](uint64_t bytes) {
                int pct = percentOf(bytes, e.compressedSize);
                if (pct != last && pct < 100) {
                    last = pct;
                    ctx.fileProgress(name, pct);
                }
                ctx.setDone(done + bytes);
                ctx.tick();
            };
            DecodeResult d;
            try {
                if (!jobs[i]) {
                    d = checkFolderEntry(archive, e, &scratch.window);
                } else if (const Decoded* a = ahead ? ahead->take(i, tick) : nullptr) {
                    // Decoded by a worker: its progress as it would have come from here.
                    if (a->headerFailure)
                        std::rethrow_exception(a->headerFailure);
                    ahead->follow(*a, [&](const Decoded::Mark& m) { progress(m.in); }, tick);
                    if (a->failure)
                        std::rethrow_exception(a->failure);
                    d = a->localBad ? DecodeResult::DataError : a->result;
                } else {
                    LocalHeader h = archive.readLocal(e, &scratch.window);
                    d = decodeEntry(archive, e, h, password, [](const unsigned char*, size_t) {}, progress,
                                    scratch);
                }
            } catch (const FormatError&) {
                d = DecodeResult::DataError;
            }
            done += e.compressedSize;
            ctx.setDone(done);
            switch (d) {
            case DecodeResult::Ok:
                ctx.fileProgress(name, 100);
                break;
            case DecodeResult::BadPassword:
                ctx.skipped(name, ArchivePath, "", skip::BadPassword);
                note(result::BadPassword);
                break;
            case DecodeResult::DataError:
                ctx.skipped(name, ArchivePath, "", skip::DataError);
                note(result::DataError);
                break;
            case DecodeResult::PasswordOrData:
                ctx.skipped(name, ArchivePath, "", skip::PasswordOrData);
                note(result::BadPassword);
                break;
            case DecodeResult::Unsupported:
                ctx.skipped(name, ArchivePath, "", skip::UnsupportedMethod);
                note(result::UnsupportedMethod);
                break;
            }
        }
        ctx.complete();
        return worst;
    });
}

} // namespace qm::zip

#include "platform/zip/SetCopy.h"

#include "platform/fs/Errors.h"
#include "platform/fs/Handles.h"
#include "platform/fs/Paths.h"
#include "platform/zip/LeftAside.h"
#include "platform/zip/NameGuard.h"
#include "platform/zip/OpCommon.h"
#include "platform/zip/OpContext.h"
#include "platform/zip/ResultCodes.h"
#include "platform/zip/Volumes.h"

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace qm::zip {

namespace stdfs = std::filesystem;

namespace {

mode_t modeOf(const stdfs::path& p)
{
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : mode_t(qm::fs::newFileMode());
}

// The copy `to` gets the times of `from`.
void keepTimes(const stdfs::path& from, const stdfs::path& to)
{
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0)
        return;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, 0);
}

} // namespace

void copySet(const SetFiles& set, const std::string& folder, const IoFaults* faults)
{
    // The parts first, the file that names the set last.
    std::vector<stdfs::path> sources;
    for (const stdfs::path& p : set.paths)
        if (p != set.named)
            sources.push_back(p);
    sources.push_back(set.named);
    auto failure = [&](size_t i, const qm::RtError& e, SetCopyFailure::Left left = SetCopyFailure::Left::Held) {
        return SetCopyFailure(qm::fs::fromNative(sources[i]), e, left);
    };
    const size_t namedAt = sources.size() - 1;

    const std::string namedPath = folder + "\\" + set.named.filename().string();
    stdfs::path last;
    try {
        last = resolveTarget(qm::fs::toNative(namedPath));
    } catch (const qm::RtError& e) {
        throw failure(namedAt, e);
    }
    settleLeftAside(namedPath, Settler::Writing);
    // What the folder holds now: the copy goes in only over that.
    const NameOrigin origin = NameOrigin::of(last);
    const stdfs::path place = last.parent_path();
    SetNames names;
    for (size_t i = 0; i < namedAt; ++i)
        names.finals.push_back(place / sources[i].filename());
    names.finals.push_back(last);
    for (size_t i = 0; i < sources.size(); ++i)
        if (sameFile(identityOf(names.finals[i]), identityOf(sources[i])))
            throw failure(i, qm::RtError(qm::rterr::PathFileAccess, "The source and the target are the same file: " +
                                                                         qm::fs::fromNative(names.finals[i])));
    // The source of the part that `file` names, or the file that names the set.
    auto sourceAt = [&](const stdfs::path& file) {
        for (size_t i = 0; i < sources.size(); ++i)
            if (names.finals[i] == file)
                return i;
        return namedAt;
    };

    PavikZip frame; // no owner to hear events, nothing to stop it
    OpContext ctx(frame, operation::Idle);
    const std::string stem = TempFile::stemFor(last);
    std::vector<std::unique_ptr<TempFile>> copies;
    std::vector<stdfs::path> parts;
    for (size_t i = 0; i < sources.size(); ++i) {
        copies.push_back(std::make_unique<TempFile>());
        try {
            parts.push_back(copyToTemp(sources[i], place, *copies.back(), 0600, faults, ctx, stem));
        } catch (const IoError& e) {
            // A write names the part's place, not its temporary file.
            const stdfs::path& named = e.file == sources[i] ? sources[i] : names.finals[i];
            throw failure(i, qm::fs::rtErrorFromErrno(e.err, qm::fs::fromNative(named), named));
        }
        keepTimes(sources[i], parts.back());
    }
    names.lastMode = modeOf(set.named);
    try {
        placeSplitSet(parts, last, modeOf(sources.front()), faults, ctx, origin, names);
    } catch (const NameTaken& e) {
        const std::string text = e.code == result::ArchiveBeingWritten
                                     ? "Another copy of that archive is being written there now."
                                     : "Another copy of that archive was written there while this one was copied.";
        throw failure(namedAt, qm::RtError(qm::rterr::PathFileAccess, text), SetCopyFailure::Left::OtherCopy);
    } catch (const IoError& e) {
        throw failure(sourceAt(e.file), qm::fs::rtErrorFromErrno(e.err, qm::fs::fromNative(e.file), e.file));
    } catch (const InTheWay& e) {
        throw failure(sourceAt(e.file), qm::RtError(qm::rterr::PathFileAccess,
                                                    "This file stands in its way and was left as it is: " +
                                                        qm::fs::fromNative(e.file)));
    } catch (const OtherSetsFile& e) {
        const std::string text =
            resultTextNaming(result::PartOfAnotherSet, qm::fs::fromNative(e.file), qm::fs::fromNative(e.owner));
        throw failure(sourceAt(e.file), qm::RtError(qm::rterr::PathFileAccess, text));
    } catch (const ResultError&) {
        // A set changed while this one took its places (ArchiveReplaced).
        throw failure(namedAt,
                      qm::RtError(qm::rterr::PathFileAccess, "Another program changed the copy of that archive "
                                                             "there while this one was put in place."),
                      SetCopyFailure::Left::Changed);
    }
    for (auto& c : copies)
        c->keep();
}

} // namespace qm::zip

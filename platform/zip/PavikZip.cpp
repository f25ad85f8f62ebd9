#include "platform/zip/PavikZip.h"

#include "platform/zip/ControlState.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace qm::zip {

PavikZip::PavikZip() = default;
PavikZip::~PavikZip() = default;

void PavikZip::ResetToDefaults()
{
    // Everything but the owner's hooks goes back to what a new control holds.
    PavikZip fresh;
    ArchivePath = fresh.ArchivePath;
    SplitPartSize = fresh.SplitPartSize;
    SpanMode = fresh.SpanMode;
    UseTempArchive = fresh.UseTempArchive;
    TempArchiveFolder = fresh.TempArchiveFolder;
    SourceFolder = fresh.SourceFolder;
    KeepFolderNames = fresh.KeepFolderNames;
    IncludeSubfolders = fresh.IncludeSubfolders;
    ExtractFolder = fresh.ExtractFolder;
    FileMask = fresh.FileMask;
    ExcludeMasks = fresh.ExcludeMasks;
    OldestDate = fresh.OldestDate;
    NewestDate = fresh.NewestDate;
    SmallestSize = fresh.SmallestSize;
    LargestSize = fresh.LargestSize;
    RequiredAttributes = fresh.RequiredAttributes;
    ExcludedAttributes = fresh.ExcludedAttributes;
    SkipWhenExisting = fresh.SkipWhenExisting;
    SkipWhenMissing = fresh.SkipWhenMissing;
    SkipWhenOlderDate = fresh.SkipWhenOlderDate;
    SkipWhenOlderVersion = fresh.SkipWhenOlderVersion;
    Level = fresh.Level;
    HeaderSet = fresh.HeaderSet;
    Password = fresh.Password;
    IncludeOpenFiles = fresh.IncludeOpenFiles;
    OwnerOnlyFiles = fresh.OwnerOnlyFiles;
    Method = fresh.Method;
    SfxStubPath = fresh.SfxStubPath;
    SfxButtonText = fresh.SfxButtonText;
    SfxMessageText = fresh.SfxMessageText;
    SfxString = fresh.SfxString;
    SfxDefaultFolder = fresh.SfxDefaultFolder;
    SfxExistingFileMode = fresh.SfxExistingFileMode;
    SfxReadmePath = fresh.SfxReadmePath;
    SfxRunAfter = fresh.SfxRunAfter;
    SfxInstallMode = fresh.SfxInstallMode;
    SfxGroupItemProgram = fresh.SfxGroupItemProgram;
    SfxGroupItemName = fresh.SfxGroupItemName;
    SfxAssociations = fresh.SfxAssociations;
    SfxIconPath = fresh.SfxIconPath;
    Workers = fresh.Workers;
    AbortRequested = false;
    list_.clear();
}

int PavikZip::AddListEntry(const std::string& path)
{
    list_.push_back(path);
    return result::Ok;
}

ControlState& PavikZip::state()
{
    if (!state_)
        state_ = std::make_unique<ControlState>();
    return *state_;
}

WorkerPool& PavikZip::workers()
{
    return state().pool;
}

int64_t PavikZip::threadsStarted() const
{
    return state_ ? state_->pool.threadsStarted() : 0;
}

int PavikZip::workerCount() const
{
    static const int cores = int(std::thread::hardware_concurrency()); // asked once: it reads a file
    int n = Workers > 0 ? Workers : cores;
    if (const char* cap = std::getenv("QUILLMATE_ZIP_WORKERS")) {
        char* end = nullptr;
        long v = std::strtol(cap, &end, 10);
        if (end != cap && *end == '\0' && v > 0 && v < n)
            n = int(v);
    }
    return std::clamp(n, 1, 256);
}

std::string PavikZip::ErrorText(int kind, int code) const
{
    if (kind != textkind::Result || named_.empty())
        return errorText(kind, code);
    return resultTextNaming(code, named_, owner_);
}

void PavikZip::addEventSink(ZipEvents* sink)
{
    if (sink && !hasSink(sink))
        sinks_.push_back(sink);
}

void PavikZip::removeEventSink(ZipEvents* sink)
{
    sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
}

bool PavikZip::hasSink(const ZipEvents* s) const
{
    return std::find(sinks_.begin(), sinks_.end(), s) != sinks_.end();
}

} // namespace qm::zip

#pragma once
// Small pieces the manual backups share (inside the engine only): the
// disk-full text and box, a scope guard, and how a run-time failure of a
// build is kept until its result is handled.
#include "platform/fs/RtError.h"
#include "platform/zip/ResultCodes.h"

#include <exception>
#include <optional>
#include <string>

namespace qm::ui {
class UiServices;
}

namespace qm::engine {

std::string runErrorText(const std::exception& e);

// Whether `path` names a folder whose attributes can be read.
bool readableFolder(const std::string& path);

inline constexpr const char* DiskFullText =
    "Target Drive/Directory has insufficient space to store your database. Choose another location and try again.";

// The box of a backup that found its target full: DiskFullText.
void showDiskFull(qm::ui::UiServices& ui);

// Runs `fn` when the scope ends, whichever way.
template <class Fn>
struct AtExit {
    Fn fn;
    ~AtExit() { fn(); }
};
template <class Fn>
AtExit(Fn) -> AtExit<Fn>;

// A run-time failure of a build: its box and log text, and whether it is a
// full disk (error 61).
struct BuildFailure {
    std::optional<std::string> text;
    bool diskFull = false;
    void note(const std::exception& e)
    {
        const auto* rt = dynamic_cast<const qm::RtError*>(&e);
        diskFull = rt && rt->number == qm::rterr::DiskFull;
        text = runErrorText(e);
    }
    // Whether the build ended on a full target: error 61 on the way, or the
    // zip control's own result for it. Every kind of archive then shows the
    // disk-full box (showDiskFull).
    bool targetFull(int result) const { return diskFull || result == qm::zip::result::DiskFull; }
};

} // namespace qm::engine

#include "mainwindow/NightwickJob.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/OwnedTemp.h"
#include "platform/fs/Paths.h"
#include "platform/tasksched/TaskFile.h"
#include "platform/tasksched/TasksFolder.h"

#include <filesystem>

namespace qm::app {

namespace {

namespace stdfs = std::filesystem;
using qm::tasksched::Job;

// The fingerprint line: this text, sixteen hex digits, CR LF.
constexpr std::string_view Mark = "; Placed by Quillmate at start-up. Fingerprint: ";

// A job file is a few hundred bytes; anything far larger is none.
constexpr std::uintmax_t LargestJob = 64 * 1024;

// The bytes of `file` when it is a plain file of a job's size; a link (with
// `followLink` false), pipe, device or folder is never opened.
std::optional<std::string> jobBytes(const stdfs::path& file, bool followLink)
{
    std::error_code ec;
    const stdfs::file_status st = followLink ? stdfs::status(file, ec) : stdfs::symlink_status(file, ec);
    if (ec || !stdfs::is_regular_file(st))
        return std::nullopt;
    const std::uintmax_t size = stdfs::file_size(file, ec);
    if (ec || size > LargestJob)
        return std::nullopt;
    return qm::fs::readFileBytes(file);
}

bool namesFolder(const Job& job, const std::string& app)
{
    return job.ApplicationName == app + "\\Nightwick" && job.WorkingDirectory == app;
}

} // namespace

std::string placedJobText(Job model, const std::string& app)
{
    model.ApplicationName = app + "\\Nightwick";
    model.WorkingDirectory = app;
    const std::string body = qm::tasksched::formatJob(model);
    return std::string(Mark) + qm::fs::nameHash(body) + "\r\n" + body;
}

std::optional<Job> unchangedPlacedJob(std::string_view text)
{
    if (!text.starts_with(Mark))
        return std::nullopt;
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view fingerprint = text.substr(Mark.size(), end - Mark.size());
    const std::string_view body = text.substr(end + 2);
    if (fingerprint != qm::fs::nameHash(body))
        return std::nullopt;
    return qm::tasksched::parseJob(body);
}

void PlaceNightwickJob(const std::string& app, const std::string& tasksFolder)
{
    const stdfs::path folder = qm::fs::toNative(tasksFolder);
    const stdfs::path job = folder / "Nightwick.job";
    std::error_code ec;
    if (stdfs::exists(stdfs::symlink_status(job, ec))) {
        const std::optional<std::string> text = jobBytes(job, false);
        const std::optional<Job> placed = text ? unchangedPlacedJob(*text) : std::nullopt;
        if (!placed || namesFolder(*placed, app))
            return;
    }
    const std::optional<std::string> modelText = jobBytes(qm::fs::toNative(app + "\\Nightwick.job"), true);
    const std::optional<Job> model = modelText ? qm::tasksched::parseJob(*modelText) : std::nullopt;
    if (!model)
        return;
    qm::tasksched::ensurePrivateFolder(folder);
    // Owner-only, and renamed over whatever stands at the name: a link
    // planted there is replaced, never written through.
    qm::tasksched::writeTaskFile(job, placedJobText(*model, app));
}

} // namespace qm::app

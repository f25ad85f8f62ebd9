#include "platform/tasksched/TaskNames.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"

#include <algorithm>

namespace qm::tasksched {

namespace {

bool endsWithJob(std::string_view name)
{
    return name.size() >= JobExtension.size() &&
           fs::equalsNoCase(name.substr(name.size() - JobExtension.size()), JobExtension);
}

bool usable(std::string_view base)
{
    if (base.empty() || base.front() == '.')
        return false;
    std::size_t count = 0;
    for (std::size_t at = 0; at < base.size();) {
        const char32_t c = fs::nextCodePoint(base, at);
        if (c < 0x20 || c == 0x7F || std::u32string_view(U"/\\<>:\"|?*").find(c) != std::u32string_view::npos)
            return false;
        if (++count > MaxTaskNameLength)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> taskBaseName(std::string_view name)
{
    if (endsWithJob(name))
        name.remove_suffix(JobExtension.size());
    if (!usable(name))
        return std::nullopt;
    return std::string(name);
}

TaskFiles taskFiles(const std::filesystem::path& folder, const std::string& base)
{
    const std::string file = base + std::string(JobExtension);
    const std::string spelled = fs::entryNoCase(folder, file).value_or(file);
    return TaskFiles{folder / spelled, folder / (spelled + std::string(StateExtension))};
}

bool isJobFileName(std::string_view entry)
{
    return endsWithJob(entry) && usable(entry.substr(0, entry.size() - JobExtension.size()));
}

std::vector<std::string> jobFileNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code kind;
        if (isJobFileName(name) && it->symlink_status(kind).type() == std::filesystem::file_type::regular)
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return fs::lessNoCase(a, b); });
    return names;
}

} // namespace qm::tasksched

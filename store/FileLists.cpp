#include "store/FileLists.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/Paths.h"
#include "store/FileErrors.h"

namespace qm::store {

bool usableFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7f || c == '\\' || c == '/')
            return false;
    return true;
}

std::optional<std::string> fileListPath(std::string_view project, std::string_view kind, bool hold)
{
    std::string name = std::string(project) + "-" + std::string(kind);
    if (hold)
        name += "-hold";
    if (!usableFileName(name))
        return std::nullopt;
    return qm::fs::appPath() + "\\Filelists\\" + name;
}

bool isAbsoluteEntry(std::string_view entry)
{
    return entry.find(":\\") != std::string_view::npos || entry.find("\\\\") != std::string_view::npos;
}

std::vector<std::string> listLines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(begin, i - begin));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i; // the LF of a CR LF
        begin = i + 1;
    }
    if (begin < text.size())
        lines.emplace_back(text.substr(begin));
    return lines;
}

std::vector<std::string> readFileList(const std::string& winPath)
{
    const std::filesystem::path native = qm::fs::toNative(winPath);
    return listLines(detail::withFile(winPath, native, [](const std::filesystem::path& p) {
        return qm::fs::readFileBytes(p);
    }));
}

void writeFileList(const std::string& winPath, const std::vector<std::string>& entries)
{
    std::string text;
    for (const std::string& entry : entries) {
        if (entry.find_first_of("\r\n") != std::string::npos)
            throw qm::RtError(qm::rterr::BadFileName, "Bad file name or number: a list entry holds a line break");
        text += entry;
        text += "\r\n";
    }
    const std::filesystem::path native = qm::fs::toNative(winPath);
    detail::withFile(winPath, native, [&](const std::filesystem::path& p) { qm::fs::writeFileAtomic(p, text); });
}

} // namespace qm::store

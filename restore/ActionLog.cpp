#include "restore/ActionLog.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/Errors.h"
#include "platform/fs/Paths.h"

namespace qm::restore {

std::string actionLogPath(const std::string& WinAceLocation)
{
    const std::size_t slash = WinAceLocation.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : WinAceLocation.substr(0, slash + 1);
    return folder + "action.log";
}

std::vector<std::string> readActionLog(const std::string& WinAceLocation)
{
    const std::string path = actionLogPath(WinAceLocation);
    std::string text;
    try {
        text = qm::fs::readFileBytes(qm::fs::toNative(path));
    } catch (const std::exception&) {
        throw qm::fs::makeRtError(qm::rterr::FileNotFound, path);
    }
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

} // namespace qm::restore

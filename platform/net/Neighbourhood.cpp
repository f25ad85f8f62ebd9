#include "platform/net/Neighbourhood.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/profile/Profile.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace stdfs = std::filesystem;

namespace qm::net {

namespace {

bool same(std::string_view a, std::string_view b) { return fs::equalsNoCase(a, b); }

profile::IniDocument loadNeighbourhood()
{
    try {
        return profile::loadDocumentOrEmpty(neighbourhoodFile());
    } catch (const qm::RtError&) {
        return {};
    }
}

stdfs::path hostFolder(const std::string& text)
{
    if (text.size() >= 2 && text[0] == '~' && text[1] == '/') {
        const char* home = std::getenv("HOME");
        return home ? (stdfs::path(home) / text.substr(2)).lexically_normal() : stdfs::path();
    }
    stdfs::path p(text);
    return p.is_absolute() ? p.lexically_normal() : stdfs::path();
}

// mountinfo escapes blanks and a few other bytes as \ooo.
std::string unescapeOctal(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            std::string oct(s.substr(i + 1, 3));
            if (oct.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::strtol(oct.c_str(), nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::vector<NetworkMount> currentMounts()
{
    std::ifstream in("/proc/self/mountinfo");
    if (!in)
        return {};
    std::stringstream ss;
    ss << in.rdbuf();
    return parseMountInfo(ss.str());
}

} // namespace

stdfs::path neighbourhoodFile()
{
    return fs::platformDir() / "network";
}

std::optional<UncParts> splitUnc(std::string_view path)
{
    auto isSep = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() < 3 || !isSep(path[0]) || !isSep(path[1]))
        return std::nullopt;
    size_t i = 2;
    size_t serverEnd = i;
    while (serverEnd < path.size() && !isSep(path[serverEnd]))
        ++serverEnd;
    if (serverEnd == i || serverEnd >= path.size())
        return std::nullopt;
    size_t shareStart = serverEnd + 1;
    size_t shareEnd = shareStart;
    while (shareEnd < path.size() && !isSep(path[shareEnd]))
        ++shareEnd;
    if (shareEnd == shareStart)
        return std::nullopt;
    UncParts parts;
    parts.server = std::string(path.substr(i, serverEnd - i));
    parts.share = std::string(path.substr(shareStart, shareEnd - shareStart));
    if (shareEnd < path.size())
        parts.rest = std::string(path.substr(shareEnd + 1));
    return parts;
}

std::vector<NetworkMount> parseMountInfo(std::string_view text)
{
    std::vector<NetworkMount> out;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string w;
        while (fields >> w)
            f.push_back(w);
        size_t dash = 0;
        while (dash < f.size() && f[dash] != "-")
            ++dash;
        if (f.size() < 5 || dash + 2 >= f.size())
            continue;
        const std::string& type = f[dash + 1];
        std::string source = unescapeOctal(f[dash + 2]);
        NetworkMount m;
        m.mountPoint = unescapeOctal(f[4]);
        if (type == "cifs" || type == "smb3" || type == "smbfs") {
            auto unc = splitUnc(source);
            if (!unc || !unc->rest.empty())
                continue;
            m.server = unc->server;
            m.share = unc->share;
        } else if (type == "nfs" || type == "nfs4") {
            size_t colon = source.find(":/");
            if (colon == std::string::npos || colon == 0)
                continue;
            m.server = source.substr(0, colon);
            std::string path = source.substr(colon + 1);
            while (path.size() > 1 && path.back() == '/')
                path.pop_back();
            m.share = path.substr(path.find_last_of('/') + 1);
            if (m.share.empty())
                continue;
        } else {
            continue;
        }
        out.push_back(std::move(m));
    }
    return out;
}

std::optional<Share> findShare(const std::string& server, const std::string& share)
{
    if (server.empty() || share.empty())
        return std::nullopt;
    const std::string unc = "\\\\" + server + "\\" + share;
    profile::IniDocument doc = loadNeighbourhood();
    if (doc.hasSection(unc)) {
        std::string type = doc.value(unc, "Type").value_or("");
        if (!type.empty() && !same(type, "disk"))
            return std::nullopt;
        Share s;
        s.server = server;
        s.name = share;
        s.folder = hostFolder(doc.value(unc, "Path").value_or(""));
        if (s.folder.empty())
            return std::nullopt;
        s.comment = doc.value(unc, "Comment").value_or("");
        s.user = doc.value(unc, "User").value_or("");
        s.password = doc.value(unc, "Password").value_or("");
        return s;
    }
    for (const NetworkMount& m : currentMounts())
        if (same(m.server, server) && same(m.share, share))
            return Share{server, share, m.mountPoint, {}, {}, {}};
    return std::nullopt;
}

bool serverKnown(const std::string& server)
{
    if (server.empty())
        return false;
    const std::string prefix = "\\\\" + server;
    profile::IniDocument doc = loadNeighbourhood();
    for (const std::string& section : doc.sectionNames()) {
        if (same(section, prefix))
            return true;
        if (section.size() > prefix.size() && section[prefix.size()] == '\\' &&
            same(std::string_view(section).substr(0, prefix.size()), prefix))
            return true;
    }
    for (const NetworkMount& m : currentMounts())
        if (same(m.server, server))
            return true;
    return false;
}

} // namespace qm::net

#include "platform/net/Neighbourhood.h"

#include "platform/fs/FileStamp.h"
#include "platform/fs/NoCase.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/profile/Profile.h"

#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

namespace stdfs = std::filesystem;

namespace qm::net {

namespace {

bool same(std::string_view a, std::string_view b) { return fs::equalsNoCase(a, b); }

// The network file as last read, kept until it changes.
std::shared_ptr<const profile::IniDocument> loadNeighbourhood()
{
    static std::mutex mutex;
    static stdfs::path cachedFile;
    static fs::FileStamp cachedStamp;
    static std::shared_ptr<const profile::IniDocument> cached;
    const stdfs::path file = neighbourhoodFile();
    const fs::FileStamp stamp = fs::FileStamp::of(file);
    std::lock_guard<std::mutex> g(mutex);
    if (!cached || file != cachedFile || stamp != cachedStamp) {
        profile::IniDocument doc;
        try {
            if (stamp.exists)
                doc = profile::loadDocumentOrEmpty(file);
        } catch (const qm::RtError&) {
        }
        cached = std::make_shared<const profile::IniDocument>(std::move(doc));
        cachedFile = file;
        cachedStamp = stamp;
    }
    return cached;
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

stdfs::path& mountInfoFile()
{
    static stdfs::path file;
    return file;
}

std::vector<NetworkMount> currentMounts()
{
    std::ifstream in(mountInfoFile().empty() ? stdfs::path("/proc/self/mountinfo") : mountInfoFile());
    if (!in)
        return {};
    std::stringstream ss;
    ss << in.rdbuf();
    return parseMountInfo(ss.str());
}

// The value of `name=` in a comma-separated option list; "" when absent.
std::string mountOption(const std::string& options, std::string_view name)
{
    std::istringstream in(options);
    std::string option;
    while (std::getline(in, option, ','))
        if (option.size() > name.size() && option[name.size()] == '=' && option.compare(0, name.size(), name) == 0)
            return unescapeOctal(option.substr(name.size() + 1));
    return {};
}

} // namespace

void setMountInfoFile(stdfs::path file)
{
    mountInfoFile() = std::move(file);
}

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
            if (dash + 3 < f.size())
                m.domain = mountOption(f[dash + 3], "domain");
        } else if (type == "nfs" || type == "nfs4") {
            m.nfs = true;
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
    const auto held = loadNeighbourhood();
    const profile::IniDocument& doc = *held;
    if (doc.hasSection(unc)) {
        std::string type = doc.value(unc, "Type").value_or("");
        if (!type.empty() && !same(type, "disk") && !same(type, "admin"))
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
    const auto held = loadNeighbourhood();
    const profile::IniDocument& doc = *held;
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

namespace qm::net {

namespace {

constexpr const char* kWindowsNetwork = "Microsoft Windows Network";
constexpr const char* kNfsNetwork = "NFS Network";
constexpr const char* kWorkgroup = "WORKGROUP";

using Kind = NetworkNode::Kind;

class NodeList {
public:
    const NetworkNode* find(std::string_view name) const
    {
        for (const NetworkNode& n : nodes)
            if (same(n.name, name))
                return &n;
        return nullptr;
    }
    void add(NetworkNode node)
    {
        if (!node.name.empty() && !find(node.name))
            nodes.push_back(std::move(node));
    }
    std::vector<NetworkNode> nodes;
};

NetworkNode node(Kind kind, std::string name, std::string parent)
{
    NetworkNode n;
    n.kind = kind;
    n.name = std::move(name);
    n.parent = std::move(parent);
    return n;
}

// The node a section describes; nothing for a section that is none.
std::optional<NetworkNode> sectionNode(const profile::IniDocument& doc, const std::string& section)
{
    auto get = [&](const char* key) { return doc.value(section, key).value_or(""); };
    const std::string type = get("Type");
    std::optional<NetworkNode> n;
    if (auto unc = splitUnc(section); unc && unc->rest.empty()) {
        const std::string server = "\\\\" + unc->server;
        if (type.empty() || same(type, "disk"))
            n = node(Kind::Disk, section, server);
        else if (same(type, "admin"))
            n = node(Kind::Admin, section, server);
        else if (same(type, "printer"))
            n = node(Kind::Printer, section, server);
    } else if (section.size() > 2 && section.compare(0, 2, "\\\\") == 0 &&
               section.find('\\', 2) == std::string::npos) {
        std::string domain = get("Domain");
        n = node(Kind::Server, section, domain.empty() ? kWorkgroup : domain);
    } else if (same(type, "provider")) {
        n = node(Kind::Provider, section, "");
    } else if (same(type, "domain")) {
        std::string provider = get("Provider");
        n = node(Kind::Domain, section, provider.empty() ? kWindowsNetwork : provider);
    }
    if (n) {
        n->comment = get("Comment");
        n->denied = same(get("Deny"), "yes");
    }
    return n;
}

// The node a missing parent stands for, as a child implies it.
NetworkNode impliedParent(const NetworkNode& child)
{
    switch (child.kind) {
    case Kind::Disk:
    case Kind::Admin:
    case Kind::Printer:
        return node(Kind::Server, child.parent, kWorkgroup);
    case Kind::Server:
        return node(Kind::Domain, child.parent, kWindowsNetwork);
    default:
        return node(Kind::Provider, child.parent, "");
    }
}

} // namespace

std::vector<NetworkNode> networkNodes()
{
    NodeList list;
    const auto held = loadNeighbourhood();
    const profile::IniDocument& doc = *held;
    for (const std::string& section : doc.sectionNames())
        if (std::optional<NetworkNode> n = sectionNode(doc, section))
            list.add(std::move(*n));
    for (std::size_t i = 0; i < list.nodes.size(); ++i)
        if (!list.nodes[i].parent.empty() && !list.find(list.nodes[i].parent))
            list.add(impliedParent(list.nodes[i]));
    for (const NetworkMount& m : currentMounts()) {
        const std::string server = "\\\\" + m.server;
        std::string above = m.nfs ? kNfsNetwork : (m.domain.empty() ? kWorkgroup : m.domain);
        list.add(node(Kind::Provider, m.nfs ? kNfsNetwork : kWindowsNetwork, ""));
        if (!m.nfs)
            list.add(node(Kind::Domain, above, kWindowsNetwork));
        list.add(node(Kind::Server, server, above));
        list.add(node(Kind::Disk, server + "\\" + m.share, server));
    }
    for (NetworkNode& n : list.nodes) {
        const NetworkNode* top = &n;
        for (int depth = 0; top && !top->parent.empty() && depth < 8; ++depth)
            top = list.find(top->parent);
        n.provider = top ? top->name : "";
    }
    return list.nodes;
}

} // namespace qm::net

#pragma once
// The network neighbourhood: what the network looks like to the programs,
// described in the file "network" in the platform folder, plus the SMB and
// NFS file systems that are mounted on this machine.
//
// One section per network node, named as the network names it, in the order
// in which the network lists them; "Type" says what the node is:
//     [Microsoft Windows Network]
//     Type=provider
//
//     [WORKGROUP]
//     Type=domain
//     Provider=Microsoft Windows Network
//
//     [\\FILESRV]
//     Type=server
//     Domain=WORKGROUP
//     Comment=File server
//
//     [\\FILESRV\public]
//     Type=disk                (the default for a "\\server\share" section)
//     Path=/srv/public         (the host folder behind the share; "~/" allowed)
//     Comment=Public files
//     User=ann                 (optional: the share asks for this log-in)
//     Password=secret
//
//     [\\FILESRV\C$]
//     Type=admin               (an administrative disk share)
//     Path=/
//
//     [\\FILESRV\laser]
//     Type=printer
// "Deny=yes" on a server or domain: it refuses to list what it holds. A
// share is reached through its own section; the server and domain sections
// only describe the tree for browsing. Names compare without regard to case.
// A section's missing parents are implied: a share's server, a server's
// domain (Domain=, else "WORKGROUP"), a domain's provider (Provider=, else
// "Microsoft Windows Network").
// A share that the file has no section for is looked up among the mounted
// cifs/smb3 ("//server/share") and nfs ("server:/path", share = last part of
// the path) file systems of /proc/self/mountinfo. For browsing, cifs/smb3
// mounts sit under "Microsoft Windows Network", their "domain=" option (else
// "WORKGROUP") and "\\server"; nfs mounts under "NFS Network" and "\\server".
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::net {

// The neighbourhood file: platformDir() / "network".
std::filesystem::path neighbourhoodFile();

// A disk share and how to reach it.
struct Share {
    std::string server;             // as the caller wrote it
    std::string name;               // as the caller wrote it
    std::filesystem::path folder;   // host folder behind the share
    std::string comment;
    std::string user;               // log-in the share asks for ("" = none)
    std::string password;
    bool requiresLogin() const { return !user.empty() || !password.empty(); }
};

// The disk (or admin) share \\server\share: from the neighbourhood file,
// else from the mounted network file systems. Nothing when it is unknown, is
// a printer, or names no usable folder.
std::optional<Share> findShare(const std::string& server, const std::string& share);

// True when the neighbourhood file has a "\\server" section or any share of
// that server, or a network file system of that server is mounted.
bool serverKnown(const std::string& server);

// Splits "\\server\share[\rest]" (either slash); nothing for other text.
struct UncParts {
    std::string server, share, rest;
};
std::optional<UncParts> splitUnc(std::string_view path);

// A mounted network file system, as read from a mountinfo text.
struct NetworkMount {
    std::string server, share;
    std::filesystem::path mountPoint;
    bool nfs = false;
    std::string domain; // cifs/smb3: the "domain=" option, "" when none
};
// The cifs/smb3/nfs mounts listed in a /proc/<pid>/mountinfo text.
std::vector<NetworkMount> parseMountInfo(std::string_view text);
// Where the mounts are read from: /proc/self/mountinfo, or the file given
// here (tests give a sample; an empty path restores the default).
void setMountInfoFile(std::filesystem::path file);

// One node of the network as it is browsed, in the order the network lists
// them: the file's sections, their implied parents, then the mounts.
struct NetworkNode {
    enum class Kind { Provider, Domain, Server, Disk, Admin, Printer };
    Kind kind = Kind::Provider;
    std::string name;     // "Microsoft Windows Network", "WORKGROUP", "\\SRV", "\\SRV\share"
    std::string parent;   // the name of the node holding it; "" for a provider
    std::string provider; // the provider it belongs to
    std::string comment;
    bool denied = false;  // refuses to list what it holds
};
// Every node of the network, each name once (without regard to case).
std::vector<NetworkNode> networkNodes();

} // namespace qm::net

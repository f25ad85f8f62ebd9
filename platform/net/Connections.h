#pragma once
// The connection table: network shares connected to drive letters, as the
// Windows networking calls make and cancel them. A connection made with
// ConnectUpdateProfile is remembered in the file "connections" in the
// platform folder and stays until it is cancelled; one made without it
// lasts for the login session and lives in the session table:
//   - $XDG_RUNTIME_DIR/quillmate/connections (emptied when the session ends),
//   - or, when QUILLMATE_PLATFORM_DIR overrides the platform folder or there
//     is no XDG_RUNTIME_DIR, platformDir()/connections.session.
// The session table carries the machine's boot id and counts as empty after
// a restart. Both tables are INI files, one section per letter:
//     [E:]
//     Remote=\\FILESRV\public
//     User=ann          (only when a user name was given; never a password)
// Every program reads both, so a letter connected by one program is a drive
// of type 4 (remote) in every other. Changes are atomic and made under a
// lock shared by all programs. No kernel mount is made: the letter leads to
// the host folder behind the share (see Neighbourhood.h).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::net {

// Results of the networking calls, with their Windows values.
namespace neterr {
inline constexpr int NoError = 0;
inline constexpr int AccessDenied = 5;
inline constexpr int BadNetPath = 53;      // no such server
inline constexpr int BadNetName = 67;      // no such share or folder
inline constexpr int AlreadyAssigned = 85; // the letter is in use
inline constexpr int InvalidParameter = 87;
inline constexpr int BadDevice = 1200;     // not a drive name such as "E:"
inline constexpr int LogonFailure = 1326;  // user name or password refused
inline constexpr int NotConnected = 2250;
inline constexpr int OpenFiles = 2401;     // files on the drive are in use
} // namespace neterr

// Why a connect or cancel call gave `code`, as one sentence ("The network
// name cannot be found."); "" for NoError.
std::string connectionErrorText(int code);

// Flag of the connect and cancel calls: remember the connection (connect) or
// forget it for good (cancel).
inline constexpr unsigned ConnectUpdateProfile = 1;

struct Connection {
    char letter = 0;        // capital letter
    std::string remote;     // "\\server\share[\folder]" as it was given
    std::string user;       // the user name given, or ""
    bool persistent = false;
};

std::filesystem::path connectionsFile();
std::filesystem::path sessionConnectionsFile();

// Every connection, in letter order (the remembered table first where a
// letter stands in both). The tables are kept in memory and read again
// only when one of their files changed (FileStamp).
std::vector<Connection> connections();
// How often the tables were read from their files so far.
uint64_t connectionTableReads();
std::optional<Connection> findConnection(char letter);

// Connects `remoteName` to the drive `localName` ("E:", either case). An
// empty local name only checks that the share can be reached with the
// log-in. `password` and `user` may be absent (the current user's log-in):
//   - a share that asks for a log-in needs its user name (compared without
//     case; absent means the current login name) and its password;
//   - the letter must not be a drive already (drive table or connection);
//   - the remote name must be a known disk share, or a folder in one.
// Gives a neterr value.
int addConnection(std::string_view localName, std::string_view remoteName,
                  const std::optional<std::string>& password, const std::optional<std::string>& user,
                  unsigned flags);

// Cancels the connection of the drive `name` ("E:"). Unless `force` is set,
// a connection whose folder a process has a file or its current folder in
// is kept (OpenFiles). The connection is removed from whichever table holds
// it, whatever the flags. Gives a neterr value.
int cancelConnection(std::string_view name, unsigned flags, bool force);

// The host folder a remote name ("\\server\share[\folder...]") leads to,
// components matched without regard to case; nothing when unknown.
std::optional<std::filesystem::path> resolveRemote(std::string_view remoteName);

// Plugs the connections into the drive table (mapped letters as drives of
// type 4) and the share resolver into the path mapping of qm::fs. Called
// once at program start.
void installDriveHooks();

} // namespace qm::net

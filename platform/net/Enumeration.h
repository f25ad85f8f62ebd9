#pragma once
// Browsing the network the way the classic enumeration calls do: open an
// enumeration of what a container holds, read its entries in batches into
// the caller's buffer, close it. The network is the one Neighbourhood.h
// describes (the neighbourhood file and the mounted network file systems),
// read afresh by every open.
//
//   the whole network (an empty container record) -> its providers
//   a provider   -> its domains (and servers without a domain: nfs)
//   a domain     -> its servers
//   a server     -> disk pass (type Disk): its disk and admin shares;
//                   printer pass (type Print): its printer shares
// Containers are listed whatever the type asked for; shares by type.
//
// A buffer holds entries of EntrySize bytes, one after the other from its
// start: four 32-bit little-endian numbers (scope, type, display type,
// usage), then four 32-bit little-endian offsets from the buffer's start of
// NUL-terminated texts (local name, remote name, comment, provider; 0 for an
// absent text). The texts follow the entries. An entry needs EntrySize bytes
// plus each of its texts with its NUL.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qm::net {

inline constexpr std::uint32_t ResourceGlobalNet = 2; // the only scope browsed

inline constexpr std::uint32_t ResourceTypeAny = 0;
inline constexpr std::uint32_t ResourceTypeDisk = 1;
inline constexpr std::uint32_t ResourceTypePrint = 2;

inline constexpr std::uint32_t ResourceUsageAll = 0;
inline constexpr std::uint32_t ResourceUsageConnectable = 1;
inline constexpr std::uint32_t ResourceUsageContainer = 2;

namespace displaytype {
inline constexpr std::uint32_t Generic = 0;
inline constexpr std::uint32_t Domain = 1;
inline constexpr std::uint32_t Server = 2;
inline constexpr std::uint32_t Share = 3;
inline constexpr std::uint32_t Network = 6; // a provider
inline constexpr std::uint32_t AdminShare = 8;
} // namespace displaytype

// Results of the enumeration calls, with their Windows values.
namespace enumerr {
inline constexpr int NoError = 0;
inline constexpr int AccessDenied = 5;      // the container refuses to be listed
inline constexpr int InvalidHandle = 6;
inline constexpr int BadNetPath = 53;       // no such container
inline constexpr int InvalidParameter = 87; // a scope other than ResourceGlobalNet
inline constexpr int MoreData = 234;        // the next entry needs a bigger buffer
inline constexpr int NoMoreItems = 259;
inline constexpr int NotContainer = 1207;   // a share or printer opened as a container
inline constexpr int NoNetwork = 1222;      // no neighbourhood file and no network mounts
} // namespace enumerr

// One resource, its texts as strings (an absent text is the empty one).
struct NETRESOURCE {
    std::uint32_t dwScope = 0;
    std::uint32_t dwType = 0;
    std::uint32_t dwDisplayType = 0;
    std::uint32_t dwUsage = 0;
    std::string lpLocalName;
    std::string lpRemoteName;
    std::string lpComment;
    std::string lpProvider;
};

inline constexpr std::uint32_t EntrySize = 32;

using EnumHandle = std::uint32_t;

// The three enumeration calls, as an interface so that a network of one's
// own can stand in for the machine's.
class NetworkEnumerator {
public:
    virtual ~NetworkEnumerator() = default;
    // Opens an enumeration of what `container` holds (an empty remote name:
    // the whole network). Gives an enumerr value; `handle` is set on NoError.
    virtual int openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                         const NETRESOURCE& container, EnumHandle& handle) = 0;
    // Puts the next entries into `buffer` (`bufferSize` bytes): at most
    // `count` of them, or as many as fit when `count` is -1; `count` is set
    // to the number delivered. MoreData when not even the next one fits:
    // `bufferSize` is then set to the size it needs and `count` is left.
    // NoMoreItems (count 0) at the end.
    virtual int enumResource(EnumHandle handle, std::int32_t& count, unsigned char* buffer,
                             std::uint32_t& bufferSize) = 0;
    virtual int closeEnum(EnumHandle handle) = 0;
};

// The machine's network (Neighbourhood.h). Each object keeps its own handles.
class SystemNetwork : public NetworkEnumerator {
public:
    int openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage, const NETRESOURCE& container,
                 EnumHandle& handle) override;
    int enumResource(EnumHandle handle, std::int32_t& count, unsigned char* buffer,
                     std::uint32_t& bufferSize) override;
    int closeEnum(EnumHandle handle) override;

    // Enumerations opened and not closed yet.
    std::size_t openEnumerations() const { return open_.size(); }

private:
    struct Open {
        std::vector<NETRESOURCE> entries;
        std::size_t next = 0;
    };
    std::map<EnumHandle, Open> open_;
    EnumHandle lastHandle_ = 0;
};

// The bytes `entry` takes in a buffer.
std::uint32_t entryBytes(const NETRESOURCE& entry);
// Writes `entries` into `buffer` as the layout above says; the caller has
// checked that their entryBytes fit into `bufferSize`.
void packEntries(const std::vector<NETRESOURCE>& entries, unsigned char* buffer, std::uint32_t bufferSize);

} // namespace qm::net

#include "platform/net/Enumeration.h"

#include "platform/fs/NoCase.h"
#include "platform/net/Neighbourhood.h"

#include <cstring>

namespace qm::net {

namespace {

using Kind = NetworkNode::Kind;

bool isShare(Kind k) { return k == Kind::Disk || k == Kind::Admin || k == Kind::Printer; }

NETRESOURCE recordOf(const NetworkNode& n)
{
    NETRESOURCE r;
    r.dwScope = ResourceGlobalNet;
    r.lpRemoteName = n.name;
    r.lpComment = n.comment;
    r.lpProvider = n.provider;
    switch (n.kind) {
    case Kind::Provider:
        r.dwDisplayType = displaytype::Network;
        break;
    case Kind::Domain:
        r.dwDisplayType = displaytype::Domain;
        break;
    case Kind::Server:
        r.dwDisplayType = displaytype::Server;
        break;
    case Kind::Disk:
        r.dwType = ResourceTypeDisk;
        r.dwDisplayType = displaytype::Share;
        break;
    case Kind::Admin:
        r.dwType = ResourceTypeDisk;
        r.dwDisplayType = displaytype::AdminShare;
        break;
    case Kind::Printer:
        r.dwType = ResourceTypePrint;
        r.dwDisplayType = displaytype::Share;
        break;
    }
    r.dwUsage = isShare(n.kind) ? ResourceUsageConnectable : ResourceUsageContainer;
    return r;
}

bool wanted(const NETRESOURCE& r, std::uint32_t type, std::uint32_t usage)
{
    if (usage != ResourceUsageAll && !(r.dwUsage & usage))
        return false;
    const bool container = r.dwUsage == ResourceUsageContainer;
    return container || type == ResourceTypeAny || r.dwType == type;
}

void put32(unsigned char* at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}

} // namespace

std::uint32_t entryBytes(const NETRESOURCE& entry)
{
    std::uint32_t bytes = EntrySize;
    for (const std::string* t : {&entry.lpLocalName, &entry.lpRemoteName, &entry.lpComment, &entry.lpProvider})
        if (!t->empty())
            bytes += static_cast<std::uint32_t>(t->size()) + 1;
    return bytes;
}

void packEntries(const std::vector<NETRESOURCE>& entries, unsigned char* buffer, std::uint32_t bufferSize)
{
    std::memset(buffer, 0, bufferSize);
    std::uint32_t text = static_cast<std::uint32_t>(entries.size()) * EntrySize;
    unsigned char* at = buffer;
    for (const NETRESOURCE& e : entries) {
        put32(at, e.dwScope);
        put32(at + 4, e.dwType);
        put32(at + 8, e.dwDisplayType);
        put32(at + 12, e.dwUsage);
        int slot = 16;
        for (const std::string* t : {&e.lpLocalName, &e.lpRemoteName, &e.lpComment, &e.lpProvider}) {
            if (!t->empty()) {
                put32(at + slot, text);
                std::memcpy(buffer + text, t->data(), t->size());
                text += static_cast<std::uint32_t>(t->size()) + 1;
            }
            slot += 4;
        }
        at += EntrySize;
    }
}

int SystemNetwork::openEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                            const NETRESOURCE& container, EnumHandle& handle)
{
    if (scope != ResourceGlobalNet)
        return enumerr::InvalidParameter;
    const std::vector<NetworkNode> nodes = networkNodes();
    if (nodes.empty())
        return enumerr::NoNetwork;
    std::string parent;
    if (!container.lpRemoteName.empty()) {
        const NetworkNode* found = nullptr;
        for (const NetworkNode& n : nodes)
            if (fs::equalsNoCase(n.name, container.lpRemoteName)) {
                found = &n;
                break;
            }
        if (!found)
            return enumerr::BadNetPath;
        if (isShare(found->kind))
            return enumerr::NotContainer;
        if (found->denied)
            return enumerr::AccessDenied;
        parent = found->name;
    }
    Open o;
    for (const NetworkNode& n : nodes) {
        if (!fs::equalsNoCase(n.parent, parent))
            continue;
        NETRESOURCE r = recordOf(n);
        if (wanted(r, type, usage))
            o.entries.push_back(std::move(r));
    }
    handle = ++lastHandle_;
    open_[handle] = std::move(o);
    return enumerr::NoError;
}

int SystemNetwork::enumResource(EnumHandle handle, std::int32_t& count, unsigned char* buffer,
                                std::uint32_t& bufferSize)
{
    auto it = open_.find(handle);
    if (it == open_.end())
        return enumerr::InvalidHandle;
    Open& o = it->second;
    if (o.next >= o.entries.size()) {
        count = 0;
        return enumerr::NoMoreItems;
    }
    std::vector<NETRESOURCE> batch;
    std::uint32_t used = 0;
    const std::size_t most = count < 0 ? o.entries.size() : static_cast<std::size_t>(count);
    while (o.next + batch.size() < o.entries.size() && batch.size() < most) {
        const std::uint32_t need = entryBytes(o.entries[o.next + batch.size()]);
        if (!buffer || used + need > bufferSize)
            break;
        used += need;
        batch.push_back(o.entries[o.next + batch.size()]);
    }
    if (batch.empty()) {
        if (most == 0) {
            count = 0;
            return enumerr::NoError;
        }
        bufferSize = entryBytes(o.entries[o.next]);
        return enumerr::MoreData;
    }
    packEntries(batch, buffer, bufferSize);
    o.next += batch.size();
    count = static_cast<std::int32_t>(batch.size());
    return enumerr::NoError;
}

int SystemNetwork::closeEnum(EnumHandle handle)
{
    return open_.erase(handle) ? enumerr::NoError : enumerr::InvalidHandle;
}

} // namespace qm::net

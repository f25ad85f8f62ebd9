#pragma once
// A network of one's own for tests: it delivers a fixed list of entries, one
// per call (asking for a bigger buffer where one does not fit), lists no
// printers, and counts the enumerations opened and closed.
#include "platform/net/Enumeration.h"

#include <string>
#include <vector>

namespace qm::test {

struct ScriptedNetwork : qm::net::NetworkEnumerator {
    std::vector<qm::net::NETRESOURCE> entries;
    int openResult = 0;
    int failAfter = -1; // deliver this many, then fail with 1222 (count left at -1)
    int opens = 0, closes = 0;
    std::size_t next = 0;

    int openEnum(std::uint32_t, std::uint32_t type, std::uint32_t, const qm::net::NETRESOURCE&,
                 qm::net::EnumHandle& handle) override
    {
        ++opens;
        next = type == qm::net::ResourceTypePrint ? entries.size() : 0;
        handle = 7;
        return openResult;
    }
    int enumResource(qm::net::EnumHandle, std::int32_t& count, unsigned char* buffer,
                     std::uint32_t& size) override
    {
        if (failAfter >= 0 && static_cast<int>(next) >= failAfter)
            return 1222;
        if (next >= entries.size()) {
            count = 0;
            return qm::net::enumerr::NoMoreItems;
        }
        const std::uint32_t need = qm::net::entryBytes(entries[next]);
        if (need > size) {
            size = need;
            return qm::net::enumerr::MoreData;
        }
        qm::net::packEntries({entries[next++]}, buffer, size);
        count = 1;
        return 0;
    }
    int closeEnum(qm::net::EnumHandle) override
    {
        ++closes;
        return 0;
    }
};

// A disk share's entry (another display type for other kinds).
inline qm::net::NETRESOURCE share(const std::string& name, std::uint32_t display = 3)
{
    qm::net::NETRESOURCE r;
    r.dwDisplayType = display;
    r.dwType = 1;
    r.lpRemoteName = name;
    return r;
}

} // namespace qm::test

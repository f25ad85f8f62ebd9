#include "pickers/NetResource.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/RtError.h"
#include "platform/fs/Text.h"

#include <array>

namespace qm::pickers {

namespace net = qm::net;

namespace {

constexpr std::uint32_t FirstBufferSize = 1024;

std::uint32_t get32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Closes an enumeration however its reading ends.
class OpenEnumeration {
public:
    OpenEnumeration(net::NetworkEnumerator& network, net::EnumHandle handle) : network_(network), handle_(handle) {}
    ~OpenEnumeration() { network_.closeEnum(handle_); }
    OpenEnumeration(const OpenEnumeration&) = delete;
    OpenEnumeration& operator=(const OpenEnumeration&) = delete;

private:
    net::NetworkEnumerator& network_;
    net::EnumHandle handle_;
};

} // namespace

std::shared_ptr<NetResource> NetResources::Item(int position) const
{
    if (position < 1 || position > count())
        return nullptr;
    return items_[static_cast<std::size_t>(position - 1)];
}

int NetResources::indexOf(std::string_view key) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (qm::fs::equalsNoCase(items_[i]->RemoteName(), key))
            return static_cast<int>(i);
    return -1;
}

std::shared_ptr<NetResource> NetResources::Item(std::string_view key) const
{
    const int i = indexOf(key);
    return i < 0 ? nullptr : items_[static_cast<std::size_t>(i)];
}

void NetResources::Remove(int position)
{
    if (position < 1 || position > count())
        throw qm::RtError(collerr::InvalidCall, "Invalid procedure call or argument");
    items_.erase(items_.begin() + (position - 1));
}

void NetResources::Remove(std::string_view key)
{
    const int i = indexOf(key);
    if (i < 0)
        throw qm::RtError(collerr::InvalidCall, "Invalid procedure call or argument");
    items_.erase(items_.begin() + i);
}

std::shared_ptr<NetResource> NetResources::Add(std::shared_ptr<NetResource> resource)
{
    if (indexOf(resource->RemoteName()) >= 0)
        throw qm::RtError(collerr::DuplicateKey,
                          "This key is already associated with an element of this collection");
    items_.push_back(resource);
    return resource;
}

NetResources& NetResource::Children()
{
    if (!Enumerated)
        EnumChildren();
    return *ChildList;
}

int NetResource::ResourceType() const
{
    return IsPrinter ? 255 : static_cast<int>(Resource.dwDisplayType);
}

std::string NetResource::ResourceTypeName() const
{
    static constexpr std::array<const char*, 12> names{"Generic", "Domain", "Server",    "Share",
                                                       "File",    "Group",  "Network",   "Root",
                                                       "AdminShare", "Directory", "Tree", "NDSContainer"};
    if (IsPrinter)
        return "Printer";
    return Resource.dwDisplayType < names.size() ? names[Resource.dwDisplayType] : "";
}

std::string NetResource::ShortName() const
{
    const std::string name = RemoteName();
    return name.substr(static_cast<std::size_t>(qm::fs::FindLastChar(name, '\\')));
}

std::string NetResource::PtrToString(const unsigned char* buffer, std::uint32_t bufferSize, std::uint32_t pointer)
{
    if (pointer == 0 || pointer >= bufferSize)
        return {};
    const char* text = reinterpret_cast<const char*>(buffer + pointer);
    std::size_t length = 0;
    while (pointer + length < bufferSize && text[length] != '\0')
        ++length;
    return std::string(text, length);
}

void NetResource::EnumChildren()
{
    ChildList = std::make_unique<NetResources>();
    if (!enumPass(net::ResourceTypeDisk, net::ResourceUsageAll, false))
        return;
    EnumPrinterShares();
    Enumerated = true;
}

void NetResource::EnumPrinterShares()
{
    enumPass(net::ResourceTypePrint, net::ResourceUsageConnectable, true);
}

bool NetResource::enumPass(std::uint32_t type, std::uint32_t usage, bool printers)
{
    net::EnumHandle handle = 0;
    if (network_->openEnum(net::ResourceGlobalNet, type, usage, Resource, handle) != net::enumerr::NoError)
        return false;
    OpenEnumeration open(*network_, handle);
    std::vector<unsigned char> buffer(FirstBufferSize);
    for (;;) {
        std::int32_t count = -1;
        auto size = static_cast<std::uint32_t>(buffer.size());
        const int r = network_->enumResource(handle, count, buffer.data(), size);
        if (r == net::enumerr::MoreData && size > buffer.size()) {
            buffer.assign(size, 0);
            continue;
        }
        // The end, a failure, or a call that delivered nothing.
        if (r != net::enumerr::NoError || count <= 0)
            break;
        const auto bytes = static_cast<std::uint32_t>(buffer.size());
        for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(count) && i < bytes / net::EntrySize; ++i) {
            const unsigned char* e = buffer.data() + net::EntrySize * i;
            auto text = [&](int at) { return PtrToString(buffer.data(), bytes, get32(e + at)); };
            net::NETRESOURCE record;
            record.dwScope = get32(e);
            record.dwType = get32(e + 4);
            record.dwDisplayType = get32(e + 8);
            record.dwUsage = get32(e + 12);
            record.lpComment = text(24);
            record.lpLocalName = text(16);
            record.lpProvider = text(28);
            record.lpRemoteName = text(20);
            if (printers && record.dwDisplayType != net::displaytype::Share)
                continue;
            auto child = std::make_shared<NetResource>(*network_);
            child->SetResource(record);
            if (printers)
                child->SetPrinterFlag(true);
            ChildList->Add(child);
        }
    }
    return true;
}

} // namespace qm::pickers

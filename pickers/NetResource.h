#pragma once
// The network as the pickers browse it: one NetResource per node (the whole
// network, a provider, a domain, a server, a disk or printer share), whose
// Children are listed from the network the first time they are asked for
// and kept from then on, in a NetResources collection keyed by RemoteName
// without regard to case. A dialog makes one root and walks down from it.
#include "platform/net/Enumeration.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm::pickers {

class NetResource;

// Run-time errors of the collection.
namespace collerr {
inline constexpr int InvalidCall = 5;    // Remove of an item that is not there
inline constexpr int DuplicateKey = 457; // Add of a key already there
} // namespace collerr

class NetResources {
public:
    using Items = std::vector<std::shared_ptr<NetResource>>;

    // The item at 1-based `position`, or of `key` (without regard to case);
    // nullptr when there is none. Never throws.
    std::shared_ptr<NetResource> Item(int position) const;
    std::shared_ptr<NetResource> Item(std::string_view key) const;
    int count() const { return static_cast<int>(items_.size()); }
    // Removes the item; throws qm::RtError InvalidCall when there is none.
    void Remove(int position);
    void Remove(std::string_view key);
    // The items in insertion order (NewEnum).
    Items::const_iterator begin() const { return items_.begin(); }
    Items::const_iterator end() const { return items_.end(); }

private:
    friend class NetResource;
    // Adds `resource` under its RemoteName and gives it back; throws
    // qm::RtError DuplicateKey when the key is there already.
    std::shared_ptr<NetResource> Add(std::shared_ptr<NetResource> resource);
    int indexOf(std::string_view key) const;

    Items items_;
};

class NetResource {
public:
    // A root: the whole network of `network`, which outlives every object
    // made from it.
    explicit NetResource(qm::net::NetworkEnumerator& network) : network_(&network) {}

    // The children, listed from the network on the first call that finds
    // them not yet listed (an empty collection when the network refuses to
    // list them: the next call asks again). A second child of the same
    // RemoteName throws the collection's DuplicateKey error; the children
    // added before it stay, and they are not counted as listed.
    NetResources& Children();

    std::string Comment() const { return Resource.lpComment; }
    std::string LocalName() const { return Resource.lpLocalName; }
    std::string Provider() const { return Resource.lpProvider; }
    std::string RemoteName() const { return Resource.lpRemoteName; }
    // 255 for a printer share, else the display type.
    int ResourceType() const;
    // "Printer", or the name of the display type ("Generic" ... "NDSContainer",
    // "" for an unknown one).
    std::string ResourceTypeName() const;
    // RemoteName after its last "\" (all of it when there is none).
    std::string ShortName() const;

    const qm::net::NETRESOURCE& record() const { return Resource; }
    bool isEnumerated() const { return Enumerated; }
    bool isPrinter() const { return IsPrinter; }

    // The text at `pointer` in an entry buffer, up to its NUL (or the end of
    // the buffer), whatever its length; "" for a null pointer.
    static std::string PtrToString(const unsigned char* buffer, std::uint32_t bufferSize, std::uint32_t pointer);

private:
    void SetResource(const qm::net::NETRESOURCE& resource) { Resource = resource; }
    void SetPrinterFlag(bool printer) { IsPrinter = printer; }
    void EnumChildren();
    void EnumPrinterShares();
    // One pass over the network; false when it would not open.
    bool enumPass(std::uint32_t type, std::uint32_t usage, bool printers);

    qm::net::NetworkEnumerator* network_;
    qm::net::NETRESOURCE Resource;
    bool Enumerated = false;
    std::unique_ptr<NetResources> ChildList;
    bool IsPrinter = false;
};

} // namespace qm::pickers

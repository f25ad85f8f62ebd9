#pragma once
// An index of names that compare without regard to case (as
// qm::fs::equalsNoCase compares them): each name leads to the first position
// added under it. The index keeps no copy of the names: the caller tells it
// the name at a position (`nameAt`), so names that merely share a hash are
// told apart.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace qm::profile {

class NameIndex {
public:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);

    // A hash of the name's folded code points: names that compare equal
    // without case hash alike.
    static std::uint64_t hash(std::string_view name);

    void clear() { map_.clear(); }
    void reserve(std::size_t n) { map_.reserve(n); }

    // The position of `name`, or None.
    template <typename NameAt>
    std::size_t find(std::string_view name, NameAt nameAt) const
    {
        return find(hash(name), name, nameAt);
    }

    // Adds `position` under `name`; false (and nothing added) when the name
    // is there already.
    template <typename NameAt>
    bool add(std::string_view name, std::size_t position, NameAt nameAt)
    {
        const std::uint64_t h = hash(name);
        if (find(h, name, nameAt) != None)
            return false;
        map_.emplace(h, position);
        return true;
    }

    // Takes `position` out from under `name`.
    void erase(std::string_view name, std::size_t position);

private:
    static bool same(std::string_view a, std::string_view b);

    template <typename NameAt>
    std::size_t find(std::uint64_t h, std::string_view name, NameAt nameAt) const
    {
        auto [from, to] = map_.equal_range(h);
        for (auto it = from; it != to; ++it)
            if (same(nameAt(it->second), name))
                return it->second;
        return None;
    }

    std::unordered_multimap<std::uint64_t, std::size_t> map_;
};

} // namespace qm::profile

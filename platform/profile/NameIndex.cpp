#include "platform/profile/NameIndex.h"

#include "platform/fs/NoCase.h"

namespace qm::profile {

std::uint64_t NameIndex::hash(std::string_view name)
{
    // FNV-1a over the folded code points, one code point a step; plain ASCII is folded here, the
    // rest as the name comparison folds it.
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t pos = 0; pos < name.size();) {
        const auto byte = static_cast<unsigned char>(name[pos]);
        char32_t c;
        if (byte < 0x80) {
            c = byte >= 'A' && byte <= 'Z' ? byte + 32 : byte;
            ++pos;
        } else {
            c = qm::fs::nextFoldedCodePoint(name, pos);
        }
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

bool NameIndex::same(std::string_view a, std::string_view b) { return qm::fs::equalsNoCase(a, b); }

void NameIndex::erase(std::string_view name, std::size_t position)
{
    auto [from, to] = map_.equal_range(hash(name));
    for (auto it = from; it != to; ++it)
        if (it->second == position) {
            map_.erase(it);
            return;
        }
}

} // namespace qm::profile

#include "platform/fs/CaseTwins.h"

#include "platform/fs/NoCase.h"
#include "platform/fs/OwnedTemp.h"

#include <unistd.h>

namespace qm::fs {

namespace {

std::string joined(const std::vector<std::string>& comps, std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        out += comps[i];
        out += '/';
    }
    return out;
}

} // namespace

CaseTwins::Seen CaseTwins::see(const std::vector<std::string>& comps, const OpenFolder& open, std::string_view stem)
{
    std::string folded = foldCase(joined(comps, comps.size()));
    const auto [from, to] = written_.equal_range(folded);
    for (auto w = from; w != to; ++w) {
        const std::vector<std::string>& other = w->second;
        if (other == comps)
            return Seen::SameName;
        // The two part at the first name that differs in case: the folder
        // that holds it tells whether they are one file. Where that folder
        // is not there, the other was not written and nothing is in the way.
        std::size_t k = 0;
        while (other[k] == comps[k])
            ++k;
        const std::string folder = joined(comps, k);
        auto known = folding_.find(folder);
        if (known == folding_.end()) {
            const int fd = open(k);
            if (fd < 0)
                continue;
            known = folding_.emplace(folder, foldsCase(fd, stem)).first;
            ::close(fd);
        }
        if (known->second)
            return Seen::OtherCase;
    }
    written_.emplace(std::move(folded), comps);
    return Seen::New;
}

} // namespace qm::fs

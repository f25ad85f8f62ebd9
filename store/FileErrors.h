#pragma once
// Failures of the store's file operations name the file as the program knows
// it (Windows form), not by its host path.
#include "platform/fs/RtError.h"

#include <filesystem>
#include <string>

namespace qm::store::detail {

// Runs `fn(native)` for the host path of `winPath`; a qm::RtError whose
// description ends with the host path is thrown again ending with `winPath`.
template <class Fn>
decltype(auto) withFile(const std::string& winPath, const std::filesystem::path& native, Fn&& fn)
{
    try {
        return fn(native);
    } catch (const qm::RtError& e) {
        const std::string host = native.string();
        if (host.empty() || !e.description.ends_with(host))
            throw;
        throw qm::RtError(e.number, e.description.substr(0, e.description.size() - host.size()) + winPath);
    }
}

} // namespace qm::store::detail

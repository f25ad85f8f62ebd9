#include "platform/com/Server.h"

#include <dlfcn.h>

#include <filesystem>

namespace qm::com {

std::string modulePathOf(const void* address)
{
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return {};
    std::error_code ec;
    std::filesystem::path path = std::filesystem::canonical(info.dli_fname, ec);
    return ec ? std::string() : path.string();
}

} // namespace qm::com

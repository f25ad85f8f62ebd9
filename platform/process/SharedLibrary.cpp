#include "platform/process/SharedLibrary.h"

#include <dlfcn.h>

namespace qm::process {

std::optional<long> callLibraryEntry(const std::string& library, const char* entry)
{
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return std::nullopt;
    std::optional<long> result;
    using Entry = long (*)();
    if (auto call = reinterpret_cast<Entry>(::dlsym(handle, entry)))
        result = call();
    ::dlclose(handle);
    return result;
}

} // namespace qm::process

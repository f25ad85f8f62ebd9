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

HRESULT registerServerLibrary(const std::string& library)
{
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    auto call = reinterpret_cast<DllRegisterServerFn>(dlsym(handle, "DllRegisterServer"));
    const HRESULT hr = call ? call() : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    dlclose(handle);
    return hr;
}

} // namespace qm::com

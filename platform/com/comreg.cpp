// comreg [-u] <library>: registers the automation server in <library> (its
// DllRegisterServer), or with -u unregisters it (DllUnregisterServer), in
// the registration store of the platform folder ($QUILLMATE_PLATFORM_DIR
// when set). Prints the result code in hex; exits 0 on success, 1 otherwise.
#include "platform/com/Server.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

using qm::com::DllRegisterServerFn;
using qm::com::FAILED;
using qm::com::HRESULT;

int main(int argc, char** argv)
{
    bool unregister = argc == 3 && std::strcmp(argv[1], "-u") == 0;
    if (argc != (unregister ? 3 : 2) || (!unregister && argv[1][0] == '-')) {
        std::fprintf(stderr, "usage: comreg [-u] <library>\n");
        return 1;
    }
    std::string library = argv[unregister ? 2 : 1];
    // A bare name is a file here, not one for the loader to search for.
    if (library.find('/') == std::string::npos)
        library = "./" + library;
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "comreg: cannot load %s: %s\n", library.c_str(), dlerror());
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto call = reinterpret_cast<DllRegisterServerFn>(dlsym(handle, entry));
    if (!call) {
        std::fprintf(stderr, "comreg: %s has no %s\n", library.c_str(), entry);
        dlclose(handle);
        return 1;
    }
    HRESULT hr = call();
    std::printf("%s: %s 0x%08X\n", library.c_str(), entry, static_cast<unsigned>(hr));
    dlclose(handle);
    return FAILED(hr) ? 1 : 0;
}

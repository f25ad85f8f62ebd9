#pragma once
// What an in-process server library exports, and what it may use to build
// them. A server is a shared library with these four C entry points:
//   DllGetClassObject    the factory of one of its classes (CLASS_E_CLASSNOTAVAILABLE
//                        for a class it does not serve)
//   DllCanUnloadNow      S_OK when no object, enumerator or lock of it is alive,
//                        else S_FALSE
//   DllRegisterServer    writes its classes to the registration store
//   DllUnregisterServer  removes them
// CoCreateInstance and the comreg tool find them with dlsym under these
// names. Build a server with qm_com_server_library() (platform/com's
// CMakeLists.txt), so that it can be unloaded again.
#include "platform/com/Guid.h"
#include "platform/com/Result.h"

#include <string>

extern "C" {
qm::com::HRESULT DllGetClassObject(const qm::com::CLSID& clsid, const qm::com::IID& riid, void** object);
qm::com::HRESULT DllCanUnloadNow();
qm::com::HRESULT DllRegisterServer();
qm::com::HRESULT DllUnregisterServer();
}

namespace qm::com {

using DllGetClassObjectFn = HRESULT (*)(const CLSID&, const IID&, void**);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

// The absolute host path of the library (or program) that holds `address`;
// a server passes the address of one of its own functions to learn the path
// for InprocServer32. Empty when it cannot be told.
std::string modulePathOf(const void* address);

// Registers the server library at the host path `library` through its
// DllRegisterServer: the library is loaded for the one call and let go
// after it. The entry's result, or HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
// when the library cannot be loaded or has no such entry.
HRESULT registerServerLibrary(const std::string& library);

} // namespace qm::com

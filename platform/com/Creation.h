#pragma once
// Making objects. CoCreateInstance finds the class first in the in-process
// class table, where a program registers the factories of classes it serves
// itself (CoRegisterClassObject), and otherwise through the registration
// store: the class's InprocServer32 library is loaded (dlopen RTLD_NOW |
// RTLD_LOCAL) once and kept in the module table, its DllGetClassObject gives
// the factory, and the factory makes the object.
//
// Results: REGDB_E_CLASSNOTREG when the class is neither in the table nor
// registered, when its library cannot be loaded, or when the library has no
// DllGetClassObject; whatever DllGetClassObject or CreateInstance answer
// (CLASS_E_CLASSNOTAVAILABLE for a class the library does not serve).
//
// Libraries are unloaded only by CoFreeUnusedLibraries, which asks each
// loaded library's DllCanUnloadNow and closes those that answer S_OK (a
// library without DllCanUnloadNow stays). It never runs by itself.
#include "platform/com/Guid.h"
#include "platform/com/Result.h"
#include "platform/com/Unknown.h"

namespace qm::com {

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

inline constexpr DWORD REGCLS_SINGLEUSE = 0;
inline constexpr DWORD REGCLS_MULTIPLEUSE = 1;

// Registers `factory` (one reference is kept) for `clsid` in this process;
// `cookie` names the entry for CoRevokeClassObject. A later registration of
// the same class is found first. Only CLSCTX_INPROC_SERVER classes are
// served; `flags` is accepted for every use.
HRESULT CoRegisterClassObject(const CLSID& clsid, IUnknown* factory, DWORD context, DWORD flags, DWORD* cookie);
// Removes the entry and releases its factory; E_INVALIDARG for an unknown cookie.
HRESULT CoRevokeClassObject(DWORD cookie);

// The class's factory asked for `riid` (usually IClassFactory::iid).
HRESULT CoGetClassObject(const CLSID& clsid, DWORD context, void* serverInfo, const IID& riid, void** object);
// A new object of the class asked for `riid`; `*object` is null on failure.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& riid, void** object);

void CoFreeUnusedLibraries();

} // namespace qm::com

#pragma once
// The registration store: which library serves which class, under
// HKEY_CLASSES_ROOT of the registry hives (qm::registry). An in-process
// class is registered in the usual layout ("@" is a key's default value):
//   <ProgID>                     @ = description; CLSID\@ = {clsid}
//   <VersionIndependentProgID>   @ = description; CLSID\@ = {clsid}; CurVer\@ = <ProgID>
//   CLSID\{clsid}                @ = description; ProgID\@; VersionIndependentProgID\@;
//                                Programmable (empty key); InprocServer32\@ = the library's
//                                host path, ThreadingModel; TypeLib\@ = {libid}
// A type library is registered under TypeLib (what the type library
// registration of a server writes):
//   TypeLib\{libid}\<version>   @ = name; FLAGS\@ = "0"; HELPDIR\@ = the folder
//                              of `path`; 0\linux\@ = path (the file that holds it)
// and unregistered by removing TypeLib\{libid} whole; TypeLib itself stays.
//
// A registration first removes the class's own key whole, then writes every
// key in one atomic rewrite of the hive: a failed registration leaves the
// keys that were there. The CLSID key itself is never removed.
#include "platform/com/Bstr.h"
#include "platform/com/Guid.h"
#include "platform/com/Result.h"
#include "platform/registry/Registry.h"

#include <optional>
#include <string>

namespace qm::com {

// ProgID to class: the ProgID's CurVer names the current versioned ProgID
// when there is one (followed a few steps at most), and that ProgID's CLSID
// key the class; a ProgID without CurVer has its own CLSID key.
// CO_E_CLASSSTRING when the ProgID is unknown or its class is no GUID.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// The class's ProgID in task memory (CoTaskMemFree); REGDB_E_CLASSNOTREG
// when the class has none.
HRESULT ProgIDFromCLSID(const CLSID& clsid, LPOLESTR* progId);

struct InprocClass {
    CLSID clsid;
    std::string description;              // "Scheduler Class"
    std::string progId;                   // "Vendor.Thing.1"; empty: none
    std::string versionIndependentProgId; // "Vendor.Thing"; empty: none
    std::string modulePath;               // host path of the library (modulePathOf)
    std::string threadingModel = "Apartment";
    std::optional<GUID> typeLib;
    bool programmable = false;
};

struct TypeLibrary {
    GUID libid;
    std::string version = "1.0";
    std::string name;  // "Thing 1.0 Type Library"
    std::string path;  // host path of the library that holds it
};

// The steps of registering and unregistering `c`, added to `batch`, so a
// server can put more of its own keys into the same rewrite.
void addRegistration(registry::Batch& batch, const InprocClass& c);
void addUnregistration(registry::Batch& batch, const InprocClass& c);
void addRegistration(registry::Batch& batch, const TypeLibrary& lib);
void addUnregistration(registry::Batch& batch, const TypeLibrary& lib);
// Applies a batch to HKEY_CLASSES_ROOT. S_OK, or E_ACCESSDENIED, E_INVALIDARG
// (a key or name that cannot be stored) or E_FAIL, with the hive unchanged.
HRESULT applyToClassesRoot(const registry::Batch& batch);

HRESULT registerInprocClass(const InprocClass& c);
// Removes both ProgID keys and the class key; S_OK also when they were gone.
HRESULT unregisterInprocClass(const InprocClass& c);
// A class and its type library in one rewrite, and their removal. A server
// library calls these rather than building a batch itself, so that none of
// the registry's code is linked into it.
HRESULT registerInprocServer(const InprocClass& c, const TypeLibrary& lib);
HRESULT unregisterInprocServer(const InprocClass& c, const TypeLibrary& lib);

} // namespace qm::com

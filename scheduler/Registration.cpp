// Registration: the class with both ProgIDs and its type library, written
// to HKEY_CLASSES_ROOT in one rewrite, and taken away again.
//   Cronolet.Scheduler.1         @ "Scheduler Class", CLSID
//   Cronolet.Scheduler           @ "Scheduler Class", CLSID, CurVer "Cronolet.Scheduler.1"
//   CLSID\{3A032843-...}         removed whole first; ProgID, VersionIndependentProgID,
//                                Programmable, InprocServer32 (this library, "Apartment"), TypeLib
//   TypeLib\{1901D7BA-...}\1.0   "Cronolet 1.0 Type Library", held by this library
// Unregistration removes the two ProgID keys, the class key and the type
// library's key, never CLSID or TypeLib themselves.
#include "platform/com/Registration.h"
#include "platform/com/Server.h"
#include "scheduler/Cronolet.h"

namespace qm::cronolet {

namespace {

// Any function of this library tells the loader which file it came from.
void anchor() {}

com::InprocClass schedulerClass(const std::string& modulePath)
{
    com::InprocClass c;
    c.clsid = CLSID_Cronolet;
    c.description = "Scheduler Class";
    c.progId = ProgID_Scheduler_1;
    c.versionIndependentProgId = ProgID_Scheduler;
    c.modulePath = modulePath;
    c.threadingModel = "Apartment";
    c.typeLib = LIBID_CRONOLETLib;
    c.programmable = true;
    return c;
}

com::TypeLibrary typeLibrary(const std::string& modulePath)
{
    return com::TypeLibrary{LIBID_CRONOLETLib, "1.0", "Cronolet 1.0 Type Library", modulePath};
}

} // namespace

} // namespace qm::cronolet

using namespace qm::cronolet;

extern "C" {

qm::com::HRESULT DllRegisterServer()
{
    const std::string path = qm::com::modulePathOf(reinterpret_cast<const void*>(&anchor));
    if (path.empty())
        return qm::com::E_FAIL;
    return qm::com::registerInprocServer(schedulerClass(path), typeLibrary(path));
}

qm::com::HRESULT DllUnregisterServer()
{
    return qm::com::unregisterInprocServer(schedulerClass({}), typeLibrary({}));
}

}

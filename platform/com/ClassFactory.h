#pragma once
// IClassFactory: what a server hands out for each of its classes
// (DllGetClassObject, or the in-process class table) to make objects.
#include "platform/com/Unknown.h"

namespace qm::com {

struct IClassFactory : IUnknown {
    static constexpr IID iid = guid("{00000001-0000-0000-C000-000000000046}");

    // A new object asked for `riid`. A non-null `outer` asks for an object
    // aggregated into it (CLASS_E_NOAGGREGATION when the class cannot).
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** object) = 0;
    // Keeps the server's library loaded while locked.
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

inline constexpr IID IID_IClassFactory = IClassFactory::iid;

} // namespace qm::com

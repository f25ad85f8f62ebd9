#pragma once
// IUnknown, the root of every interface: asking an object for another of
// its interfaces, and reference counting. Interfaces are abstract classes of
// pure virtual functions, declared in the order of their table slots; a
// derived interface adds its slots after its base's, so a client that calls
// through the table in declaration order reaches the member it means. They
// have no virtual destructor (it would take slots): an object is destroyed
// by its own Release, never by delete through an interface.
//
// Each interface names its identifier as `iid`, which ComPtr and
// queryInterface() use.
#include "platform/com/Guid.h"
#include "platform/com/Result.h"

namespace qm::com {

struct IUnknown {
    static constexpr IID iid = guid("{00000000-0000-0000-C000-000000000046}");

    // S_OK and the interface with one more reference, or E_NOINTERFACE and
    // null; E_POINTER for a null `object`.
    virtual HRESULT QueryInterface(const IID& riid, void** object) = 0;
    // Both give the new count (for diagnostics only).
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

inline constexpr IID IID_IUnknown = IUnknown::iid;

} // namespace qm::com

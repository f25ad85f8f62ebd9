#pragma once
// IEnumVARIANT: the enumerator a collection's _NewEnum hands out, giving the
// collection's elements as VARIANTs in order.
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

namespace qm::com {

struct IEnumVARIANT : IUnknown {
    static constexpr IID iid = guid("{00020404-0000-0000-C000-000000000046}");

    // Copies up to `count` elements into `items` (the caller clears them)
    // and says how many in `fetched` (may be null when `count` is 1); S_OK
    // when all `count` came, S_FALSE when fewer did.
    virtual HRESULT Next(ULONG count, VARIANT* items, ULONG* fetched) = 0;
    // S_FALSE when fewer than `count` elements were left to skip.
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    // A new enumerator at the same position.
    virtual HRESULT Clone(IEnumVARIANT** copy) = 0;

protected:
    ~IEnumVARIANT() = default;
};

inline constexpr IID IID_IEnumVARIANT = IEnumVARIANT::iid;

} // namespace qm::com

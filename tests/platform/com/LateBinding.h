#pragma once
// Calls through IDispatch the way a late-bound client makes them: names to
// DISPIDs, arguments handed over last first.
#include "platform/com/Dispatch.h"

#include <string>
#include <vector>

namespace qm::test {

inline com::DISPID dispidOf(com::IDispatch* object, const std::u16string& name)
{
    std::u16string copy = name;
    com::LPOLESTR names[] = {copy.data()};
    com::DISPID id = 12345;
    if (com::FAILED(object->GetIDsOfNames(com::IID_NULL, names, 1, 0, &id)))
        return com::DISPID_UNKNOWN;
    return id;
}

// `args` in the member's own order.
inline com::HRESULT invoke(com::IDispatch* object, com::DISPID id, com::WORD flags,
                           const std::vector<com::Variant>& args, com::Variant* result = nullptr,
                           com::UINT* argError = nullptr)
{
    std::vector<com::VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(it->get()); // borrowed: the callee does not free arguments
    com::DISPID putId = com::DISPID_PROPERTYPUT;
    com::DISPPARAMS params;
    params.rgvarg = reversed.data();
    params.cArgs = static_cast<com::UINT>(reversed.size());
    if (flags & com::DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    return object->Invoke(id, com::IID_NULL, 0, flags, &params, result ? result->out() : nullptr, nullptr,
                          argError);
}

} // namespace qm::test

#pragma once
// What the library's objects share: IUnknown with a traced reference count,
// IDispatch over the object's table, a module lock, and the guard that keeps
// exceptions inside a member.
//
// An object starts with a count of 0; whoever holds it (a VARIANT, a cache,
// an enumerator) holds one reference. QueryInterface answers IUnknown,
// IDispatch and the object's own interface. AddRef and Release write the
// count after the change to the debugger output as
// "Ref = <count>, <Derived::TraceName>\r\n".
#include "platform/com/DebugOutput.h"
#include "platform/com/DispatchTable.h"
#include "scheduler/Module.h"

#include <cstdio>

namespace qm::cronolet {

template <class Derived, class Interface>
class TracedObject : public com::DispatchImpl<Derived, Interface> {
public:
    com::HRESULT QueryInterface(const com::IID& riid, void** object) override
    {
        if (!object)
            return com::E_POINTER;
        if (riid != com::IUnknown::iid && riid != com::IDispatch::iid && riid != Interface::iid) {
            *object = nullptr;
            return com::E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return com::S_OK;
    }
    com::ULONG AddRef() override { return trace(++refs_); }
    com::ULONG Release() override
    {
        const com::ULONG n = trace(--refs_);
        if (n == 0)
            delete this;
        return n;
    }

protected:
    TracedObject() = default;
    virtual ~TracedObject() = default;

private:
    static com::ULONG trace(com::ULONG n)
    {
        char line[64];
        std::snprintf(line, sizeof line, "Ref = %ld, %s\r\n", static_cast<long>(n), Derived::TraceName);
        com::OutputDebugStringA(line);
        return n;
    }

    com::ULONG refs_ = 0;
    ModuleLock lock_;
};

// Hands `object` (null or not) to the caller in `result`, a VARIANT of type
// VT_DISPATCH, with one reference of the caller's own.
inline void giveDispatch(com::VARIANT& result, com::IDispatch* object)
{
    if (object)
        object->AddRef();
    com::setDispatch(result, object);
}

// Runs the body of a member. Nothing the body throws (out of memory) leaves
// the member: the call succeeds with `code` in `errorCode`.
template <class Body>
com::HRESULT guarded(com::LONG& errorCode, com::LONG code, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        errorCode = code;
        return com::S_OK;
    }
}

} // namespace qm::cronolet

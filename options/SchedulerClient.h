#pragma once
// The scheduling tab's side of Cronolet, bound early through
// scheduler/Cronolet.h: making the scheduler object, and the few steps
// every caller repeats (the object in a VT_DISPATCH result, a string
// property as text, a collection walked with For Each).
#include "platform/com/ComPtr.h"
#include "platform/com/EnumVariant.h"
#include "platform/com/Variant.h"
#include "scheduler/Cronolet.h"

#include <string>

namespace qm::options {

using qm::com::ComPtr;
using qm::cronolet::IScheduler;
using qm::cronolet::ScheduledTask;
using qm::cronolet::ScheduledTasks;
using qm::cronolet::Trigger;
using qm::cronolet::Triggers;

// The host path of libCronolet.so in the program folder.
std::string cronoletLibrary();

// The scheduler object, created by its ProgID "Cronolet.Scheduler". When
// the class is not registered (or its registered library is gone), the
// library at `library` registers itself through its DllRegisterServer,
// once, and creation is tried again. Null when it still cannot be made.
ComPtr<IScheduler> createScheduler(const std::string& library);

// The interface `I` of the object a VT_DISPATCH result holds; null when none.
template <class I>
ComPtr<I> objectOf(const qm::com::Variant& v)
{
    ComPtr<I> out;
    if (v.type() == qm::com::VT_DISPATCH && v.get().pdispVal)
        v.get().pdispVal->QueryInterface(I::iid, out.putVoid());
    return out;
}

// A string property's value as UTF-8 text; "" when the get left it null.
template <class Object>
std::string textOf(Object& object, qm::com::HRESULT (Object::*get)(qm::com::BSTR*))
{
    qm::com::BSTR value = nullptr;
    (object.*get)(&value);
    qm::com::Bstr owned = qm::com::Bstr::attach(value);
    return owned.utf8();
}

// A number property's value; `start` when the get left it untouched.
template <class Object, class V>
V valueOf(Object& object, qm::com::HRESULT (Object::*get)(V*), V start = V{})
{
    V v = start;
    (object.*get)(&v);
    return v;
}

// For Each element of a collection (its _NewEnum), as interface `I`, in
// order; `fn` takes a ComPtr<I> (null for an element that is not an `I`).
template <class I, class Collection, class Fn>
void forEach(Collection& collection, Fn&& fn)
{
    ComPtr<qm::com::IUnknown> unknown;
    ComPtr<qm::com::IEnumVARIANT> items;
    if (qm::com::FAILED(collection.get__NewEnum(unknown.put())) || qm::com::FAILED(unknown.queryInterface(items)))
        return;
    for (;;) {
        qm::com::Variant v;
        qm::com::ULONG fetched = 0;
        if (items->Next(1, v.out(), &fetched) != qm::com::S_OK || fetched != 1)
            return;
        fn(objectOf<I>(v));
    }
}

// The code an object's ErrorCode gives, as decimal text.
template <class Object>
std::string errorText(Object& object)
{
    return std::to_string(valueOf(object, &Object::get_ErrorCode));
}

// The text of an automation date as the window shows it: the date alone
// at midnight, the time alone on day 0 (12/30/1899), otherwise both.
std::string dateText(qm::com::DATE date);

} // namespace qm::options

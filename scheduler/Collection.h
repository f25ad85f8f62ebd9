#pragma once
// The two collections, CScheduledTasks and CTriggers: an ordered vector of
// VT_DISPATCH VARIANTs, each holding one reference to its object, with
// _NewEnum, Item (from 1) and Count. The owner (the scheduler, a task) keeps
// one reference to its collection and refills it with clear() and append().
#include "platform/com/Variant.h"
#include "scheduler/Cronolet.h"
#include "scheduler/Object.h"

#include <vector>

namespace qm::cronolet {

template <class Interface>
class CCollection final : public TracedObject<CCollection<Interface>, Interface> {
public:
    static constexpr const char* TraceName = "Task";
    static const com::DispatchTable<CCollection>& dispatchTable();

    CCollection() = default;

    HRESULT get__NewEnum(IUnknown** pVal) override;
    HRESULT get_Item(LONG Index, VARIANT* pVal) override;
    HRESULT get_Count(LONG* pVal) override;

    // Releases every element.
    void clear() { items_.clear(); }
    // Adds `object` at the end with a reference of its own.
    void append(IDispatch* object) { items_.push_back(com::Variant::fromDispatch(object)); }

private:
    ~CCollection() override = default;

    std::vector<com::Variant> items_;
};

using CScheduledTasks = CCollection<ScheduledTasks>;
using CTriggers = CCollection<Triggers>;

} // namespace qm::cronolet
